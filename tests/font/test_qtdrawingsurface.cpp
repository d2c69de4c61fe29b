#include "font/APIFont.h"
#include "platform/qt/QtDrawingSurface.h"

#include <QGuiApplication>
#include <QTest>

using namespace pelorin;

namespace {

// Bounding box of the pixels that are not the background.
QRect inkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != QColor(Qt::white))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

} // namespace

class QtDrawingSurfaceTest : public QObject
{
    Q_OBJECT
private slots:
    void escapementTurnsTheTextAboutItsReferencePoint()
    {
        QtDrawingSurface surface(QSize(200, 200));
        APIFont font;
        font.setHeight(20);
        font.setEscapement(-900); // a quarter turn clockwise: reads downwards
        font.SelectFont(surface);
        font.FontOut(QStringLiteral("WWWWWW"), surface, 100, 40);
        font.SelectOrg(surface);
        const QRect box = inkBox(surface.image());
        QVERIFY(box.isValid());
        QVERIFY2(box.height() > 2 * box.width(), "the text should run downwards");
        QVERIFY(box.top() >= 38);
        QVERIFY(box.right() <= 101); // top-left alignment: the text lies left of the point once turned
    }

    void uprightTextRunsToTheRight()
    {
        QtDrawingSurface surface(QSize(200, 200));
        APIFont font;
        font.setHeight(20);
        font.SelectFont(surface);
        font.FontOut(QStringLiteral("WWWWWW"), surface, 20, 40);
        const QRect box = inkBox(surface.image());
        QVERIFY(box.width() > 2 * box.height());
        QVERIFY(box.left() >= 19 && box.top() >= 39);
    }

    void clipRectangleStaysUntilClear()
    {
        QtDrawingSurface surface(QSize(100, 100));
        surface.setClipRect(QRect(10, 10, 20, 20));
        surface.line(QPointF(0, 50), QPointF(99, 50), rgb(255, 0, 0));
        QVERIFY(!inkBox(surface.image()).isValid());
        surface.clear();
        surface.line(QPointF(0, 50), QPointF(99, 50), rgb(255, 0, 0));
        QCOMPARE(surface.image().pixelColor(50, 50), QColor(255, 0, 0));
    }

    void solidFillUsesTheFillColour()
    {
        QtDrawingSurface surface(QSize(100, 100));
        surface.setFillSolid(true);
        surface.setFillColour(rgb(100, 255, 100));
        surface.circle(QPointF(50, 50), 20, rgb(100, 255, 100));
        QCOMPARE(surface.image().pixelColor(50, 50), QColor(100, 255, 100));
        surface.setFillSolid(false);
        surface.circle(QPointF(20, 20), 10, rgb(0, 0, 255));
        QCOMPARE(surface.image().pixelColor(20, 20), QColor(Qt::white));
    }
};

QTEST_MAIN(QtDrawingSurfaceTest)
#include "test_qtdrawingsurface.moc"
