#include "dialog_template.h"

#include "resource.h"

namespace {

constexpr ControlTemplate kTrackerControls[] = {
    {IDC_STATIC, ControlKind::Label, 2, 9, 22, 8, "Name:"},
    {IDC_NAME, ControlKind::Edit, 37, 6, 70, 14, ""},
    {IDC_STATIC, ControlKind::Label, 2, 24, 35, 8, "Username:"},
    {IDC_USERNAME, ControlKind::Edit, 37, 21, 70, 14, ""},
    {IDC_STATIC, ControlKind::Label, 2, 39, 34, 8, "Password:"},
    {IDC_PASSWORD, ControlKind::Edit, 37, 36, 70, 14, ""},
    {IDC_STATIC, ControlKind::Label, 113, 9, 18, 8, "URL:"},
    {IDC_URL, ControlKind::Edit, 137, 6, 90, 14, ""},
    {IDC_GO, ControlKind::Button, 227, 6, 19, 14, "Go"},
    {IDC_STATIC, ControlKind::Label, 113, 24, 20, 8, "Other:"},
    {IDC_OTHER, ControlKind::Edit, 137, 21, 110, 14, ""},
    {IDC_STATIC, ControlKind::Label, 2, 55, 22, 8, "Notes:"},
    {IDC_NOTES, ControlKind::NotesEdit, 37, 51, 220, 65, ""},
    {IDC_ENTRY_LIST, ControlKind::EntryList, 10, 120, 302, 75, ""},
    {IDOK, ControlKind::DefaultButton, 262, 1, 50, 14, "Quit"},
    {IDC_ADD, ControlKind::Button, 262, 16, 50, 14, "Add"},
    {IDC_UPDATE, ControlKind::Button, 262, 30, 50, 14, "Update"},
    {IDC_DELETE, ControlKind::Button, 262, 44, 50, 14, "Delete"},
    {IDC_CLEAR, ControlKind::Button, 262, 58, 50, 14, "Clear"},
    {IDC_SAVE, ControlKind::Button, 262, 74, 50, 14, "Save"},
    {IDC_HELP_PAGE, ControlKind::Button, 262, 88, 50, 14, "Help"},
    {IDC_STATIC, ControlKind::Label, 10, 199, 237, 8, "Nimbrel Password Tracker"},
    {IDC_STATIC, ControlKind::Label, 267, 199, 22, 8, "Count:"},
    {IDC_COUNT, ControlKind::ReadOnlyEdit, 291, 196, 30, 14, ""},
};

constexpr ControlTemplate kAboutControls[] = {
    {IDC_STATIC, ControlKind::Label, 11, 10, 119, 8, "Nimbrel Version 1.02"},
    {IDOK, ControlKind::DefaultButton, 178, 7, 50, 14, "OK"},
};

}  // namespace

const DialogTemplate kTrackerDialogTemplate{
    IDD_TRACKER_DIALOG, "Nimbrel", 320, 210, "MS Sans Serif", 8, kTrackerControls,
};

const DialogTemplate kAboutDialogTemplate{
    IDD_ABOUTBOX, "About Nimbrel", 235, 61, "MS Sans Serif", 8, kAboutControls,
};
