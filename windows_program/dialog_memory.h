#pragma once

#include "dialog_template.h"

#include <windows.h>

#include <vector>

// A window template as the dialog manager reads it from memory: the template's controls as
// the system's own edit fields, buttons, labels and list view, in the template's font.
class DialogMemory {
public:
    DialogMemory(const DialogTemplate& dialogTemplate, DWORD style, DWORD extendedStyle = 0);

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void add(const ControlTemplate& control);
    void addText(const char* text);
    void addWord(WORD word) { words_.push_back(word); }
    void addDword(DWORD dword);
    void alignToDword();

    std::vector<WORD> words_;
};
