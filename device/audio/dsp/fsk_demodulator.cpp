#include "device/audio/dsp/fsk_demodulator.h"

#include <algorithm>
#include <cmath>

#include "device/audio/dsp/caller_id_message.h"
#include "device/audio/dsp/tones.h"

namespace device::audio {
FskDemodulator::FskDemodulator(Standard tones)
    : bit_(double(kSampleRate) / kFskBitRate),
      markHz_(NominalFskTones(tones).markHz),
      spaceHz_(NominalFskTones(tones).spaceHz),
      d_(kHistory, 0.f),
      purity_(kHistory, 0.f),
      x_(kHistory, 0.f),
      mark_(kHistory, 0.f),
      space_(kHistory, 0.f),
      p_(kHistory, 0.f) {
  const double space = spaceHz_;
  for (int i = 0; i < kTablePeriod; ++i) {
    markTable_[i][0] = float(std::cos(2 * M_PI * markHz_ * i / kSampleRate));
    markTable_[i][1] = float(-std::sin(2 * M_PI * markHz_ * i / kSampleRate));
    spaceTable_[i][0] = float(std::cos(2 * M_PI * space * i / kSampleRate));
    spaceTable_[i][1] = float(-std::sin(2 * M_PI * space * i / kSampleRate));
  }
}

void FskDemodulator::Reset() {
  std::fill(std::begin(ring_), std::end(ring_), Tap{});
  full_ = long_ = Tap{};
}

void FskDemodulator::Feed(const float* x, size_t count) {
  // One bit of window: the newest six samples in full, the one before in
  // part. Both windows are running sums, in double so they never drift.
  constexpr int kFull = 6;
  const double wOld = bit_ - kFull;
  quiet_ = 0;
  for (size_t k = 0; k < count; ++k) {
    const double v = x[k];
    const int t = phase80_;
    Tap& now = ring_[n_ & (kRing - 1)];
    now = {v * markTable_[t][0], v * markTable_[t][1], v * spaceTable_[t][0], v * spaceTable_[t][1], v * v};
    const Tap& old = ring_[(n_ - kFull) & (kRing - 1)];
    const Tap& gone = ring_[(n_ - kLongTaps) & (kRing - 1)];
    full_ = {full_.mr + now.mr - old.mr, full_.mi + now.mi - old.mi, full_.sr + now.sr - old.sr,
             full_.si + now.si - old.si, full_.p + now.p - old.p};
    long_ = {long_.mr + now.mr - gone.mr, long_.mi + now.mi - gone.mi, long_.sr + now.sr - gone.sr,
             long_.si + now.si - gone.si, long_.p + now.p - gone.p};
    const double mr = full_.mr + wOld * old.mr, mi = full_.mi + wOld * old.mi;
    const double sr = full_.sr + wOld * old.sr, si = full_.si + wOld * old.si;
    const double pw = full_.p + wOld * old.p;
    const double m2 = mr * mr + mi * mi, s2 = sr * sr + si * si;
    const int64_t i = n_ & (kHistory - 1);
    d_[i] = pw > kSilentPower ? float((m2 - s2) / pw) : 0.f;
    x_[i] = float(v);
    mark_[i] = float(m2);
    space_[i] = float(s2);
    p_[i] = float(pw);
    // Purity over three bits: narrow filters, so noise and speech, whose
    // power spreads over the band, read low.
    const double lm = long_.mr * long_.mr + long_.mi * long_.mi, ls = long_.sr * long_.sr + long_.si * long_.si;
    purity_[i] = long_.p > 1.0 ? float(2.0 * std::max(lm, ls) / (kLongTaps * long_.p)) : 0.f;
    ++n_;
    phase80_ = t + 1 == kTablePeriod ? 0 : t + 1;
  }
}

void FskDemodulator::Restart(int64_t at) {
  std::fill(d_.begin(), d_.end(), 0.f);
  std::fill(purity_.begin(), purity_.end(), 0.f);
  std::fill(x_.begin(), x_.end(), 0.f);
  for (std::vector<float>* v : {&mark_, &space_, &p_}) std::fill(v->begin(), v->end(), 0.f);
  Reset();
  n_ = at;
  phase80_ = int(at % kTablePeriod);
  quiet_ = 0;
}

void FskDemodulator::FeedQuiet(size_t count) {
  // Once a whole history of quiet is written, it reads zero already.
  const int64_t zero = std::min<int64_t>(int64_t(count), kHistory - quiet_);
  for (int64_t done = 0; done < zero;) {
    const int64_t at = (n_ + done) & (kHistory - 1), run = std::min(zero - done, kHistory - at);
    for (std::vector<float>* v : {&d_, &purity_, &x_, &mark_, &space_, &p_})
      std::fill(v->begin() + at, v->begin() + at + run, 0.f);
    done += run;
  }
  quiet_ += zero;
  n_ += int64_t(count);
  phase80_ = int((phase80_ + count) % kTablePeriod);
  Reset();
}

}  // namespace device::audio
