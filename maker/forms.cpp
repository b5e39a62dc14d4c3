#include "maker/forms.h"

#include <glibmm/main.h>

#include <algorithm>

#include "maker/dialogs/position_dialog.h"
#include "maker/dialogs/start_menu.h"
#include "maker/dialogs/window_dialog.h"
#include "maker/mainwindow/main_window.h"
#include "maker/preview/preview_window.h"

namespace kelvane {

Forms::Forms(std::filesystem::path folder) : folder_(std::move(folder)) {}

Forms::~Forms() {
    sweep_.disconnect();
    closed_.clear();
}

MainWindow& Forms::Form1() {
    if (!form1_) {
        if (load_engine_) load_engine_();
        form1_ = std::make_unique<MainWindow>(*this);
        form1_->Form_Load();
    }
    return *form1_;
}

PositionDialog& Forms::Form2() {
    if (!form2_) form2_ = std::make_unique<PositionDialog>(*this);
    return *form2_;
}

WindowDialog& Forms::Form3() {
    if (!form3_) form3_ = std::make_unique<WindowDialog>(*this);
    return *form3_;
}

StartMenu& Forms::frmSplash() {
    if (!splash_) splash_ = std::make_unique<StartMenu>(*this);
    return *splash_;
}

PreviewWindow& Forms::frmMain() {
    if (!preview_) {
        if (load_engine_) load_engine_();
        preview_ = std::make_unique<PreviewWindow>(*this);
        preview_->Form_Load();
    }
    return *preview_;
}

Gtk::Window* Forms::window(FormId id) const {
    switch (id) {
    case FormId::Form1: return form1_.get();
    case FormId::Form2: return form2_.get();
    case FormId::Form3: return form3_.get();
    case FormId::frmSplash: return splash_.get();
    case FormId::frmMain: return preview_.get();
    }
    return nullptr;
}

bool Forms::loaded(FormId id) const { return window(id) != nullptr; }

void Forms::Unload(FormId id) {
    if (!loaded(id)) return;
    if (std::find(running_.begin(), running_.end(), id) != running_.end()) {
        // A window's own unload handler unloading it: it goes at that point of the
        // handler's order. A window whose handler is further out is left to that handler.
        if (running_.back() == id) close(id);
        return;
    }
    // The window's own unload handler runs first (it unloads its companions), then the
    // window goes, unless the handler already let it go.
    running_.push_back(id);
    switch (id) {
    case FormId::Form1: form1_->Form_Unload(); break;
    case FormId::Form2: form2_->Form_Unload(); break;
    case FormId::Form3: form3_->Form_Unload(); break;
    case FormId::frmSplash:
    case FormId::frmMain: break;
    }
    running_.pop_back();
    close(id);
}

void Forms::close(FormId id) {
    auto take = [](auto& form) { return std::unique_ptr<Gtk::Window>(form.release()); };
    std::unique_ptr<Gtk::Window> closed;
    switch (id) {
    case FormId::Form1: closed = take(form1_); break;
    case FormId::Form2: closed = take(form2_); break;
    case FormId::Form3: closed = take(form3_); break;
    case FormId::frmSplash: closed = take(splash_); break;
    case FormId::frmMain: closed = take(preview_); break;
    }
    if (!closed) return;
    closed->hide();
    closed_.push_back(std::move(closed));
    if (!sweep_.connected())
        sweep_ = Glib::signal_idle().connect([this] {
            closed_.clear();
            return false;
        });
    unloaded_.emit(id);
    if (!form1_ && !form2_ && !form3_ && !splash_ && !preview_) all_unloaded_.emit();
}

}  // namespace kelvane
