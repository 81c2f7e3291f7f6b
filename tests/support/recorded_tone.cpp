#include "support/recorded_tone.h"

#include "platform/tone.h"

namespace {

std::function<void(int, int)>& Recorder() {
  static std::function<void(int, int)> recorder;
  return recorder;
}

}  // namespace

namespace testsupport {

void SetToneRecorder(std::function<void(int, int)> recorder) { Recorder() = std::move(recorder); }

}  // namespace testsupport

namespace platform {

void Beep(int frequencyHz, int durationMs) {
  if (Recorder()) Recorder()(frequencyHz, durationMs);
}

}  // namespace platform
