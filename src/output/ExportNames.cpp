#include "output/ExportNames.h"

#include "lists/ImportPaths.h"

#include <algorithm>

namespace pelorin::exportnames {

QString headingOf(const QString& categoryName)
{
    return categoryName + QStringLiteral("名单：");
}

bool isValidFileName(const QString& name)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    bool onlyDots = !name.isEmpty();
    for (const QChar c : name) {
        if (forbidden.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
        if (c != u'.')
            onlyDots = false;
    }
    return !onlyDots;
}

QString invalidFileNameMessage()
{
    return QStringLiteral("文件名称不能包含以下字符：\\ / : * ? \" < > |，不能包含控制字符（如换行、制表符），"
                          "也不能只由句点组成。");
}

QString exportAllPathOf(const QString& folder, const QString& tail, const QString& typedName,
                        const QString& categoryName, const QString& stamp, const QString& extension)
{
    const QString separator = tail.isEmpty() ? QStringLiteral("/") : tail.left(1);
    return folder + separator + typedName + QStringLiteral("_摇号导出（") + categoryName + QStringLiteral("）名单_")
        + stamp + QLatin1Char('.') + extension;
}

QString suggestedCategoryFileName(const QString& categoryName, const QDateTime& now)
{
    return categoryName + QStringLiteral("_摇号导出（") + categoryName + QStringLiteral("）名单_")
        + importpaths::stampOf(now) + QStringLiteral(".xlsx");
}

QString suggestedAllFileName(const QString& typedName, const QString& categoryName, const QDateTime& now)
{
    return typedName + QStringLiteral("_摇号导出（") + categoryName + QStringLiteral("）名单_")
        + importpaths::stampOf(now) + QStringLiteral(".xlsx");
}

QString withWorkbookExtension(const QString& path, const QString& selectedFilter)
{
    const int slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    const int dot = path.lastIndexOf(u'.');
    const QString suffix = dot > slash ? path.mid(dot + 1).toLower() : QString();
    if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("xls"))
        return path;
    const bool legacy = selectedFilter.contains(QLatin1String("*.xls)"));
    return path + (legacy ? QStringLiteral(".xls") : QStringLiteral(".xlsx"));
}

} // namespace pelorin::exportnames
