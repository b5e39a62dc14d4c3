// A maker in a folder of its own with the template beside it, its messages recorded and
// its file dialogs answered by the test.
#pragma once

#include <gtest/gtest.h>

#include <deque>

#include "maker/dialogs/position_dialog.h"
#include "maker/dialogs/window_dialog.h"
#include "maker/forms.h"
#include "maker/mainwindow/main_window.h"
#include "platform/common_dialog.h"
#include "platform/message_box.h"
#include "tests/support/created_program.h"
#include "tests/support/pump.h"

namespace kelvane::test {

// Shows the window and waits until it has been painted whole since.
inline bool show_and_wait_drawn(Gtk::Window& window) {
    window.show();
    if (!pump_until([&] { return window.get_mapped(); })) return false;
    window.queue_draw();
    return settle(window);  // the frames that follow paint what was queued
}

class MakerFixture : public testing::Test {
protected:
    MakerFixture() : forms(folder.path()) {
        std::filesystem::copy_file(template_path(), folder / "browser.dat");
        set_application_title("Kelvane");
        set_message_handler(
            [this](const Message& m) { messages.push_back(m.title + " | " + std::to_string(m.style) + " | " + m.text); });
        set_dialog_answers({[this] { return next(files); }, [this] { return next(colours); }});
        forms.signal_unloaded().connect([this](FormId id) { unloaded.push_back(id); });
        forms.signal_all_unloaded().connect([this] { ++all_unloaded; });
    }
    ~MakerFixture() override {
        set_message_handler({});
        set_dialog_answers({});
    }
    template <typename T>
    static std::optional<T> next(std::deque<std::optional<T>>& answers) {
        std::optional<T> answer;  // nobody answers: a cancel
        if (!answers.empty()) answer = answers.front(), answers.pop_front();
        return answer;
    }
    MainWindow& main() { return forms.Form1(); }
    PositionDialog& positions() { return forms.Form2(); }
    WindowDialog& window_dialog() { return forms.Form3(); }
    // Writes the picture to a file in the maker's folder, for a file dialog to answer.
    std::string picture_file(const std::string& name, const Picture& picture) {
        const std::string path = folder / name;
        g_file_set_contents(path.c_str(), reinterpret_cast<const char*>(picture.bytes.data()), picture.bytes.size(), nullptr);
        return path;
    }

    TempDir folder;
    Forms forms;
    std::vector<std::string> messages;  // each as "title | style | text"
    std::vector<FormId> unloaded;
    int all_unloaded = 0;
    std::deque<std::optional<std::string>> files;      // answers to the file dialogs, in order
    std::deque<std::optional<std::int32_t>> colours;   // answers to the colour dialogs
};

}  // namespace kelvane::test
