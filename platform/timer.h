// A timer with an interval and an on/off switch; it ticks only while enabled.
#pragma once

#include <sigc++/connection.h>
#include <sigc++/signal.h>

namespace kelvane {

class Timer {
public:
    explicit Timer(unsigned interval_ms, bool enabled = false);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void set_Interval(unsigned interval_ms);
    unsigned Interval() const { return interval_; }
    void set_Enabled(bool enabled);
    bool Enabled() const { return enabled_; }

    sigc::signal<void()>& signal_Timer() { return tick_; }

private:
    void restart();

    unsigned interval_;
    bool enabled_;
    sigc::connection source_;
    sigc::signal<void()> tick_;
};

}  // namespace kelvane
