#include "platform/qt/QtSheetPdf.h"

#include "platform/SafeSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <memory>
#include <vector>

namespace pelorin {

namespace {

using record::RecordSheet;

constexpr int Dpi = 300;
constexpr double MarginMm = 18.0;

double mm(double millimetres)
{
    return millimetres * Dpi / 25.4;
}

QFont chineseFont(double points, bool bold = false)
{
    QFont font;
    // Faces found on Debian and on Windows; each has every character of the sheet. Noto Sans CJK comes
    // last: it shares glyphs between characters and their radicals (人 and ⼈), and text copied out of
    // the PDF would then read as radicals.
    font.setFamilies({ QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Microsoft YaHei"),
                       QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC") });
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont codeFont(double points)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(points);
    return font;
}

// One text broken into lines of a given width.
class Wrapped
{
public:
    Wrapped(const QString& text, const QFont& font, double width, QPaintDevice* device)
        : m_layout(std::make_unique<QTextLayout>(text, font, device))
    {
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_layout->setTextOption(option);
        m_layout->beginLayout();
        double y = 0;
        for (QTextLine line = m_layout->createLine(); line.isValid(); line = m_layout->createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        m_layout->endLayout();
        m_lineHeight = QFontMetricsF(font, device).lineSpacing();
    }

    int lines() const { return m_layout->lineCount(); }
    double lineHeight() const { return m_lineHeight; }
    // Draws line i with its top left corner at at.
    void drawLine(QPainter& painter, int i, QPointF at, Qt::Alignment alignment, double width) const
    {
        if (i >= lines())
            return;
        const QTextLine line = m_layout->lineAt(i);
        double x = at.x();
        if (alignment & Qt::AlignHCenter)
            x += (width - line.naturalTextWidth()) / 2;
        line.draw(&painter, QPointF(x, at.y() - line.y()));
    }

private:
    std::unique_ptr<QTextLayout> m_layout;
    double m_lineHeight = 0;
};

// Lays the sheet out page by page; paints only when given a painter, so the same pass also counts pages.
class SheetLayout
{
public:
    SheetLayout(QPdfWriter& writer, QPainter* painter, const RecordSheet& sheet, int totalPages)
        : m_writer(writer)
        , m_painter(painter)
        , m_sheet(sheet)
        , m_totalPages(totalPages)
    {
        const QRect page = writer.pageLayout().paintRectPixels(Dpi);
        m_width = page.width();
        m_footerHeight = QFontMetricsF(chineseFont(8), &writer).lineSpacing() * 1.6;
        m_bottom = page.height() - m_footerHeight;
        const double w = m_width;
        m_columns = { 0.0, w * 0.09, w * 0.60, w * 0.82, w };
    }

    int run()
    {
        paragraph(m_sheet.title, chineseFont(18, true), Qt::AlignHCenter, mm(3));
        for (const QString& line : m_sheet.subtitle)
            paragraph(line, chineseFont(10.5), Qt::AlignLeft, mm(1));
        space(mm(4));
        for (std::size_t s = 0; s < m_sheet.sections.size(); ++s) {
            const RecordSheet::Section& section = m_sheet.sections[s];
            // The signatures stay on the page of the list's end: the last row, or a last section's heading
            // when it has no rows, goes over to the next page with them rather than leave them alone there.
            const bool last = s + 1 == m_sheet.sections.size();
            const double tail = last ? tailHeight(section) : 0;
            double opening = lineOf(chineseFont(13, true)) + 3 * lineOf(chineseFont(10.5));
            if (last && section.rows.empty()) {
                opening = heightOf(section.heading, chineseFont(13, true), mm(1.5)) + tail;
                for (const QString& fact : section.facts)
                    opening += heightOf(fact, chineseFont(10.5), mm(0.8));
            }
            keepWith(opening);
            paragraph(section.heading, chineseFont(13, true), Qt::AlignLeft, mm(1.5));
            for (const QString& fact : section.facts)
                paragraph(fact, chineseFont(10.5), Qt::AlignLeft, mm(0.8));
            if (!section.rows.empty()) {
                space(mm(1.5));
                keepWith(2.5 * lineOf(chineseFont(10.5)) + lineOf(codeFont(7.5)));
                tableHeader();
                for (std::size_t r = 0; r < section.rows.size(); ++r)
                    tableRow(section.rows[r], r + 1 == section.rows.size() ? tail : 0);
                m_tableOpen = false;
            }
            if (!section.note.isEmpty())
                paragraph(section.note, chineseFont(10), Qt::AlignLeft, mm(0.8));
            space(mm(5));
        }
        keepWith(4 * lineOf(chineseFont(10.5)));
        for (int i = 0; i < m_sheet.closing.size(); ++i)
            paragraph(m_sheet.closing.at(i), closingFont(i), Qt::AlignLeft, mm(1.2));
        space(mm(8));
        keepWith(m_sheet.signatures.size() * mm(12));
        for (const QString& signature : m_sheet.signatures)
            signatureLine(signature);
        footer();
        return m_page;
    }

private:
    double lineOf(const QFont& font) const { return QFontMetricsF(font, &m_writer).lineSpacing(); }

    // The check code is set in the code font.
    QFont closingFont(int i) const { return i == 2 ? codeFont(10) : chineseFont(10.5); }

    // The height paragraph() takes for text, with the space after it.
    double heightOf(const QString& text, const QFont& font, double after) const
    {
        const Wrapped wrapped(text, font, m_width, &m_writer);
        return wrapped.lines() * wrapped.lineHeight() + after;
    }

    // Everything after the last section's list: its note, the closing paragraphs and the signature lines.
    double tailHeight(const RecordSheet::Section& last) const
    {
        double total = last.note.isEmpty() ? 0 : heightOf(last.note, chineseFont(10), mm(0.8));
        total += mm(5);
        for (int i = 0; i < m_sheet.closing.size(); ++i)
            total += heightOf(m_sheet.closing.at(i), closingFont(i), mm(1.2));
        return total + mm(8) + m_sheet.signatures.size() * mm(12);
    }

    void space(double height)
    {
        m_y += height;
        if (m_y > m_bottom)
            newPage();
    }

    // Starts a new page unless height fits below.
    void keepWith(double height)
    {
        if (m_y > 0 && m_y + height > m_bottom)
            newPage();
    }

    void newPage()
    {
        footer();
        if (m_painter)
            m_writer.newPage();
        ++m_page;
        m_y = 0;
        if (m_tableOpen)
            tableHeader();
    }

    void footer()
    {
        if (!m_painter)
            return;
        // A record sheet names its record by the check code; a sheet without one (摇号前公告) by its title.
        const QString code = m_sheet.closing.value(2).left(16);
        const QString named = code.isEmpty() ? m_sheet.title : QStringLiteral("随机抽查摇号记录  校验码 %1…").arg(code);
        const QString text = QStringLiteral("%1  第 %2 页 共 %3 页").arg(named).arg(m_page).arg(m_totalPages);
        m_painter->setPen(QColor(90, 90, 90));
        m_painter->setFont(chineseFont(8));
        m_painter->drawText(QRectF(0, m_bottom + m_footerHeight * 0.3, m_width, m_footerHeight * 0.7),
                            Qt::AlignHCenter | Qt::AlignBottom, text);
        m_painter->setPen(Qt::black);
    }

    void paragraph(const QString& text, const QFont& font, Qt::Alignment alignment, double after)
    {
        const Wrapped wrapped(text, font, m_width, &m_writer);
        for (int i = 0; i < wrapped.lines(); ++i) {
            if (m_y + wrapped.lineHeight() > m_bottom)
                newPage();
            if (m_painter)
                wrapped.drawLine(*m_painter, i, QPointF(0, m_y), alignment, m_width);
            m_y += wrapped.lineHeight();
        }
        space(after);
    }

    void tableHeader()
    {
        m_tableOpen = true;
        const QFont font = chineseFont(10, true);
        const double height = lineOf(font) * 1.3;
        if (m_painter) {
            m_painter->fillRect(QRectF(0, m_y, m_width, height), QColor(230, 230, 230));
            m_painter->setFont(font);
            for (int c = 0; c < 4; ++c)
                m_painter->drawText(QRectF(m_columns[c] + mm(1), m_y, m_columns[c + 1] - m_columns[c] - mm(2), height),
                                    Qt::AlignVCenter | Qt::AlignLeft, m_sheet.columns.value(c));
        }
        m_y += height;
    }

    // keepAfter: the height of what must stay on the row's page after it.
    void tableRow(const RecordSheet::Row& row, double keepAfter)
    {
        const QFont font = chineseFont(10.5);
        const QFont small = codeFont(7.5);
        std::vector<std::unique_ptr<Wrapped>> cells;
        const QString texts[] = { row.number, row.name, row.stopTime, row.sector };
        int lines = 1;
        for (int c = 0; c < 4; ++c) {
            cells.push_back(
                std::make_unique<Wrapped>(texts[c], font, m_columns[c + 1] - m_columns[c] - mm(2), &m_writer));
            lines = std::max(lines, cells.back()->lines());
        }
        const Wrapped detail(row.detail, small, m_width - m_columns[1] - mm(2), &m_writer);
        const double lineHeight = cells.front()->lineHeight();
        const double pad = mm(0.8);
        const double height = lines * lineHeight + detail.lines() * detail.lineHeight() + 2 * pad;
        // A row stays on one page unless it is taller than a page.
        if (keepAfter > 0 && height + keepAfter <= m_bottom * 0.8)
            keepWith(height + keepAfter);
        else if (height <= m_bottom * 0.8)
            keepWith(height);
        m_y += pad;
        for (int i = 0; i < lines; ++i) {
            if (m_y + lineHeight > m_bottom)
                newPage();
            if (m_painter)
                for (int c = 0; c < 4; ++c)
                    cells[static_cast<std::size_t>(c)]->drawLine(*m_painter, i, QPointF(m_columns[c] + mm(1), m_y),
                                                                 Qt::AlignLeft, 0);
            m_y += lineHeight;
        }
        if (m_painter)
            m_painter->setPen(QColor(80, 80, 80));
        for (int i = 0; i < detail.lines(); ++i) {
            if (m_y + detail.lineHeight() > m_bottom)
                newPage();
            if (m_painter)
                detail.drawLine(*m_painter, i, QPointF(m_columns[1] + mm(1), m_y), Qt::AlignLeft, 0);
            m_y += detail.lineHeight();
        }
        m_y += pad;
        if (m_painter) {
            m_painter->setPen(QPen(QColor(170, 170, 170), mm(0.15)));
            m_painter->drawLine(QPointF(0, m_y), QPointF(m_width, m_y));
            m_painter->setPen(Qt::black);
        }
    }

    void signatureLine(const QString& label)
    {
        const QFont font = chineseFont(12);
        const double height = mm(12);
        if (m_y + height > m_bottom)
            newPage();
        if (m_painter) {
            m_painter->setFont(font);
            // Every line starts where the widest label ends, so the three lines stand flush.
            double labelWidth = 0;
            for (const QString& any : m_sheet.signatures)
                labelWidth = std::max(labelWidth, QFontMetricsF(font, &m_writer).horizontalAdvance(any));
            const double base = m_y + height - mm(3);
            m_painter->drawText(QPointF(0, base), label);
            m_painter->setPen(QPen(Qt::black, mm(0.25)));
            m_painter->drawLine(QPointF(labelWidth + mm(2), base + mm(1)), QPointF(m_width * 0.6, base + mm(1)));
        }
        m_y += height;
    }

    QPdfWriter& m_writer;
    QPainter* m_painter;
    const RecordSheet& m_sheet;
    int m_totalPages;
    double m_width = 0;
    double m_bottom = 0;
    double m_footerHeight = 0;
    double m_y = 0;
    int m_page = 1;
    bool m_tableOpen = false;
    std::array<double, 5> m_columns {};
};

void setUp(QPdfWriter& writer)
{
    writer.setResolution(Dpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm), QPageLayout::Millimeter));
    writer.setTitle(QStringLiteral("随机抽查摇号记录"));
    writer.setCreator(QStringLiteral("Pelorin"));
}

} // namespace

bool QtSheetPdf::printPdf(const RecordSheet& sheet, const QString& path, QString* error)
{
    const auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    // Written beside the target and renamed into place, so a failure leaves no half-written sheet.
    files::SafeSave file(path);
    if (!file.open())
        return fail(file.error());
    {
        QPdfWriter writer(&file.device());
        setUp(writer);
        const int pages = SheetLayout(writer, nullptr, sheet, 0).run();
        QPainter painter;
        if (!painter.begin(&writer))
            return fail(QStringLiteral("无法生成PDF。"));
        SheetLayout(writer, &painter, sheet, pages).run();
        painter.end();
    }
    // Every write the PDF writer made went straight to the file; commit() finds any that failed.
    if (!file.commit())
        return fail(file.error());
    return true;
}

} // namespace pelorin
