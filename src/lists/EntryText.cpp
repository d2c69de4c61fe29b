#include "lists/EntryText.h"

namespace pelorin {

namespace {

constexpr int MarkerTrimRounds = 50;

QString trimSpaces(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

} // namespace

std::optional<QStringList> splitEntryText(const QString& text)
{
    QString s = trimSpaces(text);
    if (s.isEmpty())
        return std::nullopt;

    const QString marker = entryLineMarker();
    s.replace(QStringLiteral("\r\n"), marker);
    // Only U+0020 goes: an ideographic space may be part of a name.
    s.remove(u' ');
    // A bare LF is not a line break here: the lines it separates run together. A lone CR stays.
    for (const char16_t c : { u'\t', u'\b', u'\v', u'\n', u'\0' })
        s.remove(QChar(c));
    if (s.isEmpty())
        return std::nullopt;

    // Blank lines at the ends are dropped, but at most this many at each end, and the text is never trimmed
    // down to nothing: a lone line break stays as two empty names.
    for (int round = 0; round < MarkerTrimRounds; ++round) {
        if (s.size() > marker.size() && s.startsWith(marker))
            s.remove(0, marker.size());
        if (s.size() > marker.size() && s.endsWith(marker))
            s.chop(marker.size());
    }

    return s.split(marker, Qt::KeepEmptyParts);
}

} // namespace pelorin
