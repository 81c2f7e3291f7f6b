#pragma once
// Caller ID sent as DTMF digits: spandsp's DTMF detector, set to accept the
// twist telephone DTMF receivers accept, with the digits gathered between a
// start code (A, B or D) and an end code (C or #). DTMF has no checksum, so
// the timing must hold together too: an exchange sends its digits evenly, and
// a gap that leaves room for a digit, or a digit much shorter than the rest,
// means a digit was lost or split and the string is no call.
#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

#include "device/audio/dsp/caller_id_message.h"

struct dtmf_rx_state_s;

namespace device::audio {

class DtmfReceiver {
 public:
  DtmfReceiver();
  ~DtmfReceiver();
  DtmfReceiver(const DtmfReceiver&) = delete;
  DtmfReceiver& operator=(const DtmfReceiver&) = delete;

  // `samples` without anything below the telephone band.
  void Feed(const int16_t* samples, size_t count, std::vector<CallerIdMessage>& out);

 private:
  struct Digit {
    char code;
    int64_t on, off;  // sample positions the tone pair was heard from and to
  };
  static void OnTone(void* user, int code, int level, int delay);
  void DigitStarted(char code);
  void DigitEnded();
  bool TimingHolds() const;

  dtmf_rx_state_s* rx_;
  std::vector<Digit> pending_;  // digits since the start code
  char current_ = 0;            // the digit sounding now, 0 for none
  int64_t current_on_ = 0;
  int64_t n_ = 0;
  std::vector<CallerIdMessage>* out_ = nullptr;
};

}  // namespace device::audio
