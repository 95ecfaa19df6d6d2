#pragma once

#include <span>

// A window described as data, in dialog units: a quarter of the dialog font's average
// character width across, an eighth of its height down.

enum class ControlKind {
    Label,          // plain left-aligned static text
    Edit,           // single-line edit field that scrolls horizontally
    NotesEdit,      // multi-line edit field, no wrapping, no scroll bars
    ReadOnlyEdit,   // disabled edit field, skipped by Tab
    Button,
    DefaultButton,  // pressed by Enter while the focus is not on another button
    EntryList,      // the table of entries
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    int x, y, width, height;
    const char* text;
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width, height;
    const char* fontFamily;
    int pointSize;
    std::span<const ControlTemplate> controls;  // in tab order
};

extern const DialogTemplate kTrackerDialogTemplate;
extern const DialogTemplate kAboutDialogTemplate;
