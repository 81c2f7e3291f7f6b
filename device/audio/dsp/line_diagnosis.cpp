#include "device/audio/dsp/line_diagnosis.h"

#include <algorithm>
#include <cmath>

#include "device/audio/dsp/median.h"
#include "device/audio/dsp/tones.h"
#include "device/core/ring_cycles.h"

namespace device::audio {
namespace {

// The old judge's limits, until the verdicts judge by LimitsOf.
struct OldLimits {
  static constexpr double kWeakestDbm0 = -40;
  static constexpr double kClippedPct = LineLimits::kClippedPct;
  static constexpr double kLeastSnrDb = 20;
  static constexpr double kV23TonePct = 1.5;
  static constexpr double kBellTonePct = 1.0;
  static constexpr double kDtmfTonePct = 1.5;
  static constexpr double kRatePct = 1.0;
  static constexpr double kV23TwistDb = 6;
  static constexpr double kBellTwistBelowDb = 6, kBellTwistAboveDb = 10;
  static constexpr double kDtmfTwistDb = 8;
};

// A figure as a Turkish reader writes it: decimal comma.
QString Number(double v, int decimals = 1) {
  return QString::number(v, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(','));
}
QString Signed(double v, int decimals = 1) { return (v > 0 ? QStringLiteral("+") : QString()) + Number(v, decimals); }

QString Prefix(int line) { return line > 0 ? QStringLiteral("Hat %1: ").arg(line) : QStringLiteral("Hat: "); }

double TonePct(Standard s) {
  return s == Standard::Bell202    ? OldLimits::kBellTonePct
         : s == Standard::ClipDtmf ? OldLimits::kDtmfTonePct
                                   : OldLimits::kV23TonePct;
}

// The largest tone offset of a DTMF string: each digit's worse tone, the
// median over the digits (one digit caught at its edge says little).
double DtmfOffsetPct(const BurstReport& b, bool* low) {
  std::vector<std::pair<double, bool>> worst;
  for (const DtmfDigit& d : b.digits) {
    double lowHz = 0, highHz = 0;
    if (!DtmfKeyTones(d.code, &lowHz, &highHz)) continue;
    const double lo = d.lowHz ? 100 * (*d.lowHz / lowHz - 1) : 0;
    const double hi = d.highHz ? 100 * (*d.highHz / highHz - 1) : 0;
    worst.push_back(std::fabs(lo) >= std::fabs(hi) ? std::pair{lo, true} : std::pair{hi, false});
  }
  if (worst.empty()) return 0;
  const auto median =
      MedianOf(worst, [](const auto& a, const auto& c) { return std::fabs(a.first) < std::fabs(c.first); });
  *low = median.second;
  return median.first;
}

bool TwistOut(const BurstReport& b) {
  if (!b.twistDb) return false;
  const double twist = *b.twistDb;
  switch (b.standard) {
    case Standard::Bell202: return twist < -OldLimits::kBellTwistBelowDb || twist > OldLimits::kBellTwistAboveDb;
    case Standard::ClipDtmf: return std::fabs(twist) > OldLimits::kDtmfTwistDb;
    default: return std::fabs(twist) > OldLimits::kV23TwistDb;
  }
}

}  // namespace

Diagnosis DiagnoseBurst(const BurstReport& b, double* figure) {
  *figure = 0;
  if (b.otherFamily) return b.standard == Standard::ClipDtmf ? Diagnosis::DtmfOnFskLine : Diagnosis::FskOnDtmfLine;
  if (b.fate == BurstFate::Decoded) return Diagnosis::Good;
  // Hum the band filter would take away is harmless until it drives the
  // sound card into clipping; then every other figure of the burst is off.
  if (b.clippedPct >= OldLimits::kClippedPct && b.humDbm0 > b.levelDbm0) {
    *figure = b.humDbm0;
    return Diagnosis::Hum;
  }
  if (b.levelDbm0 < OldLimits::kWeakestDbm0) {
    *figure = b.levelDbm0;
    return Diagnosis::TooWeak;
  }
  if (b.snrDb && *b.snrDb < OldLimits::kLeastSnrDb) {
    *figure = *b.snrDb;
    return Diagnosis::TooNoisy;
  }
  const bool dtmf = b.standard == Standard::ClipDtmf;
  const double limit = TonePct(b.standard);
  if (dtmf) {
    bool low = false;
    const double off = DtmfOffsetPct(b, &low);
    if (std::fabs(off) > limit) {
      *figure = off;
      return Diagnosis::OffFrequency;
    }
  } else {
    const double mark = b.markOffsetPct.value_or(0), space = b.spaceOffsetPct.value_or(0);
    const double off = std::fabs(mark) >= std::fabs(space) ? mark : space;
    if (std::fabs(off) > limit) {
      *figure = off;
      return Diagnosis::OffFrequency;
    }
    // A clock this far off reads another length, so it also looks cut off.
    if (b.bitRateOffsetPct && std::fabs(*b.bitRateOffsetPct) > OldLimits::kRatePct) {
      *figure = *b.bitRateOffsetPct;
      return Diagnosis::OffSpeed;
    }
  }
  if (b.fate == BurstFate::CutOff || b.fate == BurstFate::NoEndCode) {
    *figure = dtmf ? double(b.digits.size()) : b.bytesRead;
    return Diagnosis::CutOff;
  }
  if (TwistOut(b)) {
    *figure = *b.twistDb;
    return Diagnosis::Twist;
  }
  switch (b.fate) {
    case BurstFate::DigitsLost: *figure = double(b.digits.size()); return Diagnosis::DigitsLost;
    // A strong, clean signal no receiver could even frame.
    case BurstFate::NotFramed:
    case BurstFate::Unreadable: *figure = b.snrDb.value_or(0); return Diagnosis::Distorted;
    default: *figure = b.levelDbm0; return Diagnosis::ChecksumFailure;
  }
}

QString DiagnosisText(int line, Diagnosis d, double figure, const BurstReport* b) {
  const QString p = Prefix(line);
  const QString failed = p + QStringLiteral("arayan bilgisi geldi ama çözülemedi: ");
  const QString name = b ? StandardName(b->standard) : QStringLiteral("?");
  switch (d) {
    case Diagnosis::Good:
    case Diagnosis::OutOfStandard:
    case Diagnosis::Unframed:
    case Diagnosis::CallProgressTone:
    case Diagnosis::NotACall: return {};
    case Diagnosis::NoCallerId: return NoCallerIdText(line);
    case Diagnosis::Hum:
      return failed + QStringLiteral(
                          "şebeke uğultusu ses kartını kırpıyor (uğultu %1 dBm0, kırpılan örnekler yüzde %2); "
                          "bağlayıcının topraklamasını denetleyin ya da kayıt seviyesini düşürün")
                          .arg(Number(figure), Number(b ? b->clippedPct : 0, 0));
    case Diagnosis::TooWeak:
      return failed + QStringLiteral(
                          "sinyal çok zayıf (%1 dBm0, en az %2 gerekir); hattın ya da bağlayıcının kaybını "
                          "denetleyin")
                          .arg(Number(figure), Number(OldLimits::kWeakestDbm0, 0));
    case Diagnosis::TooNoisy:
      return failed + QStringLiteral(
                          "hatta gürültü çok (sinyal/gürültü %1 dB, en az %2 dB gerekir); hattı, topraklamayı ve "
                          "bağlayıcıyı denetleyin")
                          .arg(Number(figure), Number(OldLimits::kLeastSnrDb, 0));
    case Diagnosis::OffFrequency: {
      QString tone = QStringLiteral("tonlar");
      if (b && b->standard != Standard::ClipDtmf)
        tone = std::fabs(b->markOffsetPct.value_or(0)) >= std::fabs(b->spaceOffsetPct.value_or(0))
                   ? QStringLiteral("işaret tonu %1 Hz").arg(Number(b->markHz.value_or(0), 0))
                   : QStringLiteral("boşluk tonu %1 Hz").arg(Number(b->spaceHz.value_or(0), 0));
      return failed + QStringLiteral(
                          "frekans kaymış (%1, yüzde %2; en çok yüzde %3 olabilir); santralin ya da ses "
                          "kartının saati kaymış olabilir")
                          .arg(tone, Signed(figure), Number(b ? TonePct(b->standard) : OldLimits::kV23TonePct));
    }
    case Diagnosis::OffSpeed:
      return failed + QStringLiteral("hız kaymış (%1 bit/sn, yüzde %2; en çok yüzde %3 olabilir)")
                          .arg(Number(b && b->bitRate ? *b->bitRate : 1200 * (1 + figure / 100), 0), Signed(figure),
                               Number(OldLimits::kRatePct));
    case Diagnosis::Twist:
      return failed + QStringLiteral(
                          "iki tonun seviyeleri çok farklı (%1 dB); uzun hat ya da hattaki bir süzgeç "
                          "yüksek tonu zayıflatıyor")
                          .arg(Signed(figure));
    case Diagnosis::CutOff:
      if (b && b->standard == Standard::ClipDtmf)
        return p + QStringLiteral(
                       "arayan bilgisi yarıda kesildi (%1 DTMF hanesi geldi, bitiş kodu gelmedi); kayıt "
                       "atıldı")
                       .arg(int(figure));
      return p + QStringLiteral(
                     "arayan bilgisi yarıda kesildi (%1, %2/%3 karakter geldi); çalış ya da hattaki bir "
                     "kesinti iletiyi bölüyor; kayıt atıldı")
                     .arg(name)
                     .arg(int(figure))
                     .arg(b && b->bytesExpected > 0 ? QString::number(b->bytesExpected) : QStringLiteral("?"));
    case Diagnosis::ChecksumFailure:
      return p + QStringLiteral(
                     "arayan bilgisinin sağlama toplamı tutmadı (%1, %2 dBm0, sinyal/gürültü %3 dB); "
                     "seviye iyi, hat arızası ya da parazit olabilir; kayıt atıldı")
                     .arg(name, Number(figure), Number(b ? b->snrDb.value_or(0) : 0));
    case Diagnosis::Distorted:
      return failed + QStringLiteral(
                          "sinyal güçlü ve temiz (sinyal/gürültü %1 dB) ama biçimi bozuk; ses kartının "
                          "otomatik kazancı ya da gürültü bastırması açık olabilir")
                          .arg(Number(figure));
    case Diagnosis::DigitsLost:
      return p + QStringLiteral(
                     "DTMF arayan bilgisinde hane kayboldu (%1 hane geldi, aralarında bir hanelik boşluk "
                     "var); kayıt atıldı")
                     .arg(int(figure));
    case Diagnosis::DtmfOnFskLine:
      return p + QStringLiteral(
                     "hatta DTMF arayan bilgisi var ama aygıt FSK'ya ayarlı; girişin standart ekini .dtmf "
                     "yapın ya da kaldırın");
    case Diagnosis::FskOnDtmfLine:
      return p + QStringLiteral(
                     "hatta FSK arayan bilgisi var (%1) ama aygıt DTMF'e ayarlı; girişin standart ekini "
                     ".%1 yapın ya da kaldırın")
                     .arg(name);
  }
  return {};
}

}  // namespace device::audio
