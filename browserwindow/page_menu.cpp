#include "browserwindow/page_menu.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <algorithm>

#include "platform/desktop.h"

namespace kelvane {
namespace {

constexpr WebKitContextMenuAction kNewWindowItems[] = {
    WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK_IN_NEW_WINDOW,  WEBKIT_CONTEXT_MENU_ACTION_OPEN_IMAGE_IN_NEW_WINDOW,
    WEBKIT_CONTEXT_MENU_ACTION_OPEN_FRAME_IN_NEW_WINDOW, WEBKIT_CONTEXT_MENU_ACTION_OPEN_VIDEO_IN_NEW_WINDOW,
    WEBKIT_CONTEXT_MENU_ACTION_OPEN_AUDIO_IN_NEW_WINDOW,
};

// An item whose action gets the address it was made for.
WebKitContextMenuItem* item(const char* name, const char* label, const char* address,
                            void (*activate)(GSimpleAction*, GVariant* address, void*)) {
    GSimpleAction* action = g_simple_action_new(name, G_VARIANT_TYPE_STRING);
    g_signal_connect(action, "activate", G_CALLBACK(activate), nullptr);
    WebKitContextMenuItem* made = webkit_context_menu_item_new_from_gaction(G_ACTION(action), label, g_variant_new_string(address));
    g_object_unref(action);  // the item keeps it
    return made;
}

void open_in_default_browser(GSimpleAction*, GVariant* address, void*) {
    open_with_default_handler(g_variant_get_string(address, nullptr));
}

void copy_to_clipboard(GSimpleAction*, GVariant* address, void*) {
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), g_variant_get_string(address, nullptr), -1);
}

}  // namespace

void edit_page_menu(WebKitContextMenu* menu, WebKitHitTestResult* hit, const std::string& page) {
    // Copied first: removing items changes the menu's list.
    GList* items = g_list_copy(webkit_context_menu_get_items(menu));
    int open_link = -1, position = 0;
    for (GList* i = items; i; i = i->next) {
        auto* entry = WEBKIT_CONTEXT_MENU_ITEM(i->data);
        const auto action = webkit_context_menu_item_get_stock_action(entry);
        if (std::find(std::begin(kNewWindowItems), std::end(kNewWindowItems), action) != std::end(kNewWindowItems)) {
            webkit_context_menu_remove(menu, entry);
            continue;
        }
        if (action == WEBKIT_CONTEXT_MENU_ACTION_OPEN_LINK) open_link = position;
        ++position;
    }
    g_list_free(items);
    const char* link = webkit_hit_test_result_context_is_link(hit) ? webkit_hit_test_result_get_link_uri(hit) : nullptr;
    const char* scheme = link ? g_uri_peek_scheme(link) : nullptr;
    if (scheme && (g_str_equal(scheme, "http") || g_str_equal(scheme, "https")))
        webkit_context_menu_insert(menu,
                                   item("open-in-default-browser", "Open Link in Default _Browser",
                                        link, open_in_default_browser),
                                   open_link + 1);
    if (page.empty()) return;
    if (webkit_context_menu_get_n_items(menu) > 0) webkit_context_menu_append(menu, webkit_context_menu_item_new_separator());
    webkit_context_menu_append(menu, item("copy-page-address", "Copy _Page Address", page.c_str(), copy_to_clipboard));
}

}  // namespace kelvane
