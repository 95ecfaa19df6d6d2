#include "tracker_dlg.h"

#include "data_file.h"
#include "dialog_builder.h"
#include "dialog_control.h"
#include "field_text.h"
#include "modal_watch.h"
#include "next_message_box.h"
#include "resource.h"
#include "temporary_directory.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

using Record = std::array<std::string, 6>;
constexpr std::array<int, 6> kFieldIds{IDC_NAME, IDC_USERNAME, IDC_PASSWORD,
                                       IDC_URL,  IDC_OTHER,    IDC_NOTES};

// The bytes the program writes for these rows, top row first.
std::string fileBytes(const std::vector<Record>& rows)
{
    if (rows.empty())
        return {};
    static const std::array<const char*, 6> keys{"NAME", "USERNAME", "PASSWORD",
                                                 "URL",  "OTHER",    "NOTES"};
    std::string bytes = "CREATOR=Nimbrel 1.0";
    for (const Record& row : rows) {
        for (std::size_t field = 0; field < 6; ++field)
            bytes += std::string("\r\n") + keys[field] + "=" + row[field];
        bytes += "\r\n";
    }
    return bytes;
}

void writeDataFile(const std::string& bytes)
{
    std::ofstream(kDataFileName, std::ios::binary) << bytes;
}

std::optional<std::string> readDataFile()
{
    std::ifstream file(kDataFileName, std::ios::binary);
    if (!file)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

QString fieldText(QDialog& dialog, int id)
{
    if (id == IDC_NOTES)
        return control<QPlainTextEdit>(dialog, id)->toPlainText();
    return control<QLineEdit>(dialog, id)->text();
}

// What the six fields show.
QStringList form(QDialog& dialog)
{
    QStringList texts;
    for (const int id : kFieldIds)
        texts << fieldText(dialog, id);
    return texts;
}

QString count(QDialog& dialog)
{
    return control<QLineEdit>(dialog, IDC_COUNT)->text();
}

QTableView* table(QDialog& dialog)
{
    return control<QTableView>(dialog, IDC_ENTRY_LIST);
}

QString cell(QDialog& dialog, int row, int column)
{
    return table(dialog)->model()->index(row, column).data().toString();
}

// The Name column from top to bottom.
QStringList names(QDialog& dialog)
{
    QStringList texts;
    for (int row = 0; row < table(dialog)->model()->rowCount(); ++row)
        texts << cell(dialog, row, 0);
    return texts;
}

// Replaces a field's text by typing, as a user would.
void type(QDialog& dialog, int id, const QString& text)
{
    QWidget* field = control<QWidget>(dialog, id);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

void typeRecord(QDialog& dialog, const QStringList& texts)
{
    for (qsizetype field = 0; field < texts.size(); ++field)
        type(dialog, kFieldIds[static_cast<std::size_t>(field)], texts[field]);
}

void press(QDialog& dialog, int id)
{
    QTest::mouseClick(control<QPushButton>(dialog, id), Qt::LeftButton);
}

void clickRow(QDialog& dialog, int row)
{
    QTableView* view = table(dialog);
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

void clickHeading(QDialog& dialog, int column)
{
    QHeaderView* header = table(dialog)->horizontalHeader();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

}  // namespace

class TrackerDlgTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensWithTheFileInReverseOrder();
    void opensOnAMissingFile();
    void tabFollowsTheTemplateAndSkipsCount();
    void editsSurviveSaveAndRestart();
    void addNeedsAName();
    void duplicateQuestion_data();
    void duplicateQuestion();
    void headingClicksSortAndReverse();
    void selectionMarkStaysOnItsPosition();
    void rowClickOnEmptySpace();
    void dragKeepsThePressedRow();
    void tableHasNoKeyboardCopy();
    void cancelClosesWithoutSaving_data();
    void cancelClosesWithoutSaving();
    void enterQuits_data();
    void enterQuits();
    void enterOnAFocusedButtonPressesIt();
    void ctrlEnterBreaksTheNotesLine();
    void failedSaveKeepsTheWindowOpen();
    void fullDiskDuringQuitKeepsTheWindowAndTheFile();
    void fileSavedByAnotherWindowIsReplacedOnlyWhenAsked();
    void fileNotReadCompletelyIsReportedAndReplacedOnlyWhenAsked();
    void unchangedFieldsKeepTheirBytes();
    void editedFieldKeepsItsCodePage();
    void longTextsAreKept();
    void overlongLineIsShownShortAndKept();
    void pasteKeepsOneLineFieldsToOneLine();
    void columnsFitTheWidestCell();
    void columnsFitAWideCellOfFewBytes();
    void deleteKeepsTheNotesWidth();
    void columnsFitTheWidestOfManyLoadedRows();

private:
    std::unique_ptr<CTrackerDlg> openWindow();

    std::unique_ptr<TemporaryDirectory> directory_;
    std::unique_ptr<WorkingDirectory> workingDirectory_;
};

void TrackerDlgTest::init()
{
    directory_ = std::make_unique<TemporaryDirectory>();
    workingDirectory_ = std::make_unique<WorkingDirectory>(directory_->path());
}

void TrackerDlgTest::cleanup()
{
    workingDirectory_.reset();
    directory_.reset();
}

std::unique_ptr<CTrackerDlg> TrackerDlgTest::openWindow()
{
    auto dialog = std::make_unique<CTrackerDlg>();
    dialog->show();
    dialog->activateWindow();
    [&] { QVERIFY(QTest::qWaitForWindowActive(dialog.get())); }();
    return dialog;
}

void TrackerDlgTest::opensWithTheFileInReverseOrder()
{
    writeDataFile(fileBytes({{"A", "ua", "pa", "", "", ""},
                             {"B", "", "", "", "", "b`~c"},
                             {"C", "", "", "c.example", "", ""}}));
    auto dialog = openWindow();

    QCOMPARE(names(*dialog), (QStringList{"C", "B", "A"}));
    QCOMPARE(cell(*dialog, 2, 1), QStringLiteral("ua"));
    QCOMPARE(cell(*dialog, 1, 5), QStringLiteral("b\u21b5c"));
    QCOMPARE(form(*dialog), QStringList(6, QString()));
    QCOMPARE(count(*dialog), QStringLiteral("3"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Nimbrel: nimbrel.nbd"));
    QCOMPARE(QApplication::focusWidget(), control<QWidget>(*dialog, IDC_NAME));
    QTableView* view = table(*dialog);
    QCOMPARE(view->horizontalHeader()->length(), view->viewport()->width());  // Notes fills up

    clickRow(*dialog, 1);
    QCOMPARE(fieldText(*dialog, IDC_NOTES), QStringLiteral("b\nc"));
}

void TrackerDlgTest::opensOnAMissingFile()
{
    auto dialog = openWindow();

    QCOMPARE(table(*dialog)->model()->rowCount(), 0);
    QCOMPARE(count(*dialog), QStringLiteral("0"));
    QCOMPARE(form(*dialog), QStringList(6, QString()));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Nimbrel: nimbrel.nbd"));
    QCOMPARE(readDataFile(), std::string());
    QVERIFY(!(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    const QPoint screenCentre = dialog->screen()->availableGeometry().center();
    QVERIFY((dialog->frameGeometry().center() - screenCentre).manhattanLength() <= 2);
}

void TrackerDlgTest::tabFollowsTheTemplateAndSkipsCount()
{
    writeDataFile(fileBytes({{"row", "", "", "", "", "notes"}}));
    auto dialog = openWindow();
    QList<int> order;
    for (int step = 0; step < 15; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->property(kControlIdProperty).toInt();
    }
    const QList<int> expected{IDC_USERNAME, IDC_PASSWORD, IDC_URL,    IDC_GO,     IDC_OTHER,
                              IDC_NOTES,    IDC_ENTRY_LIST, IDOK,     IDC_ADD,    IDC_UPDATE,
                              IDC_DELETE,   IDC_CLEAR,    IDC_SAVE,   IDC_HELP_PAGE, IDC_NAME};
    QCOMPARE(order, expected);
    QCOMPARE(fieldText(*dialog, IDC_NOTES), QString());
}

void TrackerDlgTest::editsSurviveSaveAndRestart()
{
    {
        auto dialog = openWindow();
        typeRecord(*dialog, {"Mail", "me", "secret", "mail.example", "o", "n"});
        press(*dialog, IDC_ADD);
        QCOMPARE(form(*dialog), QStringList(6, QString()));
        QCOMPARE(count(*dialog), QStringLiteral("1"));
        typeRecord(*dialog, {"Bank", "acct"});
        press(*dialog, IDC_ADD);
        typeRecord(*dialog, {"Shop"});
        press(*dialog, IDC_ADD);
        QCOMPARE(names(*dialog), (QStringList{"Shop", "Bank", "Mail"}));
        QCOMPARE(count(*dialog), QStringLiteral("3"));

        clickRow(*dialog, 1);
        QCOMPARE(form(*dialog), (QStringList{"Bank", "acct", "", "", "", ""}));
        type(*dialog, IDC_PASSWORD, "pin");
        press(*dialog, IDC_UPDATE);
        QCOMPARE(cell(*dialog, 1, 2), QStringLiteral("pin"));
        QCOMPARE(cell(*dialog, 0, 2), QString());
        QCOMPARE(form(*dialog), QStringList(6, QString()));

        clickRow(*dialog, 0);
        press(*dialog, IDC_DELETE);
        QCOMPARE(names(*dialog), (QStringList{"Bank", "Mail"}));
        QCOMPARE(fieldText(*dialog, IDC_NAME), QStringLiteral("Shop"));
        QCOMPARE(count(*dialog), QStringLiteral("2"));

        type(*dialog, IDC_NAME, "typed but not added");
        press(*dialog, IDC_SAVE);
        QCOMPARE(form(*dialog), QStringList(6, QString()));
        QCOMPARE(readDataFile(), fileBytes({{"Bank", "acct", "pin", "", "", ""},
                                            {"Mail", "me", "secret", "mail.example", "o", "n"}}));
    }
    auto dialog = openWindow();
    QCOMPARE(names(*dialog), (QStringList{"Mail", "Bank"}));
    QCOMPARE(count(*dialog), QStringLiteral("2"));
    press(*dialog, IDOK);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(readDataFile(), fileBytes({{"Mail", "me", "secret", "mail.example", "o", "n"},
                                        {"Bank", "acct", "pin", "", "", ""}}));
}

void TrackerDlgTest::addNeedsAName()
{
    auto dialog = openWindow();
    typeRecord(*dialog, {"", "user", "pass"});
    press(*dialog, IDC_ADD);
    QCOMPARE(table(*dialog)->model()->rowCount(), 0);
    QCOMPARE(form(*dialog), (QStringList{"", "user", "pass", "", "", ""}));

    type(*dialog, IDC_NAME, "  ");
    press(*dialog, IDC_ADD);
    QCOMPARE(names(*dialog), QStringList{"  "});

    type(*dialog, IDC_USERNAME, "changed");
    clickRow(*dialog, 0);
    type(*dialog, IDC_NAME, "");
    press(*dialog, IDC_UPDATE);
    QCOMPARE(names(*dialog), QStringList{"  "});
    QCOMPARE(cell(*dialog, 0, 1), QStringLiteral("user"));
    QCOMPARE(form(*dialog), QStringList(6, QString()));
}

void TrackerDlgTest::duplicateQuestion_data()
{
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("rows");

    QTest::newRow("equal, answered No") << "n" << QMessageBox::No << true << 1;
    QTest::newRow("equal, answered Yes") << "n" << QMessageBox::Yes << true << 2;
    QTest::newRow("notes differ") << "other" << QMessageBox::No << false << 2;
}

void TrackerDlgTest::duplicateQuestion()
{
    QFETCH(QString, notes);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, asked);
    QFETCH(int, rows);

    auto dialog = openWindow();
    const QStringList record{"Mail", "me", "pw", "u", "o", "n"};
    typeRecord(*dialog, record);
    press(*dialog, IDC_ADD);
    QStringList second = record;
    second[5] = notes;
    typeRecord(*dialog, second);

    NextMessageBox question(answer);
    press(*dialog, IDC_ADD);

    QCOMPARE(question.seen(), asked);
    QCOMPARE(table(*dialog)->model()->rowCount(), rows);
    if (!asked)
        return;
    QCOMPARE(question.text(), QStringLiteral("This entry is already in the list.\r\n"
                                             "Do you really want to add this item?"));
    QCOMPARE(question.caption(), QCoreApplication::applicationName());
    QCOMPARE(question.icon(), QMessageBox::Warning);
    QCOMPARE(question.buttons(), QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question.defaultButton(), QMessageBox::Yes);
    const QStringList formAfter = answer == QMessageBox::Yes ? QStringList(6, QString()) : second;
    QCOMPARE(form(*dialog), formAfter);
    QCOMPARE(count(*dialog), QString::number(rows));
}

void TrackerDlgTest::headingClicksSortAndReverse()
{
    writeDataFile(fileBytes({{"one", "", "b", "", "", ""},
                             {"two", "", "C", "", "", ""},
                             {"three", "", "a", "", "", ""}}));
    auto dialog = openWindow();
    type(*dialog, IDC_OTHER, "kept");
    const auto passwords = [&dialog] {
        QStringList texts;
        for (int row = 0; row < 3; ++row)
            texts << cell(*dialog, row, 2);
        return texts;
    };
    QCOMPARE(passwords(), (QStringList{"a", "C", "b"}));

    clickHeading(*dialog, 2);
    QCOMPARE(passwords(), (QStringList{"C", "a", "b"}));
    QCOMPARE(names(*dialog), (QStringList{"two", "three", "one"}));
    clickHeading(*dialog, 2);
    QCOMPARE(passwords(), (QStringList{"b", "a", "C"}));
    clickHeading(*dialog, 2);
    QCOMPARE(passwords(), (QStringList{"C", "a", "b"}));
    QCOMPARE(fieldText(*dialog, IDC_OTHER), QStringLiteral("kept"));
    QCOMPARE(count(*dialog), QStringLiteral("3"));
}

void TrackerDlgTest::selectionMarkStaysOnItsPosition()
{
    writeDataFile(fileBytes({{"a", "", "", "", "", ""}, {"b", "", "", "", "", ""}}));
    auto dialog = openWindow();  // rows b, a
    clickRow(*dialog, 1);
    QCOMPARE(fieldText(*dialog, IDC_NAME), QStringLiteral("a"));

    clickHeading(*dialog, 0);
    QCOMPARE(names(*dialog), (QStringList{"a", "b"}));
    QCOMPARE(table(*dialog)->selectionModel()->selectedRows().value(0).row(), 1);

    type(*dialog, IDC_USERNAME, "changed");
    press(*dialog, IDC_UPDATE);  // acts on position 1, which now holds b
    QCOMPARE(names(*dialog), (QStringList{"a", "a"}));
    QCOMPARE(cell(*dialog, 1, 1), QStringLiteral("changed"));

    table(*dialog)->setFocus();
    QTest::keyClick(table(*dialog), Qt::Key_Up);
    press(*dialog, IDC_DELETE);
    QCOMPARE(table(*dialog)->model()->rowCount(), 1);
    QCOMPARE(cell(*dialog, 0, 1), QStringLiteral("changed"));
}

void TrackerDlgTest::rowClickOnEmptySpace()
{
    writeDataFile(fileBytes({{"only", "u", "", "", "", ""}}));
    auto dialog = openWindow();
    QTableView* view = table(*dialog);
    const QPoint emptySpace(5, view->viewport()->height() - 5);

    type(*dialog, IDC_NAME, "typed");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, emptySpace);
    QCOMPARE(form(*dialog), QStringList(6, QString()));  // no row selected yet

    clickRow(*dialog, 0);
    type(*dialog, IDC_NAME, "typed");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, emptySpace);
    QCOMPARE(form(*dialog), (QStringList{"only", "u", "", "", "", ""}));
}

void TrackerDlgTest::cancelClosesWithoutSaving_data()
{
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("Esc") << true;
    QTest::newRow("close box") << false;
}

void TrackerDlgTest::cancelClosesWithoutSaving()
{
    QFETCH(bool, byEscape);
    const std::string saved = fileBytes({{"saved", "", "", "", "", ""}});
    writeDataFile(saved);
    auto dialog = openWindow();
    typeRecord(*dialog, {"added"});
    press(*dialog, IDC_ADD);

    if (byEscape)
        QTest::keyClick(control<QWidget>(*dialog, IDC_NAME), Qt::Key_Escape);
    else
        dialog->close();

    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QCOMPARE(readDataFile(), saved);
}

void TrackerDlgTest::enterQuits_data()
{
    QTest::addColumn<int>("focus");
    for (const int id : kFieldIds)
        QTest::newRow(QByteArray::number(id).constData()) << id;
    QTest::newRow("table") << IDC_ENTRY_LIST;
}

void TrackerDlgTest::enterQuits()
{
    QFETCH(int, focus);
    auto dialog = openWindow();
    typeRecord(*dialog, {"Mail"});
    press(*dialog, IDC_ADD);

    QWidget* widget = control<QWidget>(*dialog, focus);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_Return);

    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(readDataFile(), fileBytes({{"Mail", "", "", "", "", ""}}));
}

void TrackerDlgTest::enterOnAFocusedButtonPressesIt()
{
    auto dialog = openWindow();
    typeRecord(*dialog, {"Mail"});
    QWidget* add = control<QWidget>(*dialog, IDC_ADD);
    add->setFocus();
    QTest::keyClick(add, Qt::Key_Return);

    QVERIFY(dialog->isVisible());
    QCOMPARE(names(*dialog), QStringList{"Mail"});
    QCOMPARE(readDataFile(), std::string());
}

void TrackerDlgTest::ctrlEnterBreaksTheNotesLine()
{
    {
        auto dialog = openWindow();
        typeRecord(*dialog, {"Mail"});
        QWidget* notes = control<QWidget>(*dialog, IDC_NOTES);
        notes->setFocus();
        QTest::keyClicks(notes, "first");
        QTest::keyClick(notes, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(notes, "second");
        QVERIFY(dialog->isVisible());
        press(*dialog, IDC_ADD);
        QCOMPARE(cell(*dialog, 0, 5), QStringLiteral("first\u21b5second"));
        press(*dialog, IDC_SAVE);
        QCOMPARE(readDataFile(), fileBytes({{"Mail", "", "", "", "", "first`~second"}}));
    }
    auto dialog = openWindow();
    clickRow(*dialog, 0);
    QCOMPARE(fieldText(*dialog, IDC_NOTES), QStringLiteral("first\nsecond"));
}

void TrackerDlgTest::failedSaveKeepsTheWindowOpen()
{
    auto dialog = openWindow();
    typeRecord(*dialog, {"Mail"});
    press(*dialog, IDC_ADD);
    // A directory in the data file's place cannot be replaced by a file.
    std::filesystem::remove(kDataFileName);
    std::filesystem::create_directory(kDataFileName);
    std::ofstream(std::filesystem::path(kDataFileName) / "keep") << "x";

    NextMessageBox failure(QMessageBox::Ok);
    press(*dialog, IDOK);

    QVERIFY(failure.seen());
    QCOMPARE(failure.text(), QStringLiteral("Save to File"));
    QCOMPARE(failure.caption(), QStringLiteral("Error Writing File"));
    QCOMPARE(failure.icon(), QMessageBox::NoIcon);
    QCOMPARE(failure.buttons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(dialog->isVisible());
    QCOMPARE(names(*dialog), QStringList{"Mail"});
    QCOMPARE(form(*dialog), QStringList(6, QString()));

    // The file read at the start is gone now, which is asked about as any change since the load.
    std::filesystem::remove_all(kDataFileName);
    NextMessageBox replace(QMessageBox::Yes);
    press(*dialog, IDOK);
    QVERIFY(replace.seen());
    QVERIFY(!dialog->isVisible());
    QCOMPARE(readDataFile(), fileBytes({{"Mail", "", "", "", "", ""}}));
}

void TrackerDlgTest::fullDiskDuringQuitKeepsTheWindowAndTheFile()
{
    const std::string saved = fileBytes({{"Bank", "ann", "", "", "", ""}});
    writeDataFile(saved);
    auto dialog = openWindow();
    typeRecord(*dialog, {"Mail", "anna", "a long password", "mail.example", "", "note"});
    press(*dialog, IDC_ADD);

    // The file size limit stands in for a disk that fills up part way through the new file.
    rlimit previous{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &previous) == 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit full = previous;
    full.rlim_cur = saved.size() / 2;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &full) == 0);
    NextMessageBox failure(QMessageBox::Ok);
    press(*dialog, IDOK);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(failure.seen());
    QCOMPARE(failure.text(), QStringLiteral("Save to File"));
    QVERIFY(dialog->isVisible());
    QCOMPARE(names(*dialog), (QStringList{"Mail", "Bank"}));
    QCOMPARE(readDataFile(), saved);
    for (const auto& file : std::filesystem::directory_iterator("."))
        QCOMPARE(QString::fromStdString(file.path().filename().string()),
                 QString::fromLocal8Bit(kDataFileName));

    press(*dialog, IDOK);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(readDataFile(),
             fileBytes({{"Mail", "anna", "a long password", "mail.example", "", "note"},
                        {"Bank", "ann", "", "", "", ""}}));
}

void TrackerDlgTest::dragKeepsThePressedRow()
{
    writeDataFile(fileBytes({{"c", "", "", "", "", ""}, {"b", "", "", "", "", ""},
                             {"a", "", "", "", "", ""}}));
    auto dialog = openWindow();  // rows a, b, c
    QTableView* view = table(*dialog);
    const auto rowCentre = [view](int row) {
        return view->visualRect(view->model()->index(row, 0)).center();
    };
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, rowCentre(0));
    QTest::mouseMove(view->viewport(), rowCentre(1));
    QTest::mouseMove(view->viewport(), rowCentre(2));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, rowCentre(2));
    QCOMPARE(fieldText(*dialog, IDC_NAME), QStringLiteral("a"));
    QCOMPARE(view->selectionModel()->selectedRows().value(0).row(), 0);

    type(*dialog, IDC_PASSWORD, "new");
    press(*dialog, IDC_UPDATE);
    QCOMPARE(names(*dialog), (QStringList{"a", "b", "c"}));
    QCOMPARE(cell(*dialog, 0, 2), QStringLiteral("new"));
    QCOMPARE(cell(*dialog, 2, 2), QString());
}

void TrackerDlgTest::tableHasNoKeyboardCopy()
{
    writeDataFile(fileBytes({{"Bank", "me", "secret", "", "", ""}}));
    auto dialog = openWindow();
    clickRow(*dialog, 0);
    table(*dialog)->setCurrentIndex(table(*dialog)->model()->index(0, 2));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(table(*dialog), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

void TrackerDlgTest::fileSavedByAnotherWindowIsReplacedOnlyWhenAsked()
{
    auto first = openWindow();
    auto second = openWindow();
    typeRecord(*first, {"First"});
    press(*first, IDC_ADD);
    press(*first, IDC_SAVE);
    typeRecord(*second, {"Second"});
    press(*second, IDC_ADD);
    QString question;
    ModalWatch enter(second.get(), [&question](QWidget* box) {
        question = qobject_cast<QMessageBox*>(box)->text();
        QTest::keyClick(box, Qt::Key_Return);  // the default answer
    });
    press(*second, IDOK);
    QCOMPARE(question, QStringLiteral("nimbrel.nbd has been changed by another program since it "
                                      "was loaded.\r\nDo you want to replace it with this list?"));
    QVERIFY(second->isVisible());
    QCOMPARE(readDataFile(), fileBytes({{"First", "", "", "", "", ""}}));

    NextMessageBox yes(QMessageBox::Yes);
    press(*second, IDOK);
    QCOMPARE(yes.caption(), QCoreApplication::applicationName());
    QCOMPARE(yes.icon(), QMessageBox::Warning);
    QVERIFY(!second->isVisible());
    QCOMPARE(readDataFile(), fileBytes({{"Second", "", "", "", "", ""}}));
}

void TrackerDlgTest::fileNotReadCompletelyIsReportedAndReplacedOnlyWhenAsked()
{
    // Reading this process's memory at address 0 fails with an I/O error.
    std::filesystem::create_symlink("/proc/self/mem", kDataFileName);
    {
        NextMessageBox failure(QMessageBox::Ok);
        CTrackerDlg dialog;
        dialog.show();  // the message follows the window
        QTRY_VERIFY(failure.seen());
        QCOMPARE(failure.text(), QStringLiteral("Load from File"));
        QCOMPARE(failure.caption(), QStringLiteral("Error Reading File"));
        QCOMPARE(failure.icon(), QMessageBox::NoIcon);
    }
    std::filesystem::remove(kDataFileName);
    const std::string utf16("\xff\xfeN\0A\0M\0E\0=\0A\0\r\0\n\0", 18);
    writeDataFile(utf16);
    auto dialog = openWindow();
    NextMessageBox no(QMessageBox::No);
    press(*dialog, IDOK);
    QCOMPARE(no.text(), QStringLiteral("nimbrel.nbd could not be read completely.\r\n"
                                       "Do you want to replace it with this list?"));
    QVERIFY(dialog->isVisible());
    QCOMPARE(readDataFile(), utf16);
}

void TrackerDlgTest::unchangedFieldsKeepTheirBytes()
{
    // Bytes of another code page that are no valid text here.
    const Record foreign{"Caf\xe9", "\xff user", "p\x80", "", "\xe9t\xe9", "a\xe9`~b"};
    writeDataFile(fileBytes({foreign}));
    auto dialog = openWindow();
    press(*dialog, IDC_SAVE);
    QCOMPARE(readDataFile(), fileBytes({foreign}));

    clickRow(*dialog, 0);
    type(*dialog, IDC_URL, "new.example");
    press(*dialog, IDC_UPDATE);
    press(*dialog, IDC_SAVE);
    Record changed = foreign;
    changed[3] = "new.example";
    QCOMPARE(readDataFile(), fileBytes({changed}));
}

void TrackerDlgTest::editedFieldKeepsItsCodePage()
{
    writeDataFile(fileBytes({{"Caf\xe9", "\x81x", "Caf\xe9", "", "", ""}}));
    auto dialog = openWindow();
    QCOMPARE(cell(*dialog, 0, 0), QStringLiteral("Caf\u00e9"));
    clickRow(*dialog, 0);
    QCOMPARE(form(*dialog).mid(0, 3),
             (QStringList{"Caf\u00e9", "\u0081x", "Caf\u00e9"}));

    const auto append = [&dialog](int id, const QString& text) {
        QLineEdit* field = control<QLineEdit>(*dialog, id);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_End);
        for (const QChar character : text)
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, character, {});
    };
    append(IDC_NAME, QStringLiteral("s \u20ac"));
    append(IDC_USERNAME, QStringLiteral("y"));
    append(IDC_PASSWORD, QStringLiteral(" \u2713"));  // no byte for it in the code page
    press(*dialog, IDC_UPDATE);
    press(*dialog, IDC_SAVE);
    QCOMPARE(readDataFile(), fileBytes({{"Caf\xe9s \x80", "\x81xy", "Caf\xc3\xa9 \xe2\x9c\x93", "",
                                         "", ""}}));
}

void TrackerDlgTest::longTextsAreKept()
{
    auto dialog = openWindow();
    const QString longName(40000, u'n');
    const QString longNotes = (QString(50000, u'x') + u'\n').repeated(25);  // shown in pieces
    auto* notes = control<QPlainTextEdit>(*dialog, IDC_NOTES);
    control<QLineEdit>(*dialog, IDC_NAME)->setText(longName);  // as pasted
    notes->setPlainText(longNotes);
    press(*dialog, IDC_ADD);
    // The cell shows the beginning; the form gets the whole text back, not to be undone, and
    // saves it unchanged.
    QCOMPARE(cell(*dialog, 0, 0), longName.left(kCellCharacters) + QChar(kEllipsis));
    clickRow(*dialog, 0);
    QCOMPARE(notes->toPlainText(), longNotes);
    QVERIFY(!notes->document()->isUndoAvailable());
    press(*dialog, IDC_UPDATE);
    press(*dialog, IDC_SAVE);
    const QString savedNotes = QString(longNotes).replace(u'\n', QStringLiteral("`~"));
    QCOMPARE(readDataFile(),
             fileBytes({{longName.toStdString(), "", "", "", "", savedNotes.toStdString()}}));
}

// A line too long to lay out quickly shows its beginning, cannot be edited and is saved whole.
void TrackerDlgTest::overlongLineIsShownShortAndKept()
{
    const std::string saved =
        fileBytes({{"Huge", "", "", "", "", "first`~" + std::string(3 * kLongestFieldLine, 'x')}});
    writeDataFile(saved);
    auto dialog = openWindow();
    clickRow(*dialog, 0);
    auto* notes = control<QPlainTextEdit>(*dialog, IDC_NOTES);
    QCOMPARE(notes->toPlainText(), "first\n" + QString(kLongestFieldLine, u'x') + kEllipsis);
    QVERIFY(notes->isReadOnly());
    QTest::keyClick(notes, Qt::Key_Return, Qt::ControlModifier);
    press(*dialog, IDOK);
    QCOMPARE(readDataFile(), saved);
}

void TrackerDlgTest::pasteKeepsOneLineFieldsToOneLine()
{
    auto dialog = openWindow();
    type(*dialog, IDC_NAME, "Mail");
    type(*dialog, IDC_PASSWORD, "sec");
    QLineEdit* password = control<QLineEdit>(*dialog, IDC_PASSWORD);
    password->setCursorPosition(2);
    QGuiApplication::clipboard()->setText(QStringLiteral("ret\r\nNAME=Injected\r\nPASSWORD=x"));
    QTest::keyClick(password, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(password->text(), QStringLiteral("seretc"));
    QCOMPARE(password->cursorPosition(), 5);

    press(*dialog, IDC_ADD);
    press(*dialog, IDC_SAVE);
    QCOMPARE(readDataFile(), fileBytes({{"Mail", "", "seretc", "", "", ""}}));
}

void TrackerDlgTest::columnsFitTheWidestCell()
{
    writeDataFile(fileBytes({{"short", "a much longer user name than the heading", "", "", "", ""},
                             {"a rather long name for a record", "u", "", "", "", ""},
                             {"mid", "", "", "", "", ""}}));
    auto dialog = openWindow();
    QTableView* view = table(*dialog);
    QHeaderView* header = view->horizontalHeader();
    // Qt's own measure, over every row of this small table.
    const auto fullFit = [&](int column) {
        return std::max(static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column), header->sectionSizeHint(column));
    };
    for (int column = 0; column < 5; ++column)
        QCOMPARE(header->sectionSize(column), fullFit(column));
    QVERIFY(header->sectionSize(0) > header->sectionSizeHint(0));
    QVERIFY(header->length() > view->viewport()->width());
    QCOMPARE(header->sectionSize(5), fullFit(5));  // nothing left over to fill

    clickRow(*dialog, 1);  // the long name
    type(*dialog, IDC_NAME, "n");
    press(*dialog, IDC_UPDATE);
    QCOMPARE(header->sectionSize(0), fullFit(0));
    QCOMPARE(header->sectionSize(1), fullFit(1));

    clickRow(*dialog, 2);  // the long user name
    press(*dialog, IDC_DELETE);
    QVERIFY(header->sectionSize(1) > fullFit(1));  // Delete does not fit the columns
    typeRecord(*dialog, {"new"});
    press(*dialog, IDC_ADD);
    for (int column = 0; column < 5; ++column)
        QCOMPARE(header->sectionSize(column), fullFit(column));
    QCOMPARE(header->length(), view->viewport()->width());
}

// Eight bytes whose last one, in Windows-1252, is wider than any ASCII character; a few tabs,
// which the cell draws expanded.
void TrackerDlgTest::columnsFitAWideCellOfFewBytes()
{
    writeDataFile(fileBytes({{"@@@@@@@@", "WWWWWWWW", "", "", "", ""}, {"@@@@@@@\x89", "a\t\tb", "", "", "", ""}}));
    auto dialog = openWindow();
    QTableView* view = table(*dialog);
    for (int column = 0; column < 2; ++column)
        QCOMPARE(view->horizontalHeader()->sectionSize(column),
                 static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column));
}

// Removing the vertical scroll bar widens the viewport, but only fitting the columns stretches
// the last one.
void TrackerDlgTest::deleteKeepsTheNotesWidth()
{
    writeDataFile(fileBytes(std::vector<Record>(12, Record{"r", "", "", "", "", "n"})));
    auto dialog = openWindow();
    QTableView* view = table(*dialog);
    const int notesWidth = view->horizontalHeader()->sectionSize(5);
    while (view->verticalScrollBar()->isVisible()) {
        clickRow(*dialog, 0);
        press(*dialog, IDC_DELETE);
    }
    QCOMPARE(view->horizontalHeader()->sectionSize(5), notesWidth);
}

// Loaded rows are measured as the load hands them over, in batches of a few thousand, and the
// rows after the last full batch once it has ended; the widest cells lie in a middle batch,
// after the last one and among rows of few bytes.
void TrackerDlgTest::columnsFitTheWidestOfManyLoadedRows()
{
    constexpr int kRecords = 3 * 4096 + 500;
    std::vector<Record> records(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        records[i][0] = QStringLiteral("r%1").arg(i, 5, 10, QChar(u'0')).toStdString();
        if (i % 2 == 0)
            records[i][5] = std::string(70, 'x');
    }
    records[10][5] = std::string(75, '@');
    records[5000][0] = "a wide name in a middle batch WWW";
    records[kRecords - 1] = {"last", "the widest user name, loaded last MMM", "", "", "",
                             std::string(70, 'x')};
    records[kRecords - 3][3] = "WWWWWWWWWWWW";  // short rows, without Notes
    records[kRecords - 5][4] = "@@@@@@@@@@@@@";
    writeDataFile(fileBytes(records));

    auto dialog = openWindow();
    QTableView* view = table(*dialog);
    QHeaderView* header = view->horizontalHeader();
    QCOMPARE(view->model()->rowCount(), kRecords);
    QVERIFY(header->length() > view->viewport()->width());  // Notes are not stretched
    for (int column = 0; column < 6; ++column) {
        int widest = header->sectionSizeHint(column);
        for (int row = 0; row < kRecords; ++row)  // Qt's own measure, over every row
            widest = std::max(widest, view->sizeHintForIndex(view->model()->index(row, column)).width());
        QCOMPARE(header->sectionSize(column), widest);
    }
}

QTEST_MAIN(TrackerDlgTest)
#include "tracker_dlg_test.moc"
