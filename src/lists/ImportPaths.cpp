#include "lists/ImportPaths.h"

namespace pelorin::importpaths {

QString trimSpaces(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

QString folderOf(const QString& path, const QString& bareName)
{
    // Counting the bare name's length, rather than looking for a separator, serves "\" and "/" alike.
    return path.left(qMax<qsizetype>(0, path.size() - bareName.size() - 1));
}

QString tailOf(const QString& path, const QString& folder)
{
    return path.mid(folder.size());
}

QString stampOf(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyyMMddHHmmss"));
}

QString extensionOf(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : fileName.mid(dot + 1);
}

QString exportPathOf(const QString& folder, const QString& tail, const QString& categoryName, const QString& stamp,
                     const QString& extension)
{
    const qsizetype dot = tail.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? tail : tail.left(dot);
    return folder + stem + QStringLiteral("_摇号导出（") + categoryName + QStringLiteral("）名单_") + stamp
        + QLatin1Char('.') + extension;
}

} // namespace pelorin::importpaths
