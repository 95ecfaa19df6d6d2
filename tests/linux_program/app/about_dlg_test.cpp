// The About box: where it opens and how it closes.
#include "about_dlg.h"
#include "dialog_builder.h"
#include "window_probe.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

class AboutDlgTest : public QObject {
    Q_OBJECT

private slots:
    void closesByOkEnterAndEsc_data();
    void closesByOkEnterAndEsc();
    void opensCentredOverTheWindowInsideTheWorkArea_data();
    void opensCentredOverTheWindowInsideTheWorkArea();
};

void AboutDlgTest::closesByOkEnterAndEsc_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");

    QTest::newRow("OK clicked") << 0 << int(QDialog::Accepted);
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::newRow("Esc") << int(Qt::Key_Escape) << int(QDialog::Rejected);
}

void AboutDlgTest::closesByOkEnterAndEsc()
{
    QFETCH(int, key);
    QFETCH(int, result);

    CAboutDlg about;
    about.setResult(-1);
    about.open();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(controlAt<QLabel>(about, 11, 10)->text(), QStringLiteral("Nimbrel Version 1.02"));
    auto* ok = controlAt<QPushButton>(about, 178, 7);
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QVERIFY(ok->isDefault());
    QCOMPARE(about.windowTitle(), QStringLiteral("About Nimbrel"));
    QCOMPARE(about.size(), DialogUnits(about.font()).toPixels(0, 0, 235, 61).size());

    if (key == 0)
        QTest::mouseClick(ok, Qt::LeftButton);
    else
        QTest::keyClick(&about, Qt::Key(key));

    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), result);
}

void AboutDlgTest::opensCentredOverTheWindowInsideTheWorkArea_data()
{
    QTest::addColumn<QPoint>("windowPlace");  // the window's top left corner
    QTest::addColumn<QString>("expected");    // "centred", or the work area's corner it touches

    // The offscreen work area is 800 x 800; the window is 500 x 300, the box smaller.
    QTest::newRow("window inside") << QPoint(150, 120) << "centred";
    QTest::newRow("window past the top left") << QPoint(-480, -290) << "top left";
    QTest::newRow("window past the bottom right") << QPoint(780, 790) << "bottom right";
}

void AboutDlgTest::opensCentredOverTheWindowInsideTheWorkArea()
{
    QFETCH(QPoint, windowPlace);
    QFETCH(QString, expected);

    QWidget window;
    window.resize(500, 300);
    window.move(windowPlace);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    CAboutDlg about(&window);
    about.open();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    const QRect workArea = window.screen()->availableGeometry();
    QCOMPARE(workArea, QRect(0, 0, 800, 800));
    const QRect box = about.frameGeometry();
    const QPoint fromCentre = box.center() - window.frameGeometry().center();
    if (expected == "centred")
        QVERIFY2(fromCentre.manhattanLength() <= 1,
                 qPrintable(QStringLiteral("%1, %2").arg(fromCentre.x()).arg(fromCentre.y())));
    else if (expected == "top left")  // moved in just as far as needed
        QCOMPARE(box.topLeft(), workArea.topLeft());
    else
        QCOMPARE(box.bottomRight(), workArea.bottomRight());
    about.close();
}

QTEST_MAIN(AboutDlgTest)
#include "about_dlg_test.moc"
