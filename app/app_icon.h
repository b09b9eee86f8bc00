#pragma once
// The window's icon: five weekday bars, red for rising and green for falling
// days, on a light tile. Drawn in code, so the program needs no image file.

class Fl_RGB_Image;

// A 32 x 32 RGBA image that lives until the program ends.
const Fl_RGB_Image& AppIcon();
