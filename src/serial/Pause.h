#pragma once

#include <functional>

// Pacing pause: the real program waits (see Pause.cpp), tests advance a virtual clock.
using Pause = std::function<void(int ms)>;

Pause realPause();

// The real pause leaves key presses and clicks queued until the send has ended. A send that
// a person must be able to stop (a file download) has them delivered during its pauses
// instead, and sorts them itself: what stops it acts, the rest is held for after the send.
void setPausesTakeUserInput(bool take);
