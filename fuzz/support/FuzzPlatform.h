#pragma once

#include "MemoryDevice.h"
#include "TerminalCore.h"

#include <memory>

// What a terminal core runs on under fuzzing: COM1 is a device in memory on `line` (every
// other port has no device), no system device is present, pacing does not wait, the clock
// reads `now`, and settings live in the scratch folder.
TerminalPlatform fuzzPlatform(std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>(),
                              std::function<QDateTime()> now = &localTimeToTheSecond);
