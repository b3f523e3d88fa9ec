#pragma once

#include <QFont>

// The window's fonts are Tahoma and Courier; where they are not installed, the closest
// fonts that are take their place, and the window font is Tahoma at 8 points. Captions are
// sized for Tahoma: its first stand-in has about the same widths.
void useWindowsFontsOrStandIns();

// Tahoma at 8 points, or what stands in for it.
QFont windowFont();
