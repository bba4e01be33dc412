// The measurement module's tabs of the module settings window: "  Měřící modul - síť  " and
// "  Měřící modul  " with "  Nastavení  " (temperature, head type) and "  Kalibrace  "
// ("  Celkové napětí  ", "  Články  ", "  Izolace  "), the window's images of the module
// and its whole-module read and write.
#pragma once

#include "core/service/measure_settings_jobs.h"
#include "ui/service/service_context.h"

#include <QObject>
#include <array>
#include <functional>

class QTabWidget;
class QSpinBox;

namespace kapsorel::ui {

class AdcPanel;
class CellGridPage;
class NetworkTab;

class MeasureTabs final : public QObject {
    Q_OBJECT
  public:
    MeasureTabs(const ServiceContext& context, QWidget* parent);

    NetworkTab* networkTab() const { return network_; }
    QTabWidget* moduleTab() const { return module_; }
    const MeasureImages& images() const { return images_; }

    // "Načti m. modul" / "Ulož m. modul".
    void readModule(QWidget* control, std::function<void(bool)> then);
    void writeModule(QWidget* control, std::function<void(bool)> then);

    // The images as the fields, the grid rows and the calibration pages show them; or the
    // message of the first field that is no valid value.
    Result<MeasureImages> imagesFromFields() const;
    // Images loaded from a settings file, kept and shown on every page.
    void takeImages(const MeasureImages& images);

  signals:
    void message(const QString& text);

  private:
    QWidget* settingsPage();
    QWidget* recordsPage(std::size_t first, std::size_t last, const QString& suffix);
    void showAll();

    ServiceContext context_;
    MeasureImages images_;
    NetworkTab* network_ = nullptr;
    QTabWidget* module_ = nullptr;
    CellGridPage* cells_ = nullptr;
    // Records 20 (battery voltage), 21 and 22 (insulation AD1, AD2).
    std::array<AdcPanel*, 3> panels_{};
};

} // namespace kapsorel::ui
