#pragma once

#include "model/Categories.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace pelorin {

struct AppContext;

// Writes result lists into a copy of the template workbook, saves it and opens it.
class WorkbookExport
{
public:
    explicit WorkbookExport(AppContext& context);

    void exportCategory(Category i); // 导出
    void exportAll(); // 一键导出（本轮所有的）摇号结果
    void openTemplateDownload(); // Excel模板下载

    // Folders searched for the template, in order: the program's own, then the installed data folder.
    QStringList templateFolders() const;

    // A cell reference and its text, in writing order.
    using Cells = std::vector<std::pair<QString, QString>>;

    // Writes cells into a copy of the template templateBase.xlsx (or .xls), saved as fileName beside the imported
    // candidate workbook when there is one, else where the save dialog says; then opens it. what names the
    // contents in the messages ("摇号结果").
    void exportTable(const QString& fileName, const QString& templateBase, const QString& what, const Cells& cells);

private:
    std::optional<QString> categoryPath(Category i);
    std::optional<QString> allPath();
    std::optional<QString> askSavePath(const QString& suggestedName, const QString& what = QStringLiteral("摇号结果"));
    bool confirmOverwrite(const QString& path);
    std::optional<QString> findTemplate(const QString& outputPath, const QString& templateBase);
    // Fills a copy of the template with cells, saves it under path and opens it; reports every failure.
    void write(const QString& path, const Cells& cells, const QString& templateBase = QStringLiteral("export"),
               const QString& what = QStringLiteral("摇号结果"));
    void reportFailure(const QString& path, const QString& reason);

    AppContext& m_context;
};

} // namespace pelorin
