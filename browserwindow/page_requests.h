// What pages ask of the browser, answered as users expect of a desktop browser: the
// script dialogs, a name and password for a site, a file to send, and addresses that
// belong to another program. Powerful features (location, camera, microphone,
// notifications) are refused without asking. Every dialog goes through the platform layer.
#pragma once

#include <string>

typedef struct _WebKitWebView WebKitWebView;

namespace kelvane {

// Answers the view's requests for as long as the view lives.
void answer_page_requests(WebKitWebView* view);

// Whether the view shows an address itself; the others (mailto:, tel:) are the
// desktop's to open.
bool shown_in_view(const std::string& uri);

}  // namespace kelvane
