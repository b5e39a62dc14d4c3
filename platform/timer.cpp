#include "platform/timer.h"

#include <glibmm/main.h>

namespace kelvane {

Timer::Timer(unsigned interval_ms, bool enabled) : interval_(interval_ms), enabled_(enabled) { restart(); }

Timer::~Timer() { source_.disconnect(); }

void Timer::set_Interval(unsigned interval_ms) {
    if (interval_ms == interval_) return;
    interval_ = interval_ms;
    restart();
}

void Timer::set_Enabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    restart();
}

void Timer::restart() {
    source_.disconnect();
    if (enabled_ && interval_ > 0)
        source_ = Glib::signal_timeout().connect([this] {
            tick_.emit();
            return true;
        }, interval_);
}

}  // namespace kelvane
