#pragma once
// The nominal tones of the caller-ID standards, written once: the FSK mark
// and space of V.23 (the ETSI and Japanese layouts) and of Bell 202, their
// bit rate, and the DTMF keypad's tone pairs.
#include <cstring>

#include "device/audio/standard.h"

namespace device::audio {

struct FskTones {
  double markHz, spaceHz;
};
// V.23 for every FSK standard but Bell 202.
constexpr FskTones NominalFskTones(Standard standard) {
  return standard == Standard::Bell202 ? FskTones{1200, 2200} : FskTones{1300, 2100};
}
constexpr double kFskBitRate = 1200;

// The DTMF keypad: a row's low tone and a column's high tone make a key.
inline constexpr double kDtmfLowHz[4] = {697, 770, 852, 941};
inline constexpr double kDtmfHighHz[4] = {1209, 1336, 1477, 1633};
inline constexpr char kDtmfKeys[4][4] = {
    {'1', '2', '3', 'A'}, {'4', '5', '6', 'B'}, {'7', '8', '9', 'C'}, {'*', '0', '#', 'D'}};

// The nominal tones of a key; false for a character that is no key.
inline bool DtmfKeyTones(char key, double* lowHz, double* highHz) {
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column)
      if (key != 0 && kDtmfKeys[row][column] == key) {
        *lowHz = kDtmfLowHz[row];
        *highHz = kDtmfHighHz[column];
        return true;
      }
  return false;
}

}  // namespace device::audio
