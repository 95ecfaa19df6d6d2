#include "tracker_dlg.h"

#include "about_dlg.h"
#include "data_file.h"
#include "data_file_load.h"
#include "dialog_memory.h"
#include "display_scale.h"
#include "entry_table.h"
#include "failure_end.h"
#include "field_text.h"
#include "program_file.h"
#include "resource.h"
#include "string_table.h"
#include "tracker_commands.h"
#include "wide_text.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

namespace {

// Posted once the window is on the screen.
constexpr UINT kShownMessage = WM_APP + 1;
// Posted when the scale changed, to follow the dialog manager's own rescaling of the window.
constexpr UINT kScaleChangedMessage = WM_APP + 2;

constexpr std::array<const wchar_t*, kEntryFieldCount> kHeadings{
    L"Name", L"Username", L"Password", L"URL", L"Other", L"Notes",
};

// The edit fields' ids follow the fields' order.
int fieldId(EntryField field)
{
    return IDC_NAME + static_cast<int>(field);
}

UINT iconStyle(MessageIcon icon)
{
    return icon == MessageIcon::Exclamation ? MB_ICONEXCLAMATION : 0;
}

}  // namespace

CTrackerDlg::CTrackerDlg(DataFileLoad& load) : load_(load), table_(load.table())
{
}

CTrackerDlg::~CTrackerDlg() = default;

void CTrackerDlg::run(HINSTANCE instance)
{
    const DialogMemory dialog(kTrackerDialogTemplate,
                              WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER,
                              WS_EX_APPWINDOW);
    DialogBoxIndirectParamW(instance, dialog.get(), nullptr, dialogProcedure,
                            reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CTrackerDlg::dialogProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CTrackerDlg*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->window_ = window;
    }
    auto* dialog = reinterpret_cast<CTrackerDlg*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog || endingAfterFailure())
        return FALSE;
    try {
        return dialog->handle(message, wParam, lParam);
    } catch (...) {
        endAfterFailure(window);
    }
}

INT_PTR CTrackerDlg::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        initialise();
        return FALSE;  // the focus is set
    case kShownMessage:
        // The dialog manager shows the window only once its queue is empty, which may be
        // after this message: the load's message comes over the window, not before it.
        ShowWindow(window_, SW_SHOW);
        UpdateWindow(window_);
        commands_->shown();
        return TRUE;
    case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        notify(*reinterpret_cast<const NMHDR*>(lParam));
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != IDM_ABOUTBOX)
            return FALSE;
        CAboutDlg().run(window_);
        return TRUE;
    case WM_HELP:
        showHelpTopic(window_, 0x20000 + IDD_TRACKER_DIALOG);
        return TRUE;
    case WM_PAINT:
        return paintMinimised();
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(icons_->large());
    case WM_DPICHANGED:
        PostMessageW(window_, kScaleChangedMessage, 0, 0);
        return FALSE;
    case kScaleChangedMessage:
        scaleChanged();
        return TRUE;
    default:
        return FALSE;
    }
}

void CTrackerDlg::initialise()
{
    icons_ = std::make_unique<ProgramIcons>(dpiOf(window_));
    showIcons();
    const HMENU systemMenu = GetSystemMenu(window_, FALSE);
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, wideText(loadString(IDS_ABOUTBOX)).c_str());
    SetWindowTextW(window_, wideText(std::string("Nimbrel: ") + kDataFileName).c_str());

    list_ = control(IDC_ENTRY_LIST);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
    measure_ = std::make_unique<ListTextMeasure>(list_);
    for (std::size_t column = 0; column < kEntryFieldCount; ++column) {
        LVCOLUMNW heading{};
        heading.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
        heading.fmt = LVCFMT_LEFT;
        heading.pszText = const_cast<wchar_t*>(kHeadings[column]);
        heading.iSubItem = static_cast<int>(column);
        ListView_InsertColumn(list_, static_cast<int>(column), &heading);
    }
    measureHeadings();
    // A field holds as much as the file does, not the 32,767 characters of its default.
    for (std::size_t field = 0; field < kEntryFieldCount; ++field)
        SendMessageW(control(fieldId(static_cast<EntryField>(field))), EM_SETLIMITTEXT, 0, 0);

    TrackerWindow& window = *this;
    commands_ = std::make_unique<TrackerCommands>(load_, window, *measure_);
    commands_->initialise();
    PostMessageW(window_, kShownMessage, 0, 0);
    SetFocus(control(IDC_NAME));
}

void CTrackerDlg::showIcons()
{
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons_->large()));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons_->small()));
}

void CTrackerDlg::measureHeadings()
{
    for (std::size_t column = 0; column < kEntryFieldCount; ++column)
        headingWidths_[column] =
            ListView_GetStringWidth(list_, kHeadings[column]) + measure_->cellPadding();
}

// The dialog manager has laid the window out at the new scale, in fonts of that scale; the
// icons and the columns follow. The old icons go once the window shows the new ones.
void CTrackerDlg::scaleChanged()
{
    auto previousIcons = std::move(icons_);
    icons_ = std::make_unique<ProgramIcons>(dpiOf(window_));
    showIcons();
    measure_->selectListFont();
    measureHeadings();
    commands_->measureChanged();
}

void CTrackerDlg::command(int id, int code)
{
    if (!commands_)
        return;
    if (code == EN_CHANGE && id >= IDC_NAME && id <= IDC_NOTES) {
        commands_->fieldEdited(static_cast<EntryField>(id - IDC_NAME));
        return;
    }
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case IDOK: commands_->quit(); break;
    case IDCANCEL: commands_->cancel(); break;
    case IDC_ADD: commands_->add(); break;
    case IDC_UPDATE: commands_->update(); break;
    case IDC_DELETE: commands_->deleteEntry(); break;
    case IDC_CLEAR: commands_->clear(); break;
    case IDC_SAVE: commands_->save(); break;
    case IDC_GO: commands_->go(); break;
    case IDC_HELP_PAGE: commands_->help(); break;
    default: break;
    }
}

// The list selects the pressed row at once; a drag that follows loads it as a click does, so
// that Update and Delete never act on a row the form does not show.
void CTrackerDlg::notify(const NMHDR& header)
{
    if (header.hwndFrom != list_ || !commands_)
        return;
    switch (header.code) {
    case LVN_GETDISPINFOW:
        giveCellText(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
        break;
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (change.iItem >= 0 && (change.uNewState & LVIS_SELECTED)
            && !(change.uOldState & LVIS_SELECTED))
            commands_->rowSelected(static_cast<std::size_t>(change.iItem));
        break;
    }
    case NM_CLICK:
    case LVN_BEGINDRAG:
        commands_->rowClick();
        break;
    case LVN_COLUMNCLICK:
        commands_->headingClick(
            static_cast<EntryField>(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem));
        break;
    default:
        break;
    }
}

void CTrackerDlg::giveCellText(NMLVDISPINFOW& request)
{
    LVITEMW& item = request.item;
    if (!(item.mask & LVIF_TEXT) || item.cchTextMax <= 0 || item.iSubItem < 0
        || item.iSubItem >= static_cast<int>(kEntryFieldCount))
        return;
    const auto field = static_cast<EntryField>(item.iSubItem);
    const std::u16string text = cellText(field, table_.row(static_cast<std::size_t>(item.iItem))[field]);
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
    std::copy_n(text.data(), length, reinterpret_cast<char16_t*>(item.pszText));
    item.pszText[length] = L'\0';
}

// Minimised, the window shows the program's icon in the middle of its client area.
bool CTrackerDlg::paintMinimised()
{
    if (!IsIconic(window_))
        return false;
    PAINTSTRUCT paint;
    const HDC context = BeginPaint(window_, &paint);
    SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(context), 0);
    RECT client;
    GetClientRect(window_, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(context, x, y, icons_->large());
    EndPaint(window_, &paint);
    return true;
}

std::u16string CTrackerDlg::fieldText(EntryField field) const
{
    const HWND edit = control(fieldId(field));
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return {text.begin(), text.end()};
}

void CTrackerDlg::setFieldText(EntryField field, std::string_view bytes, bool editable)
{
    std::wstring text(bytes.size() + 1, L'\0');
    text.resize(writeEditText(bytes, reinterpret_cast<char16_t*>(text.data())));
    const HWND edit = control(fieldId(field));
    SetWindowTextW(edit, text.c_str());
    SendMessageW(edit, EM_SETREADONLY, !editable, 0);
}

void CTrackerDlg::setCount(std::size_t count)
{
    SetDlgItemTextW(window_, IDC_COUNT, std::to_wstring(count).c_str());
}

Answer CTrackerDlg::ask(std::string_view question, MessageIcon icon, Answer defaultAnswer)
{
    const UINT defaultButton = defaultAnswer == Answer::Yes ? MB_DEFBUTTON1 : MB_DEFBUTTON2;
    const int answer = MessageBoxW(window_, wideText(question).c_str(), programName().c_str(),
                                   MB_YESNO | iconStyle(icon) | defaultButton);
    return answer == IDYES ? Answer::Yes : Answer::No;
}

void CTrackerDlg::showMessage(std::string_view caption, std::string_view text, MessageIcon icon)
{
    MessageBoxW(window_, wideText(text).c_str(), wideText(caption).c_str(), MB_OK | iconStyle(icon));
}

// The list asks for each cell it draws, so that a table of any size is shown at once.
void CTrackerDlg::showTable()
{
    ListView_SetItemCountEx(list_, static_cast<int>(table_.count()), 0);
}

void CTrackerDlg::rowsChanging(const RowChange& change)
{
    if (change.kind != RowChange::Kind::Changed)
        ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
}

// The list keeps its selection by position; the selection follows its row as the mark does.
void CTrackerDlg::rowsChanged(const RowChange& change)
{
    if (change.kind == RowChange::Kind::Changed) {
        redrawShownRows(change.first, change.first + change.count);
        return;
    }
    ListView_SetItemCountEx(list_, static_cast<int>(table_.count()), LVSICF_NOSCROLL);
    if (change.kind == RowChange::Kind::Inserted)
        selectMarkedRow();
    InvalidateRect(list_, nullptr, TRUE);
}

// Only the rows on the screen: the list marks each row it is asked to redraw, and a sort
// changes every row of a table that may hold millions.
void CTrackerDlg::redrawShownRows(std::size_t first, std::size_t end)
{
    const auto top = static_cast<std::size_t>(ListView_GetTopIndex(list_));
    const std::size_t shownEnd = top + static_cast<std::size_t>(ListView_GetCountPerPage(list_)) + 1;
    first = std::max(first, top);
    end = std::min({end, shownEnd, table_.count()});
    if (first < end)
        ListView_RedrawItems(list_, static_cast<int>(first), static_cast<int>(end - 1));
}

void CTrackerDlg::selectMarkedRow()
{
    if (const auto mark = table_.selectionMark())
        ListView_SetItemState(list_, static_cast<int>(*mark), LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
}

// Each column as wide as its widest cell or its heading; the last also fills the list's width.
void CTrackerDlg::fitColumns(const std::array<int, kEntryFieldCount>& cellWidths)
{
    int used = 0;
    for (std::size_t column = 0; column < kEntryFieldCount; ++column) {
        int width = std::max(cellWidths[column], headingWidths_[column]);
        if (column + 1 == kEntryFieldCount) {
            RECT client;
            GetClientRect(list_, &client);
            width = std::max(width, static_cast<int>(client.right - client.left) - used);
        }
        if (ListView_GetColumnWidth(list_, static_cast<int>(column)) != width)
            ListView_SetColumnWidth(list_, static_cast<int>(column), width);
        used += width;
    }
}

void CTrackerDlg::suspendTableDrawing()
{
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
}

void CTrackerDlg::resumeTableDrawing()
{
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void CTrackerDlg::endDialog(DialogResult result)
{
    EndDialog(window_, result == DialogResult::Ok ? IDOK : IDCANCEL);
}

// The address is shown as the URL field shows it.
void CTrackerDlg::openWebAddress(const std::string& address)
{
    ShellExecuteW(window_, L"open", wideText(editText(address)).c_str(), nullptr, nullptr,
                  SW_HIDE);
}
