// What pages ask of the browser, answered as users expect of a desktop browser: the
// script dialogs, a name and password for a site, a file to send, and addresses that
// belong to another program. Powerful features (location, camera, microphone,
// notifications) are refused without asking. Every dialog goes through the platform layer.
//
// A page stays inside its view: it cannot put a file: or data: page on top, start another
// program without a question, keep the user from closing its window with dialogs, or open
// more than one window or start more than one download for each click of the user's.
#pragma once

#include <functional>
#include <string>

typedef struct _WebKitWebView WebKitWebView;

namespace kelvane {

// Answers the view's requests for as long as the view lives.
void answer_page_requests(WebKitWebView* view);

// Whether the view shows an address itself; the others (mailto:, tel:) are the
// desktop's to open.
bool shown_in_view(const std::string& uri);

// Whether a page may put the address at the top of a view or a new window by itself: a web
// address, never a file: or data: page, which the user alone opens, by typing it.
bool page_may_open(const std::string& uri);

// What a click or key press of the user's in the view lets its page do, once each.
enum class UserGesture { Popup, Download, OtherProgram, Count };
// True, and used up, when the user clicked or pressed a key in the view since the page
// last took one for this use.
bool take_user_gesture(WebKitWebView* view, UserGesture use);
// The view shows a window that a page opened, in that page's web process.
void note_popup(WebKitWebView* view);
// The user typed the address that the view opens now: if it is a file, saving it is the
// user's doing, until a page comes in its place.
void note_typed_address(WebKitWebView* view);

// Whether the page in the view may save a file: on a click of the user's, the first file
// its site saves without one, and more once the user agrees, asked once a site. `decided`
// runs with the answer, now or, while that question is open, when it is answered.
void permit_download(WebKitWebView* view, const std::string& name, std::function<void(bool)> decided);

// An address of another program's that the page opens on a click of the user's: mailto:
// and tel: go to the desktop's handler, any other scheme only if the user agrees.
void open_in_other_program(WebKitWebView* view, const std::string& uri);

}  // namespace kelvane
