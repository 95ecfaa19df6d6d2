#pragma once

#include "text_measure.h"

#include <windows.h>

// How the list view draws a cell's text: in the list's font, with the room the list gives a
// cell's text on either side, at the list's scale.
class ListTextMeasure final : public TextMeasure {
public:
    explicit ListTextMeasure(HWND list);
    ~ListTextMeasure() override;
    // Takes the list's font again, after the scale changed.
    void selectListFont();
    ListTextMeasure(const ListTextMeasure&) = delete;
    ListTextMeasure& operator=(const ListTextMeasure&) = delete;

    double textWidth(std::u16string_view text) const override;
    double characterWidth(char16_t character) const override;
    int cellPadding() const override;

private:
    HWND list_;
    HDC context_;
    HGDIOBJ previousFont_;
};
