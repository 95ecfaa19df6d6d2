// F1 in the main window and the About box: the help page handed to the desktop, and the
// message when the desktop cannot take it.
#include "data_directory.h"
#include "help_key_filter.h"
#include "modal_watch.h"
#include "next_message_box.h"
#include "resource.h"
#include "system_menu.h"
#include "tracker_dlg.h"
#include "url_capture.h"
#include "window_probe.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <memory>
#include <optional>

class HelpKeyFilterTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void f1OpensTheActiveWindowsTopicUnlessAModifierIsHeld_data();
    void f1OpensTheActiveWindowsTopicUnlessAModifierIsHeld();
    void aHandOverTheDesktopRefusesIsReported();

private:
    std::optional<DataDirectory> directory_;
    std::unique_ptr<UrlCapture> capture_;
    std::unique_ptr<CTrackerDlg> window_;
    std::unique_ptr<SystemMenu> systemMenu_;
    HelpKeyFilter helpKey_;
};

void HelpKeyFilterTest::init()
{
    directory_.emplace();
    capture_ = std::make_unique<UrlCapture>();
    window_ = std::make_unique<CTrackerDlg>();
    systemMenu_ = std::make_unique<SystemMenu>(*window_);
    qApp->installEventFilter(&helpKey_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void HelpKeyFilterTest::cleanup()
{
    qApp->removeEventFilter(&helpKey_);
    systemMenu_.reset();
    window_.reset();
    capture_.reset();
    directory_.reset();
}

void HelpKeyFilterTest::f1OpensTheActiveWindowsTopicUnlessAModifierIsHeld_data()
{
    QTest::addColumn<bool>("inAboutBox");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("topic");  // the page, in help/ beside the program; empty: none

    const QString mainTopic = QStringLiteral("main_window.htm");
    QTest::newRow("main window") << false << int(Qt::NoModifier) << mainTopic;
    QTest::newRow("main window, Shift") << false << int(Qt::ShiftModifier) << QString();
    QTest::newRow("main window, Ctrl") << false << int(Qt::ControlModifier) << QString();
    QTest::newRow("main window, Alt") << false << int(Qt::AltModifier) << QString();
    QTest::newRow("main window, Ctrl+Shift")
        << false << int(Qt::ControlModifier | Qt::ShiftModifier) << QString();
    QTest::newRow("About box") << true << int(Qt::NoModifier) << QStringLiteral("about_box.htm");
    QTest::newRow("About box, Shift") << true << int(Qt::ShiftModifier) << QString();
    QTest::newRow("About box, Alt") << true << int(Qt::AltModifier) << QString();
}

void HelpKeyFilterTest::f1OpensTheActiveWindowsTopicUnlessAModifierIsHeld()
{
    QFETCH(bool, inAboutBox);
    QFETCH(int, modifiers);
    QFETCH(QString, topic);
    const auto pressF1 = [modifiers](QWidget* window) {
        QTest::keyClick(window->focusWidget(), Qt::Key_F1, Qt::KeyboardModifiers(modifiers));
    };

    if (inAboutBox) {
        ModalWatch watch(window_.get(), [&](QWidget* about) {
            pressF1(about);
            QTest::keyClick(about, Qt::Key_Escape);
        });
        systemMenu_->systemCommand(IDM_ABOUTBOX);
        QVERIFY(watch.seen());
    } else {
        pressF1(window_.get());
    }

    const QString page = QDir(QCoreApplication::applicationDirPath()).filePath("help/" + topic);
    QCOMPARE(capture_->urls(),
             topic.isEmpty() ? QList<QUrl>{} : QList<QUrl>{QUrl::fromLocalFile(page)});
    if (!topic.isEmpty())
        QVERIFY(QFileInfo(capture_->urls().constFirst().toLocalFile()).isFile());
    QVERIFY(window_->isVisible());
}

void HelpKeyFilterTest::aHandOverTheDesktopRefusesIsReported()
{
    capture_.reset();  // the headless desktop has no handler of its own: it refuses
    NextMessageBox answer(QMessageBox::Ok);

    QTest::keyClick(window_->focusWidget(), Qt::Key_F1);

    QVERIFY(answer.seen());
    QCOMPARE(answer.text(), QStringLiteral("Failed to launch help."));
    QCOMPARE(answer.caption(), QCoreApplication::applicationName());
    QCOMPARE(answer.caption(), QStringLiteral("help_key_filter_test"));
    QCOMPARE(answer.icon(), QMessageBox::Warning);
    QCOMPARE(answer.buttons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(window_->isVisible());
}

QTEST_MAIN(HelpKeyFilterTest)
#include "help_key_filter_test.moc"
