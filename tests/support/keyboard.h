// Keys and mouse buttons pressed through the X server, as a user presses them: keys go
// to whichever window has the keyboard.
#pragma once

#include <string>

namespace kelvane::test {

// Presses and releases a key or a mouse button with modifiers held: "F5", "ctrl+r",
// "alt+Left", "ctrl+plus" (a key that only Shift gives is pressed with it), "ctrl+button4"
// (the wheel). Keys by their X names; the modifiers ctrl, shift and alt.
bool press_keys(const std::string& keys);
// Types the text, a key for each character.
bool type_text(const std::string& text);

}  // namespace kelvane::test
