// One ADC channel's calibration panel of the module settings window: the ADC's address (or
// the SPI multiplexer), gain, rate, offset and constant, the two raw readings and their
// reference values with "Min", "Max", "Kalibrace" and "Změř". The same widget serves every
// calibration page of both modules; the page around it reads and writes the record.
#pragma once

#include "core/base/result.h"
#include "core/comm/module_jobs.h"
#include "core/service/adc_records.h"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kapsorel::ui {

class DecimalBox;

// What differs between the calibration panels.
struct AdcPanelSpec {
    bool spi = false;             // the power module's current ADC: multiplexer and SPI registers
    std::string address;          // objectName of "Adresa I2C" (SPI: "Vstupy")
    std::string gain;             // "Zesílení"
    std::string rate;             // "Rychlost"
    std::string offset;           // "Offset"
    std::string constant;         // "Konstanta"
    std::string rawMin, rawMax;   // the raw reading labels
    std::string refMin, refMax;   // the reference values
    std::string value;            // the measured value
    std::string buttons;          // suffix of the buttons' objectNames
    int constantDecimals = 7;     // shown decimals of the constant
    double upperDefault = 0;      // the upper reference value's start
    int addressDefault = 0;       // the I2C address's start
    float constantDefault = 0;    // the constant's start
    const char* valueFormat = ""; // e.g. "%7.3fV"
    bool unsignedRaw = false;     // "Mz" readings are shown unsigned
    std::function<Result<std::int16_t>(ModuleLink&)> readRaw;
    std::function<Result<float>(ModuleLink&)> measure;
};

class AdcPanel final : public QWidget {
    Q_OBJECT
  public:
    AdcPanel(AdcPanelSpec spec, ModuleJobRunner& runner, QWidget* parent = nullptr);

    // The record from the fields, or the message of a field that holds no number. A constant
    // or configuration whose field still shows what it showed for the record last set keeps
    // that record's bytes.
    Result<AdcRecord> record() const;
    // The fields from a record read or loaded.
    void setRecord(const AdcRecord& record);

  signals:
    void message(const QString& text);

  private:
    void readRaw(bool upper);
    void calibrate();
    void measure();

    AdcPanelSpec spec_;
    ModuleJobRunner& runner_;
    QSpinBox* address_ = nullptr;
    QComboBox* multiplexer_ = nullptr;
    QComboBox* gain_ = nullptr;
    QComboBox* rate_ = nullptr;
    QSpinBox* offset_ = nullptr;
    QLineEdit* constant_ = nullptr;
    AdcRecord kept_; // the record last shown
    QLabel* rawMin_ = nullptr;
    QLabel* rawMax_ = nullptr;
    DecimalBox* refMin_ = nullptr;
    DecimalBox* refMax_ = nullptr;
    QLabel* value_ = nullptr;
};

} // namespace kapsorel::ui
