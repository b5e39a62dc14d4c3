#include "tests/support/notifications.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <unistd.h>

namespace kelvane::test {
namespace {

constexpr const char* kInterface =
    "<node><interface name='org.freedesktop.Notifications'><method name='Notify'>"
    "<arg type='s'/><arg type='u'/><arg type='s'/><arg type='s'/><arg type='s'/><arg type='as'/><arg type='a{sv}'/>"
    "<arg type='i'/><arg type='u' direction='out'/></method></interface></node>";

void on_notify(GDBusConnection*, const char*, const char*, const char*, const char*, GVariant* parameters,
               GDBusMethodInvocation* invocation, void* data) {
    auto* summaries = static_cast<std::vector<std::string>*>(data);
    const char* summary = nullptr;
    g_variant_get_child(parameters, 3, "&s", &summary);
    summaries->push_back(summary);
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", static_cast<unsigned>(summaries->size())));
}

}  // namespace

const std::string& test_bus_address() {
    static const std::string address = [] {
        GTestDBus* bus = g_test_dbus_new(G_TEST_DBUS_NONE);  // up for as long as the program runs
        // What the daemon and GLib's watcher say (as root, the daemon that it cannot raise its
        // file limit; the watcher what it cleans up) stays out of the test's output.
        const int out = dup(STDOUT_FILENO), err = dup(STDERR_FILENO), null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        g_test_dbus_up(bus);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        for (int fd : {out, err, null}) close(fd);
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
    g_autoptr(GDBusNodeInfo) node = g_dbus_node_info_new_for_xml(kInterface, nullptr);
    static const GDBusInterfaceVTable vtable = {on_notify, nullptr, nullptr, {}};
    registration_ = g_dbus_connection_register_object(bus_, "/org/freedesktop/Notifications", node->interfaces[0],
                                                      &vtable, &summaries_, nullptr, nullptr);
    // Owned before the constructor returns, so that no program started after it misses it.
    g_autoptr(GVariant) reply = g_dbus_connection_call_sync(
        bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
        g_variant_new("(su)", "org.freedesktop.Notifications", 0u), nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
}

NotificationService::~NotificationService() {
    if (!bus_) return;
    g_dbus_connection_unregister_object(bus_, registration_);
    g_dbus_connection_close_sync(bus_, nullptr, nullptr);
    g_object_unref(bus_);
}

}  // namespace kelvane::test
