#pragma once

#include <functional>

// Pacing pause: the real program waits (see Pause.cpp), tests advance a virtual clock.
using Pause = std::function<void(int ms)>;

Pause realPause();
