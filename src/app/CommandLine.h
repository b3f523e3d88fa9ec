#pragma once

#include <optional>

// Serivox's command line, read before anything needs a display: --help and --version are
// answered on standard output, a mistake is reported with the usage on standard error, and
// a start with no display to open the window on ends with one line that says so.
// Returns the exit code when the program ends here (0, 1 or 2), or nothing when it goes on
// to open its window. Qt's own options (-platform, -display, -style) are left for Qt.
std::optional<int> answerCommandLine(int argc, char** argv);
