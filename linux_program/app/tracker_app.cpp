#include "tracker_app.h"

#include "data_file_load.h"
#include "failure_text.h"
#include "minimised_icon_painter.h"
#include "program_icon.h"
#include "system_menu.h"
#include "termination_signals.h"
#include "tracker_dlg.h"

#include <QFileInfo>
#include <QMessageBox>

#include <cstdlib>
#include <utility>

CTrackerApp::CTrackerApp(int& argc, char** argv) : QApplication(argc, argv)
{
    // Captions name the program by its executable file, without the extension only.
    setApplicationName(QFileInfo(applicationFilePath()).completeBaseName());
    // The name under which the desktop file and the icon are installed.
    setDesktopFileName(QStringLiteral("example.nimbrel.Nimbrel"));
    installEventFilter(&helpKey_);
}

int CTrackerApp::run()
{
    return run(std::make_unique<DataFileLoad>());
}

int CTrackerApp::run(std::unique_ptr<DataFileLoad> load)
{
    // TERM, INT and HUP end the program as Cancel does, without saving; they are taken
    // between events, so never while a save is writing.
    TerminationSignals termination;
    int endedBy = 0;
    connect(&termination, &TerminationSignals::received, this, [&endedBy](int signalNumber) {
        endedBy = signalNumber;
        exit(128 + signalNumber);  // ends the message boxes' event loops too
    });
    CTrackerDlg window(std::move(load));
    window.setWindowIcon(programIcon());
    SystemMenu systemMenu(window);
    MinimisedIconPainter iconPainter(window);
    window.exec();
    return endedBy == 0 ? failureStatus_ : 128 + endedBy;
}

bool CTrackerApp::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        endAfterFailure(std::current_exception());
        return false;
    }
}

// Qt itself would end the program without a word. The windows' state may be half changed, so
// they are hidden, never saved, and their event loops end; a second failure meanwhile only
// adds to the first.
void CTrackerApp::endAfterFailure(const std::exception_ptr& failure)
{
    if (failureStatus_ != 0)
        return;
    failureStatus_ = EXIT_FAILURE;
    for (QWidget* window : topLevelWidgets())
        window->hide();
    try {
        QMessageBox::critical(nullptr, applicationName(), QString::fromUtf8(failureText(failure)));
    } catch (...) {
        // Memory ran out again for the message; the program ends all the same.
    }
    exit(failureStatus_);
}
