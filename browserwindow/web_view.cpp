#include "browserwindow/web_view.h"

#include <webkit2/webkit2.h>

#include <cmath>
#include <string>

#include "browserwindow/page_requests.h"
#include "browserwindow/popup_window.h"
#include "browserwindow/web_context.h"
#include "platform/desktop.h"

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
    g_signal_connect(view_, "load-failed-with-tls-errors", G_CALLBACK(on_load_failed_with_tls_errors), this);
    g_signal_connect(view_, "web-process-terminated", G_CALLBACK(on_web_process_terminated), this);
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
    typed_ = uri;
    note_typed_address(view_);
    if (shown_in_view(uri)) {
        webkit_web_view_load_uri(view_, uri.c_str());
        prefetch_host(view_, uri);
    } else {
        open_with_default_handler(uri);
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
        self->status_text_change_.emit(Glib::ustring("Opening page ") + (uri ? uri : "") + "...");
        break;
    case WEBKIT_LOAD_COMMITTED: {
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

gboolean WebView::on_load_failed(WebKitWebView*, int event, const char* uri, GError* error, WebView* self) {
    self->loading_ = false;
    self->set_secure(false);
    // Stopped, not failed: another address was asked for, the load was given up, or the
    // response became a download. What is shown stays.
    const bool stopped = g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
                         g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED) ||
                         g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE) ||
                         g_error_matches(error, WEBKIT_PLUGIN_ERROR, WEBKIT_PLUGIN_ERROR_WILL_HANDLE_LOAD);
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

void WebView::on_progress(WebKitWebView* view, void*, WebView* self) {
    if (!self->loading_) return;
    const int percent = static_cast<int>(std::lround(webkit_web_view_get_estimated_load_progress(view) * 100));
    self->status_text_change_.emit("Loading page... " + std::to_string(percent) + "%");
}

}  // namespace kelvane
