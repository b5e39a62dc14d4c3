// The web view: WebKitGTK's view behind the few members the windows use.
#pragma once

#include <glibmm/ustring.h>
#include <gtkmm/widget.h>
#include <sigc++/signal.h>

#include <memory>
#include <optional>
#include <string>

#include "browserwindow/error_page.h"

typedef struct _WebKitContextMenu WebKitContextMenu;
typedef struct _WebKitPolicyDecision WebKitPolicyDecision;
typedef struct _WebKitWebView WebKitWebView;

namespace kelvane {

class FindBar;
class FullScreen;
class NewWindows;

// While the focus is in the page, the view also answers the keys and buttons that
// browsers do, once the page has let them pass: reload, back and forward, stop, zoom
// (kept per site), find, print and scrolling to either end.
class WebView {
public:
    WebView();
    // Wraps a view that the engine asked for, such as a popup related to its opener.
    explicit WebView(WebKitWebView* view);
    ~WebView();
    WebView(const WebView&) = delete;
    WebView& operator=(const WebView&) = delete;

    // What assistive technologies call the view.
    static constexpr const char* kAccessibleName = "Web page";

    // The view's widget, owned by the container it is put into.
    Gtk::Widget& widget() { return *widget_; }

    // Starts showing the address. An address without a scheme opens as a web address;
    // an empty address does nothing; one that the view cannot show (mailto:) goes to the
    // desktop's handler for it.
    void Navigate(const Glib::ustring& address);
    void GoBack();
    // Loads the page again; on a page that explains a failure, the address that failed.
    // A page that came from a form asks first whether to send the form again.
    void Refresh();
    // The same without the cache: everything comes from the network again.
    void reload_from_network();
    void go_forward();
    // Stops a page that is loading.
    void stop();
    void zoom_in();
    void zoom_out();
    void zoom_reset();
    // The desktop's print dialog for the page, once the event that asked has been handled.
    void print();
    // Opens the find bar, made the first time; where the view has no page area to put it
    // in (a popup), nothing.
    void find();
    void find_next();
    void find_previous();
    FindBar* find_bar() { return find_bar_.get(); }
    void scroll_to_start();
    void scroll_to_end();
    Glib::ustring uri() const;
    bool loading() const;

    // The address of a link under the pointer (empty when it leaves the link) and the
    // progress of a load.
    sigc::signal<void(const Glib::ustring&)>& signal_StatusTextChange() { return status_text_change_; }
    // True while the page shown, and everything it loaded, came over HTTPS with a
    // certificate that verified.
    sigc::signal<void(bool)>& signal_secure_changed() { return secure_changed_; }
    bool secure() const { return secure_; }

    // What a download started from this view says: its progress, and at the end
    // (done) where the file went or that it failed.
    sigc::signal<void(const Glib::ustring&, bool done)>& signal_download() { return download_; }

    // The web address that Navigate opens for what the user typed.
    static Glib::ustring address_to_uri(const Glib::ustring& address);
    // The wrapper of a view, or null.
    static WebView* from(WebKitWebView* view);

private:
    static void on_load_changed(WebKitWebView* view, int event, WebView* self);
    static gboolean on_load_failed(WebKitWebView* view, int event, const char* uri, GError* error, WebView* self);
    static gboolean on_load_failed_with_tls_errors(WebKitWebView*, const char* uri, void* certificate,
                                                   unsigned errors, WebView* self);
    static void on_web_process_terminated(WebKitWebView*, int reason, WebView* self);
    static void on_mouse_target_changed(WebKitWebView*, void* hit, unsigned modifiers, WebView* self);
    static void on_progress(WebKitWebView* view, void*, WebView* self);
    static gboolean on_key_press(GtkWidget*, GdkEventKey* event, WebView* self);
    static gboolean on_key_press_passed(GtkWidget*, GdkEventKey* event, WebView* self);
    static gboolean on_button_press(GtkWidget*, GdkEventButton* event, WebView* self);
    static gboolean on_scroll(GtkWidget*, GdkEventScroll* event, WebView* self);
    static gboolean on_context_menu(WebKitWebView*, WebKitContextMenu* menu, GdkEvent*, void* hit, WebView* self);
    static gboolean on_decide_policy(WebKitWebView* view, WebKitPolicyDecision* decision, int type, WebView*);
    bool run_key(const GdkEventKey& event, bool before_page);
    void set_zoom(double level);
    // Keeps a Tab that left the page from moving the focus a second time.
    void watch_window();
    bool on_window_key(GdkEventKey* event);
    void set_secure(bool secure);
    // Shows a page in place of the address, saying what went wrong.
    void show_failure(PageFailure failure, const std::string& address, const std::string& detail);

    struct Failure {
        PageFailure kind;
        std::string address;
    };

    WebKitWebView* view_;
    Gtk::Widget* widget_;
    bool secure_ = false;
    bool loading_ = false;
    enum class FailurePageLoad { None, Requested, Loading };
    std::optional<Failure> failure_;  // what the page shown, or about to be shown, explains
    std::string started_;             // the address whose load started last
    Glib::ustring typed_;             // the address the user asked for last
    FailurePageLoad failure_page_ = FailurePageLoad::None;
    sigc::signal<void(const Glib::ustring&)> status_text_change_;
    sigc::signal<void(bool)> secure_changed_;
    sigc::signal<void(const Glib::ustring&, bool)> download_;
    std::unique_ptr<NewWindows> new_windows_;
    std::unique_ptr<FullScreen> full_screen_;
    std::unique_ptr<FindBar> find_bar_;
    sigc::connection print_;
    guint32 tab_time_ = 0;  // when the last Tab reached the page
    sigc::connection hierarchy_changed_, window_key_;
};

}  // namespace kelvane
