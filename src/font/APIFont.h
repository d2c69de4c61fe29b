#pragma once

#include "platform/IDrawingSurface.h"

#include <QString>
#include <cstdint>

namespace pelorin {

// Draws text on a surface with a font described field by field, most of all at an angle.
// Use: set the properties, SelectFont, then FontOut or CharPlace any number of times, then SelectOrg.
class APIFont
{
public:
    static constexpr int FaceNameLength = 50;

    APIFont();

    // Clipped output: clips the surface to twice the text's extent at (x, Y) and leaves that clipping in force.
    void CharPlace(IDrawingSurface& o, const QString& txt, double x, double Y);
    // Each flag counts when set; later flags win within the vertical and within the horizontal group.
    void SetAlign(IDrawingSurface& o, bool Top, bool BaseLine, bool Bottom, bool Left, bool Center, bool Right);
    void setcolor(IDrawingSurface& o, Colour Cvalue);
    // Puts the surface's earlier font back and frees the font made by SelectFont.
    void SelectOrg(IDrawingSurface& o);
    // Makes a font from the record and selects it into the surface, remembering the surface's font.
    void SelectFont(IDrawingSurface& o);
    void FontOut(const QString& text, IDrawingSurface& o, double XX, double YY);

    std::int32_t Width() const { return m_record.width; }
    void setWidth(std::int32_t w) { m_record.width = w; }
    std::int32_t Height() const { return m_record.height; }
    void setHeight(std::int32_t vNewValue) { m_record.height = vNewValue; }
    std::int32_t Escapement() const { return m_record.escapement; }
    void setEscapement(std::int32_t vNewValue) { m_record.escapement = vNewValue; }
    std::int32_t Weight() const { return m_record.weight; }
    void setWeight(std::int32_t vNewValue) { m_record.weight = vNewValue; }
    std::uint8_t Italic() const { return m_record.italic; }
    void setItalic(std::uint8_t vNewValue) { m_record.italic = vNewValue; }
    std::uint8_t UnderLine() const { return m_record.underline; }
    void setUnderLine(std::uint8_t vNewValue) { m_record.underline = vNewValue; }
    std::uint8_t StrikeOut() const { return m_record.strikeOut; }
    void setStrikeOut(std::uint8_t vNewValue) { m_record.strikeOut = vNewValue; }
    // All 50 characters of the face name field, NUL and blanks included.
    QString FaceName() const { return m_faceName; }
    // Stores the text left-aligned in the field, padded with blanks or cut to 50 characters, no NUL added.
    void setFaceName(const QString& vNewValue);

    // The record as handed to the surface (face name up to its first NUL).
    LogicalFont record() const;
    IDrawingSurface::FontHandle fontHandle() const { return m_fontHandle; }
    IDrawingSurface::FontHandle previousFont() const { return m_previousFont; }

private:
    LogicalFont m_record;
    QString m_faceName;
    IDrawingSurface::FontHandle m_fontHandle = 0;
    IDrawingSurface::FontHandle m_previousFont = 0;
};

} // namespace pelorin
