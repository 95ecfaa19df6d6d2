#pragma once

#include <string_view>

// How wide the window's table cells draw a text in their font, in pixels; the window supplies
// it. Widths add up character by character: the cells' font is not kerned.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;

    virtual double textWidth(std::u16string_view text) const = 0;
    virtual double characterWidth(char16_t character) const = 0;
    // What a cell adds to its text's width, on both sides together.
    virtual int cellPadding() const = 0;
};
