// Times the opening of the main window until it is shown with every row loaded, and a click
// on a column heading, on an empty data file and on one of many records. Peak memory is the
// process's maximum resident size after each file, so the empty file comes first.

#include "data_file.h"
#include "tracker_dlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTableView>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace {

std::string randomText(std::mt19937& random, std::size_t minimum, std::size_t maximum)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<std::size_t> length(minimum, maximum);
    std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
    std::string text(length(random), ' ');
    for (char& c : text)
        c = kLetters[letter(random)];
    return text;
}

// Texts of one length in a column are the hardest case for finding the widest cell quickly.
void writeRecords(std::size_t records, bool oneLength)
{
    std::mt19937 random(42);
    const auto text = [&random, oneLength](std::size_t minimum, std::size_t maximum) {
        return randomText(random, oneLength ? maximum : minimum, maximum);
    };
    std::ofstream file(kDataFileName, std::ios::binary);
    if (records > 0)
        file << "CREATOR=Nimbrel 1.0";
    for (std::size_t i = 0; i < records; ++i) {
        file << "\r\nNAME=" << text(4, 20) << "\r\nUSERNAME=" << text(3, 16)
             << "\r\nPASSWORD=" << text(8, 16) << "\r\nURL=www."
             << text(4, 12) << ".example\r\nOTHER=" << text(0, 10)
             << "\r\nNOTES=" << text(0, 30) << "`~" << text(0, 20)
             << "\r\n";
    }
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double clickHeading(CTrackerDlg& dialog, QTableView& view, int column)
{
    QHeaderView* header = view.horizontalHeader();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    QCoreApplication::processEvents();  // the repaint
    static_cast<void>(dialog);
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void measure(std::size_t records, bool oneLength)
{
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("window_bench." + std::to_string(::getpid()));
    std::filesystem::create_directory(directory);
    std::filesystem::current_path(directory);
    writeRecords(records, oneLength);

    QElapsedTimer timer;
    timer.start();
    {
        CTrackerDlg dialog;
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog)) {
            std::fprintf(stderr, "window not exposed\n");
            std::exit(1);
        }
        QCoreApplication::processEvents();
        const double openMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        auto* view = dialog.findChild<QTableView*>();
        const int rows = view->model()->rowCount();

        const double sortMs = clickHeading(dialog, *view, 0);
        const double reverseMs = clickHeading(dialog, *view, 0);
        const double resortMs = clickHeading(dialog, *view, 0);
        std::printf("%7zu records%s: open %8.1f ms (%d rows)  heading click: sort %7.1f ms, "
                    "reverse %7.1f ms, sort again %7.1f ms  peak %6.1f MB\n",
                    records, oneLength ? " of one length" : "", openMs, rows, sortMs, reverseMs, resortMs, peakMegabytes());
        dialog.reject();
    }
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(directory);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::size_t records = argc > 1 ? std::stoul(argv[1]) : 100000;
    measure(0, false);
    measure(records, false);
    measure(records, true);
    return 0;
}
