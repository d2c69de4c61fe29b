#pragma once

#include <QString>
#include <optional>

namespace pelorin {

struct AppContext;

// 摇号记录: writes the draw record of the session and its printable sheet, and opens the sheet.
class RecordExport
{
public:
    explicit RecordExport(AppContext& context);

    // Beside the last candidate workbook, or where a save dialog says when nothing was imported.
    void writeRecord();
    // Into folder, without asking (the demo); the paths written, or nullopt after telling the user why not.
    std::optional<QString> writeRecordInto(const QString& folder);

private:
    // The record's path; dialogAsked tells that a save dialog chose it and asked about replacing it.
    std::optional<QString> recordPath(bool& dialogAsked);
    std::optional<QString> write(const QString& recordPath);
    // "文件已存在，是否覆盖？" with No as the default; true for Yes.
    bool confirmOverwrite(const QString& path);
    void tell(const QString& text);

    AppContext& m_context;
};

} // namespace pelorin
