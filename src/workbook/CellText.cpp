#include "workbook/CellText.h"

#include <QDate>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace pelorin::workbook {

QString numberText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("#NUM!");
    if (value == 0.0)
        return QStringLiteral("0");
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return QString::number(static_cast<long long>(value));
    char buffer[40];
    for (int precision = 1; precision <= 15; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
        if (std::strtod(buffer, nullptr) == value)
            break;
    }
    QString text = QString::fromLatin1(buffer);
    text.replace(QLatin1String("e"), QLatin1String("E"));
    return text;
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
