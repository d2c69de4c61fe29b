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
    std::optional<QString> recordPath();
    std::optional<QString> write(const QString& recordPath);
    bool confirmOverwrite(const QString& path);
    void tell(const QString& text);

    AppContext& m_context;
};

} // namespace pelorin
