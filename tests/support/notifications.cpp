#include "tests/support/notifications.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <unistd.h>

#include <map>

namespace kelvane::test {
namespace {

constexpr const char* kInterface =
    "<node><interface name='org.freedesktop.Notifications'>"
    "<method name='Notify'><arg type='s' direction='in'/><arg type='u' direction='in'/>"
    "<arg type='s' direction='in'/><arg type='s' direction='in'/><arg type='s' direction='in'/>"
    "<arg type='as' direction='in'/><arg type='a{sv}' direction='in'/><arg type='i' direction='in'/>"
    "<arg type='u' direction='out'/></method>"
    "<method name='GetCapabilities'><arg type='as' direction='out'/></method>"
    "</interface></node>";

void on_call(GDBusConnection*, const char*, const char*, const char*, const char* method, GVariant* parameters,
             GDBusMethodInvocation* invocation, void* data) {
    auto* summaries = static_cast<std::vector<std::string>*>(data);
    if (g_str_equal(method, "Notify")) {
        const char* summary = nullptr;
        g_variant_get_child(parameters, 3, "&s", &summary);
        summaries->push_back(summary ? summary : "");
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", static_cast<unsigned>(summaries->size())));
    } else {
        const char* none[] = {nullptr};
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(^as)", none));
    }
}

}  // namespace

const std::string& test_bus_address() {
    static const std::string address = [] {
        // GTestDBus points this program at the bus through the environment and clears
        // DISPLAY on the way; the environment is put back as it was.
        const char* names[] = {"DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "DBUS_STARTER_ADDRESS", "DBUS_STARTER_BUS_TYPE"};
        std::map<std::string, std::string> kept;
        for (const char* name : names)
            if (const char* value = g_getenv(name)) kept[name] = value;
        static GTestDBus* bus = g_test_dbus_new(G_TEST_DBUS_NONE);
        // GLib's watcher ends the daemon when this program ends. What the two say (as root,
        // the daemon that it cannot raise its file limit; the watcher what it cleans up)
        // stays out of the test's output.
        const int out = dup(STDOUT_FILENO), err = dup(STDERR_FILENO), null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        g_test_dbus_up(bus);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        for (int fd : {out, err, null}) close(fd);
        for (const char* name : names) {
            if (kept.contains(name))
                g_setenv(name, kept[name].c_str(), TRUE);
            else
                g_unsetenv(name);
        }
        return std::string(g_test_dbus_get_bus_address(bus));
    }();
    return address;
}

NotificationService::NotificationService() : address_(test_bus_address()) {
    bus_ = g_dbus_connection_new_for_address_sync(
        address_.c_str(),
        GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    if (!bus_) return;
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kInterface, nullptr);
    static const GDBusInterfaceVTable vtable = {on_call, nullptr, nullptr, {}};
    registration_ = g_dbus_connection_register_object(bus_, "/org/freedesktop/Notifications", node->interfaces[0],
                                                      &vtable, &summaries_, nullptr, nullptr);
    g_dbus_node_info_unref(node);
    GVariant* reply = g_dbus_connection_call_sync(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "RequestName",
                                                  g_variant_new("(su)", "org.freedesktop.Notifications", 0u), nullptr,
                                                  G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    if (reply) g_variant_unref(reply);
}

NotificationService::~NotificationService() {
    if (!bus_) return;
    if (registration_) g_dbus_connection_unregister_object(bus_, registration_);
    g_dbus_connection_close_sync(bus_, nullptr, nullptr);
    g_object_unref(bus_);
}

}  // namespace kelvane::test
