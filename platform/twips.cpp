#include "platform/twips.h"

#include <gdkmm/screen.h>

#include <cmath>

namespace kelvane {

double pixels_per_twip() {
    static const double ratio = [] {
        double dpi = 96.0;
        if (auto screen = Gdk::Screen::get_default()) {
            const double resolution = screen->get_resolution();
            if (resolution > 0) dpi = resolution;
        }
        return dpi / 1440.0;
    }();
    return ratio;
}

int twips_to_pixels(double twips) { return static_cast<int>(std::lround(twips * pixels_per_twip())); }

float pixels_to_twips(int pixels) { return static_cast<float>(pixels / pixels_per_twip()); }

bool drawable_twips(double twips) {
    constexpr double kLargestPixels = 32767;
    return std::isfinite(twips) && std::abs(twips * pixels_per_twip()) <= kLargestPixels;
}

}  // namespace kelvane
