// The web view: WebKitGTK's view behind the few members the windows use.
#pragma once

#include <glibmm/ustring.h>
#include <gtkmm/widget.h>
#include <sigc++/signal.h>

#include <memory>

typedef struct _WebKitWebView WebKitWebView;

namespace kelvane {

class NewWindows;

class WebView {
public:
    WebView();
    // Wraps a view that the engine asked for, such as a popup related to its opener.
    explicit WebView(WebKitWebView* view);
    ~WebView();
    WebView(const WebView&) = delete;
    WebView& operator=(const WebView&) = delete;

    // The view's widget, owned by the container it is put into.
    Gtk::Widget& widget() { return *widget_; }

    // Starts showing the address. An address without a scheme opens as a web address;
    // an empty address does nothing.
    void Navigate(const Glib::ustring& address);
    void GoBack();
    void Refresh();
    Glib::ustring uri() const;
    bool loading() const;

    // The address of a link under the pointer (empty when it leaves the link) and the
    // progress of a load.
    sigc::signal<void(const Glib::ustring&)>& signal_StatusTextChange() { return status_text_change_; }
    // True while the page shown came over HTTPS with a certificate that verified.
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
    static gboolean on_load_failed(WebKitWebView*, int, const char*, GError*, WebView*);
    static void on_mouse_target_changed(WebKitWebView*, void* hit, unsigned modifiers, WebView* self);
    static void on_progress(WebKitWebView* view, void*, WebView* self);
    void set_secure(bool secure);

    WebKitWebView* view_;
    Gtk::Widget* widget_;
    bool secure_ = false;
    bool loading_ = false;
    sigc::signal<void(const Glib::ustring&)> status_text_change_;
    sigc::signal<void(bool)> secure_changed_;
    sigc::signal<void(const Glib::ustring&, bool)> download_;
    std::unique_ptr<NewWindows> new_windows_;
};

}  // namespace kelvane
