#pragma once
// The synchronous tone of the system's tone generator.

namespace platform {

// Sounds a sine tone and returns when it has ended. Without a sound device it
// does nothing, quietly.
void Beep(int frequencyHz, int durationMs);

}  // namespace platform
