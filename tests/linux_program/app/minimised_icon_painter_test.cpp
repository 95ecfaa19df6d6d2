// The minimised window's icon: where it is centred, and that the paint handler draws it there.
#include "icon_position.h"
#include "minimised_icon_painter.h"
#include "program_icon.h"

#include <QPainter>
#include <QStyle>
#include <QTest>

namespace {

// The window as the platform paints it: its background, and the icon at the given place.
QImage expectedPicture(const QWidget& window, const QPoint* iconPlace)
{
    QImage picture(window.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(window.palette().window().color());
    if (iconPlace) {
        QPainter painter(&picture);
        painter.drawPixmap(*iconPlace, window.windowIcon().pixmap(QSize(32, 32)));
    }
    return picture;
}

}  // namespace

class MinimisedIconPainterTest : public QObject {
    Q_OBJECT

private slots:
    void centredIconPositionTruncatesTowardZero_data();
    void centredIconPositionTruncatesTowardZero();
    void paintsTheIconCentredOnlyWhileMinimised_data();
    void paintsTheIconCentredOnlyWhileMinimised();
};

void MinimisedIconPainterTest::centredIconPositionTruncatesTowardZero_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QSize>("icon");
    QTest::addColumn<QPoint>("expected");

    QTest::newRow("even sizes") << QSize(100, 80) << QSize(32, 32) << QPoint(34, 24);
    QTest::newRow("odd sizes") << QSize(101, 81) << QSize(32, 32) << QPoint(35, 25);
    QTest::newRow("odd icon") << QSize(100, 80) << QSize(31, 15) << QPoint(35, 33);
    QTest::newRow("as large as the icon") << QSize(32, 32) << QSize(32, 32) << QPoint(0, 0);
    QTest::newRow("one smaller: -1 + 1 = 0") << QSize(31, 31) << QSize(32, 32) << QPoint(0, 0);
    QTest::newRow("two smaller: -1 / 2 is 0") << QSize(30, 30) << QSize(32, 32) << QPoint(0, 0);
    QTest::newRow("negative odd: -11 / 2, -21 / 2") << QSize(20, 10) << QSize(32, 32)
                                                    << QPoint(-5, -10);
    QTest::newRow("negative even: -10 / 2, -32 / 2") << QSize(21, -1) << QSize(32, 32)
                                                     << QPoint(-5, -16);
    QTest::newRow("empty client") << QSize(0, 0) << QSize(16, 16) << QPoint(-7, -7);
}

void MinimisedIconPainterTest::centredIconPositionTruncatesTowardZero()
{
    QFETCH(QSize, client);
    QFETCH(QSize, icon);
    QFETCH(QPoint, expected);

    QCOMPARE(centredIconPosition(client, icon), expected);
}

void MinimisedIconPainterTest::paintsTheIconCentredOnlyWhileMinimised_data()
{
    QTest::addColumn<bool>("minimised");
    QTest::addColumn<QSize>("client");

    QTest::newRow("minimised, even") << true << QSize(100, 80);
    QTest::newRow("minimised, odd") << true << QSize(101, 75);
    QTest::newRow("minimised, smaller than the icon") << true << QSize(21, 20);
    QTest::newRow("shown normally") << false << QSize(100, 80);
}

void MinimisedIconPainterTest::paintsTheIconCentredOnlyWhileMinimised()
{
    QFETCH(bool, minimised);
    QFETCH(QSize, client);

    QWidget window;
    window.setFixedSize(client);
    window.setWindowIcon(programIcon());
    QCOMPARE(window.style()->pixelMetric(QStyle::PM_LargeIconSize), 32);
    MinimisedIconPainter painter(window);
    if (minimised)
        window.setWindowState(Qt::WindowMinimized);
    QCOMPARE(window.isMinimized(), minimised);

    const QImage picture =
        window.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);

    const QPoint place = centredIconPosition(client, QSize(32, 32));
    const QImage expected = expectedPicture(window, minimised ? &place : nullptr);
    if (minimised)
        QVERIFY(expected != expectedPicture(window, nullptr));  // the icon shows
    QCOMPARE(picture, expected);
}

QTEST_MAIN(MinimisedIconPainterTest)
#include "minimised_icon_painter_test.moc"
