#include "model/NameText.h"

#include <QSet>

namespace pelorin {

namespace {

bool isInvisible(char32_t c)
{
    if (c == U' ')
        return false;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Separator_Space:
        return true;
    default:
        return false;
    }
}

template <typename Each> void forEachCodePoint(const QString& text, Each&& each)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            each(QChar::surrogateToUcs4(c, text.at(i + 1)), i, 2);
            ++i;
        } else {
            each(char32_t(c.unicode()), i, 1);
        }
    }
}

} // namespace

bool hasInvisibleCharacters(const QString& name)
{
    bool found = false;
    for (const QChar c : name)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && !c.isSurrogate() && isInvisible(c.unicode())))
            return true;
    // Past the basic plane only format characters (tags, musical formatting) can hide.
    forEachCodePoint(name,
                     [&found](char32_t c, qsizetype, qsizetype) { found = found || (c > 0xFFFF && isInvisible(c)); });
    return found;
}

QString withInvisibleShown(const QString& name)
{
    QString shown;
    forEachCodePoint(name, [&](char32_t c, qsizetype at, qsizetype length) {
        if (isInvisible(c))
            shown += QStringLiteral("<U+%1>").arg(QString::number(uint(c), 16).toUpper().rightJustified(4, u'0'));
        else
            shown += QStringView(name).mid(at, length);
    });
    return shown;
}

QString withoutInvisible(const QString& name)
{
    if (!hasInvisibleCharacters(name))
        return name;
    QString seen;
    forEachCodePoint(name, [&](char32_t c, qsizetype at, qsizetype length) {
        if (!isInvisible(c))
            seen += QStringView(name).mid(at, length);
    });
    return seen;
}

QStringList invisibleNamesShown(const QStringList& names, int limit)
{
    QStringList shown;
    QSet<QString> seen;
    for (const QString& name : names) {
        if (shown.size() >= limit)
            break;
        if (!seen.contains(name) && hasInvisibleCharacters(name)) {
            seen.insert(name);
            shown.append(withInvisibleShown(name));
        }
    }
    return shown;
}

} // namespace pelorin
