#pragma once

#include <QFont>

// The window's fonts are Tahoma and Courier; where they are not installed, the closest
// fonts that are take their place, and the window font is Tahoma at 8 points.
void useWindowsFontsOrStandIns();

// Tahoma at 8 points, or what stands in for it: a face in which every caption fits its
// control at the window's fixed widths.
QFont windowFont();

// The window font as a style sheet rule for every widget under the sheet: a widget under
// a style sheet takes the application's font, not its window's, unless the sheet names one.
QString windowFontRule();
