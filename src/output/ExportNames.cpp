#include "output/ExportNames.h"

#include "lists/ImportPaths.h"

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
    return QStringLiteral("文件名称不能包含以下字符：\\ / : * ? \" < > |");
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

QString suggestedAllFileName(const QDateTime& now)
{
    return QStringLiteral("摇号导出（全部）名单_") + importpaths::stampOf(now) + QStringLiteral(".xlsx");
}

} // namespace pelorin::exportnames
