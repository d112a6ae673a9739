// The system colours: one table, read by GetSysColor, by the brushes of GetSysColorBrush and
// by a class brush given as (HBRUSH)(COLOR_x + 1), so that all three paint the same colour.
#include <array>

#include "gdi/gdi.h"

namespace wynplat {
namespace {

// The classic scheme, the slot number being the COLOR_ value.
constexpr std::array<COLORREF, COLOR_BTNHIGHLIGHT + 1> kSysColours{
    RGB(192, 192, 192),  // COLOR_SCROLLBAR
    RGB(0, 128, 128),    // COLOR_BACKGROUND
    RGB(0, 0, 128),      // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(192, 192, 192),  // COLOR_ACTIVEBORDER
    RGB(192, 192, 192),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(0, 0, 128),      // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(192, 192, 192),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
};

bool Known(int index) { return index >= 0 && index < static_cast<int>(kSysColours.size()); }

}  // namespace

bool SysColour(int index, COLORREF* c) {
    if (!Known(index)) return false;
    *c = kSysColours[index];
    return true;
}

}  // namespace wynplat

using namespace wynplat;

DWORD WINAPI GetSysColor(int index) { return Known(index) ? kSysColours[index] : 0; }

HBRUSH WINAPI GetSysColorBrush(int index) {
    static const auto* brushes = [] {
        auto* b = new std::array<HBRUSH, kSysColours.size()>;
        for (size_t i = 0; i < b->size(); ++i) (*b)[i] = CreateSystemBrush(kSysColours[i]);
        return b;
    }();
    return Known(index) ? (*brushes)[index] : nullptr;
}
