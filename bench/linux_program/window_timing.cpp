// Starts the program's window on nimbrel.nbd in the current directory, as the program itself
// does, and times one thing from outside or inside. At the window's first paint it prints
// "paint NS" (the realtime clock in nanoseconds), then, by mode:
//   paint          ends at once;
//   quit, esc      prints "key NS", presses Return or Esc and lets the program end as it does;
//   row-click      clicks the first row and prints "row-click SECONDS" once the form is shown,
//                  then "peak-memory BYTES", the process's highest resident memory;
//   heading-click  clicks the first heading and prints "heading-click SECONDS" once repainted.
// Usage: window_timing paint|quit|esc|row-click|heading-click
#include "data_file_load.h"
#include "tracker_app.h"
#include "tracker_dlg.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <utility>

namespace {

long long realtimeNanoseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

long long peakMemoryBytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:"))
            return std::stoll(line.substr(6)) * 1024;
    }
    return 0;
}

// Press, move and release, then the repaint that follows.
double click(QWidget* widget, QPoint point)
{
    QElapsedTimer timer;
    timer.start();
    QTest::mousePress(widget, Qt::LeftButton, {}, point);
    QTest::mouseMove(widget, point);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
    QCoreApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

void act(const std::string& mode, QWidget& window)
{
    std::printf("paint %lld\n", realtimeNanoseconds());
    std::fflush(stdout);
    auto* view = window.findChild<QTableView*>();
    if (mode == "quit" || mode == "esc") {
        std::printf("key %lld\n", realtimeNanoseconds());
        std::fflush(stdout);
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
        QTest::keyClick(target, mode == "quit" ? Qt::Key_Return : Qt::Key_Escape);
        return;
    }
    if (mode == "row-click") {
        const QRect first = view->visualRect(view->model()->index(0, 0));
        std::printf("row-click %.4f\n", click(view->viewport(), first.center()));
        std::printf("peak-memory %lld\n", peakMemoryBytes());
    } else if (mode == "heading-click") {
        QHeaderView* header = view->horizontalHeader();
        const QPoint centre(header->sectionViewportPosition(0) + header->sectionSize(0) / 2,
                            header->height() / 2);
        std::printf("heading-click %.4f\n", click(header->viewport(), centre));
    }
    std::fflush(stdout);
    std::_Exit(0);
}

// Waits for the main window's first paint; what the mode does follows once that paint is
// on the screen.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(std::string mode) : mode_(std::move(mode)) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<CTrackerDlg*>(watched);
        if (window && event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, window, [this, window] { act(mode_, *window); });
        }
        return false;
    }

private:
    std::string mode_;
    bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_timing paint|quit|esc|row-click|heading-click\n");
        return 2;
    }
    auto load = std::make_unique<DataFileLoad>();
    CTrackerApp app(argc, argv);
    FirstPaint firstPaint(argv[1]);
    app.installEventFilter(&firstPaint);
    return app.run(std::move(load));
}
