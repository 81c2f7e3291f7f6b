#include "tools/line-check/event_report.h"

#include <QJsonArray>
#include <cmath>

namespace linecheck {

namespace {

using namespace device::audio;

double Seconds(int64_t samples) { return double(samples) / kSampleRate; }
QString Sec(int64_t samples) { return Decimal(Seconds(samples), 2); }
// A figure that was not measured reads "?".
QString Num(const std::optional<double>& v, int decimals = 1) {
  return v ? Decimal(*v, decimals) : QStringLiteral("?");
}

// JSON figures to their precision: 0.1 dB and Hz and bit/s, ms for times.
double Round(double v, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(v * scale) / scale;
}
QJsonValue Json(const std::optional<double>& v, int decimals) {
  return v ? QJsonValue(Round(*v, decimals)) : QJsonValue(QJsonValue::Null);
}
QJsonValue Time(int64_t samples) { return Round(Seconds(samples), 3); }
QJsonValue Text(const QString& s) { return s.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(s); }
QJsonValue Count(int v) { return v >= 0 ? QJsonValue(v) : QJsonValue(QJsonValue::Null); }

QString Fields(const CallerIdMessage& m) {
  QStringList f;
  using Absence = CallerIdMessage::Absence;
  if (m.absence == Absence::Withheld)
    f << QStringLiteral("numara gizli");
  else if (m.absence == Absence::Unavailable)
    f << QStringLiteral("numara alınamadı");
  else if (!m.number.isEmpty())
    f << QStringLiteral("numara %1").arg(m.number);
  if (!m.name.isEmpty()) f << QStringLiteral("ad \"%1\"").arg(m.name);
  if (m.HasDateTime())
    f << QStringLiteral("tarih %1.%2 %3:%4")
             .arg(m.day, 2, 10, QLatin1Char('0'))
             .arg(m.month, 2, 10, QLatin1Char('0'))
             .arg(m.hour, 2, 10, QLatin1Char('0'))
             .arg(m.minute, 2, 10, QLatin1Char('0'));
  return f.join(QStringLiteral(", "));
}

QString RingText(const RingEvent& r) {
  return QStringLiteral("zil %1 (%2 s, %3 dBm0%4%5)")
      .arg(r.ringInCycle)
      .arg(Sec(r.end - r.start), Decimal(r.levelDbm0), r.clipped ? QStringLiteral(", kırpık") : QString(),
           r.period > 0 ? QStringLiteral(", periyot %1 s").arg(Sec(r.period)) : QString());
}

QString ToneText(const CallProgressToneEvent& t) {
  return QStringLiteral("çağrı ilerleme tonu: %1 (%2, %3 Hz%4, %5 s, %6 dBm0)")
      .arg(CallProgressToneName(t.tone), t.region, Decimal(t.lowHz, 0),
           t.highHz ? QStringLiteral(" + %1 Hz").arg(Decimal(*t.highHz, 0)) : QString(), Sec(t.end - t.start),
           Decimal(t.levelDbm0));
}

QString BurstText(const BurstReport& b) {
  // No receiver framed it: there is no standard, tone or digit to name.
  if (b.fate == BurstFate::NotFramed)
    return QStringLiteral(
               "bantta arayan bilgisine benzer bir sinyal (%1 s), %2: seviye %3 dBm0, gürültü %4 dBm0, SNR %5 dB; "
               "öncesinde %6")
        .arg(Sec(b.end - b.start), FateName(b.fate), Decimal(b.levelDbm0), Num(b.noiseDbm0), Num(b.snrDb),
             PrecursorName(b.before));
  QString s = QStringLiteral("arayan bilgisi %1 %2, %3: seviye %4 dBm0, gürültü %5 dBm0, SNR %6 dB")
                  .arg(StandardName(b.standard), b.layout, FateName(b.fate), Decimal(b.levelDbm0), Num(b.noiseDbm0),
                       Num(b.snrDb));
  if (b.standard != Standard::ClipDtmf)
    s += QStringLiteral(
             ", işaret %1 Hz (%2 %), boşluk %3 Hz (%4 %), hız %5 bit/s (%6 %), eğim %7 dB, tutma %8 bit, işaret %9 "
             "bit")
             .arg(Num(b.markHz, 0), Num(b.markOffsetPct), Num(b.spaceHz, 0), Num(b.spaceOffsetPct), Num(b.bitRate),
                  Num(b.bitRateOffsetPct), Num(b.twistDb), Num(b.seizureBits, 0), Num(b.markBits, 0));
  else
    s += QStringLiteral(", %1 rakam, eğim %2 dB").arg(b.DigitCount()).arg(Num(b.twistDb));
  s += QStringLiteral("; öncesinde %1").arg(PrecursorName(b.before));
  if (b.callWaiting) s += QStringLiteral(" (konuşma sırasında: çağrı bekletmede arayan bilgisi)");
  if (b.message) s += QStringLiteral("; ") + Fields(*b.message);
  if (b.nonCall) s += QStringLiteral("; ") + b.nonCall->Text();
  return s;
}

QString VerdictLine(const CycleVerdict& c) {
  QString s = QStringLiteral("karar: ") + VerdictText(c);
  if (!c.advice.isEmpty() && !c.text.contains(c.advice)) s += QStringLiteral(" Öneri: ") + c.advice;
  return s;
}

void RingJson(const RingEvent& r, QJsonObject& o) {
  o[QStringLiteral("event")] = QStringLiteral("ring");
  o[QStringLiteral("start")] = Time(r.start);
  o[QStringLiteral("end")] = Time(r.end);
  o[QStringLiteral("level_dbm0")] = Round(r.levelDbm0, 1);
  o[QStringLiteral("clipped")] = r.clipped;
  o[QStringLiteral("hz")] = Json(r.hz, 1);
  o[QStringLiteral("ring_in_cycle")] = r.ringInCycle;
  o[QStringLiteral("period")] = r.period > 0 ? Time(r.period) : QJsonValue(QJsonValue::Null);
}

void ToneJson(const CallProgressToneEvent& t, QJsonObject& o) {
  o[QStringLiteral("event")] = QStringLiteral("call_progress_tone");
  o[QStringLiteral("tone")] = CallProgressToneKey(t.tone);
  o[QStringLiteral("tone_text")] = CallProgressToneName(t.tone);
  o[QStringLiteral("region")] = Text(t.region);
  o[QStringLiteral("start")] = Time(t.start);
  o[QStringLiteral("end")] = Time(t.end);
  o[QStringLiteral("low_hz")] = Round(t.lowHz, 1);
  o[QStringLiteral("high_hz")] = Json(t.highHz, 1);
  o[QStringLiteral("level_dbm0")] = Round(t.levelDbm0, 1);
  o[QStringLiteral("on_ms")] = Json(t.onMs, 0);
  o[QStringLiteral("off_ms")] = Json(t.offMs, 0);
}

// What the receivers decoded: the number, name and the message's own date
// and time field; null for each the message did not carry.
void MessageJson(const BurstReport& b, QJsonObject& o) {
  const CallerIdMessage* m = b.message ? &*b.message : nullptr;
  using Absence = CallerIdMessage::Absence;
  o[QStringLiteral("number")] = m ? Text(m->number) : QJsonValue(QJsonValue::Null);
  o[QStringLiteral("absence")] = !m || m->absence == Absence::None ? QJsonValue(QJsonValue::Null)
                                 : m->absence == Absence::Withheld ? QStringLiteral("withheld")
                                                                   : QStringLiteral("unavailable");
  o[QStringLiteral("name")] = m ? Text(m->name) : QJsonValue(QJsonValue::Null);
  const bool dated = m && m->HasDateTime();
  o[QStringLiteral("month")] = dated ? Count(m->month) : QJsonValue(QJsonValue::Null);
  o[QStringLiteral("day")] = dated ? Count(m->day) : QJsonValue(QJsonValue::Null);
  o[QStringLiteral("hour")] = dated ? Count(m->hour) : QJsonValue(QJsonValue::Null);
  o[QStringLiteral("minute")] = dated ? Count(m->minute) : QJsonValue(QJsonValue::Null);
  o[QStringLiteral("non_call")] = b.nonCall ? QJsonValue(b.nonCall->Key()) : QJsonValue(QJsonValue::Null);
  o[QStringLiteral("non_call_text")] = b.nonCall ? QJsonValue(b.nonCall->Text()) : QJsonValue(QJsonValue::Null);
}

void BurstJson(const BurstReport& b, QJsonObject& o) {
  const bool framed = b.fate != BurstFate::NotFramed;
  const bool dtmf = b.standard == Standard::ClipDtmf;
  o[QStringLiteral("event")] = QStringLiteral("burst");
  o[QStringLiteral("standard")] = framed ? QJsonValue(StandardName(b.standard)) : QJsonValue(QJsonValue::Null);
  o[QStringLiteral("layout")] = Text(b.layout);
  o[QStringLiteral("fate")] = BurstFateKey(b.fate);
  o[QStringLiteral("fate_text")] = FateName(b.fate);
  o[QStringLiteral("decoded")] = b.fate == BurstFate::Decoded && b.message.has_value() && !b.otherFamily;
  o[QStringLiteral("other_family")] = b.otherFamily;
  o[QStringLiteral("call_waiting")] = b.callWaiting;
  o[QStringLiteral("start")] = Time(b.start);
  o[QStringLiteral("end")] = Time(b.end);
  o[QStringLiteral("level_dbm0")] = Round(b.levelDbm0, 1);
  o[QStringLiteral("noise_dbm0")] = Json(b.noiseDbm0, 1);
  o[QStringLiteral("snr_db")] = Json(b.snrDb, 1);
  o[QStringLiteral("hum_dbm0")] = b.humDbm0 > -100 ? QJsonValue(Round(b.humDbm0, 1)) : QJsonValue(QJsonValue::Null);
  o[QStringLiteral("clipped_pct")] = Round(b.clippedPct, 2);
  o[QStringLiteral("mark_hz")] = Json(b.markHz, 1);
  o[QStringLiteral("space_hz")] = Json(b.spaceHz, 1);
  o[QStringLiteral("mark_offset_pct")] = Json(b.markOffsetPct, 2);
  o[QStringLiteral("space_offset_pct")] = Json(b.spaceOffsetPct, 2);
  o[QStringLiteral("bit_rate")] = Json(b.bitRate, 1);
  o[QStringLiteral("bit_rate_offset_pct")] = Json(b.bitRateOffsetPct, 2);
  o[QStringLiteral("twist_db")] = Json(b.twistDb, 1);
  o[QStringLiteral("seizure_bits")] = Json(b.seizureBits, 0);
  o[QStringLiteral("mark_bits")] = Json(b.markBits, 0);
  o[QStringLiteral("digits")] = framed && dtmf ? QJsonValue(b.DigitCount()) : QJsonValue(QJsonValue::Null);
  o[QStringLiteral("before")] = PrecursorKey(b.before);
  o[QStringLiteral("before_text")] = PrecursorName(b.before);
  MessageJson(b, o);
}

int BreachDecimals(LimitedFigure f) {
  switch (f) {
    case LimitedFigure::MarkOffset:
    case LimitedFigure::SpaceOffset: return 2;
    case LimitedFigure::Timing: return 0;
    default: return 1;
  }
}

void VerdictJson(const CycleVerdict& c, QJsonObject& o) {
  o[QStringLiteral("event")] = QStringLiteral("verdict");
  o[QStringLiteral("start")] = Time(c.start);
  o[QStringLiteral("at")] = Time(c.at);
  o[QStringLiteral("rings")] = c.rings;
  o[QStringLiteral("good")] = c.diagnosis == Diagnosis::Good;
  o[QStringLiteral("cause")] = DiagnosisKey(c.diagnosis);
  o[QStringLiteral("cause_text")] = CauseName(c.diagnosis);
  o[QStringLiteral("figure")] = Json(c.figure, 1);
  o[QStringLiteral("figure_unit")] = c.figure ? Text(FigureUnitKey(c.diagnosis)) : QJsonValue(QJsonValue::Null);
  QJsonArray outside;
  for (const LimitBreach& b : c.outside) {
    const int d = BreachDecimals(b.figure);
    outside.append(QJsonObject{{QStringLiteral("figure"), LimitedFigureKey(b.figure)},
                               {QStringLiteral("value"), Round(b.value, d)},
                               {QStringLiteral("low"), Round(b.low, d)},
                               {QStringLiteral("high"), Round(b.high, d)}});
  }
  o[QStringLiteral("outside")] = outside;
  o[QStringLiteral("burst_start")] = c.burst ? Time(c.burst->start) : QJsonValue(QJsonValue::Null);
  o[QStringLiteral("text")] = Text(c.text);
  o[QStringLiteral("advice")] = Text(c.advice);
}

}  // namespace

QDateTime AudioClock::At(int64_t sample) const {
  // With the offset from UTC, so a script reads the hour without guessing the zone.
  const QDateTime t = start.addMSecs(sample * 1000 / kSampleRate);
  return t.toOffsetFromUtc(t.offsetFromUtc());
}

QString Decimal(double value, int decimals) {
  // -0,0 reads as a sign that is not there.
  const double scale = std::pow(10.0, decimals);
  if (std::round(value * scale) == 0) value = 0;
  return QString::number(value, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(','));
}

QString Position(int64_t sample, const AudioClock& clock) {
  const QString seconds = Sec(sample) + QStringLiteral(" s");
  if (clock.Known())
    return QStringLiteral("%1 (%2)").arg(clock.At(sample).toString(QStringLiteral("HH:mm:ss")), seconds);
  const int64_t s = sample / kSampleRate;
  if (s < 600) return seconds;
  return QStringLiteral("%1:%2:%3 (%4)")
      .arg(s / 3600)
      .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(s % 60, 2, 10, QLatin1Char('0'))
      .arg(seconds);
}

QString Duration(int64_t samples) {
  const int64_t s = samples / kSampleRate;
  if (s < 60) return QStringLiteral("%1 s").arg(s);
  if (s < 3600) return QStringLiteral("%1 dk %2 s").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
  return QStringLiteral("%1 sa %2 dk %3 s")
      .arg(s / 3600)
      .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
      .arg(s % 60, 2, 10, QLatin1Char('0'));
}

int64_t EventStart(const WatchEvent& event) {
  if (const auto* r = std::get_if<RingEvent>(&event)) return r->start;
  if (const auto* v = std::get_if<ReversalEvent>(&event)) return v->at;
  if (const auto* a = std::get_if<AlertToneEvent>(&event)) return a->start;
  if (const auto* t = std::get_if<CallProgressToneEvent>(&event)) return t->start;
  if (const auto* b = std::get_if<BurstReport>(&event)) return b->start;
  return std::get<CycleVerdict>(event).at;
}

QString FateName(BurstFate fate) {
  switch (fate) {
    case BurstFate::Decoded: return QStringLiteral("çözüldü");
    case BurstFate::NotACall: return QStringLiteral("arama değil");
    case BurstFate::ChecksumFailed: return QStringLiteral("sağlama toplamı tutmadı");
    case BurstFate::CutOff: return QStringLiteral("yarıda kesildi");
    case BurstFate::Unreadable: return QStringLiteral("okunamadı");
    case BurstFate::DigitsLost: return QStringLiteral("rakam kayıp");
    case BurstFate::NoEndCode: return QStringLiteral("bitiş kodu yok");
    case BurstFate::NotFramed: return QStringLiteral("çerçevelenemedi");
  }
  return {};
}

QString PrecursorName(Precursor p) {
  switch (p) {
    case Precursor::Nothing: return QStringLiteral("hiçbir şey");
    case Precursor::Ring: return QStringLiteral("zil");
    case Precursor::Reversal: return QStringLiteral("hat polarite değişimi");
    case Precursor::AlertTone: return QStringLiteral("uyarı tonu");
  }
  return {};
}

QString CauseName(Diagnosis d) {
  switch (d) {
    case Diagnosis::Good: return QStringLiteral("sağlam");
    case Diagnosis::OutOfStandard: return QStringLiteral("geldi, standart dışı");
    case Diagnosis::NoCallerId: return QStringLiteral("arayan bilgisi yok");
    case Diagnosis::Unframed: return QStringLiteral("çerçevelenemedi");
    case Diagnosis::TooWeak: return QStringLiteral("çok zayıf");
    case Diagnosis::TooNoisy: return QStringLiteral("gürültü çok");
    case Diagnosis::OffFrequency: return QStringLiteral("frekans kaymış");
    case Diagnosis::OffSpeed: return QStringLiteral("hız kaymış");
    case Diagnosis::Twist: return QStringLiteral("ton seviyeleri farklı");
    case Diagnosis::Hum: return QStringLiteral("şebeke uğultusu");
    case Diagnosis::CutOff: return QStringLiteral("yarıda kesildi");
    case Diagnosis::ChecksumFailure: return QStringLiteral("sağlama toplamı tutmadı");
    case Diagnosis::Distorted: return QStringLiteral("biçimi bozuk");
    case Diagnosis::DigitsLost: return QStringLiteral("hane kayboldu");
    case Diagnosis::DtmfOnFskLine: return QStringLiteral("FSK hattında DTMF");
    case Diagnosis::FskOnDtmfLine: return QStringLiteral("DTMF hattında FSK");
    case Diagnosis::CallProgressTone: return QStringLiteral("çağrı ilerleme tonu");
    case Diagnosis::NotACall: return QStringLiteral("arama değil");
  }
  return {};
}

// What each cause's figure is measured in, as line_events.h says.
QString FigureUnitKey(Diagnosis d) {
  switch (d) {
    case Diagnosis::Unframed:
    case Diagnosis::TooNoisy:
    case Diagnosis::Twist:
    case Diagnosis::Distorted: return QStringLiteral("db");
    case Diagnosis::TooWeak:
    case Diagnosis::Hum:
    case Diagnosis::ChecksumFailure: return QStringLiteral("dbm0");
    case Diagnosis::OffFrequency:
    case Diagnosis::OffSpeed: return QStringLiteral("pct");
    case Diagnosis::CutOff:
    case Diagnosis::DigitsLost: return QStringLiteral("count");
    default: return {};
  }
}

QString FigureUnit(Diagnosis d) {
  const QString key = FigureUnitKey(d);
  if (key == QLatin1String("db")) return QStringLiteral("dB");
  if (key == QLatin1String("dbm0")) return QStringLiteral("dBm0");
  if (key == QLatin1String("pct")) return QStringLiteral("%");
  if (key == QLatin1String("count"))
    return d == Diagnosis::DigitsLost ? QStringLiteral("hane") : QStringLiteral("karakter ya da hane");
  return {};
}

QString LimitedFigureName(LimitedFigure f) {
  switch (f) {
    case LimitedFigure::Level: return QStringLiteral("seviye");
    case LimitedFigure::Snr: return QStringLiteral("SNR");
    case LimitedFigure::MarkOffset: return QStringLiteral("işaret tonu kayması");
    case LimitedFigure::SpaceOffset: return QStringLiteral("boşluk tonu kayması");
    case LimitedFigure::BitRate: return QStringLiteral("hız");
    case LimitedFigure::Twist: return QStringLiteral("eğim");
    case LimitedFigure::Timing: return QStringLiteral("zamanlama");
  }
  return {};
}

QString BreachText(const LimitBreach& b) {
  static const char* const units[] = {"dBm0", "dB", "%", "%", "bit/s", "dB", "ms"};
  const int d = BreachDecimals(b.figure);
  return QStringLiteral("%1 %2 %3 (sınır %4…%5)")
      .arg(LimitedFigureName(b.figure), Decimal(b.value, d), QString::fromUtf8(units[int(b.figure)]), Decimal(b.low, d),
           Decimal(b.high, d));
}

QString VerdictText(const CycleVerdict& c) {
  if (!c.text.isEmpty()) return c.text;
  if (c.burst && c.burst->callWaiting) return QStringLiteral("çağrı bekletmede arayan bilgisi sağlam geldi");
  return QStringLiteral("arayan bilgisi sağlam geldi (%1 zil)").arg(c.rings);
}

QString EventText(int line, const WatchEvent& event, const AudioClock& clock) {
  const QString at = QStringLiteral("Hat %1, %2: ").arg(line).arg(Position(EventStart(event), clock));
  if (const auto* r = std::get_if<RingEvent>(&event)) return at + RingText(*r);
  if (const auto* v = std::get_if<ReversalEvent>(&event))
    return at + QStringLiteral("hat polarite değişimi (adım %1 %)").arg(Decimal(100 * v->step));
  if (const auto* a = std::get_if<AlertToneEvent>(&event))
    return at + QStringLiteral("uyarı tonu (%1 ms, %2 dBm0, eğim %3 dB)")
                    .arg(Decimal(1000 * Seconds(a->end - a->start), 0), Decimal(a->levelDbm0), Decimal(a->twistDb));
  if (const auto* t = std::get_if<CallProgressToneEvent>(&event)) return at + ToneText(*t);
  if (const auto* b = std::get_if<BurstReport>(&event)) return at + BurstText(*b);
  return at + VerdictLine(std::get<CycleVerdict>(event));
}

QJsonObject EventJson(int line, const WatchEvent& event, const AudioClock& clock) {
  QJsonObject o{{QStringLiteral("line"), line}};
  o[QStringLiteral("clock")] = clock.Known() ? QJsonValue(clock.At(EventStart(event)).toString(Qt::ISODateWithMs))
                                             : QJsonValue(QJsonValue::Null);
  if (const auto* r = std::get_if<RingEvent>(&event)) {
    RingJson(*r, o);
  } else if (const auto* v = std::get_if<ReversalEvent>(&event)) {
    o[QStringLiteral("event")] = QStringLiteral("reversal");
    o[QStringLiteral("at")] = Time(v->at);
    o[QStringLiteral("step")] = Round(v->step, 3);
  } else if (const auto* a = std::get_if<AlertToneEvent>(&event)) {
    o[QStringLiteral("event")] = QStringLiteral("alert_tone");
    o[QStringLiteral("start")] = Time(a->start);
    o[QStringLiteral("end")] = Time(a->end);
    o[QStringLiteral("level_dbm0")] = Round(a->levelDbm0, 1);
    o[QStringLiteral("twist_db")] = Round(a->twistDb, 1);
  } else if (const auto* t = std::get_if<CallProgressToneEvent>(&event)) {
    ToneJson(*t, o);
  } else if (const auto* b = std::get_if<BurstReport>(&event)) {
    BurstJson(*b, o);
  } else {
    VerdictJson(std::get<CycleVerdict>(event), o);
  }
  return o;
}

}  // namespace linecheck
