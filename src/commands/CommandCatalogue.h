#pragma once

#include "ModuleCommand.h"

#include <span>

// The BGIO service's UUID, as the module expects it in its commands (a literal, so that the
// command tables can join it to their texts).
#define BGIO_SERVICE "af5c7d47-350b-45f6-bdf6-b403441edb77"

namespace commands {

// Every one-click module command of the tool bars and the Commands menu.
std::span<const ModuleCommand> catalogue();

// The command that the handler of this name runs, or nullptr when it runs none.
const ModuleCommand* commandOf(const char* handler);

} // namespace commands
