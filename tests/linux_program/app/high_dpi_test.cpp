// The windows on a screen that scales them up: every control is where it is at scale 1, times
// the factor. Run with "--placements", the program prints the placements at its own scale.
#include "about_dlg.h"
#include "data_directory.h"
#include "program_icon.h"
#include "tracker_dlg.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

#include <cstdio>

namespace {

// Both windows and every visible control in them, in device pixels relative to the window, one
// line each: "class x y width height".
QStringList placements()
{
    const DataDirectory directory;
    CTrackerDlg window;
    CAboutDlg about(&window);
    QStringList lines;
    for (QWidget* top : std::initializer_list<QWidget*>{&window, &about}) {
        top->show();
        if (!QTest::qWaitForWindowExposed(top))
            return {};
        const qreal ratio = top->devicePixelRatio();
        for (const QWidget* control : QList<QWidget*>{top} + top->findChildren<QWidget*>()) {
            if (!control->isVisible() || control->window() != top)
                continue;
            const QRect place(control->mapTo(top, QPoint()), control->size());
            lines << QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(QLatin1String(control->metaObject()->className()))
                         .arg(place.x() * ratio).arg(place.y() * ratio)
                         .arg(place.width() * ratio).arg(place.height() * ratio);
        }
    }
    return lines;
}

}  // namespace

class HighDpiTest : public QObject {
    Q_OBJECT

private slots:
    void controlsScaleWithTheScreen_data();
    void controlsScaleWithTheScreen();
    void iconHasRenderingsForScaledScreens();
};

void HighDpiTest::controlsScaleWithTheScreen_data()
{
    QTest::addColumn<double>("factor");
    QTest::newRow("2") << 2.0;
    QTest::newRow("1.5") << 1.5;
}

void HighDpiTest::controlsScaleWithTheScreen()
{
    QFETCH(double, factor);
    QProcess scaled;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(factor));
    scaled.setProcessEnvironment(environment);
    scaled.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--placements")});
    QVERIFY(scaled.waitForFinished(60000));
    const QStringList atScale = QString::fromUtf8(scaled.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    const QStringList atOne = placements();
    QCOMPARE(atScale.size(), atOne.size());
    for (qsizetype line = 0; line < atOne.size(); ++line) {
        const QStringList one = atOne[line].split(u' '), scaledOne = atScale[line].split(u' ');
        QCOMPARE(scaledOne[0], one[0]);
        for (int value = 1; value <= 4; ++value)
            QVERIFY2(qAbs(scaledOne[value].toDouble() - one[value].toDouble() * factor) <= 1,
                     qPrintable(atOne[line] + QStringLiteral(" at scale 1 became ") + atScale[line]));
    }
}

void HighDpiTest::iconHasRenderingsForScaledScreens()
{
    const QIcon icon = programIcon();
    QCOMPARE(icon.pixmap(QSize(32, 32), 2.0).size(), QSize(64, 64));
    QCOMPARE(icon.pixmap(QSize(64, 64), 2.0).size(), QSize(128, 128));
}

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (application.arguments().contains(QStringLiteral("--placements"))) {
        std::fputs(qPrintable(placements().join(u'\n') + u'\n'), stdout);
        return 0;
    }
    HighDpiTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "high_dpi_test.moc"
