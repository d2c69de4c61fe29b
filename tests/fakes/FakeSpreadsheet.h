#pragma once

#include "platform/ISpreadsheet.h"

#include <QHash>
#include <QStringList>
#include <functional>

namespace pelorin::test {

// Workbooks scripted per path: the first sheet's cells, or the error that opening gives.
// A path with nothing scripted cannot be opened.
class FakeSpreadsheet : public ISpreadsheet
{
public:
    struct Book
    {
        QHash<QString, QString> cells; // "B2" -> text
        std::function<QString(const QString&)> cellFunction; // used instead of cells when set
        bool hasSheet = true;
        QString error; // when set, opening fails with it
    };

    bool isAvailable() const override { return available; }

    std::unique_ptr<IWorkbookDocument> open(const QString& path, QString* error) override
    {
        opened.append(path);
        const auto it = books.constFind(path);
        if (it == books.constEnd() || !it->error.isEmpty()) {
            if (error)
                *error = it == books.constEnd() ? QStringLiteral("文件不存在。") : it->error;
            return nullptr;
        }
        return std::make_unique<Document>(*it, cellReads);
    }

    // Column B from row 2 holds names, row 1 a heading.
    Book& setColumnB(const QString& path, const QStringList& names)
    {
        Book& book = books[path];
        book.cells.insert(QStringLiteral("B1"), QStringLiteral("名称"));
        for (qsizetype i = 0; i < names.size(); ++i)
            book.cells.insert(QStringLiteral("B%1").arg(i + 2), names.at(i));
        return book;
    }
    void setError(const QString& path, const QString& error) { books[path].error = error; }

    bool available = true;
    QHash<QString, Book> books;
    QStringList opened;
    int cellReads = 0;

private:
    class Sheet : public ISheet
    {
    public:
        Sheet(Book book, int& reads)
            : m_book(std::move(book))
            , m_reads(reads)
        {
        }
        QString cellText(const QString& a1) const override
        {
            ++m_reads;
            return m_book.cellFunction ? m_book.cellFunction(a1) : m_book.cells.value(a1);
        }
        bool setCellText(const QString& a1, const QString& text) override
        {
            m_book.cells.insert(a1, text);
            return true;
        }
        void autoFitColumns() override { }

    private:
        Book m_book;
        int& m_reads;
    };

    class Document : public IWorkbookDocument
    {
    public:
        Document(const Book& book, int& reads)
            : m_sheet(book, reads)
            , m_hasSheet(book.hasSheet)
        {
        }
        ISheet* firstSheet() override { return m_hasSheet ? &m_sheet : nullptr; }
        bool saveAs(const QString&, QString* error) override
        {
            if (error)
                *error = QStringLiteral("不支持保存。");
            return false;
        }

    private:
        Sheet m_sheet;
        bool m_hasSheet;
    };
};

} // namespace pelorin::test
