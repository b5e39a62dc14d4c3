// Twips (1/1440 inch) are the unit of every position and size; the screen's resolution
// turns them into pixels.
#pragma once

namespace kelvane {

double pixels_per_twip();
int twips_to_pixels(double twips);
float pixels_to_twips(int pixels);

// Whether a position or size lies within what the window system can draw: X keeps
// coordinates and sizes in 16 bits. Not finite is not within it either.
bool drawable_twips(double twips);

}  // namespace kelvane
