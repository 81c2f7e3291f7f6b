#include "tools/line-check/event_report.h"

#include <QJsonArray>

namespace linecheck {

namespace {

using namespace device::audio;

double Seconds(int64_t samples) { return double(samples) / kSampleRate; }
QString Sec(int64_t samples) { return QString::number(Seconds(samples), 'f', 2); }
QString Num(double v, int decimals = 1) { return QString::number(v, 'f', decimals); }
// A figure that was not measured reads "?".
QString Num(const std::optional<double>& v, int decimals = 1) { return v ? Num(*v, decimals) : QStringLiteral("?"); }
// And is null in JSON.
QJsonValue Json(const std::optional<double>& v) { return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null); }

QString PrecursorName(Precursor p) {
  switch (p) {
    case Precursor::Nothing: return QStringLiteral("hiçbir şey");
    case Precursor::Ring: return QStringLiteral("zil");
    case Precursor::Reversal: return QStringLiteral("hat polarite değişimi");
    case Precursor::AlertTone: return QStringLiteral("uyarı tonu");
  }
  return {};
}

QString ToneName(CallProgressTone tone) {
  switch (tone) {
    case CallProgressTone::Dial: return QStringLiteral("çevir sesi");
    case CallProgressTone::Busy: return QStringLiteral("meşgul sesi");
    case CallProgressTone::Reorder: return QStringLiteral("yoğunluk sesi");
    case CallProgressTone::Ringback: return QStringLiteral("çalıyor sesi");
  }
  return {};
}

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

}  // namespace

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

QString VerdictText(const CycleVerdict& c) {
  return c.text.isEmpty() ? QStringLiteral("arayan bilgisi sağlam geldi (%1 zil)").arg(c.rings) : c.text;
}

QString EventText(int line, const WatchEvent& event) {
  const QString at = QStringLiteral("Hat %1, %2 s: ").arg(line);
  if (const auto* r = std::get_if<RingEvent>(&event))
    return at.arg(Sec(r->start)) +
           QStringLiteral("zil %1 (%2 s, %3 dBm0%4%5)")
               .arg(r->ringInCycle)
               .arg(Num(Seconds(r->end - r->start), 2), Num(r->levelDbm0),
                    r->clipped ? QStringLiteral(", kırpık") : QString(),
                    r->period > 0 ? QStringLiteral(", periyot %1 s").arg(Num(Seconds(r->period), 2)) : QString());
  if (const auto* v = std::get_if<ReversalEvent>(&event))
    return at.arg(Sec(v->at)) + QStringLiteral("hat polarite değişimi (adım %1 %)").arg(Num(100 * v->step));
  if (const auto* a = std::get_if<AlertToneEvent>(&event))
    return at.arg(Sec(a->start)) +
           QStringLiteral("uyarı tonu (%1 ms, %2 dBm0, eğim %3 dB)")
               .arg(Num(1000 * Seconds(a->end - a->start), 0), Num(a->levelDbm0), Num(a->twistDb));
  if (const auto* t = std::get_if<CallProgressToneEvent>(&event))
    return at.arg(Sec(t->start)) + QStringLiteral("çağrı ilerleme tonu: %1 (%2, %3 Hz%4, %5 s, %6 dBm0)")
                                       .arg(ToneName(t->tone), t->region, Num(t->lowHz, 0),
                                            t->highHz ? QStringLiteral(" + %1 Hz").arg(Num(*t->highHz, 0)) : QString(),
                                            Num(Seconds(t->end - t->start), 2), Num(t->levelDbm0));
  if (const auto* b = std::get_if<BurstReport>(&event)) {
    // No receiver framed it: there is no standard, tone or digit to name.
    if (b->fate == BurstFate::NotFramed)
      return at.arg(Sec(b->start)) +
             QStringLiteral(
                 "bantta arayan bilgisine benzer bir sinyal (%1 s), %2: seviye %3 dBm0, gürültü %4 dBm0, "
                 "SNR %5 dB; öncesinde %6")
                 .arg(Num(Seconds(b->end - b->start), 2), FateName(b->fate), Num(b->levelDbm0), Num(b->noiseDbm0),
                      Num(b->snrDb), PrecursorName(b->before));
    QString s =
        at.arg(Sec(b->start)) + QStringLiteral("arayan bilgisi %1 %2, %3: seviye %4 dBm0, gürültü %5 dBm0, SNR %6 dB")
                                    .arg(StandardName(b->standard), b->layout, FateName(b->fate), Num(b->levelDbm0),
                                         Num(b->noiseDbm0), Num(b->snrDb));
    if (b->standard != Standard::ClipDtmf)
      s += QStringLiteral(
               ", işaret %1 Hz (%2 %), boşluk %3 Hz (%4 %), hız %5 bit/s (%6 %), eğim %7 dB, "
               "tutma %8 bit, işaret %9 bit")
               .arg(Num(b->markHz, 0), Num(b->markOffsetPct), Num(b->spaceHz, 0), Num(b->spaceOffsetPct),
                    Num(b->bitRate), Num(b->bitRateOffsetPct), Num(b->twistDb), Num(b->seizureBits, 0),
                    Num(b->markBits, 0));
    else
      s += QStringLiteral(", %1 rakam, eğim %2 dB").arg(b->DigitCount()).arg(Num(b->twistDb));
    s += QStringLiteral("; öncesinde %1").arg(PrecursorName(b->before));
    if (b->message) s += QStringLiteral("; ") + Fields(*b->message);
    if (b->nonCall) s += QStringLiteral("; ") + b->nonCall->Text();
    return s;
  }
  const auto& c = std::get<CycleVerdict>(event);
  return at.arg(Sec(c.at)) + QStringLiteral("karar: ") + VerdictText(c);
}

QJsonObject EventJson(int line, const WatchEvent& event) {
  QJsonObject o{{QStringLiteral("line"), line}};
  if (const auto* r = std::get_if<RingEvent>(&event)) {
    o[QStringLiteral("event")] = QStringLiteral("ring");
    o[QStringLiteral("start")] = Seconds(r->start);
    o[QStringLiteral("end")] = Seconds(r->end);
    o[QStringLiteral("level_dbm0")] = r->levelDbm0;
    o[QStringLiteral("clipped")] = r->clipped;
    o[QStringLiteral("ring_in_cycle")] = r->ringInCycle;
    if (r->period > 0) o[QStringLiteral("period")] = Seconds(r->period);
  } else if (const auto* v = std::get_if<ReversalEvent>(&event)) {
    o[QStringLiteral("event")] = QStringLiteral("reversal");
    o[QStringLiteral("at")] = Seconds(v->at);
    o[QStringLiteral("step")] = v->step;
  } else if (const auto* a = std::get_if<AlertToneEvent>(&event)) {
    o[QStringLiteral("event")] = QStringLiteral("alert_tone");
    o[QStringLiteral("start")] = Seconds(a->start);
    o[QStringLiteral("end")] = Seconds(a->end);
    o[QStringLiteral("level_dbm0")] = a->levelDbm0;
    o[QStringLiteral("twist_db")] = a->twistDb;
  } else if (const auto* t = std::get_if<CallProgressToneEvent>(&event)) {
    o[QStringLiteral("event")] = QStringLiteral("call_progress_tone");
    o[QStringLiteral("tone")] = CallProgressToneKey(t->tone);
    o[QStringLiteral("region")] = t->region;
    o[QStringLiteral("start")] = Seconds(t->start);
    o[QStringLiteral("end")] = Seconds(t->end);
    o[QStringLiteral("low_hz")] = t->lowHz;
    o[QStringLiteral("high_hz")] = Json(t->highHz);
    o[QStringLiteral("level_dbm0")] = t->levelDbm0;
  } else if (const auto* b = std::get_if<BurstReport>(&event)) {
    o[QStringLiteral("event")] = QStringLiteral("burst");
    o[QStringLiteral("standard")] = StandardName(b->standard);
    o[QStringLiteral("layout")] = b->layout;
    o[QStringLiteral("fate")] = FateName(b->fate);
    o[QStringLiteral("decoded")] = b->fate == BurstFate::Decoded && b->message.has_value();
    o[QStringLiteral("start")] = Seconds(b->start);
    o[QStringLiteral("end")] = Seconds(b->end);
    o[QStringLiteral("level_dbm0")] = b->levelDbm0;
    o[QStringLiteral("noise_dbm0")] = Json(b->noiseDbm0);
    o[QStringLiteral("snr_db")] = Json(b->snrDb);
    o[QStringLiteral("mark_hz")] = Json(b->markHz);
    o[QStringLiteral("space_hz")] = Json(b->spaceHz);
    o[QStringLiteral("bit_rate")] = Json(b->bitRate);
    o[QStringLiteral("bit_rate_offset_pct")] = Json(b->bitRateOffsetPct);
    o[QStringLiteral("twist_db")] = Json(b->twistDb);
    o[QStringLiteral("seizure_bits")] = Json(b->seizureBits);
    o[QStringLiteral("mark_bits")] = Json(b->markBits);
    o[QStringLiteral("digits")] = b->DigitCount();
    o[QStringLiteral("before")] = PrecursorName(b->before);
    if (b->message) {
      o[QStringLiteral("number")] = b->message->number;
      o[QStringLiteral("name")] = b->message->name;
    }
  } else {
    const auto& c = std::get<CycleVerdict>(event);
    o[QStringLiteral("event")] = QStringLiteral("verdict");
    o[QStringLiteral("at")] = Seconds(c.at);
    o[QStringLiteral("rings")] = c.rings;
    o[QStringLiteral("good")] = c.diagnosis == Diagnosis::Good;
    o[QStringLiteral("diagnosis")] = int(c.diagnosis);
    o[QStringLiteral("figure")] = Json(c.figure);
    o[QStringLiteral("text")] = c.text;
  }
  return o;
}

}  // namespace linecheck
