#include "browserwindow/web_view.h"

#include <atkmm/object.h>
#include <glibmm/main.h>
#include <webkit2/webkit2.h>

#include <cmath>
#include <string>
#include <utility>

#include "browserwindow/find_bar.h"
#include "browserwindow/full_screen.h"
#include "browserwindow/page_menu.h"
#include "browserwindow/page_requests.h"
#include "browserwindow/popup_window.h"
#include "browserwindow/web_context.h"
#include "browserwindow/zoom_levels.h"
#include "platform/desktop.h"
#include "platform/placement.h"
#include "platform/question_box.h"

namespace kelvane {
namespace {

// "https://…", "about:blank" or "mailto:…", but not "localhost:8080", a host and port.
bool has_scheme(const std::string& text) {
    auto is_alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.empty() || !is_alpha(text[0])) return false;
    std::size_t i = 1;
    while (i < text.size() && (is_alpha(text[i]) || is_digit(text[i]) || text[i] == '+' || text[i] == '-' || text[i] == '.'))
        ++i;
    return i + 1 < text.size() && text[i] == ':' && !is_digit(text[i + 1]);
}

// The engine starts its network process before the process that shows the page, so the
// host's address is looked up while that one starts rather than after.
void prefetch_host(WebKitWebView* view, const Glib::ustring& uri) {
    GUri* parsed = g_uri_parse(uri.c_str(), G_URI_FLAGS_NONE, nullptr);
    if (!parsed) return;
    const char* host = g_uri_get_host(parsed);
    if (host && *host && !g_hostname_is_ip_address(host))
        webkit_web_context_prefetch_dns(webkit_web_view_get_context(view), host);
    g_uri_unref(parsed);
}

// Shows the view at the zoom level kept for the address's site.
void zoom_as_kept(WebKitWebView* view, const std::string& uri) {
    if (const double level = zoom_level_for(uri); level != webkit_web_view_get_zoom_level(view))
        webkit_web_view_set_zoom_level(view, level);
}

// The keys the view answers, while the focus is in it.
struct PageKey {
    guint key;               // in lower case
    unsigned modifiers;      // exactly these of Ctrl, Shift and Alt
    void (WebView::*run)();
    bool any_shift = false;  // a key that some keyboards give only with Shift ("+")
    // Taken before the page: the engine never hands arrow keys back to the window.
    bool before_page = false;
};

constexpr unsigned kCtrl = GDK_CONTROL_MASK, kShift = GDK_SHIFT_MASK, kAlt = GDK_MOD1_MASK;

const PageKey kPageKeys[] = {
    {GDK_KEY_F5, 0, &WebView::Refresh},
    {GDK_KEY_r, kCtrl, &WebView::Refresh},
    {GDK_KEY_F5, kShift, &WebView::reload_from_network},
    {GDK_KEY_r, kCtrl | kShift, &WebView::reload_from_network},
    {GDK_KEY_Left, kAlt, &WebView::GoBack, false, true},
    {GDK_KEY_Right, kAlt, &WebView::go_forward, false, true},
    {GDK_KEY_Escape, 0, &WebView::stop},
    {GDK_KEY_plus, kCtrl, &WebView::zoom_in, true},
    {GDK_KEY_equal, kCtrl, &WebView::zoom_in, true},
    {GDK_KEY_KP_Add, kCtrl, &WebView::zoom_in},
    {GDK_KEY_minus, kCtrl, &WebView::zoom_out},
    {GDK_KEY_KP_Subtract, kCtrl, &WebView::zoom_out},
    {GDK_KEY_0, kCtrl, &WebView::zoom_reset},
    {GDK_KEY_KP_0, kCtrl, &WebView::zoom_reset},
    {GDK_KEY_p, kCtrl, &WebView::print},
    {GDK_KEY_f, kCtrl, &WebView::find},
    {GDK_KEY_F3, 0, &WebView::find_next},
    {GDK_KEY_F3, kShift, &WebView::find_previous},
    {GDK_KEY_Home, kCtrl, &WebView::scroll_to_start},
    {GDK_KEY_End, kCtrl, &WebView::scroll_to_end},
};

bool is_tab(const GdkEventKey* event) {
    return event->keyval == GDK_KEY_Tab || event->keyval == GDK_KEY_ISO_Left_Tab || event->keyval == GDK_KEY_KP_Tab;
}

}  // namespace

constexpr const char* kWrapperKey = "kelvane-web-view";

WebView::WebView() : WebView(new_web_view()) {}

WebView::WebView(WebKitWebView* view)
    : view_(view), widget_(Gtk::manage(Glib::wrap(GTK_WIDGET(view_)))),
      new_windows_(std::make_unique<NewWindows>(*this, view_)),
      full_screen_(std::make_unique<FullScreen>(view_, *widget_)) {
    g_object_set_data(G_OBJECT(view_), kWrapperKey, this);
    g_signal_connect(view_, "load-changed", G_CALLBACK(on_load_changed), this);
    g_signal_connect(view_, "load-failed", G_CALLBACK(on_load_failed), this);
    g_signal_connect(view_, "mouse-target-changed", G_CALLBACK(on_mouse_target_changed), this);
    g_signal_connect(view_, "notify::estimated-load-progress", G_CALLBACK(on_progress), this);
    g_signal_connect(view_, "load-failed-with-tls-errors", G_CALLBACK(on_load_failed_with_tls_errors), this);
    g_signal_connect(view_, "web-process-terminated", G_CALLBACK(on_web_process_terminated), this);
    g_signal_connect(view_, "key-press-event", G_CALLBACK(on_key_press), this);
    // After the engine's own handler, which stops every key the page takes and hands the
    // others back.
    g_signal_connect_after(view_, "key-press-event", G_CALLBACK(on_key_press_passed), this);
    g_signal_connect(view_, "button-press-event", G_CALLBACK(on_button_press), this);
    g_signal_connect(view_, "scroll-event", G_CALLBACK(on_scroll), this);
    g_signal_connect(view_, "context-menu", G_CALLBACK(on_context_menu), this);
    g_signal_connect(view_, "decide-policy", G_CALLBACK(on_decide_policy), this);
    // A page that came over HTTPS is no longer secure once it loads anything over plain HTTP.
    g_signal_connect(view_, "insecure-content-detected",
                     G_CALLBACK(+[](WebKitWebView*, int, WebView* self) { self->set_secure(false); }), this);
    g_signal_connect(view_, "resource-load-started",
                     G_CALLBACK(+[](WebKitWebView*, void*, WebKitURIRequest* request, WebView* self) {
                         const char* scheme = g_uri_peek_scheme(webkit_uri_request_get_uri(request));
                         if (scheme && (g_str_equal(scheme, "http") || g_str_equal(scheme, "ws"))) self->set_secure(false);
                     }),
                     this);
    answer_page_requests(view_);
    widget_->get_accessible()->set_name(kAccessibleName);
    hierarchy_changed_ = widget_->signal_hierarchy_changed().connect([this](Gtk::Widget*) { watch_window(); });
    watch_window();
    widget_->show();
}

WebView::~WebView() {
    // The widget belongs to its container and may outlive this wrapper.
    hierarchy_changed_.disconnect();
    window_key_.disconnect();
    g_signal_handlers_disconnect_by_data(view_, this);
    g_object_set_data(G_OBJECT(view_), kWrapperKey, nullptr);
    print_.disconnect();
}

void WebView::watch_window() {
    window_key_.disconnect();
    if (auto* window = dynamic_cast<Gtk::Window*>(widget_->get_toplevel()))
        window_key_ = window->signal_key_press_event().connect(sigc::mem_fun(*this, &WebView::on_window_key), false);
}

bool WebView::on_window_key(GdkEventKey* event) {
    // Tab past the page's last control: the engine moves the focus on to the window's next
    // control, then hands the same key to the window as one the page left alone, which
    // would move the focus once more and skip a control. That second Tab is spent.
    auto* window = dynamic_cast<Gtk::Window*>(widget_->get_toplevel());
    if (!is_tab(event) || event->time != tab_time_ || !window || window->get_focus() == widget_) return false;
    tab_time_ = 0;
    return true;
}

WebView* WebView::from(WebKitWebView* view) {
    return static_cast<WebView*>(g_object_get_data(G_OBJECT(view), kWrapperKey));
}

Glib::ustring WebView::address_to_uri(const Glib::ustring& address) {
    std::string text = address.raw();
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    text = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    if (text.front() == '/') return "file://" + text;
    if (has_scheme(text)) return text;
    return "http://" + text;
}

void WebView::Navigate(const Glib::ustring& address) {
    const Glib::ustring uri = address_to_uri(address);
    if (uri.empty()) return;
    typed_ = uri;
    note_typed_address(view_);
    if (shown_in_view(uri)) {
        webkit_web_view_load_uri(view_, uri.c_str());
        prefetch_host(view_, uri);
    } else if (!open_with_default_handler(uri)) {
        show_failure(PageFailure::Unsupported, uri, "");
    }
}

void WebView::GoBack() {
    if (webkit_web_view_can_go_back(view_)) webkit_web_view_go_back(view_);
}

void WebView::Refresh() {
    if (failure_) {
        // Not a file: or data: address that a page led to.
        if (page_may_open(failure_->address) || failure_->address == typed_)
            webkit_web_view_load_uri(view_, failure_->address.c_str());
    } else if (webkit_web_view_get_uri(view_))
        webkit_web_view_reload(view_);
}

void WebView::reload_from_network() {
    if (failure_)
        webkit_web_view_load_uri(view_, failure_->address.c_str());
    else if (webkit_web_view_get_uri(view_))
        webkit_web_view_reload_bypass_cache(view_);
}

void WebView::go_forward() {
    if (webkit_web_view_can_go_forward(view_)) webkit_web_view_go_forward(view_);
}

void WebView::stop() {
    if (webkit_web_view_is_loading(view_)) webkit_web_view_stop_loading(view_);
}

void WebView::set_zoom(double level) {
    webkit_web_view_set_zoom_level(view_, level);
    keep_zoom_level(uri(), level);
}

void WebView::zoom_in() { set_zoom(kelvane::zoom_in(webkit_web_view_get_zoom_level(view_))); }

void WebView::zoom_out() { set_zoom(kelvane::zoom_out(webkit_web_view_get_zoom_level(view_))); }

void WebView::zoom_reset() { set_zoom(1); }

void WebView::print() {
    // The dialog runs a loop of its own, which must not run inside the engine's handing
    // back of the key.
    print_.disconnect();
    print_ = Glib::signal_idle().connect([this] {
        WebKitPrintOperation* operation = webkit_print_operation_new(view_);
        auto* top = dynamic_cast<Gtk::Window*>(widget_->get_toplevel());
        const auto answer = webkit_print_operation_run_dialog(operation, top && top->get_is_toplevel() ? top->gobj() : nullptr);
        if (answer == WEBKIT_PRINT_OPERATION_RESPONSE_PRINT)  // printing goes on after the dialog
            g_signal_connect(operation, "finished", G_CALLBACK(+[](WebKitPrintOperation* o, void*) { g_object_unref(o); }), nullptr);
        else
            g_object_unref(operation);
        return false;
    });
}

void WebView::find() {
    if (!find_bar_) {
        auto* area = dynamic_cast<Placement*>(widget_->get_parent());
        if (!area) return;
        find_bar_ = std::make_unique<FindBar>(view_, *widget_);
        area->put_over_bottom(*find_bar_, *widget_);
    }
    find_bar_->open();
}

void WebView::find_next() {
    if (find_bar_ && !find_bar_->text().empty())
        find_bar_->next();
    else
        find();
}

void WebView::find_previous() {
    if (find_bar_ && !find_bar_->text().empty())
        find_bar_->previous();
    else
        find();
}

// The engine's own commands, which no script of the page can change.
void WebView::scroll_to_start() { webkit_web_view_execute_editing_command(view_, "ScrollToBeginningOfDocument"); }

void WebView::scroll_to_end() { webkit_web_view_execute_editing_command(view_, "ScrollToEndOfDocument"); }

Glib::ustring WebView::uri() const {
    const char* uri = webkit_web_view_get_uri(view_);
    return uri ? uri : "";
}

bool WebView::loading() const { return webkit_web_view_is_loading(view_); }

void WebView::set_secure(bool secure) {
    if (secure == secure_) return;
    secure_ = secure;
    secure_changed_.emit(secure);
}

void WebView::on_load_changed(WebKitWebView* view, int event, WebView* self) {
    const char* uri = webkit_web_view_get_uri(view);
    switch (static_cast<WebKitLoadEvent>(event)) {
    case WEBKIT_LOAD_STARTED:
        self->loading_ = true;
        self->set_secure(false);
        if (self->failure_page_ == FailurePageLoad::Requested && uri && self->failure_->address == uri) {
            self->failure_page_ = FailurePageLoad::Loading;
            break;
        }
        self->failure_page_ = FailurePageLoad::None;
        self->started_ = uri ? uri : "";
        self->status_text_change_.emit(Glib::ustring("Opening page ") + (uri ? uri : "") + "...");
        break;
    case WEBKIT_LOAD_COMMITTED: {
        // The engine shows an empty page in place of an address that it refuses to load
        // (a port that browsers do not connect to), without calling it a failure.
        const std::string committed = uri ? uri : "";
        if (committed == "about:blank" && !self->started_.empty() && self->started_ != committed &&
            self->failure_page_ == FailurePageLoad::None) {
            const std::string refused = std::exchange(self->started_, "");
            self->show_failure(port_not_allowed(refused) ? PageFailure::PortNotAllowed : PageFailure::Other, refused, "");
            break;
        }
        zoom_as_kept(view, committed);
        // Until another page takes its place, the failure page stays what is shown.
        if (self->failure_page_ != FailurePageLoad::Loading) self->failure_.reset();
        GTlsCertificate* certificate = nullptr;
        GTlsCertificateFlags errors = G_TLS_CERTIFICATE_VALIDATE_ALL;
        const bool https = webkit_web_view_get_tls_info(view, &certificate, &errors);
        self->set_secure(!self->failure_ && https && certificate && errors == 0);
        break;
    }
    case WEBKIT_LOAD_FINISHED:
        self->loading_ = false;
        // A failed load finishes too: the page still to come tells what happened.
        if (self->failure_page_ == FailurePageLoad::Requested) break;
        self->failure_page_ = FailurePageLoad::None;
        self->status_text_change_.emit(self->failure_ ? failure_headline(self->failure_->kind) : "Done");
        break;
    default:
        break;
    }
}

gboolean WebView::on_load_failed(WebKitWebView* view, int event, const char* uri, GError* error, WebView* self) {
    self->loading_ = false;
    self->set_secure(false);
    // Stopped, not failed: another address was asked for, the load was given up, or the
    // response became a download. What is shown stays.
    const bool stopped = g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
                         g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED) ||
                         g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE) ||
                         g_error_matches(error, WEBKIT_PLUGIN_ERROR, WEBKIT_PLUGIN_ERROR_WILL_HANDLE_LOAD);
    // What is shown stays, at its own zoom.
    if (stopped) zoom_as_kept(view, self->uri());
    // A page that broke off half-way stays as far as it came.
    if (!stopped && event == WEBKIT_LOAD_STARTED && uri)
        self->show_failure(classify_load_error(error), uri, error ? error->message : "");
    return TRUE;
}

gboolean WebView::on_load_failed_with_tls_errors(WebKitWebView*, const char* uri, void*, unsigned errors, WebView* self) {
    // Never shown, and there is no way past it: that is what the certificate is for.
    self->show_failure(PageFailure::Certificate, uri ? uri : "", certificate_problems(errors));
    return TRUE;
}

void WebView::on_web_process_terminated(WebKitWebView* view, int reason, WebView* self) {
    if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API) return;
    self->loading_ = false;
    self->set_secure(false);
    // When even the page saying so could not be shown, nothing is tried again until the
    // user asks: a web process that cannot start must not be started over and over.
    if (self->failure_ && self->failure_->kind == PageFailure::Crashed && self->failure_page_ != FailurePageLoad::None)
        return;
    const char* uri = webkit_web_view_get_uri(view);
    const std::string address = uri ? uri : self->failure_ ? self->failure_->address : "";
    self->show_failure(PageFailure::Crashed, address,
                       reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT ? "It used more memory than it may." : "");
}

void WebView::show_failure(PageFailure failure, const std::string& address, const std::string& detail) {
    failure_ = Failure{failure, address.empty() ? "about:blank" : address};
    failure_page_ = FailurePageLoad::Requested;
    set_secure(false);
    const std::string page = failure_page_html(failure, address, detail);
    webkit_web_view_load_alternate_html(view_, page.c_str(), failure_->address.c_str(), nullptr);
}

void WebView::on_mouse_target_changed(WebKitWebView*, void* hit, unsigned, WebView* self) {
    auto* result = static_cast<WebKitHitTestResult*>(hit);
    const char* link = webkit_hit_test_result_context_is_link(result) ? webkit_hit_test_result_get_link_uri(result)
                                                                       : nullptr;
    self->status_text_change_.emit(link ? link : "");
}

bool WebView::run_key(const GdkEventKey& event, bool before_page) {
    const unsigned held = event.state & (kCtrl | kShift | kAlt);
    const guint key = gdk_keyval_to_lower(event.keyval);
    for (const PageKey& k : kPageKeys) {
        if (k.key != key || k.before_page != before_page) continue;
        if ((k.any_shift ? held & ~kShift : held) != k.modifiers) continue;
        (this->*k.run)();
        return true;
    }
    return false;
}

gboolean WebView::on_key_press(GtkWidget*, GdkEventKey* event, WebView* self) {
    if (is_tab(event)) self->tab_time_ = event->time;
    return self->run_key(*event, true);
}

gboolean WebView::on_key_press_passed(GtkWidget*, GdkEventKey* event, WebView* self) {
    return self->run_key(*event, false);
}

gboolean WebView::on_button_press(GtkWidget*, GdkEventButton* event, WebView* self) {
    // The mouse's back and forward buttons, which the engine takes without using them.
    if (event->type != GDK_BUTTON_PRESS || (event->button != 8 && event->button != 9)) return FALSE;
    event->button == 8 ? self->GoBack() : self->go_forward();
    return TRUE;
}

gboolean WebView::on_scroll(GtkWidget*, GdkEventScroll* event, WebView* self) {
    // Ctrl and the wheel zoom; the engine would scroll the page with it.
    if (!(event->state & kCtrl)) return FALSE;
    const bool in = event->direction == GDK_SCROLL_UP || (event->direction == GDK_SCROLL_SMOOTH && event->delta_y < 0);
    const bool out = event->direction == GDK_SCROLL_DOWN || (event->direction == GDK_SCROLL_SMOOTH && event->delta_y > 0);
    if (in) self->zoom_in();
    if (out) self->zoom_out();
    return TRUE;
}

gboolean WebView::on_context_menu(WebKitWebView*, WebKitContextMenu* menu, GdkEvent*, void* hit, WebView* self) {
    edit_page_menu(menu, static_cast<WebKitHitTestResult*>(hit), self->uri());
    return FALSE;
}

gboolean WebView::on_decide_policy(WebKitWebView* view, WebKitPolicyDecision* decision, int type, WebView*) {
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
        // A page about to be shown takes its site's zoom before it is laid out the first time.
        auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
        if (webkit_response_policy_decision_is_main_frame_main_resource(response) &&
            webkit_response_policy_decision_is_mime_type_supported(response))
            zoom_as_kept(view, webkit_uri_request_get_uri(webkit_response_policy_decision_get_request(response)));
        return FALSE;
    }
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) return FALSE;
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    if (webkit_navigation_action_get_navigation_type(action) != WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED) return FALSE;
    // Asked once the engine's signal has returned; the load waits for the answer.
    g_object_ref(decision);
    Glib::signal_idle().connect_once([decision] {
        const bool again = YesNoBox({"Send the form again?",
                                     "This page came from a form you sent. Loading it again sends the form again, "
                                     "which repeats what it did, such as an order or a payment.",
                                     {}});
        again ? webkit_policy_decision_use(decision) : webkit_policy_decision_ignore(decision);
        g_object_unref(decision);
    });
    return TRUE;
}

void WebView::on_progress(WebKitWebView* view, void*, WebView* self) {
    if (!self->loading_) return;
    const int percent = static_cast<int>(std::lround(webkit_web_view_get_estimated_load_progress(view) * 100));
    self->status_text_change_.emit("Loading page... " + std::to_string(percent) + "%");
}

}  // namespace kelvane
