#include "tracker_dlg.h"

#include "column_widths.h"
#include "data_file.h"
#include "data_file_load.h"
#include "dialog_builder.h"
#include "entry_form.h"
#include "entry_table_view.h"
#include "resource.h"
#include "web_link.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <array>

namespace {

constexpr auto kFixedDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

// The room a table cell gives its text on either side, as the item delegate measures it.
int cellPadding(const QWidget& view)
{
    return 2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1);
}

}  // namespace

CTrackerDlg::CTrackerDlg(QWidget* parent) : CTrackerDlg(std::make_unique<DataFileLoad>(), parent)
{
}

// The file is read on a thread of its own while the window is built.
CTrackerDlg::CTrackerDlg(std::unique_ptr<DataFileLoad> load, QWidget* parent)
    : QDialog(parent, kFixedDialogFlags),
      load_(std::move(load)),
      table_(load_->table()),
      model_(table_),
      dataFile_(load_->file())
{
    const QHash<int, QWidget*> controls = buildDialog(*this, kTrackerDialogTemplate);
    form_ = std::make_unique<EntryForm>(controls);
    view_ = qobject_cast<EntryTableView*>(controls.value(IDC_ENTRY_LIST));
    columnWidths_ = std::make_unique<ColumnWidths>(table_, view_->font(), cellPadding(*view_));
    setWindowTitle(QStringLiteral("Nimbrel: %1").arg(QString::fromLocal8Bit(kDataFileName)));

    // The table is the load's until it ends, so the view sees it only then; the rows are
    // measured meanwhile, as the load hands them over.
    load_->finish([this](const EntryView& row) { columnWidths_->add(row); });
    dataFile_.setClient(*this);
    view_->setModel(&model_);
    fitColumns();
    form_->setCount(table_.count());
    form_->showForm();
    if (load_->stoppedEarly()) {
        // Told once the window is on the screen, with the records read before the failure.
        QTimer::singleShot(0, this, [this] {
            QMessageBox failure(QMessageBox::NoIcon, QStringLiteral("Error Reading File"),
                                QStringLiteral("Load from File"), QMessageBox::Ok, this);
            failure.exec();
        });
    }

    const auto connectButton = [&controls, this](int id, void (CTrackerDlg::*command)()) {
        connect(qobject_cast<QPushButton*>(controls.value(id)), &QPushButton::clicked, this,
                command);
    };
    connectButton(IDOK, &CTrackerDlg::quit);
    connectButton(IDC_ADD, &CTrackerDlg::add);
    connectButton(IDC_UPDATE, &CTrackerDlg::update);
    connectButton(IDC_DELETE, &CTrackerDlg::deleteEntry);
    connectButton(IDC_CLEAR, &CTrackerDlg::clear);
    connect(qobject_cast<QPushButton*>(controls.value(IDC_SAVE)), &QPushButton::clicked, this,
            [this] { save(); });
    connectButton(IDC_GO, &CTrackerDlg::go);
    connectButton(IDC_HELP_PAGE, &CTrackerDlg::help);
    connect(view_, &EntryTableView::leftPressed, this, &CTrackerDlg::rowClick);
    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &CTrackerDlg::headingClick);
    // The selection mark is the row the user selected last, by mouse or keyboard.
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.isEmpty())
                    table_.setSelectionMark(
                        static_cast<std::size_t>(selected.indexes().first().row()));
            });

    controls.value(IDC_NAME)->setFocus();
}

CTrackerDlg::~CTrackerDlg() = default;

void CTrackerDlg::add()
{
    form_->readForm();
    const Entry& entry = form_->strings();
    if (entry[EntryField::Name].empty()) {
        form_->showForm();
        return;
    }
    if (table_.containsDuplicate(entry)) {
        QMessageBox question(QMessageBox::Warning, QCoreApplication::applicationName(),
                             QStringLiteral("This entry is already in the list.\r\n"
                                            "Do you really want to add this item?"),
                             QMessageBox::Yes | QMessageBox::No, this);
        // Set explicitly: desktops that put No first would otherwise make Enter answer No.
        question.setDefaultButton(QMessageBox::Yes);
        if (question.exec() != QMessageBox::Yes) {
            form_->showForm();
            return;
        }
    }
    columnWidths_->add(entry);
    model_.insertFirst(entry);
    fitColumns();
    form_->clearForm();
    form_->setCount(table_.count());
    form_->showForm();
}

void CTrackerDlg::update()
{
    form_->readForm();
    const Entry& entry = form_->strings();
    const auto mark = table_.selectionMark();
    if (!entry[EntryField::Name].empty() && mark) {
        columnWidths_->remove(table_.row(*mark));
        columnWidths_->add(entry);
        model_.setRow(*mark, entry);
    }
    fitColumns();
    form_->clearForm();
    form_->showForm();
}

void CTrackerDlg::deleteEntry()
{
    if (const auto mark = table_.selectionMark()) {
        columnWidths_->remove(table_.row(*mark));
        // Without a selection the view has no current row to move on to a neighbour, so the
        // removal cannot select (and mark) a row the user never chose.
        view_->selectionModel()->clear();
        model_.deleteRow(*mark);
    }
    form_->setCount(table_.count());
    form_->showForm();
}

void CTrackerDlg::clear()
{
    form_->clearForm();
}

// Returns whether the file was written; the user has been told when it was not, or has
// declined to replace it.
bool CTrackerDlg::save()
{
    view_->setUpdatesEnabled(false);
    form_->readForm();
    form_->holdDisplay();
    saveDeclined_ = false;
    const bool saved = dataFile_.save();
    if (!saved && !saveDeclined_) {
        QMessageBox failure(QMessageBox::NoIcon, QStringLiteral("Error Writing File"),
                            QStringLiteral("Save to File"), QMessageBox::Ok, this);
        failure.exec();
    }
    form_->releaseDisplay();
    view_->setUpdatesEnabled(true);
    view_->viewport()->update();
    form_->clearForm();
    return saved;
}

// Closing after a failed save would lose every change since the last one.
void CTrackerDlg::quit()
{
    if (save())
        accept();
}

void CTrackerDlg::go()
{
    form_->readForm();
    std::string& url = form_->strings()[EntryField::Url];
    url = webAddressFor(url);
    openWebAddress(url);
    form_->showForm();
}

void CTrackerDlg::help()
{
    openWebAddress(kHelpAddress);
}

void CTrackerDlg::rowClick()
{
    form_->readForm();
    const auto mark = table_.selectionMark();
    // The strings keep their room: a huge value is not allocated anew.
    (mark ? table_.row(*mark) : EntryView{}).assignTo(form_->strings());
    form_->showForm();
}

void CTrackerDlg::headingClick(int column)
{
    form_->readForm();
    model_.sortByColumn(static_cast<EntryField>(column));
    form_->setCount(table_.count());
    form_->showForm();
}

void CTrackerDlg::fitColumns()
{
    std::array<int, kEntryFieldCount> widths{};
    for (std::size_t column = 0; column < kEntryFieldCount; ++column)
        widths[column] = columnWidths_->widest(static_cast<EntryField>(column));
    view_->fitColumns(widths);
}

Entry& CTrackerDlg::currentRecord()
{
    return form_->strings();
}

// Saving holds the form's display, so the rows it passes are never shown.
bool CTrackerDlg::showsPassingRecords() const
{
    return false;
}

void CTrackerDlg::finished()
{
    form_->clearForm();
}

bool CTrackerDlg::confirmReplace(ReplaceReason reason)
{
    const QString file = QString::fromLocal8Bit(kDataFileName);
    const QString problem = reason == ReplaceReason::ChangedSinceLoad
        ? QStringLiteral("%1 has been changed by another program since it was loaded.").arg(file)
        : QStringLiteral("%1 could not be read completely.").arg(file);
    QMessageBox question(QMessageBox::Warning, QCoreApplication::applicationName(),
                         problem + QStringLiteral("\r\nDo you want to replace it with this list?"),
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setDefaultButton(QMessageBox::No);
    saveDeclined_ = question.exec() != QMessageBox::Yes;
    return !saveDeclined_;
}
