#include "program_icons.h"

#include "display_scale.h"

namespace {

// The icon of the program's resource script.
constexpr int kIconResource = 128;

HICON programIcon(UINT dpi, int metric)
{
    const int size = systemMetricAt(metric, dpi);
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                         MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, size, size,
                                         LR_DEFAULTCOLOR));
}

}  // namespace

ProgramIcons::ProgramIcons(UINT dpi)
    : large_(programIcon(dpi, SM_CXICON)), small_(programIcon(dpi, SM_CXSMICON))
{
}
