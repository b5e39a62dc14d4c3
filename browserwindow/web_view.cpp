#include "browserwindow/web_view.h"

#include <webkit2/webkit2.h>

#include <cmath>
#include <string>

#include "browserwindow/popup_window.h"
#include "browserwindow/web_context.h"

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

}  // namespace

constexpr const char* kWrapperKey = "kelvane-web-view";

WebView::WebView() : WebView(new_web_view()) {}

WebView::WebView(WebKitWebView* view)
    : view_(view), widget_(Gtk::manage(Glib::wrap(GTK_WIDGET(view_)))),
      new_windows_(std::make_unique<NewWindows>(*this, view_)) {
    g_object_set_data(G_OBJECT(view_), kWrapperKey, this);
    g_signal_connect(view_, "load-changed", G_CALLBACK(on_load_changed), this);
    g_signal_connect(view_, "load-failed", G_CALLBACK(on_load_failed), this);
    g_signal_connect(view_, "mouse-target-changed", G_CALLBACK(on_mouse_target_changed), this);
    g_signal_connect(view_, "notify::estimated-load-progress", G_CALLBACK(on_progress), this);
    widget_->show();
}

WebView::~WebView() {
    // The widget belongs to its container and may outlive this wrapper.
    g_signal_handlers_disconnect_by_data(view_, this);
    g_object_set_data(G_OBJECT(view_), kWrapperKey, nullptr);
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
    webkit_web_view_load_uri(view_, uri.c_str());
    prefetch_host(view_, uri);
}

void WebView::GoBack() {
    if (webkit_web_view_can_go_back(view_)) webkit_web_view_go_back(view_);
}

void WebView::Refresh() {
    if (webkit_web_view_get_uri(view_)) webkit_web_view_reload(view_);
}

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
        self->status_text_change_.emit(Glib::ustring("Opening page ") + (uri ? uri : "") + "...");
        break;
    case WEBKIT_LOAD_COMMITTED: {
        GTlsCertificate* certificate = nullptr;
        GTlsCertificateFlags errors = G_TLS_CERTIFICATE_VALIDATE_ALL;
        const bool https = webkit_web_view_get_tls_info(view, &certificate, &errors);
        self->set_secure(https && certificate && errors == 0);
        break;
    }
    case WEBKIT_LOAD_FINISHED:
        self->loading_ = false;
        self->status_text_change_.emit("Done");
        break;
    default:
        break;
    }
}

gboolean WebView::on_load_failed(WebKitWebView*, int, const char*, GError*, WebView* self) {
    self->loading_ = false;
    self->set_secure(false);
    return TRUE;  // no error page: a failed address simply shows nothing
}

void WebView::on_mouse_target_changed(WebKitWebView*, void* hit, unsigned, WebView* self) {
    auto* result = static_cast<WebKitHitTestResult*>(hit);
    const char* link = webkit_hit_test_result_context_is_link(result) ? webkit_hit_test_result_get_link_uri(result)
                                                                       : nullptr;
    self->status_text_change_.emit(link ? link : "");
}

void WebView::on_progress(WebKitWebView* view, void*, WebView* self) {
    if (!self->loading_) return;
    const int percent = static_cast<int>(std::lround(webkit_web_view_get_estimated_load_progress(view) * 100));
    self->status_text_change_.emit("Loading page... " + std::to_string(percent) + "%");
}

}  // namespace kelvane
