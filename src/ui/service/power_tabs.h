// The power module's tabs of the module settings window: "  Výkonový modul - síť  " and
// "  Výkonový modul  " with "  Nastavení  " and "  Kalibrace  ", the window's images of the
// power module and its whole-module read and write.
#pragma once

#include "core/service/power_settings_jobs.h"
#include "ui/service/service_context.h"

#include <QObject>
#include <array>
#include <functional>

class QSpinBox;
class QTabWidget;

namespace kapsorel::ui {

class DecimalBox;
class NetworkTab;
class PowerCalibration;
class PowerOtherPages;
class SectionsTab;

class PowerTabs final : public QObject {
    Q_OBJECT
  public:
    PowerTabs(const ServiceContext& context, QWidget* parent);

    NetworkTab* networkTab() const { return network_; }
    QTabWidget* moduleTab() const { return module_; }
    const PowerImages& images() const { return images_; }

    // "Načti v. modul" / "Ulož v. modul": `control` is disabled meanwhile, `then` learns
    // whether the sequence succeeded.
    void readModule(QWidget* control, std::function<void(bool)> then);
    void writeModule(QWidget* control, std::function<void(bool)> then);

    // The images as the fields and pages show them, as "Ulož v. modul" and a settings file
    // take them; or the message of the first field that is no valid value.
    Result<PowerImages> imagesFromFields() const;
    // Images loaded from a settings file: kept as the window's images and shown on every
    // page (network, settings, the six calibration records, the sections).
    void takeImages(const PowerImages& images);
    // The service pages' variants of hardware kind 0 and 1.
    void applyHardwareKind(std::uint8_t kind);

  signals:
    void message(const QString& text);

  private:
    QWidget* settingsPage();
    PowerSettingsBlock settingsFromFields() const;
    void showSettings(const PowerSettingsBlock& block);
    void showAll();

    ServiceContext context_;
    PowerImages images_;
    NetworkTab* network_ = nullptr;
    QTabWidget* module_ = nullptr;
    PowerCalibration* calibration_ = nullptr;
    SectionsTab* sections_ = nullptr;
    PowerOtherPages* other_ = nullptr;
    std::array<DecimalBox*, 9> singles_{};
    // The block the Single fields were last set from and what each then showed: a field
    // still showing that gives the block's exact value back.
    PowerSettingsBlock shownSettings_;
    std::array<double, 9> shownValues_{};
    QSpinBox* sourceAddress_ = nullptr;
    QSpinBox* fanConfig_ = nullptr;
    QSpinBox* fanRunOn_ = nullptr;
    QSpinBox* firstDelay_ = nullptr;
};

} // namespace kapsorel::ui
