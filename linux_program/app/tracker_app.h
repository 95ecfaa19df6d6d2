#pragma once

#include "help_key_filter.h"

#include <QApplication>

#include <exception>
#include <memory>

class DataFileLoad;

// The application object: prepares the platform, runs the main window modally and ends the
// program when it closes. It takes no command-line arguments of its own.
class CTrackerApp : public QApplication {
    Q_OBJECT

public:
    CTrackerApp(int& argc, char** argv);

    // Whether the environment names a display or a platform; without one the toolkit aborts.
    static bool displayAvailable();

    // Start-up and the main window's modal run, on the records of the load given or else of a
    // load of its own; the program's exit status.
    int run();
    int run(std::unique_ptr<DataFileLoad> load);

    // An exception that leaves an event's handling ends the program, see endAfterFailure().
    bool notify(QObject* receiver, QEvent* event) override;

private:
    void endAfterFailure(const std::exception_ptr& failure);

    HelpKeyFilter helpKey_;
    int failureStatus_ = 0;
};
