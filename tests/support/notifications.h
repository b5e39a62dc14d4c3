// A desktop notification service of its own for tests: a private session bus (a
// dbus-daemon started for the test) on which this object answers for
// org.freedesktop.Notifications and keeps what it was sent. Programs under test find it
// through DBUS_SESSION_BUS_ADDRESS in their environment.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/created_program.h"
#include "tests/support/process.h"

typedef struct _GDBusConnection GDBusConnection;

namespace kelvane::test {

class NotificationService {
public:
    NotificationService();
    ~NotificationService();
    NotificationService(const NotificationService&) = delete;
    NotificationService& operator=(const NotificationService&) = delete;

    // False when no bus could be started (then nothing else works).
    bool ready() const { return bus_ != nullptr; }
    std::string address() const { return address_; }
    // The summaries received so far; they arrive while the main loop runs (pump_until).
    const std::vector<std::string>& summaries() const { return summaries_; }

private:
    TempDir folder_;
    std::string address_;
    std::unique_ptr<Process> daemon_;
    GDBusConnection* bus_ = nullptr;
    unsigned registration_ = 0;
    std::vector<std::string> summaries_;
};

}  // namespace kelvane::test
