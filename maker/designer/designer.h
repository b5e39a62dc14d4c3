// The layout designer: select a control of the main window's preview, then move and
// resize it by dragging the nine sizing handles around it.
#pragma once

#include <memory>
#include <vector>

#include "maker/designer/handle.h"
#include "platform/placement.h"

namespace kelvane {

class Module2 {
public:
    // The handles live in `container`, the panel whose controls can be selected; handle 0
    // is there from the start, hidden.
    explicit Module2(Placement& container);

    void SelectControl(Gtk::Widget& control);
    void CreateHandles();
    void PlaceHandles(Gtk::Widget& control);
    void HideHandles();

    void GrabHandle(float x, float y);
    void DragHandle(int index, int button, int shift, float x, float y);

    Gtk::Widget* selected() const { return selected_; }
    // Puts the handles back in front of everything else in their panel.
    void raise_handles();

    // The sizing handles, in front of everything in the preview: element 0 exists from the
    // start, the others are added on the first selection.
    std::vector<std::unique_ptr<Handle>> handle;
    // Every handle's presses and drags, whichever handle it is.
    Handle::MouseSignal& signal_handle_MouseDown() { return handle_mouse_down_; }
    Handle::MouseSignal& signal_handle_MouseMove() { return handle_mouse_move_; }

private:
    void add_handle();

    Placement& container_;
    Gtk::Widget* selected_ = nullptr;
    float grab_x_ = 0, grab_y_ = 0;   // where the pointer went down inside a handle
    float last_x_ = 0, last_y_ = 0;   // the last drag step that was applied
    Handle::MouseSignal handle_mouse_down_, handle_mouse_move_;
};

}  // namespace kelvane
