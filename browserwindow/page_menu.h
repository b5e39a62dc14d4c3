// The page's right-click menu as the engine makes it, less the items that promise a new
// window (this browser has one), and with two of its own: "Open Link in Default Browser"
// on a link and "Copy Page Address" everywhere.
#pragma once

#include <string>

typedef struct _WebKitContextMenu WebKitContextMenu;
typedef struct _WebKitHitTestResult WebKitHitTestResult;

namespace kelvane {

// `page` is the address of the page shown.
void edit_page_menu(WebKitContextMenu* menu, WebKitHitTestResult* hit, const std::string& page);

}  // namespace kelvane
