#pragma once

#include <functional>

// Pacing pause: the real program sleeps, tests advance a virtual clock.
using Pause = std::function<void(int ms)>;

Pause realPause();
