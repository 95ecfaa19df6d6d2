#pragma once

#include "data_file.h"
#include "data_file_client.h"
#include "entry_table.h"
#include "entry_table_model.h"

#include <QDialog>

#include <memory>

class ColumnWidths;
class EntryForm;
class EntryTableView;

// The program's only working window: the entry form, the command buttons and the table of
// entries. The data file is loaded while the window is being created.
class CTrackerDlg : public QDialog, private DataFileClient {
    Q_OBJECT

public:
    explicit CTrackerDlg(QWidget* parent = nullptr);
    ~CTrackerDlg() override;

private:
    void add();
    void update();
    void deleteEntry();
    void clear();
    bool save();
    void quit();
    void go();
    void help();
    void rowClick();
    void headingClick(int column);

    void loaderAdd(const EntryView& entry);
    void fitColumns();

    // The data file's current record is the form's strings, which records pass by unshown.
    Entry& currentRecord() override;
    bool showsPassingRecords() const override;
    void addRecord(const EntryView& record) override;
    void finished() override;
    void loadStoppedEarly() override;
    bool confirmReplace(ReplaceReason reason) override;

    EntryTable table_;
    EntryTableModel model_;
    DataFile dataFile_;
    EntryTableView* view_ = nullptr;
    std::unique_ptr<EntryForm> form_;
    std::unique_ptr<ColumnWidths> columnWidths_;
    bool loadStoppedEarly_ = false;
    bool saveDeclined_ = false;  // the user answered No to replacing the file
};
