#include "tests/support/keyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <memory>
#include <sstream>
#include <vector>

namespace kelvane::test {

bool press_keys(const std::string& keys) {
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    Display* d = display.get();
    if (!d) return false;
    auto code = [d](const std::string& name) { return XKeysymToKeycode(d, XStringToKeysym(name.c_str())); };
    std::vector<std::string> parts;
    std::istringstream in(keys);
    for (std::string part; std::getline(in, part, '+');) parts.push_back(part);
    if (parts.empty()) return false;
    const std::string key = parts.back();
    std::vector<KeyCode> held;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i)
        held.push_back(code(parts[i] == "ctrl" ? "Control_L" : parts[i] == "alt" ? "Alt_L" : "Shift_L"));
    const int button = key.starts_with("button") ? std::stoi(key.substr(6)) : 0;
    const KeyCode pressed = button ? 0 : code(key);
    if (!button && !pressed) return false;
    if (!button && XkbKeycodeToKeysym(d, pressed, 0, 0) != XStringToKeysym(key.c_str())) held.push_back(code("Shift_L"));
    for (KeyCode k : held) XTestFakeKeyEvent(d, k, True, CurrentTime);
    for (bool down : {true, false})
        button ? XTestFakeButtonEvent(d, button, down, CurrentTime) : XTestFakeKeyEvent(d, pressed, down, CurrentTime);
    for (auto k = held.rbegin(); k != held.rend(); ++k) XTestFakeKeyEvent(d, *k, False, CurrentTime);
    XSync(d, False);  // carried out before the caller goes on
    return true;
}

bool type_text(const std::string& text) {
    for (char c : text) {
        // Latin-1 characters are their own key symbols.
        const char* name = XKeysymToString(static_cast<unsigned char>(c));
        if (!name || !press_keys(name)) return false;
    }
    return true;
}

}  // namespace kelvane::test
