// The checks of the settings images' values.
#include "core/service/settings_checks.h"

#include "core/service/write_guard.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace kapsorel {

const std::array<PowerSettingsSingle, 9> kPowerSettingsSingles{{
    {"pdiff_pr", "Diference proudu vybíjení", 2, 0.0f, &PowerSettingsBlock::dischargeCurrentDiff},
    {"pfet_cur", "Proud fety max.", 1, 0.0f, &PowerSettingsBlock::fetCurrentMax},
    {"pdiff_zd", "Diference proudu nabíjení", 2, 0.0f, &PowerSettingsBlock::chargeCurrentDiff},
    {"pdiff_nap", "Diference napětí", 2, 0.0f, &PowerSettingsBlock::voltageDiff},
    {"max_tp", "Max. teplota", 1, 80.0f, &PowerSettingsBlock::maxTemperature},
    {"izol_odp", "Izolační odpor min. [kOhm]", 2, 10.0f, &PowerSettingsBlock::insulationMinKohm},
    {"odp_del", "Odpor děliče [kOhm]", 3, 149.5f, &PowerSettingsBlock::dividerKohm},
    {"Pdac_k", "DAC konstanta", 3, 149.5f, &PowerSettingsBlock::dacConstant},
    {"pmin_nap", "Min. napětí při kontrole [V]", 1, 0.0f, &PowerSettingsBlock::checkMinVoltage},
}};

namespace {

// A value in a message: "%g" with the C locale's point, so "nan" and "inf" read as such.
std::string valueText(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

Error refused(BlockSet block, const std::string& field, const std::string& why)
{
    return Error{blockName(block) + ": " + field + " " + why};
}

std::string notFinite(double v)
{
    return "není konečné číslo (" + valueText(v) + ")";
}

Status finite(BlockSet block, const std::string& field, float v)
{
    if (!std::isfinite(v))
        return refused(block, field, notFinite(static_cast<double>(v)));
    return {};
}

std::string quoted(const char* caption)
{
    return std::string("„") + caption + "“";
}

} // namespace

Status checkPowerSettings(const PowerSettingsBlock& block)
{
    for (const PowerSettingsSingle& field : kPowerSettingsSingles) {
        const float v = block.*field.value;
        const std::string name = quoted(field.caption) + " (" + field.name + ")";
        if (auto s = finite(blocks::kPowerSettings, name, v); !s)
            return s;
        if (std::fabs(static_cast<double>(v)) > kSingleFieldLimit)
            return refused(blocks::kPowerSettings, name,
                           "= " + valueText(static_cast<double>(v)) + " je mimo rozsah -" +
                               valueText(kSingleFieldLimit) + " až " + valueText(kSingleFieldLimit));
    }
    return {};
}

Status checkSections(const SectionsBlock& block)
{
    const struct {
        const char* caption;
        std::uint8_t count;
        std::size_t most;
    } counts[] = {{"Počet odporů", block.resistorCount, SectionsBlock::kMaxResistorCount},
                  {"Počet odporníků", block.bankCount, SectionsBlock::kMaxBankCount}};
    for (const auto& c : counts)
        if (c.count > c.most)
            return refused(blocks::kPowerSections, quoted(c.caption),
                           "= " + std::to_string(c.count) + " je mimo rozsah 0 až " + std::to_string(c.most));
    for (std::size_t i = 0; i < block.resistors.size(); ++i)
        if (auto s = finite(blocks::kPowerSections, "vodivost odporu " + std::to_string(i + 1), block.resistors[i]); !s)
            return s;
    for (std::size_t i = 0; i < block.banks.size(); ++i)
        if (auto s = finite(blocks::kPowerSections, "vodivost odporníku " + std::to_string(i + 1), block.banks[i]); !s)
            return s;
    return {};
}

Status checkPowerAdcRecord(const AdcRecord& record, std::size_t k)
{
    return finite(blocks::powerAdcRecord(k), quoted("Konstanta"), record.constant);
}

Status checkPowerAdc(const PowerAdcImage& image)
{
    for (std::size_t k = 0; k < PowerAdcImage::kUsedRecords; ++k)
        if (auto s = checkPowerAdcRecord(image.records[k], k); !s)
            return s;
    return {};
}

Status checkCellRecord(const AdcRecord& record, std::size_t k)
{
    return finite(blocks::cellRecord(k), quoted("Konstanta"), record.constant);
}

Status checkCellTable(const CellAdcTable& table)
{
    for (std::size_t k = 0; k < CellAdcTable::kRecords; ++k)
        if (auto s = checkCellRecord(table.records[k], k); !s)
            return s;
    return {};
}

Status checkPowerImages(const PowerImages& images)
{
    if (auto s = checkPowerSettings(images.settings); !s)
        return s;
    if (auto s = checkPowerAdc(images.adc); !s)
        return s;
    return checkSections(images.sections);
}

Status checkMeasureImages(const MeasureImages& images)
{
    return checkCellTable(images.cells);
}

Status checkedWrite(const Status& check)
{
    if (!check)
        return Error{"Nezapsáno: " + check.error()};
    return {};
}

float keptOrEntered(float kept, double shown, double entered)
{
    return entered == shown ? kept : static_cast<float>(entered);
}

} // namespace kapsorel
