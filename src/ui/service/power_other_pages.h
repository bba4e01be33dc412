// The power module's sub-tab "  Ostatní  ": the pages "  Ventilátory  " (fan controllers over
// the module's I2C bus), "  Zdroj  " (the source's readings, set points and registers) and
// "DAC" (the DAC value and the regulation steps "PQ").
#pragma once

#include "ui/service/service_context.h"

#include <QTabWidget>
#include <cstdint>

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace kapsorel::ui {

class DecimalBox;

class PowerOtherPages final : public QTabWidget {
    Q_OBJECT
  public:
    explicit PowerOtherPages(const ServiceContext& context, QWidget* parent = nullptr);

    // Kind 1 (power module only) hides "  Ventilátory  " and "  Zdroj  "; kind 0 shows them.
    void applyHardwareKind(std::uint8_t kind);

  signals:
    void message(const QString& text);

  private:
    QWidget* fansPage();
    QWidget* sourcePage();
    QWidget* dacPage();
    // The fan number of the chosen item (1-4), none for the empty fifth item.
    std::optional<std::uint8_t> fan() const;
    void fanStatus(QPushButton* button, std::uint8_t fan);
    void say(const QString& text) { emit message(text); }

    ServiceContext context_;
    QWidget* fans_ = nullptr;
    QWidget* source_ = nullptr;
    QComboBox* fanChoice_ = nullptr;
};

} // namespace kapsorel::ui
