// The zoom level the user chose for each site, kept in the program's data folder so that
// a site opens at it again, also after a restart.
#pragma once

#include <string>

namespace kelvane {

// The level last chosen for the address's site; 1 for a site without one.
double zoom_level_for(const std::string& uri);
// Keeps the level for the address's site; 1 forgets it.
void keep_zoom_level(const std::string& uri, double level);

// The next level up or down from a level.
double zoom_in(double level);
double zoom_out(double level);

}  // namespace kelvane
