#include "ui/common/decimal_box.h"

#include "core/base/locale_formats.h"
#include "core/base/numbers.h"

#include <algorithm>
#include <optional>

namespace kapsorel::ui {

namespace {

std::optional<double> parsed(const QString& text)
{
    return parseNumber(text.toStdString());
}

} // namespace

DecimalBox::DecimalBox(QWidget* parent) : QDoubleSpinBox(parent) {}

QString DecimalBox::textFromValue(double value) const
{
    return QString::fromStdString(formatDecimals(value, decimals()));
}

double DecimalBox::valueFromText(const QString& text) const
{
    const std::optional<double> v = parsed(bare(text));
    return v ? *v : value();
}

QValidator::State DecimalBox::validate(QString& input, int& /*pos*/) const
{
    const QString text = bare(input);
    const QChar separator = QLatin1Char(localeFormats().decimalSeparator);
    int separators = 0;
    int decimalsTyped = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == separator || c == QLatin1Char('.')) {
            ++separators;
        } else if (c.isDigit() && c.unicode() < 128) {
            if (separators > 0)
                ++decimalsTyped;
        } else if (c == QLatin1Char('-') && i == 0) {
            if (minimum() >= 0.0)
                return QValidator::Invalid;
        } else if (!(c == QLatin1Char('+') && i == 0) && c != QLatin1Char(' ')) {
            return QValidator::Invalid;
        }
    }
    if (separators > 1 || decimalsTyped > decimals())
        return QValidator::Invalid;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String("-") || trimmed == QLatin1String("+"))
        return QValidator::Intermediate;
    const std::optional<double> v = parsed(text);
    if (!v)
        return QValidator::Intermediate; // a lone separator
    if (*v > maximum())
        return minimum() >= 0.0 ? QValidator::Invalid : QValidator::Intermediate;
    if (*v < minimum())
        return QValidator::Intermediate;
    return QValidator::Acceptable;
}

void DecimalBox::fixup(QString& input) const
{
    const std::optional<double> v = parsed(bare(input));
    input = textFromValue(v ? std::clamp(*v, minimum(), maximum()) : value());
}

QString DecimalBox::bare(const QString& text) const
{
    QString t = text;
    if (!prefix().isEmpty() && t.startsWith(prefix()))
        t.remove(0, prefix().size());
    if (!suffix().isEmpty() && t.endsWith(suffix()))
        t.chop(suffix().size());
    return t;
}

} // namespace kapsorel::ui
