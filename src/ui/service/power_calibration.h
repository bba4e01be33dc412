// The power module's sub-tab "  Kalibrace  ": the pages " Proud ", " Napětí 1 ", "Napětí 2 ",
// "Napětí 3 ", " Izolace " and " Ostatní ", each page's "Načti" and "Ulož" of its ADC
// records, and the raw access of " Ostatní ".
#pragma once

#include "core/service/adc_records.h"
#include "ui/service/service_context.h"

#include <QTabWidget>
#include <array>
#include <functional>

class QLabel;
class QSpinBox;

namespace kapsorel::ui {

class AdcPanel;

class PowerCalibration final : public QTabWidget {
    Q_OBJECT
  public:
    // `adcImage` is the window's PowerAdcImage, which " Ostatní "'s "Konfig" replaces without
    // touching the pages: a page's write still needs its own record read or loaded.
    PowerCalibration(const ServiceContext& context, PowerAdcImage& adcImage, QWidget* parent = nullptr);

    // The six records from the pages (0-4 the I2C ADCs, 5 the current), or the message of
    // the first page whose constant is no number.
    Result<PowerAdcImage> image(const PowerAdcImage& carried) const;
    void show(const PowerAdcImage& image);

  signals:
    void message(const QString& text);

  private:
    QWidget* recordPage(std::size_t k, const QString& suffix);
    QWidget* insulationPage();
    QWidget* otherPage();
    void readRecords(QWidget* control, std::size_t first, std::size_t last);
    void writeRecords(QWidget* control, std::size_t first, std::size_t last);

    ServiceContext context_;
    PowerAdcImage& adcImage_;
    std::array<AdcPanel*, PowerAdcImage::kUsedRecords> panels_{};
};

} // namespace kapsorel::ui
