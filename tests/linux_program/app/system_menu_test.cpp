// The stand-in for the system menu on the real main window: how it opens, what it holds and
// what its commands do.
#include "about_dlg.h"
#include "data_directory.h"
#include "dialog_builder.h"
#include "modal_watch.h"
#include "resource.h"
#include "system_menu.h"
#include "tracker_dlg.h"
#include "window_probe.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <optional>

namespace {

const QByteArray kDataFile =
    "CREATOR=Nimbrel 1.0\r\nNAME=Bank\r\nUSERNAME=me\r\nPASSWORD=secret\r\n"
    "URL=bank.example.com\r\nOTHER=\r\nNOTES=first`~second\r\n";

}  // namespace

class SystemMenuTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void altSpaceOpensCloseSeparatorAndAbout();
    void rightClickOpensItOnTheBackgroundOnly_data();
    void rightClickOpensItOnTheBackgroundOnly();
    void aboutItemShowsTheAboutBoxAndLeavesTheWindowUnchanged();
    void closeItemCancelsWithoutSaving();
    void systemCommandsSixteenToThirtyOneShowTheAboutBox_data();
    void systemCommandsSixteenToThirtyOneShowTheAboutBox();

private:
    QMenu* openByAltSpace() const;
    // Highlights the item and presses Enter, as the user would.
    static void choose(QMenu& menu, const QString& item);

    std::optional<DataDirectory> directory_;
    std::unique_ptr<CTrackerDlg> window_;
    std::unique_ptr<SystemMenu> systemMenu_;
};

void SystemMenuTest::init()
{
    directory_.emplace(kDataFile);
    window_ = std::make_unique<CTrackerDlg>();
    systemMenu_ = std::make_unique<SystemMenu>(*window_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void SystemMenuTest::cleanup()
{
    if (QMenu* menu = openMenu())
        menu->close();
    systemMenu_.reset();
    window_.reset();
    directory_.reset();
}

QMenu* SystemMenuTest::openByAltSpace() const
{
    QTest::keyClick(window_->focusWidget(), Qt::Key_Space, Qt::AltModifier);
    return openMenu();
}

void SystemMenuTest::choose(QMenu& menu, const QString& item)
{
    menu.setActiveAction(menuItem(menu, item));
    QTest::keyClick(&menu, Qt::Key_Return);
}

void SystemMenuTest::altSpaceOpensCloseSeparatorAndAbout()
{
    QMenu* menu = openByAltSpace();
    QVERIFY(menu);

    const QList<QAction*> items = menu->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items[0]->text(), QStringLiteral("Close"));
    QVERIFY(items[1]->isSeparator());
    QCOMPARE(items[2]->text(), QStringLiteral("&About Nimbrel..."));
    QCOMPARE(menu->pos(), window_->mapToGlobal(QPoint(0, 0)));
}

void SystemMenuTest::rightClickOpensItOnTheBackgroundOnly_data()
{
    QTest::addColumn<QPoint>("place");  // in dialog units
    QTest::addColumn<bool>("opens");

    QTest::newRow("background") << QPoint(1, 1) << true;
    QTest::newRow("background below the table") << QPoint(5, 205) << true;
    QTest::newRow("label") << QPoint(3, 10) << false;
    QTest::newRow("button") << QPoint(230, 8) << false;
}

void SystemMenuTest::rightClickOpensItOnTheBackgroundOnly()
{
    QFETCH(QPoint, place);
    QFETCH(bool, opens);

    const QPoint position =
        DialogUnits(window_->font()).toPixels(place.x(), place.y(), 0, 0).topLeft();
    QCOMPARE(window_->childAt(position) == nullptr, opens);
    QTest::mouseClick(window_->windowHandle(), Qt::RightButton, {}, position);

    QCOMPARE(openMenu() != nullptr, opens);
    if (opens)
        QCOMPARE(openMenu()->pos(), window_->mapToGlobal(position));
}

void SystemMenuTest::aboutItemShowsTheAboutBoxAndLeavesTheWindowUnchanged()
{
    QTest::keyClicks(controlAt<QLineEdit>(*window_, 37, 6), QStringLiteral("typed, not added"));
    const QStringList before = visibleTexts(*window_);
    QVERIFY(before.contains(QStringLiteral("bank.example.com")));

    QString shown;
    bool modal = false;
    QWidget* owner = nullptr;
    ModalWatch watch(window_.get(), [&](QWidget* about) {
        shown = about->windowTitle() + " " + about->metaObject()->className() + " "
            + about->property(kTemplateIdProperty).toString();
        modal = about->isModal();
        owner = about->parentWidget();
        QTest::keyClick(about->focusWidget() ? about->focusWidget() : about, Qt::Key_Escape);
    });
    QMenu* menu = openByAltSpace();
    QVERIFY(menu);
    choose(*menu, QStringLiteral("&About Nimbrel..."));

    QCOMPARE(shown, QStringLiteral("About Nimbrel CAboutDlg 100"));
    QVERIFY(modal);
    QCOMPARE(owner, window_.get());
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(window_->isVisible());
    QCOMPARE(visibleTexts(*window_), before);
    QCOMPARE(directory_->dataFile(), kDataFile);
}

void SystemMenuTest::closeItemCancelsWithoutSaving()
{
    QTest::keyClicks(controlAt<QLineEdit>(*window_, 37, 6), QStringLiteral("typed"));
    QTest::mouseClick(controlAt<QPushButton>(*window_, 262, 16), Qt::LeftButton);  // Add
    window_->setResult(-1);

    QMenu* menu = openByAltSpace();
    QVERIFY(menu);
    choose(*menu, QStringLiteral("Close"));

    QVERIFY(!window_->isVisible());
    QCOMPARE(window_->result(), int(QDialog::Rejected));
    QCOMPARE(directory_->dataFile(), kDataFile);
}

void SystemMenuTest::systemCommandsSixteenToThirtyOneShowTheAboutBox_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("shows");

    QTest::newRow("IDM_ABOUTBOX") << IDM_ABOUTBOX << true;
    QTest::newRow("31") << 31 << true;
    QTest::newRow("15") << 15 << false;
    QTest::newRow("32") << 32 << false;
    QTest::newRow("close, 0xF060") << 0xF060 << false;
    QTest::newRow("0xF010 | 16") << (0xF010 | 16) << false;
}

void SystemMenuTest::systemCommandsSixteenToThirtyOneShowTheAboutBox()
{
    QFETCH(int, command);
    QFETCH(bool, shows);

    bool shown = false;
    ModalWatch watch(window_.get(), [&](QWidget* about) {
        shown = qobject_cast<CAboutDlg*>(about) != nullptr;
        QTest::keyClick(about, Qt::Key_Escape);
    });
    systemMenu_->systemCommand(command);
    if (!shows)
        QTest::qWait(100);  // an About box opened by mistake would be seen and closed by now

    QCOMPARE(shown, shows);
    QVERIFY(window_->isVisible());
}

QTEST_MAIN(SystemMenuTest)
#include "system_menu_test.moc"
