#pragma once
// The tone of the windows' tests and benchmarks. recorded_tone.cpp defines
// platform::Beep itself; linked into a test binary before the platform
// library, its definition is the one used, so a test hears the tone through
// the recorder and the program carries no hook for it.
#include <functional>

namespace testsupport {

// Receives each tone instead of the sound card; an empty function is silence.
void SetToneRecorder(std::function<void(int frequencyHz, int durationMs)> recorder);

}  // namespace testsupport
