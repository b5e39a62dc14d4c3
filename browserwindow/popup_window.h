// Windows that pages ask for. A link or script that asks for a new window without saying
// how it should look is followed in the view itself, so Back returns to the page before.
// A scripted popup that gives a size, as sign-in windows do, gets a small window of its
// own whose page stays related to its opener (they can talk to each other), and which
// closes when a page closes it. A page opens one window for each click of the user's,
// and never one on a file: or data: page.
#pragma once

#include <gtkmm/window.h>
#include <sigc++/trackable.h>

#include <memory>
#include <vector>

#include "browserwindow/web_view.h"

typedef struct _WebKitNavigationAction WebKitNavigationAction;
typedef struct _WebKitPolicyDecision WebKitPolicyDecision;
typedef struct _WebKitURIRequest WebKitURIRequest;

namespace kelvane {

class PopupWindow : public Gtk::Window {
public:
    // `view` is the view the engine made for the popup; `request` what it will load.
    PopupWindow(WebView& opener, WebKitWebView* view, WebKitURIRequest* request);
    ~PopupWindow() override;

    WebView& view() { return view_; }
    WebKitURIRequest* request() const { return request_.get(); }

    // Shown once both its size is known and the engine says it is ready to show.
    void set_size(int width, int height);
    void ready_to_show();
    // The user closed it with the close box.
    sigc::signal<void()>& signal_closed() { return closed_; }

private:
    bool on_delete_event(GdkEventAny*) override;

    struct Unref {
        void operator()(void* object) const;
    };
    WebView view_;
    std::unique_ptr<WebKitURIRequest, Unref> request_;
    bool sized_ = false, ready_ = false;
    sigc::signal<void()> closed_;
};

class NewWindows : public sigc::trackable {
public:
    NewWindows(WebView& owner, WebKitWebView* view);
    ~NewWindows();
    NewWindows(const NewWindows&) = delete;
    NewWindows& operator=(const NewWindows&) = delete;

    std::size_t popup_count() const { return popups_.size(); }

private:
    static int on_decide_policy(WebKitWebView* view, WebKitPolicyDecision* decision, int type, NewWindows* self);
    static GtkWidget* on_create(WebKitWebView* view, WebKitNavigationAction* action, NewWindows* self);
    static void on_ready_to_show(WebKitWebView* view, NewWindows* self);
    static void on_close(WebKitWebView* view, NewWindows* self);
    bool settle(PopupWindow* popup);
    PopupWindow* find(WebKitWebView* view);
    void close(PopupWindow* popup);
    bool forget(PopupWindow* popup);

    WebView& owner_;
    WebKitWebView* view_;
    std::vector<std::unique_ptr<PopupWindow>> popups_;
};

}  // namespace kelvane
