#include "model/NumberConversion.h"

#include <cmath>

namespace pelorin {

namespace {

// The value of a number in plain decimal notation, before rounding; nullopt for any other text.
std::optional<double> decimalValue(QStringView typed)
{
    const QString plain = plainDigits(typed);
    const QStringView trimmed = QStringView(plain).trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // Only plain decimal notation: digits, one point, an optional sign; no hex, no exponents, no "inf".
    int digits = 0;
    int points = 0;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed[i];
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (c == u'.')
            ++points;
        else if ((c == u'-' || c == u'+') && i == 0)
            continue;
        else
            return std::nullopt;
    }
    if (digits == 0 || points > 1)
        return std::nullopt;
    bool ok = false;
    const double value = trimmed.toString().toDouble(&ok);
    // A well-formed number too long for a double is simply very far out of range.
    if (!ok || !std::isfinite(value))
        return trimmed.startsWith(u'-') ? -HUGE_VAL : HUGE_VAL;
    return roundHalfEven(value);
}

bool inRange(double rounded)
{
    return rounded >= -32768.0 && rounded <= 32767.0;
}

} // namespace

double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode rounds halves to even
}

QString plainDigits(QStringView text)
{
    QString plain = text.toString();
    for (QChar& c : plain) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９')
            c = QChar(u'0' + (u - u'０'));
        else if (u == u'．')
            c = u'.';
        else if (u == u'－')
            c = u'-';
        else if (u == u'＋')
            c = u'+';
        else if (u == u'\u3000')
            c = u' ';
    }
    return plain;
}

std::optional<std::int16_t> toNumber(QStringView text)
{
    const std::optional<double> rounded = decimalValue(text);
    if (!rounded || !inRange(*rounded))
        return std::nullopt;
    return static_cast<std::int16_t>(*rounded);
}

bool isOutOfRange(QStringView text)
{
    const std::optional<double> rounded = decimalValue(text);
    return rounded && !inRange(*rounded);
}

} // namespace pelorin
