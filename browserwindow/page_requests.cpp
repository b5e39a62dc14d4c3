#include "browserwindow/page_requests.h"

#include <webkit2/webkit2.h>

#include <algorithm>
#include <memory>

#include "platform/common_dialog.h"
#include "platform/desktop.h"
#include "platform/message_box.h"
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

gboolean on_script_dialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer) {
    const Glib::ustring title = page_origin(view);
    const Glib::ustring message = webkit_script_dialog_get_message(dialog);
    switch (webkit_script_dialog_get_dialog_type(dialog)) {
    case WEBKIT_SCRIPT_DIALOG_ALERT:
        MsgBox(message, vbOKOnly, title);
        break;
    case WEBKIT_SCRIPT_DIALOG_CONFIRM:
        webkit_script_dialog_confirm_set_confirmed(dialog, ConfirmBox({title, message, {}}));
        break;
    case WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM:
        webkit_script_dialog_confirm_set_confirmed(
            dialog, ConfirmBox({title, "This page asks whether you really want to leave it. What you entered there may be lost.", {}}));
        break;
    case WEBKIT_SCRIPT_DIALOG_PROMPT: {
        // A cancelled prompt answers null to the page.
        const auto text = InputBox({title, message, webkit_script_dialog_prompt_get_default_text(dialog)});
        webkit_script_dialog_prompt_set_text(dialog, text ? text->c_str() : nullptr);
        break;
    }
    }
    return TRUE;
}

gboolean on_authenticate(WebKitWebView*, WebKitAuthenticationRequest* request, gpointer) {
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

    const auto answer = CredentialsBox({origin_text(origin.get()), text, user ? user : ""});
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

gboolean on_run_file_chooser(WebKitWebView*, WebKitFileChooserRequest* request, gpointer) {
    CommonDialog dialog;
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

// An address the view cannot show goes to the desktop when the user followed it; a page
// that tries to open one by itself is ignored, so that it cannot start programs unasked.
gboolean on_decide_policy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type, gpointer) {
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION)
        return FALSE;
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    if (!uri || shown_in_view(uri)) return FALSE;
    if (webkit_navigation_action_is_user_gesture(action)) open_with_default_handler(uri);
    webkit_policy_decision_ignore(decision);
    return TRUE;
}

}  // namespace

bool shown_in_view(const std::string& uri) {
    static constexpr std::string_view kSchemes[] = {"http", "https", "file", "data", "blob",
                                                   "about", "javascript", "webkit-pdfjs-viewer"};
    GText scheme(g_uri_parse_scheme(uri.c_str()));
    if (!scheme) return true;  // not an address with a scheme: the view decides
    const GText name(g_ascii_strdown(scheme.get(), -1));
    return std::find(std::begin(kSchemes), std::end(kSchemes), std::string_view(name.get())) != std::end(kSchemes);
}

void answer_page_requests(WebKitWebView* view) {
    static const std::pair<const char*, GCallback> kHandlers[] = {
        {"script-dialog", G_CALLBACK(on_script_dialog)},
        {"authenticate", G_CALLBACK(on_authenticate)},
        {"run-file-chooser", G_CALLBACK(on_run_file_chooser)},
        {"permission-request", G_CALLBACK(on_permission_request)},
        {"query-permission-state", G_CALLBACK(on_query_permission_state)},
        {"decide-policy", G_CALLBACK(on_decide_policy)},
    };
    for (auto [signal, handler] : kHandlers) g_signal_connect(view, signal, handler, nullptr);
}

}  // namespace kelvane
