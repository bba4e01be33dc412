// The source panel "Zdroj" of the "  Sekce  " tab: the set points (`ss_nap`, `ss_proud`) with
// "Nastav", "<", "M", "N", "Zapni", "Vypni", the switches "Zdroj", "Zátěž", "M.nap." and
// "Vent.", and "Reflex" with its "Stav", "ON" and "OFF". What "Nastav" and "<" send depends
// on the hardware kind read at each click.
#pragma once

#include "ui/service/service_context.h"

#include <QWidget>
#include <cstdint>
#include <optional>

class QCheckBox;
class QSpinBox;

namespace kapsorel::ui {

class DecimalBox;

class SourcePanel final : public QWidget {
    Q_OBJECT
  public:
    explicit SourcePanel(const ServiceContext& context, QWidget* parent = nullptr);

    // Kind 0: the source's voltage and current; kind 1 (power module only): the DAC value,
    // the source's own buttons and "Reflex" hidden. Other kinds change nothing.
    void applyHardwareKind(std::uint8_t kind);

  signals:
    void message(const QString& text);

  private:
    QWidget* setPointsBox();
    QWidget* switchesBox();
    QWidget* reflexBox();
    void set(QPushButton* button);
    void readBack(QPushButton* button);
    void readRegisters(QPushButton* button, std::uint8_t voltageRegister, std::uint8_t currentRegister);
    void sourceSwitch(QPushButton* button, bool on);
    void relaySwitch(QCheckBox* box, std::uint8_t relay);
    void fanSwitch(QCheckBox* box);
    void say(const QString& text) { emit message(text); }

    ServiceContext context_;
    DecimalBox* voltage_ = nullptr;
    DecimalBox* current_ = nullptr;
    QLabel* voltageLabel_ = nullptr;
    QLabel* currentLabel_ = nullptr;
    QList<QWidget*> sourceOnly_; // hidden for hardware kind 1
    QSpinBox* reflexState_ = nullptr;
    QSpinBox* reflexOn_ = nullptr;
    QSpinBox* reflexOff_ = nullptr;
};

} // namespace kapsorel::ui
