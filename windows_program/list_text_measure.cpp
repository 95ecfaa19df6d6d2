#include "list_text_measure.h"

#include "display_scale.h"

namespace {

// What the list adds to a cell's text at 100 %, as its own fitting of a column to its content
// does.
constexpr int kCellPadding = 12;
constexpr int kDefaultDpi = 96;

}  // namespace

ListTextMeasure::ListTextMeasure(HWND list)
    : list_(list),
      context_(CreateCompatibleDC(nullptr)),
      previousFont_(SelectObject(context_,
                                 reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0))))
{
}

void ListTextMeasure::selectListFont()
{
    SelectObject(context_, reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0)));
}

ListTextMeasure::~ListTextMeasure()
{
    SelectObject(context_, previousFont_);
    DeleteDC(context_);
}

double ListTextMeasure::textWidth(std::u16string_view text) const
{
    SIZE size{};
    GetTextExtentPoint32W(context_, reinterpret_cast<const wchar_t*>(text.data()),
                          static_cast<int>(text.size()), &size);
    return size.cx;
}

double ListTextMeasure::characterWidth(char16_t character) const
{
    return textWidth(std::u16string_view(&character, 1));
}

int ListTextMeasure::cellPadding() const
{
    return MulDiv(kCellPadding, static_cast<int>(dpiOf(list_)), kDefaultDpi);
}
