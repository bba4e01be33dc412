#include "core/definitions/step_cell_check.h"

#include "core/base/cp1250.h"
#include "core/base/locale_formats.h"
#include "core/base/numbers.h"
#include "core/definitions/step_types.h"
#include "core/definitions/text_cut.h"

#include <cmath>
#include <limits>

namespace kapsorel {

namespace {

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

std::string wholeRangeMessage(const char* what, long long max)
{
    return std::string(what) + " musí být celé číslo 0 až " + std::to_string(max);
}

} // namespace

std::optional<long long> parseWholeNumber(std::string_view text, long long min, long long max)
{
    std::string_view s = trimmed(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 12)
        return std::nullopt;
    long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (negative)
        v = -v;
    if (v < min || v > max)
        return std::nullopt;
    return v;
}

std::string referenceTextMessage()
{
    return "Odkaz na proměnnou je # a dva znaky";
}

Status checkReferenceText(std::string_view text)
{
    if (charCount(text) != 3 || text.front() != '#' || storedText(text, 3) != text)
        return Error{referenceTextMessage()};
    return {};
}

Result<std::uint16_t> checkIntervalText(std::string_view text, bool serviceRights)
{
    if (trimmed(text).empty())
        return std::uint16_t{0};
    const auto v = parseWholeNumber(text, 0, std::numeric_limits<std::uint16_t>::max());
    if (!v)
        return Error{wholeRangeMessage("Perioda", std::numeric_limits<std::uint16_t>::max())};
    if (!serviceRights && *v > 0 && *v < kMinIntervalWithoutService)
        return Error{"Minimum je 10s"};
    return static_cast<std::uint16_t>(*v);
}

Result<std::uint8_t> checkByteText(std::string_view text)
{
    if (trimmed(text).empty())
        return std::uint8_t{0};
    const auto v = parseWholeNumber(text, 0, std::numeric_limits<std::uint8_t>::max());
    if (!v)
        return Error{wholeRangeMessage("Hodnota", std::numeric_limits<std::uint8_t>::max())};
    return static_cast<std::uint8_t>(*v);
}

std::string notUsedByStepMessage()
{
    return "Tuto hodnotu krok nepoužívá";
}

bool stepColumnEditable(std::uint8_t type, StepColumn column)
{
    if (type >= kStepTypeCount)
        return column == StepColumn::Action;
    const StepTypeRow& t = kStepTypes[type];
    switch (column) {
    case StepColumn::Interval:
        return t.intervalEditable;
    case StepColumn::Value1:
        return t.value1Editable;
    case StepColumn::Value2:
        return t.value2Editable;
    case StepColumn::EndConditionOrText:
        return !t.hasEndCondition();
    case StepColumn::Action:
    case StepColumn::Print:
    case StepColumn::Report:
    case StepColumn::Description:
        return true;
    case StepColumn::Step:
    case StepColumn::StartCondition:
        return false;
    }
    return false;
}

Status checkStepNumber(std::uint8_t type, int valueIndex, double value)
{
    const StepColumn column = valueIndex == 1 ? StepColumn::Value1 : StepColumn::Value2;
    if (type >= kStepTypeCount || !stepColumnEditable(type, column))
        return Error{notUsedByStepMessage()};
    const StepTypeRow& t = kStepTypes[type];
    const std::uint8_t kind = valueIndex == 1 ? t.kind1 : t.kind2;
    const double max = valueIndex == 1 ? t.max1 : t.max2;
    if (!std::isfinite(value) || std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        return Error{"Chyba " + std::string(1, localeFormats().decimalSeparator)};
    const bool backwardJump = type == static_cast<std::uint8_t>(StepType::Jump) && valueIndex == 2;
    if (value < 0.0) {
        if (!backwardJump)
            return Error{"Hodnota nesmí být záporná"};
        if (value < -max)
            return Error{"Minimum je " + formatNumber("%5.1f", -max)};
    }
    switch (kind) {
    case 1:
        if (value > max)
            return Error{"Maximum je " + formatNumber("%5.1f", max)};
        break;
    case 2:
        if (roundHalfEvenToInt(value) > roundHalfEvenToInt(max))
            return Error{"Maximum je " + std::to_string(roundHalfEvenToInt(max))};
        break;
    default:
        break;
    }
    return {};
}

Status checkStepValueText(std::uint8_t type, int valueIndex, std::string_view text)
{
    const StepColumn column = valueIndex == 1 ? StepColumn::Value1 : StepColumn::Value2;
    if (text.empty())
        return {};
    if (!stepColumnEditable(type, column))
        return Error{notUsedByStepMessage()};
    if (text.front() == '#')
        return checkReferenceText(text);
    std::string withPoint(text);
    for (char& c : withPoint)
        if (c == ',')
            c = '.';
    const auto number = parseNumber(withPoint);
    if (!number)
        return Error{"Chyba " + std::string(1, localeFormats().decimalSeparator)};
    return checkStepNumber(type, valueIndex, *number);
}

std::optional<std::uint8_t> stepTypeByName(std::string_view name)
{
    for (std::size_t i = 0; i < kStepTypes.size(); ++i)
        if (name == kStepTypes[i].name)
            return static_cast<std::uint8_t>(i);
    return std::nullopt;
}

} // namespace kapsorel
