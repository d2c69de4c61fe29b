#pragma once

#include "platform/Colour.h"
#include "platform/LogicalFont.h"

#include <QPointF>
#include <QRect>
#include <QString>

namespace pelorin {

// A persistent drawing surface addressed in pixels, y growing downwards: what is drawn stays until clear().
class IDrawingSurface
{
public:
    using FontHandle = int; // 0 is no font

    // Text alignment flags, combined with OR.
    enum TextAlign
    {
        AlignTop = 0,
        AlignLeft = 0,
        AlignRight = 2,
        AlignCenter = 6,
        AlignBottom = 8,
        AlignBaseline = 24
    };

    virtual ~IDrawingSurface() = default;

    // Fills the whole surface with the background colour and removes any clipping.
    virtual void clear() = 0;
    virtual void setFillSolid(bool solid) = 0;
    virtual void setFillColour(Colour colour) = 0;
    virtual void line(QPointF from, QPointF to, Colour colour) = 0;
    // Width in pixels of the lines and outlines drawn from now on; 1 unless set.
    virtual void setLineWidth(double /*width*/) { }
    // Circle outline in outlineColour; filled with the fill colour while the fill is solid.
    virtual void circle(QPointF centre, double radius, Colour outlineColour) = 0;

    // Creates a platform font from the record; the caller frees it with deleteFont.
    virtual FontHandle createFont(const LogicalFont& font) = 0;
    // Makes font the current one and returns the font it replaces.
    virtual FontHandle selectFont(FontHandle font) = 0;
    virtual void deleteFont(FontHandle font) = 0;
    virtual void setTextColour(Colour colour) = 0;
    virtual void setTextAlign(int flags) = 0;
    // Draws text with the current font, colour and alignment; the reference point is (x, y).
    virtual void textOut(int x, int y, const QString& text) = 0;
    // Restricts all later drawing to rect (in pixels) until clear().
    virtual void setClipRect(const QRect& rect) = 0;
    virtual int textWidth(const QString& text) const = 0;
    virtual int textHeight(const QString& text) const = 0;

    // Keeps a copy of everything drawn so far, so that later drawing can be taken back in one step.
    virtual void saveBackground() = 0;
    // Replaces the whole surface with the copy kept by saveBackground(); clears it when there is none.
    virtual void restoreBackground() = 0;

    // Brackets a long run of drawing calls that nobody looks at before endBatch(), so a surface may keep
    // its drawing tools open between them. Only a hint: without it every call still draws.
    virtual void beginBatch() { }
    virtual void endBatch() { }
};

} // namespace pelorin
