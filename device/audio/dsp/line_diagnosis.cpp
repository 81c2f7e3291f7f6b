#include "device/audio/dsp/line_diagnosis.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

#include "device/audio/dsp/tones.h"
#include "device/core/ring_cycles.h"

namespace device::audio {
namespace {

// What each measurement may be off by: a line at a limit is inside it.
constexpr double kLevelSlackDb = 0.5;
constexpr double kSnrSlackDb = 1;
constexpr double kToneSlackPct = 0.25;
constexpr double kRateSlackPct = 0.2;
constexpr double kTwistSlackDb = 0.7;
constexpr double kTimingSlackMs = 60;  // the detectors time a signal to within a block or two
constexpr double kPreambleSlackBits = 10;
// Below this SNR the noise spoils the other figures too: it is named first.
constexpr double kDeepNoiseDb = 12;
// Hum this far over a burst that failed hides it, clipping or not.
constexpr double kHidingHumDb = 12;
// An FSK signal no receiver framed that is this long a channel seizure and
// nothing else was cut off before its message.
constexpr double kSeizureAloneBits = 30;
// A ring up to this long before FSK data is the short ring pulse that
// stands for the alerting (RP-AS), after which data may come late.
constexpr double kRingPulseMs = 450;

// A figure as a Turkish reader writes it: decimal comma.
QString Number(double v, int decimals = 1) {
  return QString::number(v, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(','));
}
QString Signed(double v, int decimals = 1) { return (v > 0 ? QStringLiteral("+") : QString()) + Number(v, decimals); }
// A limit: whole numbers without decimals.
QString Limit(double v) { return std::fabs(v - std::round(v)) < 1e-9 ? Number(v, 0) : Number(v, 1); }

QString Prefix(int line) { return line > 0 ? QStringLiteral("Hat %1: ").arg(line) : QStringLiteral("Hat: "); }

bool IsFsk(Standard s) { return s == Standard::ClipV23 || s == Standard::Bell202 || s == Standard::JapanV23; }

double Ms(int64_t samples) { return 1000.0 * double(samples) / kSampleRate; }

void Breach(std::vector<LimitBreach>& out, LimitedFigure figure, double value, Range range, double slack,
            const QString& what) {
  if (value >= range.low - slack && value <= range.high + slack) return;
  out.push_back({figure, value, range.low, range.high, what});
}

// When the data came against what came before it, and the ring after it.
void TimingOutside(const BurstReport& b, std::optional<int64_t> nextRing, std::vector<LimitBreach>& out) {
  const bool fsk = IsFsk(b.standard);
  if (b.beforeEnd >= 0) {
    const double gap = Ms(b.start - b.beforeEnd);
    std::optional<Range> allowed;
    QString what;
    if (b.before == Precursor::Ring && fsk) {
      const bool pulse = Ms(b.beforeEnd - b.beforeStart) <= kRingPulseMs;
      what = pulse ? QStringLiteral("kısa zil-veri arası") : QStringLiteral("zil-veri arası");
      if (b.standard == Standard::JapanV23)
        allowed = Range{0, 6000};
      else
        allowed = pulse ? Range{500, 1e9} : Range{500, 2000};
    } else if (b.before == Precursor::AlertTone && fsk && !b.callWaiting) {
      what = QStringLiteral("uyarı-veri arası");
      allowed = b.standard == Standard::Bell202 ? Range{0, 700} : Range{45, 500};
    } else if (b.before == Precursor::Reversal && b.standard == Standard::ClipDtmf) {
      what = QStringLiteral("polarite-hane arası");
      allowed = Range{200, 1e9};
    }
    if (allowed) Breach(out, LimitedFigure::Timing, gap, *allowed, kTimingSlackMs, what);
  }
  if (nextRing) {
    const double gap = Ms(*nextRing - b.end);
    const double least = b.standard == Standard::Bell202 ? 500 : 200;
    Breach(out, LimitedFigure::Timing, gap, {least, 1e9}, kTimingSlackMs, QStringLiteral("veri-zil arası"));
  }
  // The preamble's lengths, in milliseconds like the rest of the timing.
  const LineLimits limits = LimitsOf(b.standard);
  constexpr double kBitMs = 1000.0 / kFskBitRate;
  if (fsk && b.seizureBits && limits.seizureBits.high > 0 && *b.seizureBits > kPreambleSlackBits &&
      *b.seizureBits < limits.seizureBits.low - kPreambleSlackBits)
    out.push_back({LimitedFigure::Timing, *b.seizureBits * kBitMs, limits.seizureBits.low * kBitMs,
                   limits.seizureBits.high * kBitMs, QStringLiteral("tutma sinyali")});
  if (fsk && b.markBits && (*b.markBits < limits.markBits.low - kPreambleSlackBits))
    out.push_back({LimitedFigure::Timing, *b.markBits * kBitMs, limits.markBits.low * kBitMs,
                   limits.markBits.high * kBitMs, QStringLiteral("işaret sinyali")});
}

std::optional<double> Worst(const std::optional<double>& a, const std::optional<double>& b) {
  if (!a) return b;
  if (!b) return a;
  return std::fabs(*a) >= std::fabs(*b) ? a : b;
}

}  // namespace

std::vector<LimitBreach> FiguresOutside(const BurstReport& b, std::optional<int64_t> nextRing) {
  std::vector<LimitBreach> out;
  const LineLimits limits = LimitsOf(b.standard);
  if (b.standard == Standard::ClipDtmf) {
    if (b.weakerToneDbm0)
      Breach(out, LimitedFigure::Level, *b.weakerToneDbm0, limits.levelDbm0, kLevelSlackDb,
             QStringLiteral("zayıf ton"));
  } else {
    Breach(out, LimitedFigure::Level, b.levelDbm0, limits.levelDbm0, kLevelSlackDb, QStringLiteral("seviye"));
  }
  // Off hook (call waiting) the line before the burst carries the talk, not
  // the line's noise: no SNR to judge.
  if (b.snrDb && !b.callWaiting)
    Breach(out, LimitedFigure::Snr, *b.snrDb, {limits.leastSnrDb, 1e9}, kSnrSlackDb, QStringLiteral("SNR"));
  const Range tones{-limits.tonePct, limits.tonePct};
  if (b.standard == Standard::ClipDtmf) {
    if (b.toneOffsetPct)
      Breach(out, LimitedFigure::MarkOffset, *b.toneOffsetPct, tones, kToneSlackPct, QStringLiteral("tonlar"));
  } else {
    if (b.markOffsetPct)
      Breach(out, LimitedFigure::MarkOffset, *b.markOffsetPct, tones, kToneSlackPct, QStringLiteral("işaret tonu"));
    if (b.spaceOffsetPct)
      Breach(out, LimitedFigure::SpaceOffset, *b.spaceOffsetPct, tones, kToneSlackPct, QStringLiteral("boşluk tonu"));
    if (b.bitRateOffsetPct)
      Breach(out, LimitedFigure::BitRate, *b.bitRateOffsetPct, {-limits.ratePct, limits.ratePct}, kRateSlackPct,
             QStringLiteral("hız"));
  }
  if (b.twistDb) Breach(out, LimitedFigure::Twist, *b.twistDb, limits.twistDb, kTwistSlackDb, QStringLiteral("eğim"));
  if (b.fate != BurstFate::NotFramed) TimingOutside(b, nextRing, out);
  return out;
}

Judgement JudgeBurst(const BurstReport& b, std::optional<int64_t> nextRing) {
  Judgement j;
  j.outside = FiguresOutside(b, nextRing);
  const auto outside = [&](LimitedFigure f) {
    return std::find_if(j.outside.begin(), j.outside.end(), [f](const LimitBreach& x) { return x.figure == f; });
  };
  const auto has = [&](LimitedFigure f) { return outside(f) != j.outside.end(); };
  const auto name = [&](Diagnosis d, std::optional<double> figure) {
    j.diagnosis = d;
    j.figure = figure;
    return j;
  };
  if (b.otherFamily)
    return name(b.standard == Standard::ClipDtmf ? Diagnosis::DtmfOnFskLine : Diagnosis::FskOnDtmfLine, std::nullopt);
  if (b.fate == BurstFate::Decoded) return name(j.outside.empty() ? Diagnosis::Good : Diagnosis::OutOfStandard, {});
  if (b.fate == BurstFate::NotACall) return name(Diagnosis::NotACall, std::nullopt);
  // Hum the band filter takes away is harmless until it drives the sound
  // card into clipping or buries the burst; then every other figure is off.
  if ((b.clippedPct >= LineLimits::kClippedPct && b.humDbm0 > b.levelDbm0) || b.humDbm0 >= b.levelDbm0 + kHidingHumDb)
    return name(Diagnosis::Hum, b.humDbm0);
  // Too weak is the burst as a whole: for DTMF its stronger tone (a weaker
  // tone alone is twist).
  const double floor = LimitsOf(b.standard).levelDbm0.low - kLevelSlackDb;
  const double level = b.standard == Standard::ClipDtmf && b.weakerToneDbm0
                           ? *b.weakerToneDbm0 + std::fabs(b.twistDb.value_or(0))
                           : b.levelDbm0;
  if (level < floor) return name(Diagnosis::TooWeak, level);
  if (b.snrDb && *b.snrDb < kDeepNoiseDb) return name(Diagnosis::TooNoisy, b.snrDb);
  if (has(LimitedFigure::MarkOffset) || has(LimitedFigure::SpaceOffset)) {
    const std::optional<double> mark = b.standard == Standard::ClipDtmf ? b.toneOffsetPct : b.markOffsetPct;
    const std::optional<double> space = b.standard == Standard::ClipDtmf ? std::nullopt : b.spaceOffsetPct;
    return name(Diagnosis::OffFrequency, Worst(mark, space));
  }
  // Twist before speed: a tone far weaker than the other blurs where the
  // bits change, not the other way round.
  if (has(LimitedFigure::Twist)) return name(Diagnosis::Twist, b.twistDb);
  if (has(LimitedFigure::BitRate)) return name(Diagnosis::OffSpeed, b.bitRateOffsetPct);
  if (has(LimitedFigure::Snr)) return name(Diagnosis::TooNoisy, b.snrDb);
  switch (b.fate) {
    case BurstFate::CutOff:
    case BurstFate::NoEndCode:
      return name(Diagnosis::CutOff, b.standard == Standard::ClipDtmf ? b.DigitCount() : b.bytesRead);
    case BurstFate::DigitsLost: return name(Diagnosis::DigitsLost, b.DigitCount());
    case BurstFate::NotFramed:
      // A channel seizure that never became a message: cut off before it began.
      if (b.seizureBits && *b.seizureBits >= kSeizureAloneBits) return name(Diagnosis::CutOff, 0);
      return name(Diagnosis::Unframed, b.snrDb);
    case BurstFate::Unreadable: return name(Diagnosis::Distorted, b.snrDb);
    case BurstFate::ChecksumFailed:
    case BurstFate::Decoded:
    case BurstFate::NotACall: break;
  }
  return name(Diagnosis::ChecksumFailure, b.levelDbm0);
}

namespace {

QString RangeText(const LimitBreach& x, const QString& unit) {
  if (x.high >= 1e8) return QStringLiteral("en az %1%2").arg(Limit(x.low), unit);
  if (x.low <= -1e8) return QStringLiteral("en çok %1%2").arg(Limit(x.high), unit);
  if (x.low == -x.high) return QStringLiteral("±%1%2").arg(Limit(x.high), unit);
  return QStringLiteral("%1…%2%3").arg(Signed(x.low, 0), Signed(x.high, 0), unit);
}

// One figure outside, with its limit, short: "seviye -45,2 dBm0 (en az -40)".
QString BreachText(const LimitBreach& x) {
  switch (x.figure) {
    case LimitedFigure::Level:
      return QStringLiteral("%1 %2 dBm0 (%3)")
          .arg(x.what, Number(x.value),
               x.value < x.low ? QStringLiteral("en az %1").arg(Limit(x.low))
                               : QStringLiteral("en çok %1").arg(Limit(x.high)));
    case LimitedFigure::Snr: return QStringLiteral("SNR %1 dB (%2)").arg(Number(x.value), RangeText(x, QString()));
    case LimitedFigure::MarkOffset:
    case LimitedFigure::SpaceOffset:
    case LimitedFigure::BitRate:
      return QStringLiteral("%1 yüzde %2 (%3)").arg(x.what, Signed(x.value), RangeText(x, QString()));
    case LimitedFigure::Twist: return QStringLiteral("eğim %1 dB (%2)").arg(Signed(x.value), RangeText(x, QString()));
    case LimitedFigure::Timing:
      return QStringLiteral("%1 %2 ms (%3)").arg(x.what, Number(x.value, 0), RangeText(x, QString()));
  }
  return {};
}

// Every figure outside, for the advice; the first of them, with how many
// more there are, for the short line.
QString FiguresText(const std::vector<LimitBreach>& outside, size_t most) {
  QStringList parts;
  for (size_t i = 0; i < outside.size() && i < most; ++i) parts << BreachText(outside[i]);
  QString text = parts.join(QStringLiteral(", "));
  if (outside.size() > most) text += QStringLiteral(" (+%1 ölçü)").arg(outside.size() - most);
  return text;
}

QString OffFrequencyText(const BurstReport* b, double figure) {
  const LineLimits limits = LimitsOf(b ? b->standard : Standard::ClipV23);
  QString tone = QStringLiteral("tonlar");
  if (b && b->standard != Standard::ClipDtmf) {
    const bool mark = std::fabs(b->markOffsetPct.value_or(0)) >= std::fabs(b->spaceOffsetPct.value_or(0));
    const std::optional<double> hz = mark ? b->markHz : b->spaceHz;
    tone = QStringLiteral("%1 tonu %2 Hz")
               .arg(mark ? QStringLiteral("işaret") : QStringLiteral("boşluk"), Number(hz.value_or(0), 0));
  }
  return QStringLiteral("frekans kaymış (%1, yüzde %2; en çok %3)").arg(tone, Signed(figure), Limit(limits.tonePct));
}

QString HumText(const QString& p, const QString& failed, const BurstReport* b, double figure) {
  if (!b)
    return p + QStringLiteral(
                   "şebeke uğultusu ses kartını kırpıyor (uğultu %1 dBm0); zil de arayan bilgisi de "
                   "duyulamıyor")
                   .arg(Number(figure));
  if (b->clippedPct >= LineLimits::kClippedPct)
    return failed + QStringLiteral("şebeke uğultusu ses kartını kırpıyor (uğultu %1 dBm0, yüzde %2 kırpık)")
                        .arg(Number(figure), Number(b->clippedPct, 0));
  return failed + QStringLiteral("şebeke uğultusu sinyali bastırıyor (uğultu %1 dBm0, sinyalden %2 dB yüksek)")
                      .arg(Number(figure), Number(figure - b->levelDbm0, 0));
}

QString CutOffText(const QString& p, const BurstReport* b, const QString& name, double figure) {
  if (b && b->standard == Standard::ClipDtmf)
    return p +
           QStringLiteral("arayan bilgisi yarıda kesildi (%1 DTMF hanesi geldi, bitiş kodu gelmedi)").arg(int(figure));
  return p + QStringLiteral("arayan bilgisi yarıda kesildi (%1, %2/%3 karakter geldi)")
                 .arg(name)
                 .arg(int(figure))
                 .arg(b && b->bytesExpected > 0 ? QString::number(b->bytesExpected) : QStringLiteral("?"));
}

}  // namespace

QString DiagnosisText(int line, const CycleVerdict& v) {
  const QString p = Prefix(line);
  const QString failed = p + QStringLiteral("arayan bilgisi çözülemedi: ");
  const BurstReport* b = v.burst ? &*v.burst : nullptr;
  const QString name = b ? StandardName(b->standard) : QStringLiteral("?");
  const double figure = v.figure.value_or(0);
  const LineLimits limits = LimitsOf(b ? b->standard : Standard::ClipV23);
  switch (v.diagnosis) {
    case Diagnosis::Good: return {};
    case Diagnosis::OutOfStandard:
      return p + QStringLiteral("arayan bilgisi geldi ama standart dışı: %1; standart cihaz kaçırabilir")
                     .arg(FiguresText(v.outside, 1));
    case Diagnosis::NoCallerId: return NoCallerIdText(line);
    case Diagnosis::Unframed:
      return p + QStringLiteral("arayan bilgisine benzer bir sinyal var ama çözülemedi (%1%2 s, SNR %3 dB); %4")
                     .arg(b && b->standard != Standard::Auto ? name + QStringLiteral(", ") : QString(),
                          Number(b ? Ms(b->end - b->start) / 1000 : 0, 2), Number(figure),
                          b && b->standard != Standard::Auto ? QStringLiteral("biçimi okunamıyor")
                                                             : QStringLiteral("tanınan bir biçim değil"));
    case Diagnosis::TooWeak:
      return failed +
             QStringLiteral("sinyal çok zayıf (%1 dBm0, en az %2)").arg(Number(figure), Limit(limits.levelDbm0.low));
    case Diagnosis::TooNoisy:
      return failed +
             QStringLiteral("hatta gürültü çok (SNR %1 dB, en az %2)").arg(Number(figure), Limit(limits.leastSnrDb));
    case Diagnosis::OffFrequency: return failed + OffFrequencyText(b, figure);
    case Diagnosis::OffSpeed:
      return failed + QStringLiteral("hız kaymış (%1 bit/sn, yüzde %2; en çok %3)")
                          .arg(Number(b && b->bitRate ? *b->bitRate : kFskBitRate * (1 + figure / 100), 0),
                               Signed(figure), Limit(limits.ratePct));
    case Diagnosis::Twist:
      return failed + QStringLiteral("iki tonun seviyeleri çok farklı (eğim %1 dB; %2 ile %3 dB arası olmalı)")
                          .arg(Signed(figure), Signed(limits.twistDb.low, 0), Signed(limits.twistDb.high, 0));
    case Diagnosis::Hum: return HumText(p, failed, b, figure);
    case Diagnosis::CutOff: return CutOffText(p, b, name, figure);
    case Diagnosis::ChecksumFailure:
      return p + QStringLiteral("arayan bilgisinin sağlama toplamı tutmadı (%1, %2 dBm0, SNR %3 dB)")
                     .arg(name, Number(figure), b && b->snrDb ? Number(*b->snrDb) : QStringLiteral("?"));
    case Diagnosis::Distorted:
      return failed + QStringLiteral("sinyal güçlü ve temiz (SNR %1 dB) ama biçimi bozuk").arg(Number(figure));
    case Diagnosis::DigitsLost:
      return p + QStringLiteral("DTMF arayan bilgisinde hane kayboldu (%1 hane geldi, arada bir hanelik boşluk var)")
                     .arg(int(figure));
    case Diagnosis::DtmfOnFskLine:
      return p + QStringLiteral(
                     "hatta DTMF arayan bilgisi var ama aygıt FSK'ya ayarlı; girişin standart ekini .dtmf yapın ya "
                     "da kaldırın");
    case Diagnosis::FskOnDtmfLine:
      return p + QStringLiteral(
                     "hatta FSK arayan bilgisi var (%1) ama aygıt DTMF'e ayarlı; girişin standart ekini .%1 yapın ya "
                     "da kaldırın")
                     .arg(name);
    case Diagnosis::CallProgressTone: {
      const QString tone =
          v.tone ? QStringLiteral("%1, %2 Hz").arg(CallProgressToneName(v.tone->tone), Number(v.tone->lowHz, 0))
                 : QStringLiteral("santral sesi");
      return p + QStringLiteral("çaldı ama arayan bilgisi gelmedi: yalnız santralin sesi duyuldu (%1)").arg(tone);
    }
    case Diagnosis::NotACall:
      return p + QStringLiteral("arama değil: %1 geldi")
                     .arg(b && b->nonCall ? b->nonCall->Text() : QStringLiteral("arama dışı bir ileti"));
  }
  return {};
}

QString DiagnosisAdvice(const CycleVerdict& v) {
  switch (v.diagnosis) {
    case Diagnosis::Good:
    case Diagnosis::DtmfOnFskLine:
    case Diagnosis::FskOnDtmfLine:
    case Diagnosis::NotACall: return {};
    case Diagnosis::OutOfStandard:
      return QStringLiteral(
                 "standart dışı: %1. Bu program arayan bilgisini okudu, ama yalnız standardın sınırlarını tutan bir "
                 "cihaz bu hatta numarayı gösteremeyebilir; bu ölçüleri hattın bakımını yapana bildirin")
          .arg(FiguresText(v.outside, v.outside.size()));
    case Diagnosis::NoCallerId: return QStringLiteral("arayan numara hizmetinin açılmasını santralden isteyin");
    case Diagnosis::Unframed:
      return QStringLiteral(
          "ses kartının otomatik kazancını ve gürültü bastırmasını kapatın; hattın hangi standardı kullandığını "
          "denetleyin");
    case Diagnosis::TooWeak: return QStringLiteral("hattın ya da bağlayıcının kaybını denetleyin");
    case Diagnosis::TooNoisy: return QStringLiteral("hattı, topraklamayı ve bağlayıcıyı denetleyin");
    case Diagnosis::OffFrequency:
    case Diagnosis::OffSpeed: return QStringLiteral("santralin ya da ses kartının saati kaymış olabilir");
    case Diagnosis::Twist: return QStringLiteral("uzun hat ya da hattaki bir süzgeç tonlardan birini zayıflatıyor");
    case Diagnosis::Hum: return QStringLiteral("bağlayıcının topraklamasını denetleyin ya da kayıt seviyesini düşürün");
    case Diagnosis::CutOff: return QStringLiteral("çalış ya da hattaki bir kesinti iletiyi bölüyor; kayıt atıldı");
    case Diagnosis::ChecksumFailure:
      return QStringLiteral("seviye ve gürültü iyi: hat arızası ya da parazit olabilir; kayıt atıldı");
    case Diagnosis::Distorted:
      return QStringLiteral("ses kartının otomatik kazancı ya da gürültü bastırması açık olabilir");
    case Diagnosis::DigitsLost: return QStringLiteral("hattaki kısa kesintileri denetleyin; kayıt atıldı");
    case Diagnosis::CallProgressTone:
      return QStringLiteral(
          "santral bu çağrıda arayan bilgisi yerine bir hizmet sesi gönderdi; hattın ayarını santralden sorun");
  }
  return {};
}

}  // namespace device::audio
