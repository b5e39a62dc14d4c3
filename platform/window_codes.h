// The window codes that settings hand to a window unchanged: border style, window state
// and mouse pointer, with the cursor each pointer code shows.
#pragma once

namespace kelvane {

enum BorderStyle {
    vbBSNone = 0,            // no frame, fixed size
    vbFixedSingle = 1,       // framed, fixed size
    vbSizable = 2,           // framed, resizable
    vbFixedDialog = 3,       // a dialog's frame, fixed size
    vbFixedToolWindow = 4,   // a tool window's frame, fixed size
    vbSizableToolWindow = 5  // a tool window's frame, resizable
};

enum WindowState { vbNormal = 0, vbMinimized = 1, vbMaximized = 2 };

enum MousePointer {
    vbDefault = 0,
    vbArrow = 1,
    vbCrosshair = 2,
    vbIbeam = 3,
    vbIconPointer = 4,
    vbSizePointer = 5,
    vbSizeNESW = 6,
    vbSizeNS = 7,
    vbSizeNWSE = 8,
    vbSizeWE = 9,
    vbUpArrow = 10,
    vbHourglass = 11,
    vbNoDrop = 12,
    vbArrowHourglass = 13,
    vbArrowQuestion = 14,
    vbSizeAll = 15,
    vbCustom = 99
};

// The name of the cursor that a pointer code shows (the window system's default one:
// "default"), or null for a code that is not a pointer code.
const char* cursor_name(int pointer_code);

}  // namespace kelvane
