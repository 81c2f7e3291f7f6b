#pragma once
// The synchronous tone of the system's tone generator.
#include <functional>

namespace platform {

// Sounds a sine tone and returns when it has ended. Without a sound device it
// does nothing, quietly.
void Beep(int frequencyHz, int durationMs);

// Tests and benchmarks replace the tone; an empty function restores it.
void SetBeepHandler(std::function<void(int frequencyHz, int durationMs)> handler);

}  // namespace platform
