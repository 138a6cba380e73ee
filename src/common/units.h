// Units shared by the printing and the forms: positions and sizes are twips (1/1440 inch).
#pragma once

// A pixel at 96 pixels an inch: a picture's size on paper, and the forms laid out in twips.
inline constexpr double TwipsPerPixel = 15.0;
