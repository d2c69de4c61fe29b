#include "draw/DrawText.h"
#include "draw/WheelRenderer.h"
#include "font/APIFont.h"
#include "platform/qt/QtDrawingSurface.h"
#include "ui/Layout.h"

#include <QPainter>
#include <QTest>
#include <cmath>

using namespace pelorin;
using namespace pelorin::wheel;

namespace {

const Geometry Wheel { 3500.0 / 15.0, 220.0, 2500.0 };
const QSize Size(layout::px(layout::DrawWindowWideWidth), layout::px(layout::DrawWindowHeight));

// The wheel as the draw window paints it step by step: no kept background, every tick erases the last
// pointer in white and draws all spokes again.
struct LiteralWheel
{
    QtDrawingSurface surface { Size };
    std::shared_ptr<APIFont> font;
    int count = 0;
    int angle = 0;
    int speed = 0;

    void drawWheel()
    {
        const QPointF centre(Wheel.centreX, Wheel.centreY);
        surface.clear();
        surface.setFillSolid(true);
        surface.setFillSolid(false);
        surface.circle(centre, Wheel.radius / 15.0, RimColour);
        font = std::make_shared<APIFont>();
        for (int i = 1; i <= count; ++i) {
            const QPointF rim = rimPoint(Wheel, 360.0 / count * i);
            surface.line(centre, rim, SpokeColour);
            font->setEscapement(numberEscapement(i, count));
            font->SelectFont(surface);
            font->FontOut(zeroPad(i, count), surface, rim.x(), rim.y());
            font->SelectOrg(surface);
        }
        hub();
    }
    void hub()
    {
        surface.setFillSolid(true);
        surface.setFillColour(HubColour);
        surface.circle(QPointF(Wheel.centreX, Wheel.centreY), 20, HubColour);
    }
    void tick()
    {
        const QPointF centre(Wheel.centreX, Wheel.centreY);
        const Colour white = rgb(255, 255, 255);
        if (angle >= 360)
            angle = 0;
        angle += speed;
        const int previous = angle - speed;
        if (angle > 1) {
            surface.line(centre, rimPoint(Wheel, previous), white);
            surface.line(centre, rimPoint(Wheel, previous + 0.1), white);
            surface.setFillSolid(true);
            surface.setFillColour(white);
            surface.circle(tipPoint(Wheel, previous), 3, white);
        }
        for (int i = 1; i <= count; ++i)
            surface.line(centre, rimPoint(Wheel, 360.0 / count * i), SpokeColour);
        surface.line(centre, rimPoint(Wheel, 0), ZeroLineColour);
        surface.line(centre, rimPoint(Wheel, angle), PointerColour);
        surface.line(centre, rimPoint(Wheel, angle + 0.1), PointerColour);
        surface.setFillSolid(true);
        surface.setFillColour(PointerColour);
        surface.circle(tipPoint(Wheel, angle), 3, PointerColour);
        hub();
    }
};

int channelDistance(QRgb a, QRgb b)
{
    return std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)) });
}

// Pixels farther apart than the faint rings smoothing leaves where a white dot was painted over a blue one.
// The rim is left out: erasing a pointer in white cuts a notch into it, which the kept wheel does not.
// So is the hub's edge, whose smoothed pixels darken with every hub painted over the last, and so is
// what stays of the pointer at 360 degrees, which the next tick erases at 0 degrees: with 3.14 for pi the
// two lie half a pixel apart at the rim.
int clearlyDifferent(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const double fromCentre = std::hypot(x + 0.5 - Wheel.centreX, y + 0.5 - Wheel.centreY);
            if (std::abs(fromCentre - Wheel.radius / 15.0) < 2.0 || std::abs(fromCentre - HubRadius) < 2.0)
                continue;
            if (channelDistance(a.pixel(x, y), b.pixel(x, y)) <= 96)
                continue;
            const QRgb redrawn = b.pixel(x, y);
            if (qBlue(redrawn) > qRed(redrawn) + 64 && qBlue(redrawn) > qGreen(redrawn) + 64)
                continue;
            ++count;
        }
    }
    return count;
}

} // namespace

class WheelPictureTest : public QObject
{
    Q_OBJECT

private slots:
    void keptWheelLooksLikeTheRedrawnOne_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("speed");
        QTest::newRow("12 at 15") << 12 << 15;
        QTest::newRow("120 at 20") << 120 << 20;
        QTest::newRow("7 at 10") << 7 << 10;
    }
    void keptWheelLooksLikeTheRedrawnOne()
    {
        QFETCH(int, count);
        QFETCH(int, speed);
        LiteralWheel literal;
        literal.count = count;
        literal.speed = speed;
        literal.drawWheel();

        QtDrawingSurface kept(Size);
        std::shared_ptr<APIFont> font;
        WheelRenderer::DrawWheel(kept, Wheel, count, font);
        QCOMPARE(kept.image(), literal.surface.image());
        const QImage wheelOnly = kept.image();

        int angle = 0;
        for (int tick = 1; tick <= 2 * 360 / speed + 3; ++tick) {
            literal.tick();
            if (angle >= 360)
                angle = 0;
            angle += speed;
            WheelRenderer::drawPointer(kept, Wheel, angle);
            const int differing = clearlyDifferent(kept.image(), literal.surface.image());
            if (differing > 0)
                QFAIL(qPrintable(
                    QStringLiteral("tick %1 (angle %2): %3 pixels differ").arg(tick).arg(angle).arg(differing)));
        }
        // A pointer was painted, and the previous one is gone.
        const QPointF tip = tipPoint(Wheel, angle);
        QCOMPARE(QColor(kept.image().pixel(tip.toPoint())), QColor(0, 30, 250));
        const QPointF before = tipPoint(Wheel, angle - speed);
        QVERIFY(QColor(kept.image().pixel(before.toPoint())) != QColor(0, 30, 250));
        // The rim where the last pointer ended is whole again.
        const QPoint rim = rimPoint(Wheel, angle - speed).toPoint();
        QCOMPARE(kept.image().pixel(rim), wheelOnly.pixel(rim));
    }

    void plottedLinesFollowThePainter()
    {
        // Every pixel of a plotted line lies within one pixel of the line the painter draws, and back.
        for (int degrees = 0; degrees < 360; degrees += 7) {
            const QPointF from(Wheel.centreX, Wheel.centreY);
            const QPointF to = rimPoint(Wheel, degrees + 0.3);
            QtDrawingSurface plotted(Size);
            plotted.line(from, to, rgb(0, 0, 0));
            QImage painted(Size, QImage::Format_ARGB32_Premultiplied);
            painted.fill(Qt::white);
            QPainter(&painted).drawLine(from, to);
            const auto near = [](const QImage& image, int x, int y) {
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (image.valid(x + dx, y + dy) && qRed(image.pixel(x + dx, y + dy)) == 0)
                            return true;
                return false;
            };
            int inked = 0;
            for (int y = 0; y < Size.height(); ++y) {
                for (int x = 0; x < Size.width(); ++x) {
                    if (qRed(plotted.image().pixel(x, y)) == 0) {
                        ++inked;
                        QVERIFY2(near(painted, x, y), qPrintable(QStringLiteral("%1 degrees").arg(degrees)));
                    }
                    if (qRed(painted.pixel(x, y)) == 0)
                        QVERIFY2(near(plotted.image(), x, y), qPrintable(QStringLiteral("%1 degrees").arg(degrees)));
                }
            }
            QVERIFY(inked >= 110);
        }
        // Far beyond the surface: nothing is written out of bounds.
        QtDrawingSurface surface(QSize(20, 20));
        surface.line(QPointF(-5000, -300), QPointF(9000, 700), rgb(0, 0, 0));
        surface.line(QPointF(qInf(), 0), QPointF(3, 3), rgb(0, 0, 0));
    }
};

QTEST_MAIN(WheelPictureTest)
#include "test_wheel_picture.moc"
