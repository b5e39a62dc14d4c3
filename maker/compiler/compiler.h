// Compiling a browser: the template copied under the chosen name, with the settings
// appended as the program trailer.
#pragma once

#include <filesystem>
#include <string>

#include "browserwindow/configuration.h"
#include "common/settings_record.h"

namespace kelvane {

class Forms;

// Every setting as the maker's fields hold it now, under its key: the source of a
// compile, and of the full preview.
class MakerSettings : public ValueSource {
public:
    explicit MakerSettings(Forms& forms) : forms_(forms) {}
    Value read(std::string_view key) const override;

private:
    Forms& forms_;
};

// The record of all the keys, in their order, from the maker's fields.
SettingsRecord gather_settings(Forms& forms);

struct CompileResult {
    std::string error;  // empty on success; otherwise what went wrong, for the user
    bool declined = false;  // the user chose to keep the file of that name; nothing was made
};

// Writes `folder`/`file_name` from `folder`/browser.dat and the record. All or nothing:
// the program is written to a temporary file and only renamed over the target when it
// is complete, so a failure leaves no half-written program and an earlier program of
// that name as it was. An earlier program that is read-only is refused, not replaced.
// The template and the maker itself are never replaced, under whatever name or link
// they are reached; any other file that is not a program made here is replaced only
// when the user agrees to it (ConfirmBox, keeping it unless told otherwise).
// A made program also gets its menu entry; a failure there leaves the program made and
// is told on standard error.
CompileResult compile_program(const SettingsRecord& record, const std::filesystem::path& folder,
                              const std::string& file_name);

}  // namespace kelvane
