#include "platform/notification.h"

#include <gio/gio.h>

#include "platform/application.h"

namespace kelvane {
namespace {

struct Message {
    std::string summary, body;
};

void on_bus(GObject*, GAsyncResult* result, void* data) {
    auto* message = static_cast<Message*>(data);
    if (GDBusConnection* bus = g_bus_get_finish(result, nullptr)) {
        const std::string app = own_file().filename().string();
        const char* const no_actions[] = {nullptr};
        GVariantBuilder hints;
        g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
        g_dbus_connection_call(bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                               "org.freedesktop.Notifications", "Notify",
                               g_variant_new("(susss^asa{sv}i)", app.c_str(), 0u, "", message->summary.c_str(),
                                             message->body.c_str(), no_actions, &hints, -1),
                               nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr, nullptr);
        g_object_unref(bus);
    }
    delete message;
}

}  // namespace

void notify_desktop(const std::string& summary, const std::string& body) {
    // The session bus is asked for only here: a program that never notifies never connects.
    g_bus_get(G_BUS_TYPE_SESSION, nullptr, on_bus, new Message{summary, body});
}

}  // namespace kelvane
