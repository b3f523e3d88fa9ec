#pragma once

#include <QString>

// Whether Qt's window system starts with this command line and environment: its platform
// plugin reaches the display (X or Wayland), or needs none (offscreen). Qt ends the process
// with an abort when its plugin cannot start; a child process tries first, so that the
// program can say so in one line and end with a status of its own.
bool windowSystemStarts(int argc, char** argv);

// Why no window could open, naming the displays that were tried.
QString noWindowSystemReason();
