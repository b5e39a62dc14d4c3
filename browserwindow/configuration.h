// The configuration sequence: the fixed order of steps that sets up the browser window
// from the settings, before it is first shown. A step whose value is missing in a way
// it cannot use, does not convert, or is refused by its control is skipped; the next
// step runs regardless.
#pragma once

#include <glibmm/ustring.h>

#include <string_view>

#include "browserwindow/browser_window.h"
#include "common/settings_record.h"

namespace kelvane {

// Where the steps take their values: the settings record in a created program, the
// maker's fields in the full preview.
class ValueSource {
public:
    virtual ~ValueSource() = default;
    virtual Value read(std::string_view key) const = 0;
};

class RecordSource : public ValueSource {
public:
    explicit RecordSource(const SettingsRecord& record) : record_(record) {}
    Value read(std::string_view key) const override { return record_.ReadProperty(key); }

private:
    const SettingsRecord& record_;
};

// The hidden controls in which a created program keeps what its later handlers need.
struct Holders {
    Glib::ustring Text2;  // border style code
    Glib::ustring Text3;  // window title
    Glib::ustring Text4;  // status flag: exactly "True" shows the status bar
};

// Runs the sequence. Without holders (the full preview) the holder steps do not exist
// and only the song switch decides what shows at the bottom.
void configure(BrowserWindow& window, const ValueSource& source, Holders* holders);

}  // namespace kelvane
