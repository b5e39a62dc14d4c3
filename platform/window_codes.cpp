#include "platform/window_codes.h"

#include <array>
#include <utility>

namespace kelvane {

const char* cursor_name(int pointer_code) {
    // No custom pointer picture is ever set, so vbCustom shows the default one.
    static constexpr std::array<std::pair<int, const char*>, 17> kCursors{{
        {vbDefault, "default"},    {vbArrow, "default"},         {vbCrosshair, "crosshair"},
        {vbIbeam, "text"},         {vbIconPointer, "default"},   {vbSizePointer, "move"},
        {vbSizeNESW, "nesw-resize"}, {vbSizeNS, "ns-resize"},    {vbSizeNWSE, "nwse-resize"},
        {vbSizeWE, "ew-resize"},   {vbUpArrow, "n-resize"},      {vbHourglass, "wait"},
        {vbNoDrop, "not-allowed"}, {vbArrowHourglass, "progress"}, {vbArrowQuestion, "help"},
        {vbSizeAll, "move"},       {vbCustom, "default"},
    }};
    for (auto [code, name] : kCursors)
        if (code == pointer_code) return name;
    return nullptr;
}

}  // namespace kelvane
