#include "ui/ProjectorWindow.h"

#include "draw/DrawText.h"
#include "draw/WheelRenderer.h"
#include "font/APIFont.h"
#include "model/Session.h"
#include "model/WheelGeometry.h"
#include "model/WitnessSeed.h"
#include "platform/qt/QtDrawingSurface.h"
#include "platform/qt/QtPainterSurface.h"
#include "ui/Fonts.h"
#include "ui/OnePress.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextOption>
#include <cmath>

namespace pelorin {

namespace {

constexpr double SmallWheelRadius = 2500.0 / wheel::TwipsPerPixel; // pixels, in the draw window
constexpr double TwoPi = 6.283185307179586;

wheel::Geometry scaledGeometry(QPointF centre, double radius)
{
    return { centre.x(), centre.y(), radius * wheel::TwipsPerPixel };
}

QFont pixelFont(double px, bool bold = false)
{
    QFont font = fonts::song(10.5, bold);
    font.setPixelSize(std::max(1, int(std::lround(px))));
    return font;
}

} // namespace

ProjectorWindow::ProjectorWindow(const DrawProgress& draw, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_draw(draw)
{
    setObjectName(QStringLiteral("ProjectorWindow"));
    setWindowTitle(QStringLiteral("Pelorin 大屏"));
    setAccessibleName(QStringLiteral("Pelorin 大屏"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    ui::OnePress::install(this);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    connect(&m_draw, &DrawProgress::changed, this, [this] { sync(); });
}

ProjectorWindow::~ProjectorWindow() = default;

ProjectorWindow::Layout ProjectorWindow::layoutFor(QSize size) const
{
    Layout l;
    const double w = size.width();
    const double h = size.height();
    const double margin = h / 40;
    l.headerPx = h / 24;
    l.header = QRectF(margin, margin, w - 2 * margin, l.headerPx * 1.5);
    l.namePx = std::ceil(h / 12) + 1;
    const double nameHeight = l.namePx * 1.2 * 2;
    l.name = QRectF(margin, h - margin - nameHeight, w - 2 * margin, nameHeight);
    const double top = l.header.bottom() + margin / 2;
    const double middle = l.name.top() - margin / 2 - top;
    const double side = std::max(10.0, std::min(middle, w * 0.62));
    l.wheelBox = QRectF(margin, top, side, side);
    l.ring = side * 0.08;
    l.radius = side / 2 - l.ring;
    l.centre = l.wheelBox.center();
    l.listPx = h / 30;
    l.list = QRectF(l.wheelBox.right() + margin, top, w - l.wheelBox.right() - 2 * margin, middle);
    return l;
}

// Pixel size of the sector numbers for count sectors; 0 where they would overlap or be too small to read.
double ProjectorWindow::numberPx(int count) const
{
    if (count < 1)
        return 0;
    const int digits = int(zeroPad(count, count).size());
    const double spacing = TwoPi * m_layout.radius / count;
    const double px = std::min({ m_layout.ring / (digits * 0.62), spacing * 0.95, m_layout.wheelBox.width() / 28 });
    const double smallest = std::max(8.0, height() / 120.0);
    return px >= smallest ? px : 0;
}

int ProjectorWindow::numberedUpTo() const
{
    int count = 1;
    while (count < 32767 && numberPx(count + 1) > 0)
        ++count;
    return numberPx(1) > 0 ? count : 0;
}

void ProjectorWindow::rebuildWheel()
{
    const DrawProgress& draw = m_draw;
    const int count = draw.wheelCount();
    m_wheelGeneration = draw.wheelGeneration();
    m_wheelCount = count;
    m_wheel = std::make_unique<QtDrawingSurface>(size());
    WheelRenderer::DrawWheel(*m_wheel, scaledGeometry(m_layout.centre, m_layout.radius), count, m_font,
                             wheel::Style::grown(m_layout.radius / SmallWheelRadius, numberPx(count)));
}

QRegion ProjectorWindow::pointerRegion(double degrees) const
{
    // Small boxes along the pointer, so a repaint touches little more than the line itself.
    const wheel::Geometry g = scaledGeometry(m_layout.centre, m_layout.radius);
    const QPointF tip = wheel::rimPoint(g, degrees);
    const double pad = 4 + m_layout.radius / SmallWheelRadius * wheel::TipDotRadius;
    QRegion region;
    constexpr int Pieces = 12;
    for (int k = 0; k < Pieces; ++k) {
        const QPointF a = m_layout.centre + (tip - m_layout.centre) * (double(k) / Pieces);
        const QPointF b = m_layout.centre + (tip - m_layout.centre) * (double(k + 1) / Pieces);
        region += QRectF(a, b).normalized().adjusted(-pad, -pad, pad, pad).toAlignedRect();
    }
    const double hub = wheel::HubRadius * m_layout.radius / SmallWheelRadius + 2;
    region += QRectF(m_layout.centre - QPointF(hub, hub), QSizeF(2 * hub, 2 * hub)).toAlignedRect();
    return region;
}

QString ProjectorWindow::headerText() const
{
    const DrawProgress& draw = m_draw;
    return QStringLiteral("%1　　预摇：%2 个　/　已摇：%3 个")
        .arg(categoryName(draw.category()), draw.presetText(), draw.drawnText());
}

QRegion ProjectorWindow::sync()
{
    QRegion dirty;
    if (!isVisible())
        return dirty;
    const DrawProgress& draw = m_draw;
    if (draw.wheelGeneration() != m_wheelGeneration || draw.wheelCount() != m_wheelCount || !m_wheel
        || m_wheel->image().size() != size()) {
        rebuildWheel();
        m_pointer = draw.pointerDegrees();
        dirty = rect();
    }
    const double pointer = draw.pointerDegrees();
    if (pointer != m_pointer) {
        dirty += pointerRegion(m_pointer);
        dirty += pointerRegion(pointer);
        m_pointer = pointer;
    }
    // The name box's line: the sector last shown, kept until the next start shows one.
    QString name
        = draw.shownSector() > 0 ? nameBoxText(draw.shownSector(), draw.shownOf(), draw.shownName()) : QString();
    // Before the first sector of a witnessed opening, the step of its ceremony the room is to note.
    using Stage = DrawProgress::Ceremony::Stage;
    const DrawProgress::Ceremony& ceremony = draw.ceremony();
    if (draw.shownSector() == 0 && ceremony.stage == Stage::Committed)
        name = QStringLiteral("承诺值：") + witness::grouped(ceremony.commitment, 8);
    else if (draw.shownSector() == 0 && ceremony.stage == Stage::Witnessed)
        name = QStringLiteral("见证数字：") + ceremony.witnessText;
    else if (draw.shownSector() == 0 && ceremony.stage == Stage::Revealed)
        name = QStringLiteral("秘密值：") + witness::grouped(ceremony.secret.hex(), 8);
    if (name != m_name) {
        m_name = name;
        dirty += m_layout.name.toAlignedRect();
    }
    const QString header = headerText();
    if (header != m_header) {
        m_header = header;
        dirty += m_layout.header.toAlignedRect();
    }
    const QStringList& list = draw.drawnThisOpening();
    // In the list's place until the first name: what the commitment binds, for the room to compare.
    QStringList facts;
    if (ceremony.stage != Stage::None && list.isEmpty()) {
        facts = { QStringLiteral("候选 %1 个，要摇 %2 个").arg(ceremony.count).arg(ceremony.draws),
                  QStringLiteral("名单指纹：") };
        facts += witness::grouped(ceremony.fingerprint, 4).split(QLatin1Char('\n'));
    }
    if (list != m_list || draw.recordCode() != m_code || facts != m_facts) {
        m_list = list;
        m_facts = facts;
        m_code = draw.recordCode();
        dirty += m_layout.list.toAlignedRect();
    }
    if (!dirty.isEmpty())
        update(dirty);
    m_lastScheduled = dirty;
    return dirty;
}

void ProjectorWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_layout = layoutFor(size());
    m_wheelGeneration = -1;
    sync();
}

void ProjectorWindow::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    if (!m_wheel || m_wheel->image().size() != size()) {
        m_layout = layoutFor(size());
        rebuildWheel();
    }
    const QImage& wheelImage = m_wheel->image();
    for (const QRect& r : event->region())
        p.drawImage(r, wheelImage, r);

    QtPainterSurface over(p);
    WheelRenderer::paintPointer(over, scaledGeometry(m_layout.centre, m_layout.radius), m_pointer,
                                wheel::Style::grown(m_layout.radius / SmallWheelRadius, 0));
    p.setBrush(Qt::NoBrush);

    const QRect textArea = event->region().boundingRect();
    if (textArea.intersects(m_layout.header.toAlignedRect())) {
        p.setFont(pixelFont(m_layout.headerPx, true));
        p.setPen(QColor(0, 0, 0));
        p.drawText(m_layout.header, Qt::AlignLeft | Qt::AlignVCenter, m_header);
    }
    if (textArea.intersects(m_layout.name.toAlignedRect())) {
        // Two lines of the large size; a name longer than that is made smaller rather than cut off.
        double px = m_layout.namePx;
        QTextOption option(Qt::AlignCenter);
        option.setWrapMode(QTextOption::WrapAnywhere);
        QFont font = pixelFont(px, true);
        while (px > 8) {
            font = pixelFont(px, true);
            const QRectF needed
                = QFontMetricsF(font).boundingRect(m_layout.name, Qt::AlignCenter | Qt::TextWrapAnywhere, m_name);
            if (needed.height() <= m_layout.name.height() && needed.width() <= m_layout.name.width())
                break;
            px *= 0.9;
        }
        p.setFont(font);
        p.setPen(QColor(255, 0, 0));
        p.drawText(m_layout.name, m_name, option);
    }
    if (textArea.intersects(m_layout.list.toAlignedRect())) {
        const QFont font = pixelFont(m_layout.listPx);
        const double line = QFontMetricsF(font).height() * 1.15;
        p.setFont(pixelFont(m_layout.listPx, true));
        p.setPen(QColor(0, 128, 0));
        QRectF row(m_layout.list.left(), m_layout.list.top(), m_layout.list.width(), line);
        p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter,
                   m_facts.isEmpty() ? QStringLiteral("当前摇出名单：") : QStringLiteral("见证摇号："));
        p.setFont(font);
        p.setPen(QColor(255, 0, 0));
        // The record's latest code on the list's last row, where the room can note it after every stop.
        if (!m_code.isEmpty()) {
            const QRectF last(m_layout.list.left(), m_layout.list.bottom() - line, m_layout.list.width(), line);
            p.setPen(QColor(0, 0, 160));
            p.drawText(last, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("记录校验码：") + m_code);
            p.setPen(QColor(255, 0, 0));
        }
        const int room = std::max(1, int((m_layout.list.height() - 2 * line) / line));
        // The latest names stay in view; earlier ones are summed up in the first row.
        int first = 0;
        if (m_list.size() > room) {
            first = int(m_list.size()) - (room - 1);
            row.translate(0, line);
            p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("……（前 %1 个略）").arg(first));
        }
        const QFontMetricsF metrics(font);
        for (const QString& fact : m_facts) {
            row.translate(0, line);
            p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(fact, Qt::ElideRight, row.width()));
        }
        for (int i = first; i < m_list.size(); ++i) {
            row.translate(0, line);
            const QString text = QStringLiteral("%1. %2").arg(i + 1).arg(m_list.at(i));
            p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(text, Qt::ElideMiddle, row.width()));
        }
    }
}

void ProjectorWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit startStopRequested();
        return;
    case Qt::Key_Escape:
        close();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace pelorin
