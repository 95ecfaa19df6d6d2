#pragma once

#include "list_text_measure.h"
#include "program_icons.h"
#include "tracker_window.h"

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <memory>

class DataFileLoad;
class EntryTable;
class TrackerCommands;

// The program's only working window, as the dialog manager runs it: the entry form, the
// command buttons and the list of entries, built from the window's template. It presents
// what its commands do and forwards each event to them.
class CTrackerDlg final : private TrackerWindow {
public:
    explicit CTrackerDlg(DataFileLoad& load);
    ~CTrackerDlg() override;
    CTrackerDlg(const CTrackerDlg&) = delete;
    CTrackerDlg& operator=(const CTrackerDlg&) = delete;

    // Shows the window modally until it closes.
    void run(HINSTANCE instance);

private:
    static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void initialise();
    void showIcons();
    void measureHeadings();
    void scaleChanged();
    void command(int id, int code);
    void notify(const NMHDR& header);
    void giveCellText(NMLVDISPINFOW& request);
    bool paintMinimised();
    void redrawShownRows(std::size_t first, std::size_t end);
    void selectMarkedRow();
    HWND control(int id) const { return GetDlgItem(window_, id); }

    std::u16string fieldText(EntryField field) const override;
    void setFieldText(EntryField field, std::string_view bytes, bool editable) override;
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

    DataFileLoad& load_;
    EntryTable& table_;
    std::unique_ptr<ProgramIcons> icons_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    std::array<int, kEntryFieldCount> headingWidths_{};
    std::unique_ptr<ListTextMeasure> measure_;
    std::unique_ptr<TrackerCommands> commands_;
};
