#include "browserwindow/page_requests.h"

#include <webkit2/webkit2.h>

#include <gtkmm/window.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/common_dialog.h"
#include "platform/desktop.h"
#include "platform/page_dialog.h"
#include "platform/question_box.h"

namespace kelvane {
namespace {

struct OriginUnref {
    void operator()(WebKitSecurityOrigin* origin) const { webkit_security_origin_unref(origin); }
};
using OriginPtr = std::unique_ptr<WebKitSecurityOrigin, OriginUnref>;
struct CredentialFree {
    void operator()(WebKitCredential* credential) const { webkit_credential_free(credential); }
};
using CredentialPtr = std::unique_ptr<WebKitCredential, CredentialFree>;
struct GFree {
    void operator()(char* text) const { g_free(text); }
};
using GText = std::unique_ptr<char, GFree>;

// "http://127.0.0.1:8080": who is asking, as the dialogs name it.
std::string origin_text(WebKitSecurityOrigin* origin) {
    GText text(origin ? webkit_security_origin_to_string(origin) : nullptr);
    return text ? text.get() : "This page";
}

std::string page_origin(WebKitWebView* view) {
    const char* uri = webkit_web_view_get_uri(view);
    OriginPtr origin(uri ? webkit_security_origin_new_for_uri(uri) : nullptr);
    return origin_text(origin.get());
}

// One a view: what its page has been allowed so far.
struct PageState {
    explicit PageState(WebKitWebView* v) : view(v) {}
    ~PageState() { close_dialog(); }

    // Answers the open script dialog, or closes it unanswered (OK for a message, Cancel
    // for a question, leaving for a page that asks before it is left).
    void answer(const std::optional<PageDialogAnswer>& given) {
        WebKitScriptDialog* dialog = std::exchange(open, nullptr);
        if (!dialog) return;
        const PageDialogAnswer answer = given.value_or(PageDialogAnswer{});
        switch (webkit_script_dialog_get_dialog_type(dialog)) {
        case WEBKIT_SCRIPT_DIALOG_CONFIRM:
            webkit_script_dialog_confirm_set_confirmed(dialog, answer.ok);
            break;
        case WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM:
            webkit_script_dialog_confirm_set_confirmed(dialog, given ? answer.ok : true);
            break;
        case WEBKIT_SCRIPT_DIALOG_PROMPT:  // a cancelled prompt answers null to the page
            webkit_script_dialog_prompt_set_text(dialog, answer.ok ? answer.text.c_str() : nullptr);
            break;
        default:
            break;
        }
        dialogs_stopped = dialogs_stopped || answer.stop;
        if (answering_now) return;  // the engine takes the answer when the handler returns
        webkit_script_dialog_close(dialog);
        webkit_script_dialog_unref(dialog);
    }
    void close_dialog() {
        box.reset();
        answer(std::nullopt);
    }

    WebKitWebView* view;
    unsigned inputs = 0;  // clicks and key presses of the user's in the view so far
    bool typed = false;   // the user typed the address being opened
    bool popup = false;   // in the web process of the page that opened it
    std::array<unsigned, static_cast<std::size_t>(UserGesture::Count)> used{};  // the input each use took last
    int dialogs = 0;      // shown by the page in the view now
    bool dialogs_stopped = false;
    WebKitScriptDialog* open = nullptr;  // the dialog waiting for the user
    bool answering_now = false;          // while the dialog is being shown
    std::unique_ptr<PageDialogBox> box;

    // Files that each site shown in the view saved without a click.
    struct Downloads {
        bool first_taken = false;
        std::optional<bool> consent;  // to more, once asked
        std::vector<std::function<void(bool)>> waiting;  // for the answer
    };
    std::map<std::string, Downloads> downloads;  // by origin
};

constexpr const char* kStateKey = "kelvane-page-state";

PageState* state_of(WebKitWebView* view) {
    return view ? static_cast<PageState*>(g_object_get_data(G_OBJECT(view), kStateKey)) : nullptr;
}

Gtk::Window* window_of(WebKitWebView* view) {
    GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(view));
    return GTK_IS_WINDOW(top) && gtk_widget_is_toplevel(top) ? Glib::wrap(GTK_WINDOW(top)) : nullptr;
}

gboolean on_script_dialog(WebKitWebView* view, WebKitScriptDialog* dialog, PageState* page) {
    const auto type = webkit_script_dialog_get_dialog_type(dialog);
    if (page->dialogs_stopped) {
        // Answered as a closed dialog, except that a page that asks before it is left is left.
        if (type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM) webkit_script_dialog_confirm_set_confirmed(dialog, TRUE);
        return TRUE;
    }
    PageDialog shown{PageDialog::Kind::Confirm, page_origin(view), webkit_script_dialog_get_message(dialog), {},
                     ++page->dialogs > 1};
    if (type == WEBKIT_SCRIPT_DIALOG_ALERT) shown.kind = PageDialog::Kind::Alert;
    if (type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM)
        shown.text = "This page asks whether you really want to leave it. What you entered there may be lost.";
    if (type == WEBKIT_SCRIPT_DIALOG_PROMPT) {
        shown.kind = PageDialog::Kind::Prompt;
        shown.default_text = webkit_script_dialog_prompt_get_default_text(dialog);
    }
    page->close_dialog();
    page->open = dialog;
    page->answering_now = true;
    auto box = show_page_dialog(window_of(view), shown, [page](const PageDialogAnswer& a) { page->answer(a); });
    page->answering_now = false;
    // Answered later, so that the program goes on meanwhile.
    if (page->open) webkit_script_dialog_ref(dialog);
    page->box = std::move(box);
    return TRUE;
}

void on_load_changed(WebKitWebView*, WebKitLoadEvent event, PageState* page) {
    if (event != WEBKIT_LOAD_COMMITTED) return;
    page->dialogs = 0;  // another page
    page->dialogs_stopped = false;
    page->typed = false;
}

gboolean on_user_input(GtkWidget*, GdkEvent*, PageState* page) {
    ++page->inputs;
    return FALSE;
}

void on_destroy(GtkWidget*, PageState* page) {
    // A page waiting on a dialog, or showing one after another, would keep its web process
    // busy after its window has gone, until the engine gives up on it; so the process goes
    // with the window, unless it also serves the page that opened this one.
    if (page->open && !page->popup) webkit_web_view_terminate_web_process(page->view);
    page->close_dialog();
}

std::string origin_of(const char* uri) {
    OriginPtr origin(uri ? webkit_security_origin_new_for_uri(uri) : nullptr);
    GText text(origin ? webkit_security_origin_to_string(origin.get()) : nullptr);
    return text ? text.get() : "";
}

// A file that a frame of another site than the page's would save by itself. Such a frame
// may start a download only on the user's click.
bool unasked_download_of_other_site(WebKitWebView* view, WebKitResponsePolicyDecision* decision, PageState* page) {
    if (webkit_response_policy_decision_is_main_frame_main_resource(decision)) return false;
    if (page->inputs != page->used[static_cast<std::size_t>(UserGesture::Download)]) return false;
    SoupMessageHeaders* headers =
        webkit_uri_response_get_http_headers(webkit_response_policy_decision_get_response(decision));
    const char* disposition = headers ? soup_message_headers_get_one(headers, "Content-Disposition") : nullptr;
    const bool saved = !webkit_response_policy_decision_is_mime_type_supported(decision) ||
                       (disposition && g_ascii_strncasecmp(disposition, "attachment", 10) == 0);
    const char* frame = webkit_uri_request_get_uri(webkit_response_policy_decision_get_request(decision));
    return saved && origin_of(frame) != origin_of(webkit_web_view_get_uri(view));
}

gboolean on_authenticate(WebKitWebView* view, WebKitAuthenticationRequest* request, gpointer) {
    switch (webkit_authentication_request_get_scheme(request)) {
    case WEBKIT_AUTHENTICATION_SCHEME_CLIENT_CERTIFICATE_REQUESTED:
    case WEBKIT_AUTHENTICATION_SCHEME_CLIENT_CERTIFICATE_PIN_REQUESTED:
    case WEBKIT_AUTHENTICATION_SCHEME_SERVER_TRUST_EVALUATION_REQUESTED:
        // No client certificates here, and a server's certificate is never overruled.
        webkit_authentication_request_cancel(request);
        return TRUE;
    default:
        break;
    }
    OriginPtr origin(webkit_authentication_request_get_security_origin(request));
    const std::string who = webkit_authentication_request_is_for_proxy(request) ? "The proxy " + origin_text(origin.get())
                                                                                : origin_text(origin.get());
    std::string text = who + " asks for a name and password.";
    if (const char* realm = webkit_authentication_request_get_realm(request); realm && *realm)
        text += std::string("\nIt says: \u201c") + realm + "\u201d";
    if (webkit_authentication_request_is_retry(request)) text += "\nThe name or password was not accepted. Try again.";
    CredentialPtr proposed(webkit_authentication_request_get_proposed_credential(request));
    const char* user = proposed ? webkit_credential_get_username(proposed.get()) : nullptr;

    const auto answer = CredentialsBox({origin_text(origin.get()), text, user ? user : "", window_of(view)});
    if (!answer) {
        // Going on without a login shows the site's own page for it.
        webkit_authentication_request_authenticate(request, nullptr);
        return TRUE;
    }
    CredentialPtr credential(
        webkit_credential_new(answer->user.c_str(), answer->password.c_str(), WEBKIT_CREDENTIAL_PERSISTENCE_FOR_SESSION));
    webkit_authentication_request_authenticate(request, credential.get());
    return TRUE;
}

gboolean on_run_file_chooser(WebKitWebView* view, WebKitFileChooserRequest* request, gpointer) {
    CommonDialog dialog(window_of(view));
    dialog.CancelError = true;
    if (dialog.ShowOpen() && !dialog.FileName.empty()) {
        const char* files[] = {dialog.FileName.c_str(), nullptr};
        webkit_file_chooser_request_select_files(request, files);
    } else {
        webkit_file_chooser_request_cancel(request);
    }
    return TRUE;
}

// Location, camera, microphone and notifications: refused, without a question.
gboolean on_permission_request(WebKitWebView*, WebKitPermissionRequest* request, gpointer) {
    if (WEBKIT_IS_GEOLOCATION_PERMISSION_REQUEST(request) || WEBKIT_IS_USER_MEDIA_PERMISSION_REQUEST(request) ||
        WEBKIT_IS_DEVICE_INFO_PERMISSION_REQUEST(request) || WEBKIT_IS_NOTIFICATION_PERMISSION_REQUEST(request)) {
        webkit_permission_request_deny(request);
        return TRUE;
    }
    return FALSE;
}

// A page that asks beforehand learns the same answer that a request would get.
gboolean on_query_permission_state(WebKitWebView*, WebKitPermissionStateQuery* query, gpointer) {
    static constexpr std::string_view kRefused[] = {"geolocation", "camera", "microphone", "notifications"};
    const std::string_view name = webkit_permission_state_query_get_name(query);
    if (std::find(std::begin(kRefused), std::end(kRefused), name) == std::end(kRefused)) return FALSE;
    webkit_permission_state_query_finish(query, WEBKIT_PERMISSION_STATE_DENIED);
    return TRUE;
}

// An address the view cannot show goes to another program when the user followed it; a
// page that tries to open one by itself is ignored, so that it cannot start programs unasked.
gboolean on_decide_policy(WebKitWebView* view, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                          PageState* page) {
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
        if (!unasked_download_of_other_site(view, WEBKIT_RESPONSE_POLICY_DECISION(decision), page)) return FALSE;
        webkit_policy_decision_ignore(decision);
        return TRUE;
    }
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    if (!uri || shown_in_view(uri)) return FALSE;
    webkit_policy_decision_ignore(decision);
    if (webkit_navigation_action_is_user_gesture(action)) open_in_other_program(view, uri);
    return TRUE;
}

std::string scheme_of(const std::string& uri) {
    GText scheme(g_uri_parse_scheme(uri.c_str()));
    if (!scheme) return {};
    const GText name(g_ascii_strdown(scheme.get(), -1));
    return name.get();
}

}  // namespace

bool shown_in_view(const std::string& uri) {
    static constexpr std::string_view kSchemes[] = {"http", "https", "file", "data", "blob",
                                                   "about", "javascript", "webkit-pdfjs-viewer"};
    const std::string scheme = scheme_of(uri);
    if (scheme.empty()) return true;  // not an address with a scheme: the view decides
    return std::find(std::begin(kSchemes), std::end(kSchemes), scheme) != std::end(kSchemes);
}

bool page_may_open(const std::string& uri) {
    static constexpr std::string_view kWeb[] = {"http", "https", "blob", "about"};
    return std::find(std::begin(kWeb), std::end(kWeb), scheme_of(uri)) != std::end(kWeb);
}

bool take_user_gesture(WebKitWebView* view, UserGesture use) {
    PageState* page = state_of(view);
    if (!page) return false;
    unsigned& used = page->used[static_cast<std::size_t>(use)];
    if (used == page->inputs) return false;
    used = page->inputs;
    return true;
}

void note_popup(WebKitWebView* view) {
    if (PageState* page = state_of(view)) page->popup = true;
}

void note_typed_address(WebKitWebView* view) {
    if (PageState* page = state_of(view)) page->typed = true;
}

void permit_download(WebKitWebView* view, const std::string& name, std::function<void(bool)> decided) {
    PageState* page = state_of(view);
    if (!page || std::exchange(page->typed, false) || take_user_gesture(view, UserGesture::Download))
        return decided(true);
    auto& site = page->downloads[origin_of(webkit_web_view_get_uri(view))];
    if (!std::exchange(site.first_taken, true)) return decided(true);
    if (site.consent) return decided(*site.consent);
    site.waiting.push_back(std::move(decided));
    if (site.waiting.size() > 1) return;  // the question is open
    site.consent = YesNoBox({page_origin(view),
                             "This page is saving files by itself, now \u201c" + name +
                                 "\u201d. Let it save more files in your download folder?",
                             {}});
    for (auto& waiting : std::exchange(site.waiting, {})) waiting(*site.consent);
}

void open_in_other_program(WebKitWebView* view, const std::string& uri) {
    if (!take_user_gesture(view, UserGesture::OtherProgram)) return;  // one a click
    const std::string scheme = scheme_of(uri);
    if (scheme != "mailto" && scheme != "tel") {
        const Glib::ustring address(uri);
        const Glib::ustring shown = address.size() > 300 ? address.substr(0, 300) + "\u2026" : address;
        if (!YesNoBox({page_origin(view),
                       "This page wants to open a \u201c" + scheme + ":\u201d address with another program:\n\n" +
                           shown + "\n\nOpen it?",
                       {}}))
            return;
    }
    open_with_default_handler(uri);
}

void answer_page_requests(WebKitWebView* view) {
    auto* page = new PageState(view);  // lives as long as the view
    g_object_set_data_full(G_OBJECT(view), kStateKey, page, [](void* p) { delete static_cast<PageState*>(p); });
    static const std::pair<const char*, GCallback> kHandlers[] = {
        {"script-dialog", G_CALLBACK(on_script_dialog)},
        {"authenticate", G_CALLBACK(on_authenticate)},
        {"run-file-chooser", G_CALLBACK(on_run_file_chooser)},
        {"permission-request", G_CALLBACK(on_permission_request)},
        {"query-permission-state", G_CALLBACK(on_query_permission_state)},
        {"decide-policy", G_CALLBACK(on_decide_policy)},
        {"load-changed", G_CALLBACK(on_load_changed)},
        {"button-press-event", G_CALLBACK(on_user_input)},
        {"key-press-event", G_CALLBACK(on_user_input)},
        {"touch-event", G_CALLBACK(on_user_input)},
        {"destroy", G_CALLBACK(on_destroy)},
    };
    for (auto [signal, handler] : kHandlers) g_signal_connect(view, signal, handler, page);
}

}  // namespace kelvane
