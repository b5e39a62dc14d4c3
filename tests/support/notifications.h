// A private session bus for a test program, and a desktop notification service on it.
#pragma once

#include <string>
#include <vector>

typedef struct _GDBusConnection GDBusConnection;

namespace kelvane::test {

// The address of the program's own session bus (GLib's test bus), started on first use
// and ended with the program. Start it first thing in main, before the display and the
// home are set up: GLib forks a watcher that ends the bus when the program ends, a copy
// of the program as it is then, and it points the program at the test bus, unsetting
// DISPLAY on the way.
const std::string& test_bus_address();

// Answers on the test bus for org.freedesktop.Notifications and keeps what it was sent.
// Programs under test find it through DBUS_SESSION_BUS_ADDRESS in their environment.
class NotificationService {
public:
    NotificationService();
    ~NotificationService();
    NotificationService(const NotificationService&) = delete;
    NotificationService& operator=(const NotificationService&) = delete;

    // False when the bus could not be reached (then nothing else works).
    bool ready() const { return bus_ != nullptr; }
    std::string address() const { return address_; }
    // The summaries received so far; they arrive while the main loop runs (pump_until).
    const std::vector<std::string>& summaries() const { return summaries_; }

private:
    std::string address_;
    GDBusConnection* bus_ = nullptr;
    unsigned registration_ = 0;
    std::vector<std::string> summaries_;
};

}  // namespace kelvane::test
