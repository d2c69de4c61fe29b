#include "platform/qt/QtDrawingSurface.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace pelorin {

QtDrawingSurface::QtDrawingSurface(QSize size, Colour background)
    : m_image(size, QImage::Format_ARGB32_Premultiplied)
    , m_background(background)
{
    SelectedFont stock;
    stock.font = QFont(QStringLiteral("宋体"));
    stock.font.setPixelSize(12);
    m_fonts.emplace(1, stock);
    m_image.fill(toQColor(background));
}

QColor QtDrawingSurface::toQColor(Colour colour)
{
    return QColor(redOf(colour), greenOf(colour), blueOf(colour));
}

QFont QtDrawingSurface::toQFont(const LogicalFont& font)
{
    QFont q(font.faceName.isEmpty() ? QStringLiteral("Arial") : font.faceName);
    // A positive height is the character cell, a negative one the character height without leading.
    q.setPixelSize(std::max(1, std::abs(font.height == 0 ? 12 : font.height)));
    q.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight == 0 ? 400 : font.weight, 100, 900)));
    q.setItalic(font.italic != 0);
    q.setUnderline(font.underline != 0);
    q.setStrikeOut(font.strikeOut != 0);
    if (font.width > 0) {
        const int natural = QFontMetrics(q).averageCharWidth();
        if (natural > 0)
            q.setStretch(std::clamp(font.width * 100 / natural, 1, 4000));
    }
    return q;
}

const QtDrawingSurface::SelectedFont& QtDrawingSurface::current() const
{
    const auto it = m_fonts.find(m_current);
    return it != m_fonts.end() ? it->second : m_fonts.at(1);
}

void QtDrawingSurface::changed()
{
    if (m_onChanged)
        m_onChanged();
}

void QtDrawingSurface::clear()
{
    m_image.fill(toQColor(m_background));
    m_clip = QRect();
    changed();
}

void QtDrawingSurface::line(QPointF from, QPointF to, Colour colour)
{
    QPainter p(&m_image);
    if (m_clip.isValid())
        p.setClipRect(m_clip);
    p.setPen(QPen(toQColor(colour), 1));
    p.drawLine(from, to);
    changed();
}

void QtDrawingSurface::circle(QPointF centre, double radius, Colour outlineColour)
{
    QPainter p(&m_image);
    if (m_clip.isValid())
        p.setClipRect(m_clip);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(toQColor(outlineColour), 1));
    p.setBrush(m_fillSolid ? QBrush(toQColor(m_fillColour)) : QBrush(Qt::NoBrush));
    p.drawEllipse(centre, radius, radius);
    changed();
}

IDrawingSurface::FontHandle QtDrawingSurface::createFont(const LogicalFont& font)
{
    SelectedFont selected;
    selected.font = toQFont(font);
    // Escapement counts tenths of a degree counter-clockwise; Qt turns clockwise on screen.
    selected.rotation = -font.escapement / 10.0;
    const FontHandle handle = m_nextHandle++;
    m_fonts.emplace(handle, selected);
    return handle;
}

IDrawingSurface::FontHandle QtDrawingSurface::selectFont(FontHandle font)
{
    const FontHandle previous = m_current;
    if (m_fonts.count(font))
        m_current = font;
    return previous;
}

void QtDrawingSurface::deleteFont(FontHandle font)
{
    // The stock font and the selected one stay, as a device context keeps a selected font alive.
    if (font != 1 && font != m_current)
        m_fonts.erase(font);
}

void QtDrawingSurface::textOut(int x, int y, const QString& text)
{
    const SelectedFont& selected = current();
    QPainter p(&m_image);
    if (m_clip.isValid())
        p.setClipRect(m_clip);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(selected.font);
    p.setPen(toQColor(m_textColour));
    const QFontMetrics metrics(selected.font);
    // The alignment names which point of the text sits on (x, y); the text turns about that point.
    double dx = 0;
    const int horizontal = m_align & 6;
    if (horizontal == AlignCenter)
        dx = -metrics.horizontalAdvance(text) / 2.0;
    else if (horizontal == AlignRight)
        dx = -metrics.horizontalAdvance(text);
    double baseline = metrics.ascent();
    if ((m_align & AlignBaseline) == AlignBaseline)
        baseline = 0;
    else if (m_align & AlignBottom)
        baseline = -metrics.descent();
    p.translate(x, y);
    p.rotate(selected.rotation);
    p.drawText(QPointF(dx, baseline), text);
    changed();
}

int QtDrawingSurface::textWidth(const QString& text) const
{
    return QFontMetrics(current().font).horizontalAdvance(text);
}

int QtDrawingSurface::textHeight(const QString&) const
{
    return QFontMetrics(current().font).height();
}

void QtDrawingSurface::restoreBackground()
{
    if (m_saved.isNull())
        m_image.fill(toQColor(m_background));
    else
        m_image = m_saved; // shared until the next painting detaches it
    changed();
}

} // namespace pelorin
