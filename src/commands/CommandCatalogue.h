#pragma once

#include "ModuleCommand.h"

#include <span>

namespace commands {

// Every one-click module command of the tool bars and the Commands menu.
std::span<const ModuleCommand> catalogue();

// The command that the handler of this name runs, or nullptr when it runs none.
const ModuleCommand* commandOf(const char* handler);

} // namespace commands
