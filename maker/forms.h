// The maker's windows. Each exists at most once and is created and loaded on first use,
// also when another window only reads or writes one of its controls. Unloading the last
// of them ends the maker.
#pragma once

#include <gtkmm/window.h>
#include <sigc++/signal.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace kelvane {

class MainWindow;
class PositionDialog;
class WindowDialog;
class StartMenu;
class PreviewWindow;

enum class FormId { Form1, Form2, Form3, frmMain, frmSplash };

class Forms {
public:
    // `folder` holds the template browser.dat and receives the created programs.
    explicit Forms(std::filesystem::path folder);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    MainWindow& Form1();
    PositionDialog& Form2();
    WindowDialog& Form3();
    StartMenu& frmSplash();
    PreviewWindow& frmMain();

    bool loaded(FormId id) const;
    // Runs the window's unload handler, then closes and destroys it. A window that is not
    // loaded, or whose handler is already running, is left alone; only that handler
    // itself can unload it then, and it goes at once.
    void Unload(FormId id);

    const std::filesystem::path& folder() const { return folder_; }
    // Run before the windows that show a page or play a song (the main window and the full
    // preview) are built, for a program that loads the web engine only when needed.
    void set_engine_loader(std::function<void()> load) { load_engine_ = std::move(load); }

    sigc::signal<void(FormId)>& signal_unloaded() { return unloaded_; }
    sigc::signal<void()>& signal_all_unloaded() { return all_unloaded_; }

private:
    Gtk::Window* window(FormId id) const;
    // Hides the window, tells who listens, and destroys it once the handlers are done.
    void close(FormId id);

    std::filesystem::path folder_;
    std::function<void()> load_engine_;
    std::unique_ptr<MainWindow> form1_;
    std::unique_ptr<PositionDialog> form2_;
    std::unique_ptr<WindowDialog> form3_;
    std::unique_ptr<StartMenu> splash_;
    std::unique_ptr<PreviewWindow> preview_;
    std::vector<FormId> running_;  // the unload handlers running, innermost last
    // Windows closed from inside their own handlers, destroyed once those have returned.
    std::vector<std::unique_ptr<Gtk::Window>> closed_;
    sigc::connection sweep_;
    sigc::signal<void(FormId)> unloaded_;
    sigc::signal<void()> all_unloaded_;
};

}  // namespace kelvane
