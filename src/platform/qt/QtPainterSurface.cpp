#include "platform/qt/QtPainterSurface.h"

#include "platform/qt/QtDrawingSurface.h"

#include <QFontMetrics>
#include <QPainter>

namespace pelorin {

QtPainterSurface::QtPainterSurface(QPainter& painter)
    : m_painter(painter)
{
}

void QtPainterSurface::line(QPointF from, QPointF to, Colour colour)
{
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setPen(QPen(QtDrawingSurface::toQColor(colour), m_lineWidth));
    m_painter.drawLine(from, to);
}

void QtPainterSurface::circle(QPointF centre, double radius, Colour outlineColour)
{
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setPen(QPen(QtDrawingSurface::toQColor(outlineColour), m_lineWidth));
    m_painter.setBrush(m_fillSolid ? QBrush(QtDrawingSurface::toQColor(m_fillColour)) : QBrush(Qt::NoBrush));
    m_painter.drawEllipse(centre, radius, radius);
}

IDrawingSurface::FontHandle QtPainterSurface::createFont(const LogicalFont& font)
{
    m_font = QtDrawingSurface::toQFont(font);
    return 1;
}

IDrawingSurface::FontHandle QtPainterSurface::selectFont(FontHandle)
{
    return 1;
}

void QtPainterSurface::textOut(int x, int y, const QString& text)
{
    m_painter.setFont(m_font);
    m_painter.setPen(QtDrawingSurface::toQColor(m_textColour));
    m_painter.drawText(QPointF(x, y + QFontMetrics(m_font).ascent()), text);
}

void QtPainterSurface::setClipRect(const QRect& rect)
{
    m_painter.setClipRect(rect);
}

int QtPainterSurface::textWidth(const QString& text) const
{
    return QFontMetrics(m_font).horizontalAdvance(text);
}

int QtPainterSurface::textHeight(const QString&) const
{
    return QFontMetrics(m_font).height();
}

} // namespace pelorin
