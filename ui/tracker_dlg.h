#pragma once

#include "data_file_client.h"
#include "entry_table_model.h"

#include <QDialog>

#include <memory>

class ColumnWidths;
class DataFile;
class DataFileLoad;
class EntryForm;
class EntryTableView;

// The program's only working window: the entry form, the command buttons and the table of
// entries. The data file is read while the window is being created, or from before.
class CTrackerDlg : public QDialog, private DataFileClient {
    Q_OBJECT

public:
    // On the records of the load given, or of a load of its own started here.
    explicit CTrackerDlg(QWidget* parent = nullptr);
    explicit CTrackerDlg(std::unique_ptr<DataFileLoad> load, QWidget* parent = nullptr);
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

    void fitColumns();

    // The data file's current record is the form's strings, which saved rows pass by unshown.
    Entry& currentRecord() override;
    bool showsPassingRecords() const override;
    void finished() override;
    bool confirmReplace(ReplaceReason reason) override;

    std::unique_ptr<DataFileLoad> load_;  // holds the table and its file
    EntryTable& table_;
    EntryTableModel model_;
    DataFile& dataFile_;
    EntryTableView* view_ = nullptr;
    std::unique_ptr<EntryForm> form_;
    std::unique_ptr<ColumnWidths> columnWidths_;
    bool saveDeclined_ = false;  // the user answered No to replacing the file
};
