// A long seeded run of random user actions on the real main window. Beside the window runs a
// small model of the window's rules, written from the rules and not from the store; after every
// action the table, the count, the form, the selection and the data file's bytes must agree
// with it. NIMBREL_RANDOM_SEED and NIMBREL_RANDOM_ACTIONS choose another run.

#include "tracker_dlg.h"

#include "data_file.h"
#include "dialog_builder.h"
#include "dialog_control.h"
#include "next_message_box.h"
#include "resource.h"
#include "temporary_directory.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <fstream>
#include <iterator>
#include <memory>
#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kFields = 6;
constexpr std::size_t kNotes = 5;
constexpr std::array<int, kFields> kFieldIds{IDC_NAME, IDC_USERNAME, IDC_PASSWORD,
                                             IDC_URL,  IDC_OTHER,    IDC_NOTES};
constexpr std::array<const char*, kFields> kKeys{"NAME", "USERNAME", "PASSWORD",
                                                 "URL",  "OTHER",    "NOTES"};

constexpr std::uint64_t kDefaultSeed = 20261208;
constexpr int kDefaultActions = 20000;
constexpr std::size_t kRecentActionsShown = 40;
constexpr int kClosePeriod = 9000;

// Six texts of one row: the bytes the store holds, Notes line breaks as CR LF.
using Record = std::array<std::string, kFields>;

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The Notes field breaks lines with LF; the store with CR LF.
std::string notesFromField(const std::string& text) { return replaced(text, "\n", "\r\n"); }
std::string notesToField(const std::string& bytes) { return replaced(bytes, "\r\n", "\n"); }

std::string encodedNotes(std::string notes)
{
    std::replace(notes.begin(), notes.end(), '\r', '`');
    std::replace(notes.begin(), notes.end(), '\n', '~');
    return notes;
}

std::string decodedNotes(const std::string& notes) { return replaced(notes, "`~", "\r\n"); }

// The data file written from these rows, top row first.
std::string fileBytes(const std::vector<Record>& rows)
{
    if (rows.empty())
        return {};
    std::string bytes = "CREATOR=Nimbrel 1.0";
    for (const Record& row : rows) {
        for (std::size_t field = 0; field < kFields; ++field)
            bytes += std::string("\r\n") + kKeys[field] + "="
                + (field == kNotes ? encodedNotes(row[field]) : row[field]);
        bytes += "\r\n";
    }
    return bytes;
}

// The table shows a note on one line, each line break as a return sign.
QString cellText(std::size_t field, const std::string& bytes)
{
    QString text = QString::fromStdString(bytes);
    if (field == kNotes)
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\u21b5"));
    return text;
}

// What the rules say the window holds. The fields' texts are kept apart from the form strings
// because Delete shows the strings without reading the fields first.
class WindowModel {
public:
    std::vector<Record> rows;
    Record strings;
    Record fields;  // as the edit fields show them, Notes breaking lines with LF
    std::optional<std::size_t> mark;
    // The row the table draws as selected: the mark, except that a click on empty space takes
    // the drawn selection away and leaves the mark.
    std::optional<std::size_t> selected;
    std::vector<Record> fileRows;  // the data file's records, first record first

    void readForm()
    {
        strings = fields;
        strings[kNotes] = notesFromField(fields[kNotes]);
    }

    void showForm()
    {
        fields = strings;
        fields[kNotes] = notesToField(strings[kNotes]);
    }

    void clearForm()
    {
        readForm();
        strings = Record{};
        showForm();
    }

    // Returns whether the duplicate question is asked.
    bool add(bool answerYes)
    {
        readForm();
        if (strings[0].empty()) {
            showForm();
            return false;
        }
        const bool duplicate = std::find(rows.begin(), rows.end(), strings) != rows.end();
        if (duplicate && !answerYes) {
            showForm();
            return true;
        }
        rows.insert(rows.begin(), strings);
        // The mark and the selection follow their row down.
        for (std::optional<std::size_t>* row : {&mark, &selected})
            if (*row)
                ++**row;
        clearForm();
        return duplicate;
    }

    void update()
    {
        readForm();
        if (!strings[0].empty() && mark)
            rows[*mark] = strings;
        clearForm();
    }

    void deleteEntry()
    {
        if (mark) {
            rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(*mark));
            mark.reset();  // its row is gone: nothing is marked until the user selects again
            selected.reset();
        }
        showForm();
    }

    void save()
    {
        readForm();
        fileRows = rows;
        clearForm();
    }

    // A left click in the table; a click on empty space leaves the mark where it was.
    void rowClick(std::optional<std::size_t> clickedRow)
    {
        if (clickedRow)
            mark = clickedRow;
        selected = clickedRow;
        readForm();
        strings = mark ? rows[*mark] : Record{};
        showForm();
    }

    void headingClick(std::size_t column)
    {
        readForm();
        sortByColumn(column);
        showForm();
    }

    // A new window on the data file: each record read becomes the new first row.
    void reopen()
    {
        rows.assign(fileRows.rbegin(), fileRows.rend());
        for (Record& row : rows)
            row[kNotes] = decodedNotes(encodedNotes(row[kNotes]));
        strings = Record{};
        fields = Record{};
        mark.reset();
        selected.reset();
    }

private:
    // Passes of neighbour exchanges until one makes none; a table already in order is reversed.
    void sortByColumn(std::size_t column)
    {
        bool exchangedAny = false;
        for (bool exchanged = rows.size() >= 2; exchanged;) {
            exchanged = false;
            for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
                if (rows[i + 1][column] < rows[i][column]) {
                    std::swap(rows[i], rows[i + 1]);
                    exchanged = exchangedAny = true;
                }
            }
        }
        if (!exchangedAny)
            std::reverse(rows.begin(), rows.end());
    }
};

QString fieldText(QDialog& dialog, std::size_t field)
{
    if (field == kNotes)
        return control<QPlainTextEdit>(dialog, kFieldIds[field])->toPlainText();
    return control<QLineEdit>(dialog, kFieldIds[field])->text();
}

std::string readDataFile()
{
    std::ifstream file(kDataFileName, std::ios::binary);
    if (!file)
        return "(no file)";
    return std::string(std::istreambuf_iterator<char>(file), {});
}

QString printable(const std::string& text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r"), QStringLiteral("\\r"));
    shown.replace(QStringLiteral("\n"), QStringLiteral("\\n"));
    return u'"' + shown + u'"';
}

// Backspace takes one character, which may be more than one byte of UTF-8.
void eraseLastCharacter(std::string& text)
{
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80)
        text.pop_back();
    if (!text.empty())
        text.pop_back();
}

// Types the text where the edit cursor is; LF is typed as Ctrl+Enter, as in the Notes field.
void typeText(QWidget& widget, const std::string& text)
{
    std::size_t start = 0;
    for (std::size_t lineBreak = text.find('\n');; lineBreak = text.find('\n', start)) {
        for (const QChar letter : QString::fromStdString(text.substr(start, lineBreak - start))) {
            // keyClicks knows only ASCII; other letters go with the key of their capital.
            if (letter.unicode() < 0x80)
                QTest::keyClick(&widget, letter.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, &widget, Qt::Key(letter.toUpper().unicode()),
                                    QString(letter), Qt::NoModifier);
        }
        if (lineBreak == std::string::npos)
            return;
        QTest::keyClick(&widget, Qt::Key_Return, Qt::ControlModifier);
        start = lineBreak + 1;
    }
}

std::uint64_t environmentNumber(const char* name, std::uint64_t fallback)
{
    bool ok = false;
    const std::uint64_t value = qEnvironmentVariable(name).toULongLong(&ok);
    return ok ? value : fallback;
}

}  // namespace

class TrackerDlgRandomUseTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void randomUseAgreesWithTheRules();
    void deletingTheMarkedRowLeavesNoMark();

private:
    void openWindow();
    void closeAndReopen();

    void typeIntoField();
    void typeRecord(const Record& record);
    void replaceField(std::size_t field, const std::string& text);
    void add();
    void press(int id);
    void clickRow(std::size_t row);
    bool clickEmptySpace();
    void clickHeading(std::size_t column);
    void moveWithKey(bool down);

    void act();
    QString mismatch();
    std::size_t below(std::size_t bound) { return static_cast<std::size_t>(random_() % bound); }
    bool chance(int percent) { return below(100) < static_cast<std::size_t>(percent); }
    std::string randomText();
    void note(const QString& action);

    std::mt19937_64 random_;
    WindowModel model_;
    std::unique_ptr<CTrackerDlg> dialog_;
    QTableView* view_ = nullptr;
    std::deque<QString> recent_;
    int closes_ = 0;
    int questions_ = 0;
    int saves_ = 0;
    std::size_t mostRows_ = 0;
};

void TrackerDlgRandomUseTest::randomUseAgreesWithTheRules()
{
    const std::uint64_t seed = environmentNumber("NIMBREL_RANDOM_SEED", kDefaultSeed);
    const auto actions = static_cast<int>(environmentNumber("NIMBREL_RANDOM_ACTIONS", kDefaultActions));
    random_.seed(seed);
    qInfo("seed %llu, %d actions", static_cast<unsigned long long>(seed), actions);

    TemporaryDirectory directory;
    WorkingDirectory workingDirectory(directory.path());
    openWindow();
    if (QTest::currentTestFailed())
        return;
    // A close, followed by a new window on the same directory, once in every period, at a moment
    // that does not depend on the length of the run, so a shorter run repeats a longer one.
    const int closeAt = kClosePeriod / 3 + static_cast<int>(below(kClosePeriod / 3));

    for (int action = 0; action < actions; ++action) {
        if (action % kClosePeriod == closeAt)
            closeAndReopen();
        else
            act();
        QCoreApplication::processEvents();  // what the window would do before the next input
        mostRows_ = std::max(mostRows_, model_.rows.size());
        QString problem = QTest::currentTestFailed() ? QStringLiteral("the step failed (see above)")
                                                     : mismatch();
        if (problem.isEmpty())
            continue;
        QString report = QStringLiteral("seed %1, action %2 of %3: %4\nlast actions, oldest first:")
                             .arg(seed).arg(action).arg(actions).arg(problem);
        for (const QString& recent : recent_)
            report += QStringLiteral("\n  ") + recent;
        report += QStringLiteral("\nthe rows the rules expect:");
        for (const Record& row : model_.rows) {
            QStringList texts;
            for (const std::string& text : row)
                texts << printable(text);
            report += QStringLiteral("\n  ") + texts.join(u' ');
        }
        report += QStringLiteral("\nrepeat with NIMBREL_RANDOM_SEED=%1 NIMBREL_RANDOM_ACTIONS=%2")
                      .arg(seed).arg(action + 1);
        QFAIL(qPrintable(report));
    }
    qInfo("%d actions agreed with the rules: %d saves, %d duplicate questions, %d closes, "
          "at most %zu rows", actions, saves_, questions_, closes_, mostRows_);
    if (actions >= kClosePeriod)  // a long run that never got this far has stopped testing much
        QVERIFY(saves_ > 0 && questions_ > 0 && closes_ > 0 && mostRows_ >= 10);
}

// After a Delete nothing is marked: neither a second Delete nor an Update may touch a row the
// user never selected, which the table does not even draw while the focus is on a button.
void TrackerDlgRandomUseTest::deletingTheMarkedRowLeavesNoMark()
{
    TemporaryDirectory directory;
    WorkingDirectory workingDirectory(directory.path());
    openWindow();
    for (const char* name : {"A", "B", "C"}) {
        replaceField(0, name);
        add();
    }
    clickRow(1);
    for (int times = 0; times < 2; ++times) {
        note(QStringLiteral("Delete"));
        model_.deleteEntry();
        press(IDC_DELETE);
    }
    QCOMPARE(view_->model()->rowCount(), 2);
    QCOMPARE(mismatch(), QString());
    replaceField(0, "D");
    model_.update();
    press(IDC_UPDATE);
    QCOMPARE(mismatch(), QString());
    QCOMPARE(view_->model()->index(1, 0).data().toString(), QStringLiteral("A"));
}

void TrackerDlgRandomUseTest::init()
{
    dialog_.reset();
    model_ = WindowModel{};
    recent_.clear();
}

void TrackerDlgRandomUseTest::openWindow()
{
    dialog_ = std::make_unique<CTrackerDlg>();
    dialog_->show();
    dialog_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
    view_ = control<QTableView>(*dialog_, IDC_ENTRY_LIST);
    QVERIFY(view_);
}

// Closes by Esc (nothing saved), by Quit or by Enter in a field or the table (saved first).
void TrackerDlgRandomUseTest::closeAndReopen()
{
    NextMessageBox failure(QMessageBox::Ok);
    const std::size_t way = below(3);
    if (way == 0) {
        note(QStringLiteral("Esc, then a new window"));
        QTest::keyClick(control<QWidget>(*dialog_, IDC_NAME), Qt::Key_Escape);
    } else if (way == 1) {
        note(QStringLiteral("Quit, then a new window"));
        model_.save();
        press(IDOK);
    } else {
        const std::size_t place = below(kFields + 1);
        QWidget* widget = place < kFields ? control<QWidget>(*dialog_, kFieldIds[place]) : view_;
        note(QStringLiteral("Enter in control %1, then a new window")
                 .arg(widget->property(kControlIdProperty).toInt()));
        model_.save();
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_Return);
    }
    const bool closed = !dialog_->isVisible()
        && dialog_->result() == (way == 0 ? QDialog::Rejected : QDialog::Accepted);
    QVERIFY2(closed && !failure.seen(), "the window did not close as asked");
    ++closes_;
    const std::string written = readDataFile();
    QCOMPARE(written, fileBytes(model_.fileRows));
    dialog_.reset();
    model_.reopen();
    openWindow();
}

void TrackerDlgRandomUseTest::act()
{
    const std::size_t rows = model_.rows.size();
    const bool crowded = rows > 25;
    // Weights of the actions, in the order of the cases below.
    const std::array<int, 12> weights{30, 4, crowded ? 4 : 14, 5, crowded ? 16 : 6, 3, 2,
                                      rows > 0 ? 12 : 0, 3, 8, 4, 4};
    std::size_t pick = below(static_cast<std::size_t>(std::accumulate(weights.begin(), weights.end(), 0)));
    std::size_t kind = 0;
    while (pick >= static_cast<std::size_t>(weights[kind]))
        pick -= static_cast<std::size_t>(weights[kind++]);

    switch (kind) {
    case 0:
        typeIntoField();
        break;
    case 1:
        // Retyping a row exactly as it stands makes a duplicate.
        if (rows > 0 && chance(70)) {
            const std::size_t row = below(rows);
            note(QStringLiteral("retype row %1").arg(row));
            typeRecord(model_.rows[row]);
        } else {
            Record record;
            for (std::string& text : record)
                text = randomText();
            note(QStringLiteral("type a record named %1").arg(printable(record[0])));
            typeRecord(record);
        }
        break;
    case 2:
        add();
        break;
    case 3:
        note(QStringLiteral("Update"));
        model_.update();
        press(IDC_UPDATE);
        break;
    case 4:
        note(QStringLiteral("Delete"));
        model_.deleteEntry();
        press(IDC_DELETE);
        break;
    case 5:
        note(QStringLiteral("Clear"));
        model_.clearForm();
        press(IDC_CLEAR);
        break;
    case 6: {
        note(QStringLiteral("Save"));
        NextMessageBox failure(QMessageBox::Ok);
        model_.save();
        press(IDC_SAVE);
        QVERIFY2(!failure.seen(), "Save reported a failure");
        ++saves_;
        break;
    }
    case 7:
        clickRow(below(rows));
        break;
    case 8:
        if (!clickEmptySpace())  // the rows fill the table
            clickRow(below(rows));
        break;
    case 9:
        clickHeading(below(kFields));
        break;
    default:
        moveWithKey(kind == 11);
        break;
    }
}

void TrackerDlgRandomUseTest::typeIntoField()
{
    const std::size_t field = chance(40) ? 0 : below(kFields);
    QWidget* widget = control<QWidget>(*dialog_, kFieldIds[field]);
    widget->setFocus();
    std::string& shown = model_.fields[field];
    const std::size_t how = below(10);
    if (how < 5) {
        replaceField(field, randomText());
        return;
    }
    // The edit cursor goes to the end of the text first.
    const auto toEnd = field == kNotes ? Qt::ControlModifier : Qt::NoModifier;
    QTest::keyClick(widget, Qt::Key_End, toEnd);
    if (how < 8) {
        QString letters = QString::fromStdString(randomText()).left(4);
        if (field == kNotes && chance(50))
            letters.insert(static_cast<qsizetype>(below(static_cast<std::size_t>(letters.size()) + 1)), u'\n');
        if (letters.isEmpty())
            letters = QStringLiteral(" ");
        const std::string typed = letters.toStdString();
        note(QStringLiteral("append %1 to field %2").arg(printable(typed)).arg(field));
        typeText(*widget, typed);
        shown += typed;
        return;
    }
    const std::size_t erased = 1 + below(3);
    note(QStringLiteral("erase %1 characters of field %2").arg(erased).arg(field));
    for (std::size_t i = 0; i < erased; ++i)
        QTest::keyClick(widget, Qt::Key_Backspace);
    for (std::size_t i = 0; i < erased; ++i)
        eraseLastCharacter(shown);
}

void TrackerDlgRandomUseTest::typeRecord(const Record& record)
{
    for (std::size_t field = 0; field < kFields; ++field)
        replaceField(field, field == kNotes ? notesToField(record[field]) : record[field]);
}

// Selects the field's whole text and types the new one over it.
void TrackerDlgRandomUseTest::replaceField(std::size_t field, const std::string& text)
{
    QWidget* widget = control<QWidget>(*dialog_, kFieldIds[field]);
    widget->setFocus();
    note(QStringLiteral("type %1 over field %2").arg(printable(text)).arg(field));
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(widget, Qt::Key_Delete);
    typeText(*widget, text);
    model_.fields[field] = text;
}

void TrackerDlgRandomUseTest::add()
{
    const bool answerYes = chance(50);
    note(QStringLiteral("Add, answering %1 if asked").arg(answerYes ? "Yes" : "No"));
    NextMessageBox question(answerYes ? QMessageBox::Yes : QMessageBox::No);
    const bool asks = model_.add(answerYes);
    press(IDC_ADD);
    QCOMPARE(question.seen(), asks);
    questions_ += asks ? 1 : 0;
}

void TrackerDlgRandomUseTest::press(int id)
{
    QTest::mouseClick(control<QPushButton>(*dialog_, id), Qt::LeftButton);
}

void TrackerDlgRandomUseTest::clickRow(std::size_t row)
{
    note(QStringLiteral("click row %1").arg(row));
    const QModelIndex index = view_->model()->index(static_cast<int>(row), 0);
    view_->scrollTo(index);
    const QRect cell = view_->visualRect(index);
    const int right = std::min(cell.right(), view_->viewport()->width() - 1);
    const QPoint point((std::max(cell.left(), 0) + right) / 2, cell.center().y());
    QVERIFY2(view_->indexAt(point).row() == static_cast<int>(row), "cannot reach the row");
    model_.rowClick(row);
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, point);
}

// Returns false when the rows fill the table and there is no empty space to click.
bool TrackerDlgRandomUseTest::clickEmptySpace()
{
    const QPoint point(3, view_->viewport()->height() - 3);
    if (view_->indexAt(point).isValid())
        return false;
    note(QStringLiteral("click empty space"));
    model_.rowClick(std::nullopt);
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, point);
    return true;
}

void TrackerDlgRandomUseTest::clickHeading(std::size_t column)
{
    note(QStringLiteral("click heading %1").arg(column));
    QHeaderView& header = *view_->horizontalHeader();
    const int section = static_cast<int>(column);
    const auto visiblePart = [&] {
        const int left = std::max(header.sectionViewportPosition(section), 0);
        const int right = std::min(header.sectionViewportPosition(section) + header.sectionSize(section),
                                   header.viewport()->width());
        return std::pair(left, right);
    };
    // Near its edges a press on a heading starts a resize instead of a click.
    QScrollBar& scrollBar = *view_->horizontalScrollBar();
    for (int value = scrollBar.minimum(); value <= scrollBar.maximum(); ++value) {
        if (auto [left, right] = visiblePart(); right - left >= 24)
            break;
        scrollBar.setValue(value);
    }
    const auto [left, right] = visiblePart();

    const QPoint point((left + right) / 2, header.height() / 2);
    QVERIFY2(right - left >= 24 && header.logicalIndexAt(point) == section,
             "cannot reach the heading");
    model_.headingClick(column);
    QSignalSpy clicks(&header, &QHeaderView::sectionClicked);
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, point);
    QVERIFY2(clicks.size() == 1, "the click did not reach the heading");
}

// The keyboard moves the table's cursor and the selection with it; the form stays as it is.
void TrackerDlgRandomUseTest::moveWithKey(bool down)
{
    note(down ? QStringLiteral("key Down in the table") : QStringLiteral("key Up in the table"));
    view_->setFocus();
    const int rows = static_cast<int>(model_.rows.size());
    const QModelIndex cursor = view_->currentIndex();
    if (rows > 0) {
        const int target = !cursor.isValid() ? 0
            : down                          ? std::min(cursor.row() + 1, rows - 1)
                                            : std::max(cursor.row() - 1, 0);
        if (!cursor.isValid() || target != cursor.row())
            model_.mark = model_.selected = static_cast<std::size_t>(target);
    }
    QTest::keyClick(view_, down ? Qt::Key_Down : Qt::Key_Up);
}

// The first difference between the window and the model, or nothing.
QString TrackerDlgRandomUseTest::mismatch()
{
    const QAbstractItemModel& shown = *view_->model();
    const auto rows = static_cast<int>(model_.rows.size());
    if (shown.rowCount() != rows)
        return QStringLiteral("the table shows %1 rows, expected %2").arg(shown.rowCount()).arg(rows);
    for (int row = 0; row < rows; ++row) {
        for (std::size_t field = 0; field < kFields; ++field) {
            const QString text = shown.index(row, static_cast<int>(field)).data().toString();
            const QString expected = cellText(field, model_.rows[static_cast<std::size_t>(row)][field]);
            if (text != expected)
                return QStringLiteral("row %1 column %2 shows \"%3\", expected \"%4\"")
                    .arg(row).arg(field).arg(text, expected);
        }
    }
    const QString count = control<QLineEdit>(*dialog_, IDC_COUNT)->text();
    if (count != QString::number(rows))
        return QStringLiteral("the count shows %1, expected %2").arg(count).arg(rows);
    for (std::size_t field = 0; field < kFields; ++field) {
        const std::string text = fieldText(*dialog_, field).toStdString();
        if (text != model_.fields[field])
            return QStringLiteral("field %1 shows %2, expected %3")
                .arg(field).arg(printable(text), printable(model_.fields[field]));
    }
    const QModelIndexList selected = view_->selectionModel()->selectedRows();
    const std::optional<std::size_t> selection = selected.isEmpty()
        ? std::nullopt
        : std::optional(static_cast<std::size_t>(selected.first().row()));
    if (selected.size() > 1 || selection != model_.selected) {
        const auto rowText = [](std::optional<std::size_t> row) {
            return row ? QStringLiteral("row %1").arg(*row) : QStringLiteral("no row");
        };
        return QStringLiteral("the table selects %1, expected %2")
            .arg(rowText(selection), rowText(model_.selected));
    }
    const std::string written = readDataFile();
    if (written != fileBytes(model_.fileRows))
        return QStringLiteral("the data file holds %1, expected %2")
            .arg(printable(written), printable(fileBytes(model_.fileRows)));
    return {};
}

// Mostly a few words that recur, so that equal texts and duplicate records are common.
std::string TrackerDlgRandomUseTest::randomText()
{
    static const std::array<const char*, 18> words{
        "Mail", "mail", "Bank", "Zeta", "alpha", "a", "b", "B", "x y", " lead", "trail  ", "k=v",
        "`~", "~`", "", "http://a.example/?q=1", "caf\u00e9", "\u00c9t\u00e9",
    };
    if (chance(75))
        return words[below(words.size())];
    static const std::string letters = "abzAZ09 =`~-.";
    std::string text(1 + below(8), ' ');
    for (char& letter : text)
        letter = letters[below(letters.size())];
    return text;
}

void TrackerDlgRandomUseTest::note(const QString& action)
{
    recent_.push_back(action);
    if (recent_.size() > kRecentActionsShown)
        recent_.pop_front();
}

QTEST_MAIN(TrackerDlgRandomUseTest)
#include "tracker_dlg_random_use_test.moc"
