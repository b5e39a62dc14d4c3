#include "browser/program_window.h"

#include "common/program_trailer.h"

namespace kelvane {

void ProgramWindow::Form_Load(const std::filesystem::path& program) {
    const SettingsRecord record = read_trailer(program);
    configure(*this, RecordSource(record), &holders_);
    // Watched for changes rather than polled, so an idle program does no work.
    hold_title_and_border([this] { return holders_.Text3; }, [this] { return holders_.Text2; });
}

}  // namespace kelvane
