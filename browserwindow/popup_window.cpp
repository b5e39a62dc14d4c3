#include "browserwindow/popup_window.h"

#include <gdkmm/display.h>
#include <gdkmm/monitor.h>
#include <glibmm/main.h>
#include <webkit2/webkit2.h>

#include <algorithm>

#include "browserwindow/page_requests.h"

namespace kelvane {
namespace {

constexpr int kSmallest = 100;  // pixels; a popup is never smaller than this

}  // namespace

PopupWindow::PopupWindow(WebView& opener, WebKitWebView* view, WebKitURIRequest* request)
    : view_(view), request_(WEBKIT_URI_REQUEST(g_object_ref(request))) {
    add(view_.widget());
    if (auto* top = dynamic_cast<Gtk::Window*>(opener.widget().get_toplevel()); top && top->get_is_toplevel())
        set_transient_for(*top);
    // The popup has no status bar of its own: its downloads are reported where its opener's are.
    view_.signal_download().connect(opener.signal_download().make_slot());
    g_signal_connect(view, "notify::title", G_CALLBACK(+[](WebKitWebView* v, GParamSpec*, PopupWindow* self) {
                         const char* title = webkit_web_view_get_title(v);
                         self->set_title(title ? title : "");
                     }),
                     this);
}

PopupWindow::~PopupWindow() { g_signal_handlers_disconnect_by_data(view_.widget().gobj(), this); }

void PopupWindow::Unref::operator()(void* object) const { g_object_unref(object); }

void PopupWindow::set_size(int width, int height) {
    // Never smaller than a usable window, never larger than the screen.
    Gdk::Rectangle screen(0, 0, width, height);
    if (auto monitor = get_display()->get_primary_monitor()) monitor->get_workarea(screen);
    set_default_size(std::clamp(width, kSmallest, std::max(screen.get_width(), kSmallest)),
                     std::clamp(height, kSmallest, std::max(screen.get_height(), kSmallest)));
    sized_ = true;
    if (ready_) show_all();
}

void PopupWindow::ready_to_show() {
    ready_ = true;
    if (sized_) show_all();
}

bool PopupWindow::on_delete_event(GdkEventAny*) {
    closed_.emit();
    return true;  // its owner destroys it
}

NewWindows::NewWindows(WebView& owner, WebKitWebView* view) : owner_(owner), view_(view) {
    g_signal_connect(view_, "decide-policy", G_CALLBACK(on_decide_policy), this);
    g_signal_connect(view_, "create", G_CALLBACK(on_create), this);
}

NewWindows::~NewWindows() {
    g_signal_handlers_disconnect_by_data(view_, this);
    for (auto& popup : popups_) g_signal_handlers_disconnect_by_data(popup->view().widget().gobj(), this);
}

int NewWindows::on_decide_policy(WebKitWebView* view, WebKitPolicyDecision* decision, int type, NewWindows*) {
    // A link (or form) aimed at a new window: followed here.
    if (type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) return FALSE;
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    const char* uri = webkit_uri_request_get_uri(request);
    if (uri && !shown_in_view(uri)) return FALSE;  // another program's address: the page's requests decide
    // Loaded here on the page's behalf, the engine's own checks do not apply: no file: or
    // data: page.
    if (uri && page_may_open(uri)) webkit_web_view_load_request(view, request);
    webkit_policy_decision_ignore(decision);
    return TRUE;
}

GtkWidget* NewWindows::on_create(WebKitWebView* view, WebKitNavigationAction* action, NewWindows* self) {
    // One window for each click of the user's, however many the page asks for.
    if (!webkit_navigation_action_is_user_gesture(action) || !take_user_gesture(view, UserGesture::Popup))
        return nullptr;
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    if (uri && *uri && !shown_in_view(uri)) {
        open_in_other_program(view, uri);
        return nullptr;
    }
    if (uri && *uri && !page_may_open(uri)) return nullptr;
    // Related to the opener: the same web process, so window.opener and postMessage work.
    auto* related = WEBKIT_WEB_VIEW(webkit_web_view_new_with_related_view(view));
    auto popup = std::make_unique<PopupWindow>(self->owner_, related, webkit_navigation_action_get_request(action));
    note_popup(related);
    g_signal_connect(related, "ready-to-show", G_CALLBACK(on_ready_to_show), self);
    g_signal_connect(related, "close", G_CALLBACK(on_close), self);
    popup->signal_closed().connect(sigc::bind(sigc::mem_fun(*self, &NewWindows::close), popup.get()));
    // The engine copies the features the page asked for (its size) into the new view's
    // window properties as soon as this handler returns, and before it handles anything
    // else the page sends; so they are read first thing afterwards.
    Glib::signal_idle().connect(sigc::bind(sigc::mem_fun(*self, &NewWindows::settle), popup.get()),
                                Glib::PRIORITY_HIGH);
    self->popups_.push_back(std::move(popup));
    return GTK_WIDGET(related);
}

bool NewWindows::settle(PopupWindow* popup) {
    if (std::find_if(popups_.begin(), popups_.end(), [&](auto& p) { return p.get() == popup; }) == popups_.end())
        return false;
    auto* view = WEBKIT_WEB_VIEW(popup->view().widget().gobj());
    GdkRectangle size{};
    webkit_window_properties_get_geometry(webkit_web_view_get_window_properties(view), &size);
    const char* uri = webkit_uri_request_get_uri(popup->request());
    const bool has_address = uri && *uri && !g_str_equal(uri, "about:blank");
    if (size.width <= 0 && size.height <= 0 && has_address) {
        // No size asked for: a new window in name only, followed here.
        webkit_web_view_load_request(view_, popup->request());
        forget(popup);
        return false;
    }
    // Only a width or only a height: a square.
    popup->set_size(size.width > 0 ? size.width : size.height, size.height > 0 ? size.height : size.width);
    return false;
}

void NewWindows::on_ready_to_show(WebKitWebView* view, NewWindows* self) {
    if (PopupWindow* popup = self->find(view)) popup->ready_to_show();
}

void NewWindows::on_close(WebKitWebView* view, NewWindows* self) {
    if (PopupWindow* popup = self->find(view)) self->close(popup);
}

PopupWindow* NewWindows::find(WebKitWebView* view) {
    for (auto& popup : popups_)
        if (popup->view().widget().gobj() == GTK_WIDGET(view)) return popup.get();
    return nullptr;
}

void NewWindows::close(PopupWindow* popup) {
    popup->hide();
    // Not destroyed inside the engine's own signal.
    Glib::signal_idle().connect(sigc::bind(sigc::mem_fun(*this, &NewWindows::forget), popup));
}

bool NewWindows::forget(PopupWindow* popup) {
    std::erase_if(popups_, [&](auto& p) { return p.get() == popup; });
    return false;
}

}  // namespace kelvane
