#pragma once

#include "platform/IDrawingSurface.h"

#include <QList>
#include <QMap>

namespace pelorin::test {

// Records every drawing call; measures text as 8 units per character, 12 high.
class RecordingSurface : public IDrawingSurface
{
public:
    struct Call
    {
        QString op; // "clear", "line", "circle", "text", "clip", "fill", "fillColour", "textColour", "align",
                    // "save", "restore"
        QPointF a;
        QPointF b;
        double radius = 0;
        Colour colour = 0;
        QString text;
        QRect rect;
        LogicalFont font; // current font, for "text"
        int align = 0;
        bool fillSolid = false;
        Colour fillColour = 0;
    };

    void clear() override
    {
        calls.append(make(QStringLiteral("clear")));
        clip = QRect();
    }
    void setFillSolid(bool solid) override { m_fillSolid = solid; }
    void setFillColour(Colour colour) override { m_fillColour = colour; }
    void line(QPointF from, QPointF to, Colour colour) override
    {
        Call c = make(QStringLiteral("line"));
        c.a = from;
        c.b = to;
        c.colour = colour;
        calls.append(c);
    }
    void circle(QPointF centre, double radius, Colour outlineColour) override
    {
        Call c = make(QStringLiteral("circle"));
        c.a = centre;
        c.radius = radius;
        c.colour = outlineColour;
        calls.append(c);
    }
    FontHandle createFont(const LogicalFont& font) override
    {
        const FontHandle h = m_nextHandle++;
        fonts.insert(h, font);
        ++created;
        return h;
    }
    FontHandle selectFont(FontHandle font) override
    {
        const FontHandle previous = current;
        current = font;
        return previous;
    }
    void deleteFont(FontHandle font) override
    {
        if (fonts.remove(font))
            ++deleted;
    }
    void setTextColour(Colour colour) override { textColour = colour; }
    void setTextAlign(int flags) override { align = flags; }
    void textOut(int x, int y, const QString& text) override
    {
        Call c = make(QStringLiteral("text"));
        c.a = QPointF(x, y);
        c.text = text;
        c.font = fonts.value(current);
        c.colour = textColour;
        c.align = align;
        c.rect = clip;
        calls.append(c);
    }
    void setClipRect(const QRect& rect) override { clip = rect; }
    int textWidth(const QString& text) const override { return 8 * static_cast<int>(text.size()); }
    int textHeight(const QString&) const override { return 12; }
    void saveBackground() override { calls.append(make(QStringLiteral("save"))); }
    void restoreBackground() override { calls.append(make(QStringLiteral("restore"))); }

    QList<Call> callsOf(const QString& op) const
    {
        QList<Call> result;
        for (const auto& c : calls)
            if (c.op == op)
                result.append(c);
        return result;
    }

    QList<Call> calls;
    QMap<FontHandle, LogicalFont> fonts;
    FontHandle current = 1; // the surface's own font
    int created = 0;
    int deleted = 0;
    Colour textColour = 0;
    int align = 0;
    QRect clip;

private:
    Call make(const QString& op) const
    {
        Call c;
        c.op = op;
        c.fillSolid = m_fillSolid;
        c.fillColour = m_fillColour;
        return c;
    }
    bool m_fillSolid = false;
    Colour m_fillColour = 0;
    FontHandle m_nextHandle = 100;
};

} // namespace pelorin::test
