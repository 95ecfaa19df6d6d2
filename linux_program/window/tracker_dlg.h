#pragma once

#include "cell_text_measure.h"
#include "entry_table_model.h"
#include "tracker_window.h"

#include <QDialog>

#include <array>
#include <memory>

class DataFileLoad;
class EntryTableView;
class QLineEdit;
class QPlainTextEdit;
class TrackerCommands;

// The program's only working window: the entry form, the command buttons and the table of
// entries, built from the window's template. It presents what its commands do and forwards
// each event to them. The data file is read while the window is being created, or from before.
class CTrackerDlg : public QDialog, private TrackerWindow {
    Q_OBJECT

public:
    // On the records of the load given, or of a load of its own started here.
    explicit CTrackerDlg(QWidget* parent = nullptr);
    explicit CTrackerDlg(std::unique_ptr<DataFileLoad> load, QWidget* parent = nullptr);
    ~CTrackerDlg() override;

    // Esc, the close box and the window menu's Close.
    void reject() override;

private:
    std::u16string fieldText(EntryField field) const override;
    void setFieldText(EntryField field, std::string_view bytes, bool editable) override;
    void setNotesText(std::string_view bytes);
    void setCount(std::size_t count) override;
    Answer ask(std::string_view question, MessageIcon icon, Answer defaultAnswer) override;
    void showMessage(std::string_view caption, std::string_view text, MessageIcon icon) override;
    void showTable() override;
    void rowsChanging(const RowChange& change) override;
    void rowsChanged(const RowChange& change) override;
    void fitColumns(const std::array<int, kEntryFieldCount>& cellWidths) override;
    void suspendTableDrawing() override;
    void resumeTableDrawing() override;
    void endDialog(DialogResult result) override;
    void openWebAddress(const std::string& address) override;

    std::unique_ptr<DataFileLoad> load_;  // holds the table and its file
    EntryTableModel model_;
    std::array<QLineEdit*, kEntryFieldCount - 1> lineEdits_{};
    QPlainTextEdit* notesEdit_ = nullptr;
    QLineEdit* countEdit_ = nullptr;
    EntryTableView* view_ = nullptr;
    std::unique_ptr<CellTextMeasure> measure_;
    std::unique_ptr<TrackerCommands> commands_;
};
