#include "browser/frm_main.h"

#include "common/conversions.h"
#include "common/program_trailer.h"

namespace kelvane {

FrmMain::FrmMain() {
    property_title().signal_changed().connect([this] { keep_title_and_border(); });
    for (const char* property : {"decorated", "resizable", "type-hint"})
        connect_property_changed(property, [this] { keep_title_and_border(); });
}

void FrmMain::Form_Load(const std::filesystem::path& program) {
    const SettingsRecord record = read_trailer(program);
    configure(*this, RecordSource(record), &holders_);
    keep_title_and_border();
}

void FrmMain::keep_title_and_border() {
    if (get_title() != holders_.Text3) set_title(holders_.Text3);
    // A holder that is not a border code leaves the border as it is.
    if (auto border = to_code(Value(holders_.Text2.raw()))) set_border_style(*border);
}

}  // namespace kelvane
