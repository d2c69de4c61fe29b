#include "font/APIFont.h"

#include "model/NumberConversion.h"

#include <cmath>

namespace pelorin {

namespace {

int toUnits(double value)
{
    return static_cast<int>(roundHalfEven(value));
}

} // namespace

APIFont::APIFont()
{
    m_record.height = 15;
    m_record.width = 5;
    m_record.escapement = 0;
    m_record.orientation = 0;
    m_record.weight = 400;
    // "Arial", its terminating NUL, then blanks to the end of the field.
    m_faceName = QStringLiteral("Arial") + QChar(0);
    m_faceName += QString(FaceNameLength - m_faceName.size(), QLatin1Char(' '));
}

void APIFont::setFaceName(const QString& vNewValue)
{
    m_faceName = vNewValue.left(FaceNameLength);
    m_faceName += QString(FaceNameLength - m_faceName.size(), QLatin1Char(' '));
}

LogicalFont APIFont::record() const
{
    LogicalFont font = m_record;
    const qsizetype nul = m_faceName.indexOf(QChar(0));
    // Without a NUL the whole field is the name; the blanks that pad it are no part of a face.
    font.faceName = nul >= 0 ? m_faceName.left(nul) : m_faceName.trimmed();
    return font;
}

void APIFont::CharPlace(IDrawingSurface& o, const QString& txt, double x, double Y)
{
    const int left = toUnits(x);
    const int top = toUnits(Y);
    const int right = toUnits(x + 2.0 * o.textWidth(txt));
    const int bottom = toUnits(Y + 2.0 * o.textHeight(txt));
    o.setClipRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
    o.textOut(left, top, txt);
}

void APIFont::SetAlign(IDrawingSurface& o, bool Top, bool BaseLine, bool Bottom, bool Left, bool Center, bool Right)
{
    int vertical = 0;
    if (Top)
        vertical = IDrawingSurface::AlignTop;
    if (BaseLine)
        vertical = IDrawingSurface::AlignBaseline;
    if (Bottom)
        vertical = IDrawingSurface::AlignBottom;
    int horizontal = 0;
    if (Left)
        horizontal = IDrawingSurface::AlignLeft;
    if (Center)
        horizontal = IDrawingSurface::AlignCenter;
    if (Right)
        horizontal = IDrawingSurface::AlignRight;
    o.setTextAlign(vertical | horizontal);
}

void APIFont::setcolor(IDrawingSurface& o, Colour Cvalue)
{
    o.setTextColour(Cvalue);
}

void APIFont::SelectOrg(IDrawingSurface& o)
{
    if (m_previousFont == 0)
        return; // nothing was selected, so there is nothing to put back
    m_fontHandle = o.selectFont(m_previousFont);
    o.deleteFont(m_fontHandle);
    m_previousFont = 0;
}

void APIFont::SelectFont(IDrawingSurface& o)
{
    m_fontHandle = o.createFont(record());
    m_previousFont = o.selectFont(m_fontHandle);
}

void APIFont::FontOut(const QString& text, IDrawingSurface& o, double XX, double YY)
{
    o.textOut(toUnits(XX), toUnits(YY), text);
}

} // namespace pelorin
