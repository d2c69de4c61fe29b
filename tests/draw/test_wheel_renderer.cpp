#include "draw/WheelRenderer.h"
#include "fakes/RecordingSurface.h"
#include "font/APIFont.h"
#include "model/NumberConversion.h"

#include <QTest>

using namespace pelorin;
using pelorin::test::RecordingSurface;

namespace {

const wheel::Geometry Wheel { 3500.0f / 15.0f, 220.0f, 2500.0f };
const QPointF Centre(Wheel.centreX, Wheel.centreY);

// One call as a short line of text, so that whole sequences compare at once.
QString describe(const RecordingSurface::Call& c)
{
    const auto pt = [](QPointF p) { return QStringLiteral("%1,%2").arg(p.x(), 0, 'f', 2).arg(p.y(), 0, 'f', 2); };
    const QString fill = c.fillSolid ? QStringLiteral(" fill %1").arg(c.fillColour, 6, 16, QLatin1Char('0'))
                                     : QStringLiteral(" hollow");
    if (c.op == u"line")
        return QStringLiteral("line %1 %2 %3").arg(pt(c.a), pt(c.b)).arg(c.colour, 6, 16, QLatin1Char('0'));
    if (c.op == u"circle")
        return QStringLiteral("circle %1 r%2 %3")
                   .arg(pt(c.a))
                   .arg(c.radius, 0, 'f', 2)
                   .arg(c.colour, 6, 16, QLatin1Char('0'))
            + fill;
    if (c.op == u"text")
        return QStringLiteral("text %1 %2 esc%3").arg(pt(c.a), c.text).arg(c.font.escapement);
    return c.op;
}

QStringList describeAll(const QList<RecordingSurface::Call>& calls)
{
    QStringList lines;
    for (const auto& c : calls)
        lines.append(describe(c));
    return lines;
}

QString rimText(double degrees)
{
    // Numbers stand on the rim point rounded to whole pixels.
    const QPointF rim = wheel::rimPoint(Wheel, degrees);
    return QStringLiteral("%1,%2").arg(roundHalfEven(rim.x()), 0, 'f', 2).arg(roundHalfEven(rim.y()), 0, 'f', 2);
}

} // namespace

class WheelRendererTest : public QObject
{
    Q_OBJECT

private slots:
    void wheelOfThree()
    {
        RecordingSurface surface;
        std::shared_ptr<APIFont> font;
        WheelRenderer::DrawWheel(surface, Wheel, 3, font);
        QVERIFY(font);

        const auto pt = [](QPointF p) { return QStringLiteral("%1,%2").arg(p.x(), 0, 'f', 2).arg(p.y(), 0, 'f', 2); };
        const QString c = pt(Centre);
        QStringList expected { QStringLiteral("clear"), QStringLiteral("circle %1 r166.67 00c800 hollow").arg(c) };
        const int escapements[] = { -1200, -2400, -3600 };
        for (int i = 1; i <= 3; ++i) {
            const double a = 120.0 * i;
            expected.append(QStringLiteral("line %1 %2 00c8ff").arg(c, pt(wheel::rimPoint(Wheel, a))));
            expected.append(QStringLiteral("text %1 %2 esc%3").arg(rimText(a)).arg(i).arg(escapements[i - 1]));
        }
        expected.append(QStringLiteral("circle %1 r20.00 64ff64 fill 64ff64").arg(c));
        expected.append(QStringLiteral("save"));
        QCOMPARE(describeAll(surface.calls), expected);

        // Every number's font is made from a fresh record and freed again, the surface's own font restored.
        const auto texts = surface.callsOf(QStringLiteral("text"));
        QCOMPARE(texts[0].font.height, 15);
        QCOMPARE(texts[0].font.faceName, QStringLiteral("Arial"));
        QCOMPARE(surface.created, 3);
        QCOMPARE(surface.deleted, 3);
        QCOMPARE(surface.current, 1);
    }

    void numbersArePadded()
    {
        RecordingSurface surface;
        std::shared_ptr<APIFont> font;
        WheelRenderer::DrawWheel(surface, Wheel, 120, font);
        const auto texts = surface.callsOf(QStringLiteral("text"));
        QCOMPARE(texts.size(), 120);
        QCOMPARE(texts.first().text, QStringLiteral("001"));
        QCOMPARE(texts[6].text, QStringLiteral("007"));
        QCOMPARE(texts.last().text, QStringLiteral("120"));
        QCOMPARE(texts[29].font.escapement, -900); // sector 30 points straight down
        QCOMPARE(surface.callsOf(QStringLiteral("line")).size(), 120);
    }

    void emptyWheel()
    {
        RecordingSurface surface;
        std::shared_ptr<APIFont> font;
        WheelRenderer::DrawWheel(surface, Wheel, 0, font);
        QVERIFY(surface.callsOf(QStringLiteral("line")).isEmpty());
        QVERIFY(surface.callsOf(QStringLiteral("text")).isEmpty());
        QCOMPARE(surface.calls.last().op, QStringLiteral("save"));
    }

    void pointerLayer()
    {
        RecordingSurface surface;
        WheelRenderer::drawPointer(surface, Wheel, 45);
        const auto pt = [](QPointF p) { return QStringLiteral("%1,%2").arg(p.x(), 0, 'f', 2).arg(p.y(), 0, 'f', 2); };
        const QString c = pt(Centre);
        const QStringList expected {
            QStringLiteral("restore"),
            QStringLiteral("line %1 %2 0000ff").arg(c, pt(wheel::rimPoint(Wheel, 0))),
            QStringLiteral("line %1 %2 fa1e00").arg(c, pt(wheel::rimPoint(Wheel, 45))),
            QStringLiteral("line %1 %2 fa1e00").arg(c, pt(wheel::rimPoint(Wheel, 45.1))),
            QStringLiteral("circle %1 r3.00 fa1e00 fill fa1e00").arg(pt(wheel::tipPoint(Wheel, 45))),
            QStringLiteral("circle %1 r20.00 64ff64 fill 64ff64").arg(c),
        };
        QCOMPARE(describeAll(surface.calls), expected);
    }
};

QTEST_GUILESS_MAIN(WheelRendererTest)
#include "test_wheel_renderer.moc"
