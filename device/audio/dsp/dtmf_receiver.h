#pragma once
// Caller ID sent as DTMF digits: spandsp's DTMF receiver, with the digits
// gathered between a start code (A, B or D) and an end code (C or #).
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

  void Feed(const int16_t* samples, size_t count, std::vector<CallerIdMessage>& out);

 private:
  static void OnDigits(void* user, const char* digits, int len);
  void OnDigit(char digit);

  dtmf_rx_state_s* rx_;
  QByteArray pending_;     // digits since the start code
  int64_t lastDigit_ = 0;  // sample position of the last digit
  int64_t n_ = 0;
  std::vector<CallerIdMessage>* out_ = nullptr;
};

}  // namespace device::audio
