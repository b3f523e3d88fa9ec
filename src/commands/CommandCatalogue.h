#pragma once

#include "ModuleCommand.h"

#include <span>

namespace commands {

// Every one-click module command of the tool bars and the Commands menu.
std::span<const ModuleCommand> catalogue();

} // namespace commands
