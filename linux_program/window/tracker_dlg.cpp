#include "tracker_dlg.h"

#include "data_file.h"
#include "data_file_load.h"
#include "dialog_builder.h"
#include "entry_table_view.h"
#include "field_text.h"
#include "resource.h"
#include "tracker_commands.h"
#include "web_link.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <optional>

namespace {

constexpr auto kFixedDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

constexpr std::size_t kNotes = static_cast<std::size_t>(EntryField::Notes);

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    return icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
}

}  // namespace

CTrackerDlg::CTrackerDlg(QWidget* parent) : CTrackerDlg(std::make_unique<DataFileLoad>(), parent)
{
}

// The file is read on a thread of its own while the window is built.
CTrackerDlg::CTrackerDlg(std::unique_ptr<DataFileLoad> load, QWidget* parent)
    : QDialog(parent, kFixedDialogFlags), load_(std::move(load)), model_(load_->table())
{
    const QHash<int, QWidget*> controls = buildDialog(*this, kTrackerDialogTemplate);
    lineEdits_ = {qobject_cast<QLineEdit*>(controls.value(IDC_NAME)),
                  qobject_cast<QLineEdit*>(controls.value(IDC_USERNAME)),
                  qobject_cast<QLineEdit*>(controls.value(IDC_PASSWORD)),
                  qobject_cast<QLineEdit*>(controls.value(IDC_URL)),
                  qobject_cast<QLineEdit*>(controls.value(IDC_OTHER))};
    notesEdit_ = qobject_cast<QPlainTextEdit*>(controls.value(IDC_NOTES));
    countEdit_ = qobject_cast<QLineEdit*>(controls.value(IDC_COUNT));
    view_ = qobject_cast<EntryTableView*>(controls.value(IDC_ENTRY_LIST));
    Q_ASSERT(notesEdit_ && countEdit_ && view_);
    measure_ = std::make_unique<CellTextMeasure>(*view_);
    TrackerWindow& window = *this;
    commands_ = std::make_unique<TrackerCommands>(*load_, window, *measure_);
    setWindowTitle(QStringLiteral("Nimbrel: %1").arg(QString::fromLocal8Bit(kDataFileName)));

    for (std::size_t field = 0; field < kNotes; ++field) {
        connect(lineEdits_[field], &QLineEdit::textChanged, this,
                [this, field] { commands_->fieldEdited(static_cast<EntryField>(field)); });
    }
    connect(notesEdit_, &QPlainTextEdit::textChanged, this,
            [this] { commands_->fieldEdited(EntryField::Notes); });
    commands_->initialise();
    QTimer::singleShot(0, this, [this] { commands_->shown(); });

    const auto connectButton = [&controls, this](int id, void (TrackerCommands::*command)()) {
        connect(qobject_cast<QPushButton*>(controls.value(id)), &QPushButton::clicked, this,
                [this, command] { (commands_.get()->*command)(); });
    };
    connectButton(IDOK, &TrackerCommands::quit);
    connectButton(IDC_ADD, &TrackerCommands::add);
    connectButton(IDC_UPDATE, &TrackerCommands::update);
    connectButton(IDC_DELETE, &TrackerCommands::deleteEntry);
    connectButton(IDC_CLEAR, &TrackerCommands::clear);
    connect(qobject_cast<QPushButton*>(controls.value(IDC_SAVE)), &QPushButton::clicked, this,
            [this] { commands_->save(); });
    connectButton(IDC_GO, &TrackerCommands::go);
    connectButton(IDC_HELP_PAGE, &TrackerCommands::help);
    connect(view_, &EntryTableView::leftPressed, this, [this] { commands_->rowClick(); });
    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { commands_->headingClick(static_cast<EntryField>(column)); });
    // The selection mark is the row the user selected last, by mouse or keyboard.
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.isEmpty())
                    commands_->rowSelected(
                        static_cast<std::size_t>(selected.indexes().first().row()));
            });

    controls.value(IDC_NAME)->setFocus();
}

CTrackerDlg::~CTrackerDlg() = default;

void CTrackerDlg::reject()
{
    commands_->cancel();
}

std::u16string CTrackerDlg::fieldText(EntryField field) const
{
    const auto index = static_cast<std::size_t>(field);
    if (index < kNotes)
        return lineEdits_[index]->text().toStdU16String();
    QString text = notesEdit_->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text.toStdU16String();
}

void CTrackerDlg::setFieldText(EntryField field, std::string_view bytes, bool editable)
{
    const auto index = static_cast<std::size_t>(field);
    if (index < kNotes) {
        QString shown(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
        shown.truncate(static_cast<qsizetype>(
            writeEditText(bytes, reinterpret_cast<char16_t*>(shown.data()))));
        lineEdits_[index]->setText(shown);
        lineEdits_[index]->setReadOnly(!editable);
        return;
    }
    setNotesText(bytes);
    notesEdit_->setReadOnly(!editable);
}

// The text after its first piece is added at the end in one edit, as setPlainText adds it:
// not to be undone, the document unmodified. Added whole, a huge text would be held twice,
// and read from memory rather than from the cache.
void CTrackerDlg::setNotesText(std::string_view bytes)
{
    QTextDocument& document = *notesEdit_->document();
    const bool undoable = document.isUndoRedoEnabled();
    std::optional<QTextCursor> end;
    writeEditTextPieces(bytes, [&](std::u16string_view piece) {
        const QString text(reinterpret_cast<const QChar*>(piece.data()),
                           static_cast<qsizetype>(piece.size()));
        if (end) {
            end->insertText(text);
            return;
        }
        notesEdit_->setPlainText(text);
        document.setUndoRedoEnabled(false);
        end.emplace(&document);
        end->movePosition(QTextCursor::End);
        end->beginEditBlock();
    });
    end->endEditBlock();  // there is always a first piece
    document.setUndoRedoEnabled(undoable);
    document.setModified(false);
}

void CTrackerDlg::setCount(std::size_t count)
{
    countEdit_->setText(QString::number(count));
}

Answer CTrackerDlg::ask(std::string_view question, MessageIcon icon, Answer defaultAnswer)
{
    QMessageBox box(boxIcon(icon), QCoreApplication::applicationName(), fromUtf8(question),
                    QMessageBox::Yes | QMessageBox::No, this);
    // Set explicitly: desktops that put No first would otherwise make Enter answer No.
    box.setDefaultButton(defaultAnswer == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void CTrackerDlg::showMessage(std::string_view caption, std::string_view text, MessageIcon icon)
{
    QMessageBox box(boxIcon(icon), fromUtf8(caption), fromUtf8(text), QMessageBox::Ok, this);
    box.exec();
}

void CTrackerDlg::showTable()
{
    view_->setModel(&model_);
}

void CTrackerDlg::rowsChanging(const RowChange& change)
{
    // Without a selection the view has no current row to move on to a neighbour, so the
    // removal cannot select (and mark) a row the user never chose.
    if (change.kind == RowChange::Kind::Removed)
        view_->selectionModel()->clear();
    model_.beginChange(change);
}

void CTrackerDlg::rowsChanged(const RowChange& change)
{
    model_.endChange(change);
}

void CTrackerDlg::fitColumns(const std::array<int, kEntryFieldCount>& cellWidths)
{
    view_->fitColumns(cellWidths);
}

void CTrackerDlg::suspendTableDrawing()
{
    view_->setUpdatesEnabled(false);
}

void CTrackerDlg::resumeTableDrawing()
{
    view_->setUpdatesEnabled(true);
    view_->viewport()->update();
}

void CTrackerDlg::endDialog(DialogResult result)
{
    if (result == DialogResult::Ok)
        accept();
    else
        QDialog::reject();
}

void CTrackerDlg::openWebAddress(const std::string& address)
{
    ::openWebAddress(address);
}
