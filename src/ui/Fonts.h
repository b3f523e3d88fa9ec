#pragma once

// The window's fonts are Tahoma and Courier; where they are not installed, the closest
// fonts that are take their place, and the window font is Tahoma at 8 points.
void useWindowsFontsOrStandIns();
