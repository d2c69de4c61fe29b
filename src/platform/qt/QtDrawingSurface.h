#pragma once

#include "platform/IDrawingSurface.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <functional>
#include <map>
#include <optional>

namespace pelorin {

// Paints into an image, so the drawing persists whatever covers the widget that shows it.
class QtDrawingSurface : public IDrawingSurface
{
public:
    explicit QtDrawingSurface(QSize size, Colour background = rgb(255, 255, 255));

    void clear() override;
    void setFillSolid(bool solid) override { m_fillSolid = solid; }
    void setFillColour(Colour colour) override { m_fillColour = colour; }
    void line(QPointF from, QPointF to, Colour colour) override;
    void setLineWidth(double width) override { m_lineWidth = width; }
    void circle(QPointF centre, double radius, Colour outlineColour) override;

    FontHandle createFont(const LogicalFont& font) override;
    FontHandle selectFont(FontHandle font) override;
    void deleteFont(FontHandle font) override;
    void setTextColour(Colour colour) override { m_textColour = colour; }
    void setTextAlign(int flags) override { m_align = flags; }
    void textOut(int x, int y, const QString& text) override;
    void setClipRect(const QRect& rect) override { m_clip = rect; }
    int textWidth(const QString& text) const override;
    int textHeight(const QString& text) const override;
    void saveBackground() override;
    void restoreBackground() override;
    void beginBatch() override;
    void endBatch() override;

    const QImage& image() const;
    // Called after every change, so a widget can repaint.
    void setOnChanged(std::function<void()> onChanged) { m_onChanged = std::move(onChanged); }
    // The QFont a font record turns into here, with the rotation it asks for in degrees (clockwise on screen).
    static QFont toQFont(const LogicalFont& font);
    static QColor toQColor(Colour colour);

private:
    struct SelectedFont
    {
        QFont font;
        double rotation = 0; // degrees, clockwise on screen
    };
    const SelectedFont& current() const;
    void changed();

    QImage m_image;
    Colour m_background;
    bool m_fillSolid = false;
    double m_lineWidth = 1;
    Colour m_fillColour = 0;
    Colour m_textColour = 0;
    int m_align = 0;
    QRect m_clip;
    std::map<FontHandle, SelectedFont> m_fonts;
    FontHandle m_current = 1;
    FontHandle m_nextHandle = 2;
    std::function<void()> m_onChanged;
    QImage m_saved;
    class Painting;
    bool m_batching = false;
    bool m_changedInBatch = false;
    mutable std::optional<QPainter> m_painter; // open only during a batch
    std::optional<LogicalFont> m_lastRecord; // upright
    QFont m_lastFont;
    bool plotLine(QPointF from, QPointF to, Colour colour);
};

} // namespace pelorin
