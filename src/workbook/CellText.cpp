#include "workbook/CellText.h"

#include <QDate>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace pelorin::workbook {

QString numberText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("#NUM!");
    if (value == 0.0)
        return QStringLiteral("0");
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return QString::number(static_cast<long long>(value));
    // The shortest digits that read back as the value, laid out as %g lays out that many digits.
    char buffer[40];
    const char* const end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
    const char* const e = std::find(static_cast<const char*>(buffer), end, 'e');
    const bool negative = buffer[0] == '-';
    char digits[20];
    int count = 0;
    for (const char* p = buffer + (negative ? 1 : 0); p != e; ++p) {
        if (*p != '.')
            digits[count++] = *p;
    }
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);
    if (count > 15) {
        // A value that needs more than 15 digits shows rounded to 15, as the spreadsheet shows it.
        const int length = std::snprintf(buffer, sizeof buffer, "%.15g", value);
        QString text = QString::fromLatin1(buffer, length);
        text.replace(QLatin1Char('e'), QLatin1Char('E'));
        return text;
    }
    if (exponent < -4 || exponent >= count) {
        QString text = QString::fromLatin1(buffer, end - buffer);
        text.replace(QLatin1Char('e'), QLatin1Char('E'));
        return text;
    }
    char fixed[40];
    char* out = fixed;
    if (negative)
        *out++ = '-';
    if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        out = std::fill_n(out, -exponent - 1, '0');
        out = std::copy(digits, digits + count, out);
    } else {
        out = std::copy(digits, digits + exponent + 1, out);
        if (count > exponent + 1) {
            *out++ = '.';
            out = std::copy(digits + exponent + 1, digits + count, out);
        }
    }
    return QString::fromLatin1(fixed, out - fixed);
}

QString dateText(double serial, bool date1904)
{
    if (!std::isfinite(serial) || serial < 0 || serial > 2958465.0)
        return numberText(serial);
    double days = std::floor(serial);
    long long minutes = std::llround((serial - days) * 24 * 60);
    if (minutes >= 24 * 60) {
        // A time that rounds up to midnight belongs to the next day.
        days += 1;
        minutes = 0;
    }
    QDate date;
    if (date1904) {
        date = QDate(1904, 1, 1).addDays(static_cast<qint64>(days));
    } else if (days == 60) {
        // The 1900 date system counts a 29 February 1900 that never was.
        return QStringLiteral("1900/2/29");
    } else if (days < 60) {
        date = QDate(1899, 12, 31).addDays(static_cast<qint64>(days));
    } else {
        date = QDate(1899, 12, 30).addDays(static_cast<qint64>(days));
    }
    QString text = QStringLiteral("%1/%2/%3").arg(date.year()).arg(date.month()).arg(date.day());
    if (minutes > 0)
        text += QStringLiteral(" %1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
    return text;
}

bool isDateFormat(int formatId, QStringView formatCode)
{
    if ((formatId >= 14 && formatId <= 22) || (formatId >= 27 && formatId <= 36) || (formatId >= 45 && formatId <= 47)
        || (formatId >= 50 && formatId <= 58))
        return true;
    bool inQuotes = false;
    bool inBrackets = false;
    bool escaped = false;
    for (const QChar c : formatCode) {
        if (escaped) {
            escaped = false;
            continue;
        }
        if (c == u'\\') {
            escaped = true;
        } else if (c == u'"') {
            inQuotes = !inQuotes;
        } else if (inQuotes) {
            continue;
        } else if (c == u'[') {
            inBrackets = true;
        } else if (c == u']') {
            inBrackets = false;
        } else if (!inBrackets) {
            const QChar l = c.toLower();
            if (l == u'y' || l == u'm' || l == u'd' || l == u'h' || l == u's')
                return true;
        }
    }
    return false;
}

} // namespace pelorin::workbook
