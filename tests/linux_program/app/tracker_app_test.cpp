// The application object: the whole program's run, from start-up to the end of the window.
#include "data_directory.h"
#include "dialog_builder.h"
#include "modal_watch.h"
#include "next_message_box.h"
#include "resource.h"
#include "tracker_app.h"
#include "url_capture.h"
#include "window_probe.h"

#include <QDir>
#include <QMenu>
#include <QTest>

#include <new>
#include <optional>

namespace {

const QByteArray kDataFile = "CREATOR=Nimbrel 1.0\r\nNAME=Mail\r\nUSERNAME=me\r\nPASSWORD=pw\r\n"
                             "URL=mail.example.com\r\nOTHER=\r\nNOTES=\r\n";

void closeFromTheSystemMenu(QWidget* window)
{
    QTest::keyClick(window->focusWidget(), Qt::Key_Space, Qt::AltModifier);
    if (QMenu* menu = openMenu()) {
        menu->setActiveAction(menuItem(*menu, QStringLiteral("Close")));
        QTest::keyClick(menu, Qt::Key_Return);
    }
}

// Fails as a handler does when memory runs out: at the first key pressed.
class FailingKeys : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            throw std::bad_alloc();
        return false;
    }
};

}  // namespace

class TrackerAppTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void runShowsTheMainWindowAndEndsWhenItCloses();
    void theHelpKeyWorksWhileTheWindowRuns();
    void aFailingHandlerEndsTheProgramWithoutSaving();

private:
    std::optional<DataDirectory> directory_;
};

void TrackerAppTest::init()
{
    directory_.emplace(kDataFile);
}

void TrackerAppTest::cleanup()
{
    directory_.reset();
}

void TrackerAppTest::runShowsTheMainWindowAndEndsWhenItCloses()
{
    QVariant templateId;
    QString caption;
    QList<QSize> iconSizes;
    bool iconDrawn = false;
    ModalWatch watch(nullptr, [&](QWidget* window) {
        templateId = window->property(kTemplateIdProperty);
        caption = window->windowTitle();
        iconSizes = window->windowIcon().availableSizes();
        iconDrawn = !window->windowIcon().pixmap(QSize(16, 16)).isNull()
            && !window->windowIcon().pixmap(QSize(32, 32)).isNull();
        closeFromTheSystemMenu(window);
    });

    const int status = static_cast<CTrackerApp*>(qApp)->run();

    QCOMPARE(status, 0);
    QCOMPARE(templateId.toInt(), IDD_TRACKER_DIALOG);
    QCOMPARE(caption, QStringLiteral("Nimbrel: nimbrel.nbd"));
    QVERIFY(iconSizes.contains(QSize(16, 16)));
    QVERIFY(iconSizes.contains(QSize(32, 32)));
    QVERIFY(iconDrawn);
    QCOMPARE(directory_->dataFile(), kDataFile);  // Close is Cancel: nothing saved
}

void TrackerAppTest::theHelpKeyWorksWhileTheWindowRuns()
{
    UrlCapture capture;
    ModalWatch watch(nullptr, [&](QWidget* window) {
        QTest::keyClick(window->focusWidget(), Qt::Key_F1);
        closeFromTheSystemMenu(window);
    });

    QCOMPARE(static_cast<CTrackerApp*>(qApp)->run(), 0);

    QCOMPARE(capture.urls(), QList<QUrl>{QUrl::fromLocalFile(QDir(QCoreApplication::applicationDirPath())
                                                           .filePath("help/main_window.htm"))});
}

void TrackerAppTest::aFailingHandlerEndsTheProgramWithoutSaving()
{
    FailingKeys failingKeys;
    std::optional<NextMessageBox> message;
    ModalWatch watch(nullptr, [&](QWidget* window) {
        QTest::keyClicks(window->focusWidget(), QStringLiteral("Added"));
        message.emplace(QMessageBox::Ok);
        window->focusWidget()->installEventFilter(&failingKeys);
        QTest::keyClick(window->focusWidget(), Qt::Key_Return);
    });

    QCOMPARE(static_cast<CTrackerApp*>(qApp)->run(), 1);

    QVERIFY(message && message->seen());
    QCOMPARE(message->text(), QStringLiteral("Out of memory. Nimbrel closes without saving."));
    QCOMPARE(directory_->dataFile(), kDataFile);  // Return would have saved
}

int main(int argc, char* argv[])
{
    CTrackerApp app(argc, argv);
    TrackerAppTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tracker_app_test.moc"
