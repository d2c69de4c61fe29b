#pragma once

#include "platform/IDrawingSurface.h"

#include <QFont>

class QPainter;

namespace pelorin {

// Draws straight through a painter that someone else holds open, such as a widget's paint event: it keeps
// nothing, so there is no background to save or restore, and fonts come upright in the one face asked for last.
class QtPainterSurface : public IDrawingSurface
{
public:
    explicit QtPainterSurface(QPainter& painter);

    void clear() override { }
    void setFillSolid(bool solid) override { m_fillSolid = solid; }
    void setFillColour(Colour colour) override { m_fillColour = colour; }
    void line(QPointF from, QPointF to, Colour colour) override;
    void setLineWidth(double width) override { m_lineWidth = width; }
    void circle(QPointF centre, double radius, Colour outlineColour) override;
    FontHandle createFont(const LogicalFont& font) override;
    FontHandle selectFont(FontHandle font) override;
    void deleteFont(FontHandle) override { }
    void setTextColour(Colour colour) override { m_textColour = colour; }
    void setTextAlign(int) override { }
    void textOut(int x, int y, const QString& text) override;
    void setClipRect(const QRect& rect) override;
    int textWidth(const QString& text) const override;
    int textHeight(const QString& text) const override;
    void saveBackground() override { }
    void restoreBackground() override { }

private:
    QPainter& m_painter;
    bool m_fillSolid = false;
    Colour m_fillColour = 0;
    Colour m_textColour = 0;
    double m_lineWidth = 1;
    QFont m_font;
};

} // namespace pelorin
