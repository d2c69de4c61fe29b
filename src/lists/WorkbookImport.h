#pragma once

#include "model/Categories.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace pelorin {

struct AppContext;
class ISheet;
class ISpreadsheet;

// Fills a candidate or history list from column B of a workbook's first worksheet.
class WorkbookImport
{
public:
    explicit WorkbookImport(AppContext& context);

    void importCandidates(Category i); // 提供…名单
    void importHistory(Category i); // 导入历史摇中名单

    // A workbook's columns as the import reads them, and the workbook they came from.
    struct Columns
    {
        QString fileName;
        QString sha256; // of the workbook's bytes; empty when they could not be read again
        QList<QStringList> columns;
    };
    // Shows the file dialog where the candidate lists were last imported from, and reads the given columns
    // ('A', 'B', …) of the chosen workbook's first worksheet as namesOf does, with the import's messages.
    // nullopt when cancelled or after telling the user why the workbook could not be read.
    std::optional<Columns> chooseColumns(const QList<char16_t>& columns);

    // What reading a workbook gives: the columns asked for, and the SHA-256 of the file as fingerprintOf takes it.
    struct Read
    {
        QList<QStringList> columns;
        std::optional<QString> sha256;
    };
    // Opens the workbook at path and reads the given columns of its first worksheet as namesOf does; nullopt with
    // the reason for the user in refusal when it cannot be opened, has no worksheet or a column is refused.
    static std::optional<Read> readWorkbook(ISpreadsheet& spreadsheet, const QString& path,
                                            const QList<char16_t>& columns, QString* refusal);

    static constexpr int FirstRow = 2;
    static constexpr int LastRow = 100000;
    static constexpr int MaxNames = 32767;

    // The texts of a column (B unless told) from FirstRow down to the first empty cell. nullopt, with the reason for
    // the user in refusal, when there are more than MaxNames or when the cell that ends them is a formula saved without
    // its result: the names would end there only because the workbook does not hold them.
    static std::optional<QStringList> namesOf(const ISheet& sheet, QString* refusal = nullptr, char16_t column = u'B');
    // The SHA-256 of a file's bytes as 64 lower-case hexadecimal digits, as the command's record notes the
    // workbook; nullopt when the file cannot be read.
    static std::optional<QString> fingerprintOf(const QString& path);

private:
    struct Chosen
    {
        QString path;
        QString folder;
        QString fileName;
    };

    // Shows the file dialog in the folder remembered under keyPath; nullopt when cancelled.
    std::optional<Chosen> choose(const QString& keyPath);
    // The names of each column and the file's fingerprint, or nullopt after telling the user why the workbook could
    // not be read.
    std::optional<Read> readColumns(const Chosen& chosen, const QList<char16_t>& columns);
    // Notes the workbook's file name and the SHA-256 of its bytes for the command's record.
    void noteSource(const Chosen& chosen, const std::optional<QString>& sha256);
    QString rememberedFolder(const QString& keyPath);
    void rememberFolder(const QString& keyPath, const QString& folder);

    AppContext& m_context;
};

} // namespace pelorin
