#include "platform/qt/QtDrawingSurface.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

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

namespace {

bool sameFont(const LogicalFont& a, const LogicalFont& b)
{
    return a.height == b.height && a.width == b.width && a.escapement == b.escapement && a.orientation == b.orientation
        && a.weight == b.weight && a.italic == b.italic && a.underline == b.underline && a.strikeOut == b.strikeOut
        && a.charSet == b.charSet && a.outPrecision == b.outPrecision && a.clipPrecision == b.clipPrecision
        && a.quality == b.quality && a.pitchAndFamily == b.pitchAndFamily && a.faceName == b.faceName;
}

} // namespace

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
    if (m_batching) {
        m_changedInBatch = true;
        return;
    }
    if (m_onChanged)
        m_onChanged();
}

// A painter for one drawing call: its own, or the one kept open through a batch, whose state the call
// must leave as it found it. Beginning a painter on an image costs more than most single calls.
class QtDrawingSurface::Painting
{
public:
    explicit Painting(QtDrawingSurface& surface)
        : m_surface(surface)
    {
        if (surface.m_batching) {
            if (!surface.m_painter)
                surface.m_painter.emplace(&surface.m_image);
            m_painter = &*surface.m_painter;
            m_painter->save();
        } else {
            m_painter = &m_own.emplace(&surface.m_image);
        }
        if (surface.m_clip.isValid())
            m_painter->setClipRect(surface.m_clip);
    }
    ~Painting()
    {
        if (!m_own)
            m_painter->restore();
        m_own.reset();
        m_surface.changed();
    }
    Painting(const Painting&) = delete;
    Painting& operator=(const Painting&) = delete;
    QPainter* operator->() { return m_painter; }

private:
    QtDrawingSurface& m_surface;
    std::optional<QPainter> m_own;
    QPainter* m_painter = nullptr;
};

const QImage& QtDrawingSurface::image() const
{
    m_painter.reset();
    return m_image;
}

void QtDrawingSurface::beginBatch()
{
    m_batching = true;
}

void QtDrawingSurface::endBatch()
{
    m_painter.reset();
    m_batching = false;
    if (m_changedInBatch) {
        m_changedInBatch = false;
        changed();
    }
}

void QtDrawingSurface::clear()
{
    m_painter.reset();
    m_image.fill(toQColor(m_background));
    m_clip = QRect();
    changed();
}

void QtDrawingSurface::line(QPointF from, QPointF to, Colour colour)
{
    if (m_lineWidth <= 1 && plotLine(from, to, colour))
        return;
    Painting p(*this);
    // Wider lines are a larger wheel's, smoothed as a painter draws them.
    p->setRenderHint(QPainter::Antialiasing, m_lineWidth > 1);
    p->setPen(QPen(toQColor(colour), m_lineWidth));
    p->drawLine(from, to);
}

// Solid unclipped lines go straight into the pixels: the painter's stroker spends microseconds on every
// line, more than a wheel of tens of thousands of spokes can afford.
bool QtDrawingSurface::plotLine(QPointF from, QPointF to, Colour colour)
{
    constexpr double Far = 1e6;
    const QImage::Format format = m_image.format();
    if (m_clip.isValid() || (format != QImage::Format_ARGB32_Premultiplied && format != QImage::Format_RGB32))
        return false;
    for (double v : { from.x(), from.y(), to.x(), to.y() }) {
        if (!(std::abs(v) < Far))
            return false;
    }
    // Writing the pixels would detach a shared image from under an open painter.
    if (m_painter && !m_image.isDetached())
        m_painter.reset();
    const QRgb pixel = qRgb(redOf(colour), greenOf(colour), blueOf(colour));
    const int width = m_image.width();
    const int height = m_image.height();
    uchar* const bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    int x = static_cast<int>(std::floor(from.x() + 0.5));
    int y = static_cast<int>(std::floor(from.y() + 0.5));
    const int x1 = static_cast<int>(std::floor(to.x() + 0.5));
    const int y1 = static_cast<int>(std::floor(to.y() + 0.5));
    const int dx = std::abs(x1 - x);
    const int dy = -std::abs(y1 - y);
    const int sx = x < x1 ? 1 : -1;
    const int sy = y < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        if (x >= 0 && x < width && y >= 0 && y < height)
            reinterpret_cast<QRgb*>(bits + y * stride)[x] = pixel;
        if (x == x1 && y == y1)
            break;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
    changed();
    return true;
}

void QtDrawingSurface::circle(QPointF centre, double radius, Colour outlineColour)
{
    Painting p(*this);
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(QPen(toQColor(outlineColour), m_lineWidth));
    p->setBrush(m_fillSolid ? QBrush(toQColor(m_fillColour)) : QBrush(Qt::NoBrush));
    p->drawEllipse(centre, radius, radius);
}

IDrawingSurface::FontHandle QtDrawingSurface::createFont(const LogicalFont& font)
{
    SelectedFont selected;
    // The wheel asks for the same font at thousands of angles; turning the record into a QFont each time
    // would cost more than drawing the text.
    LogicalFont upright = font;
    upright.escapement = 0;
    if (!m_lastRecord || !sameFont(*m_lastRecord, upright)) {
        m_lastRecord = upright;
        m_lastFont = toQFont(font);
    }
    selected.font = m_lastFont;
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
    Painting p(*this);
    p->setRenderHint(QPainter::TextAntialiasing);
    p->setFont(selected.font);
    p->setPen(toQColor(m_textColour));
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
    p->translate(x, y);
    p->rotate(selected.rotation);
    p->drawText(QPointF(dx, baseline), text);
}

int QtDrawingSurface::textWidth(const QString& text) const
{
    return QFontMetrics(current().font).horizontalAdvance(text);
}

int QtDrawingSurface::textHeight(const QString&) const
{
    return QFontMetrics(current().font).height();
}

void QtDrawingSurface::saveBackground()
{
    m_painter.reset();
    m_saved = m_image;
}

void QtDrawingSurface::restoreBackground()
{
    m_painter.reset();
    if (m_saved.isNull())
        m_image.fill(toQColor(m_background));
    else
        m_image = m_saved; // shared until the next painting detaches it
    changed();
}

} // namespace pelorin
