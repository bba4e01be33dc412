// What a settings image may hold before the window shows it or sends it: every Single a
// finite number inside its field's range, the ADC constants finite, the section counts within
// the rows the grids have. A read from a module, an opened settings file and a write all pass
// these checks; a refusal names the block and the field. Also the rule that keeps a value
// exactly as read while its field still shows what it showed for it.
#pragma once

#include "core/base/result.h"
#include "core/service/settings_images.h"

#include <array>
#include <string_view>

namespace kapsorel {

// A Single of the power module's settings block as its field on "  Nastavení  " edits it.
struct PowerSettingsSingle {
    const char* name;    // the field's objectName
    const char* caption; // its label
    int decimals;        // the decimals it shows
    float start;         // its value before anything is read
    float PowerSettingsBlock::*value;
};

// The nine Singles in block order.
extern const std::array<PowerSettingsSingle, 9> kPowerSettingsSingles;
// Every Single field takes -kSingleFieldLimit .. kSingleFieldLimit.
constexpr double kSingleFieldLimit = 1.0e9;

// Each refusal reads "<block>: <field> ..." (the block as blockName() calls it).
Status checkPowerSettings(const PowerSettingsBlock& block);
// The counts 0-9 and 0-7 and every conductance finite.
Status checkSections(const SectionsBlock& block);
// The constants of records 0-5 finite (record 6 and the spare bytes are not interpreted).
Status checkPowerAdc(const PowerAdcImage& image);
// The constant of record k (0-5) of the power module finite.
Status checkPowerAdcRecord(const AdcRecord& record, std::size_t k);
// The constant of measurement record k (0-22) finite.
Status checkCellRecord(const AdcRecord& record, std::size_t k);
Status checkCellTable(const CellAdcTable& table);
Status checkPowerImages(const PowerImages& images);
Status checkMeasureImages(const MeasureImages& images);

// A read's value refused by `check` (the message after "Nenačteno: "), or the read as it came.
template <class T, class Check> Result<T> checkedRead(Result<T> read, Check check)
{
    if (!read)
        return read;
    if (Status s = check(*read); !s)
        return Error{"Nenačteno: " + s.error()};
    return read;
}
// A write's values refused by their check: the message after "Nezapsáno: "; ok when they pass.
Status checkedWrite(const Status& check);

// A field shows `shown` for the value `kept` it was given (rounded to its decimals, say);
// while it still holds `shown` the value stays `kept` with all its digits, once the user
// entered something else it is `entered`.
float keptOrEntered(float kept, double shown, double entered);

} // namespace kapsorel
