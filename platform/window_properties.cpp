#include "platform/window_properties.h"

#include <gdk/gdk.h>
#include <glib.h>

#include <memory>

namespace kelvane {
namespace {

struct GFreeDeleter {
    void operator()(guchar* data) const { g_free(data); }
};
using PropertyData = std::unique_ptr<guchar, GFreeDeleter>;

struct Property {
    GdkAtom type = GDK_NONE;
    int format = 0, length = 0;  // length in bytes
    PropertyData data;
};

// At most max_bytes of the property as the server holds it (32-bit values count 4 each).
std::optional<Property> read(const Glib::RefPtr<Gdk::Window>& window, const char* name, GdkAtom type,
                             gulong max_bytes) {
    if (!window) return std::nullopt;
    Property p;
    guchar* data = nullptr;
    const bool found = gdk_property_get(window->gobj(), gdk_atom_intern(name, FALSE), type, 0, max_bytes, FALSE,
                                        &p.type, &p.format, &p.length, &data);
    p.data.reset(data);
    if (!found || !p.data) return std::nullopt;
    return p;
}

}  // namespace

FrameExtents frame_extents(const Glib::RefPtr<Gdk::Window>& window) {
    const auto p = read(window, "_NET_FRAME_EXTENTS", gdk_atom_intern_static_string("CARDINAL"), 4 * 4);
    // 32-bit values arrive as longs: left, right, top, bottom.
    if (!p || p->format != 32 || p->length < static_cast<int>(4 * sizeof(long))) return {};
    const long* v = reinterpret_cast<const long*>(p->data.get());
    auto side = [](long value) { return value > 0 && value < 1 << 15 ? static_cast<int>(value) : 0; };
    return {side(v[0]), side(v[1]), side(v[2]), side(v[3])};
}

std::optional<Glib::ustring> title_property(const Glib::RefPtr<Gdk::Window>& window, const char* property) {
    const auto p = read(window, property, GDK_NONE, 1 << 16);
    if (!p || p->format != 8) return std::nullopt;
    // Titles come as Latin-1, UTF-8 or compound text; GDK turns each into UTF-8.
    gchar** list = nullptr;
    const int count = gdk_text_property_to_utf8_list_for_display(window->get_display()->gobj(), p->type, p->format,
                                                                 p->data.get(), p->length, &list);
    std::optional<Glib::ustring> title;
    if (count > 0 && list) title = Glib::ustring(list[0]);
    g_strfreev(list);
    return title;
}

}  // namespace kelvane
