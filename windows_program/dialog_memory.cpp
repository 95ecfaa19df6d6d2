#include "dialog_memory.h"

#include "wide_text.h"

#include <commctrl.h>

namespace {

struct ControlClass {
    const wchar_t* name;
    DWORD style;
};

// The styles of the program's own resource script: every edit field and the list have a thin
// border; Notes scroll with the caret, since a field that does not would refuse typing past its
// last visible line; the list shows its selection only while it has the focus.
ControlClass controlClass(ControlKind kind)
{
    constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
    switch (kind) {
    case ControlKind::Label:
        return {L"STATIC", kChild | SS_LEFT};
    case ControlKind::Edit:
        return {L"EDIT", kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL};
    case ControlKind::NotesEdit:
        return {L"EDIT",
                kChild | WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL};
    case ControlKind::ReadOnlyEdit:
        return {L"EDIT", kChild | WS_BORDER | WS_DISABLED | ES_AUTOHSCROLL};
    case ControlKind::Button:
        return {L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON};
    case ControlKind::DefaultButton:
        return {L"BUTTON", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON};
    case ControlKind::EntryList:
        return {L"SysListView32",
                kChild | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDATA};
    }
    return {L"STATIC", kChild};
}

}  // namespace

DialogMemory::DialogMemory(const DialogTemplate& dialogTemplate, DWORD style, DWORD extendedStyle)
{
    addDword(style | DS_SETFONT);
    addDword(extendedStyle);
    addWord(static_cast<WORD>(dialogTemplate.controls.size()));
    for (const int value : {0, 0, dialogTemplate.width, dialogTemplate.height})
        addWord(static_cast<WORD>(value));
    addWord(0);  // no menu
    addWord(0);  // the dialog class
    addText(dialogTemplate.caption);
    addWord(static_cast<WORD>(dialogTemplate.pointSize));
    addText(dialogTemplate.fontFamily);
    for (const ControlTemplate& control : dialogTemplate.controls)
        add(control);
}

void DialogMemory::add(const ControlTemplate& control)
{
    alignToDword();
    const ControlClass kind = controlClass(control.kind);
    addDword(kind.style);
    addDword(0);
    for (const int value : {control.x, control.y, control.width, control.height})
        addWord(static_cast<WORD>(value));
    addWord(static_cast<WORD>(control.id));
    for (const wchar_t* name = kind.name; *name; ++name)
        addWord(static_cast<WORD>(*name));
    addWord(0);
    addText(control.text);
    addWord(0);  // no creation data
}

void DialogMemory::addText(const char* text)
{
    for (const wchar_t character : wideText(text))
        addWord(static_cast<WORD>(character));
    addWord(0);
}

void DialogMemory::addDword(DWORD dword)
{
    addWord(LOWORD(dword));
    addWord(HIWORD(dword));
}

// Each control begins on a four-byte boundary, counted from the template's start.
void DialogMemory::alignToDword()
{
    if (words_.size() % 2 != 0)
        addWord(0);
}
