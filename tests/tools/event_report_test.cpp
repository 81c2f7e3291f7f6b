// The line check's report: its words for a burst, its JSON figures rounded
// and null where nothing was measured, and the manual page listing every
// field each event carries and every cause key, as the tool emits them.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <set>

#include "tools/line-check/event_report.h"
#include "tools/line-check/run_summary.h"

namespace {

using namespace device::audio;

BurstReport Burst(BurstFate fate, Standard standard) {
  BurstReport b;
  b.fate = fate;
  b.standard = standard;
  b.start = 16000;
  b.end = 20000;
  b.levelDbm0 = -57;
  b.noiseDbm0 = -60;
  b.snrDb = 3;
  b.before = Precursor::Ring;
  return b;
}

TEST(EventReport, BurstLineNamesOnlyWhatWasMeasured) {
  const struct {
    const char* label;
    BurstFate fate;
    Standard standard;
    const char* says;
    const char* never;
  } cases[] = {
      {"unframed", BurstFate::NotFramed, Standard::Auto,
       "bantta arayan bilgisine benzer bir sinyal (0,50 s), çerçevelenemedi: seviye -57,0 dBm0, gürültü -60,0 dBm0, "
       "SNR 3,0 dB; öncesinde zil",
       "işaret"},
      {"unreadable FSK", BurstFate::Unreadable, Standard::ClipV23, "okunamadı: seviye -57,0 dBm0", "bantta"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const BurstReport b = Burst(c.fate, c.standard);
    const QString text = linecheck::EventText(1, WatchEvent(b));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Hat 1, 2,00 s: "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.says))) << text.toStdString();
    EXPECT_FALSE(text.contains(QString::fromUtf8(c.never))) << text.toStdString();
    const QJsonObject json = linecheck::EventJson(1, WatchEvent(b));
    EXPECT_EQ(json[QStringLiteral("fate")].toString(), BurstFateKey(c.fate));
    EXPECT_EQ(json[QStringLiteral("before")].toString(), QStringLiteral("ring"));
    // Unmeasured FSK figures and a number never sent are null, not 0.
    EXPECT_TRUE(json[QStringLiteral("bit_rate")].isNull());
    EXPECT_TRUE(json[QStringLiteral("number")].isNull());
    EXPECT_DOUBLE_EQ(json[QStringLiteral("snr_db")].toDouble(), 3);
  }
}

// A burst after an alert tone in a conversation is call waiting's caller ID,
// and both its line and its cycle's verdict say so.
TEST(EventReport, CallWaitingIsNamedSo) {
  BurstReport b = Burst(BurstFate::Decoded, Standard::ClipV23);
  b.before = Precursor::AlertTone;
  b.callWaiting = true;
  CycleVerdict v;
  v.burst = b;
  EXPECT_TRUE(linecheck::EventText(1, WatchEvent(b)).contains(QStringLiteral("çağrı bekletmede")));
  EXPECT_EQ(linecheck::VerdictText(v), QStringLiteral("çağrı bekletmede arayan bilgisi sağlam geldi"));
  EXPECT_TRUE(linecheck::EventJson(1, WatchEvent(b))[QStringLiteral("call_waiting")].toBool());
  b.callWaiting = false;
  v.burst = b;
  EXPECT_FALSE(linecheck::EventText(1, WatchEvent(b)).contains(QStringLiteral("çağrı bekletmede")));
  EXPECT_EQ(linecheck::VerdictText(v), QStringLiteral("arayan bilgisi sağlam geldi (0 zil)"));
}

TEST(EventReport, JsonFiguresAreRoundedToTheirPrecision) {
  BurstReport b = Burst(BurstFate::Decoded, Standard::ClipV23);
  b.start = 2378801;  // 297.350125 s
  b.levelDbm0 = -20.04999;
  b.markHz = 1300.349999;
  b.bitRate = 1199.96;
  b.bitRateOffsetPct = -0.003333;
  CycleVerdict v;
  v.at = 12345;
  v.diagnosis = Diagnosis::OffSpeed;
  v.figure = 5.0499999;
  const QJsonObject burst = linecheck::EventJson(2, WatchEvent(b));
  const QJsonObject verdict = linecheck::EventJson(2, WatchEvent(v));
  const struct {
    const QJsonObject* o;
    const char* key;
    double value;
  } cases[] = {
      {&burst, "start", 297.35},    {&burst, "level_dbm0", -20.0},        {&burst, "mark_hz", 1300.3},
      {&burst, "bit_rate", 1200.0}, {&burst, "bit_rate_offset_pct", 0.0}, {&verdict, "at", 1.543},
      {&verdict, "figure", 5.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ((*c.o)[QLatin1String(c.key)].toDouble(), c.value);
  }
  EXPECT_EQ(verdict[QStringLiteral("cause")].toString(), QStringLiteral("off_speed"));
  EXPECT_EQ(verdict[QStringLiteral("figure_unit")].toString(), QStringLiteral("pct"));
  EXPECT_TRUE(verdict[QStringLiteral("text")].isNull());
}

// The manual's sections, split at each line starting `heading`.
QMap<QString, QString> Sections(const QString& text, const QString& heading) {
  QMap<QString, QString> out;
  QString name;
  for (const QString& line : text.split(u'\n')) {
    if (line.startsWith(heading))
      name = line.mid(heading.size()).trimmed();
    else if (line.startsWith(QLatin1String(".SH")))
      name.clear();
    else if (!name.isEmpty())
      out[name] += line + u'\n';
  }
  return out;
}

// The names the manual lists in a section: each `.TP` term in bold.
std::set<QString> Terms(const QString& section) {
  std::set<QString> terms;
  static const QRegularExpression term(QStringLiteral("^\\.TP\\n\\.B (\\S+)"), QRegularExpression::MultilineOption);
  for (auto it = term.globalMatch(section); it.hasNext();) terms.insert(it.next().captured(1));
  return terms;
}

// Every key of an event, objects in arrays as "name[].key"; a map of counts
// by key ("causes") is one field.
void Keys(const QJsonObject& o, const QString& prefix, std::set<QString>& keys) {
  for (auto it = o.begin(); it != o.end(); ++it) {
    keys.insert(prefix + it.key());
    if (it.value().isArray())
      for (const QJsonValue& item : it.value().toArray()) Keys(item.toObject(), prefix + it.key() + "[].", keys);
  }
}

TEST(EventReport, TheManualListsEveryFieldAndCauseKeyTheToolEmits) {
  QFile man(QStringLiteral(CID_LINE_CHECK_MANUAL));
  ASSERT_TRUE(man.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(man.readAll());
  const QMap<QString, QString> json = Sections(Sections(text, QStringLiteral(".SH ")).value("JSON OUTPUT"), ".SS ");
  ASSERT_TRUE(json.contains(QStringLiteral("every event")));

  // One of each event, every optional figure present, and a summary.
  BurstReport b = Burst(BurstFate::Decoded, Standard::ClipV23);
  b.message = CallerIdMessage{};
  CycleVerdict v;
  v.outside.push_back({LimitedFigure::BitRate, 1260, 1188, 1212});
  linecheck::RunSummary summary;
  summary.Count(1, v);
  linecheck::SummaryContext context;
  context.keepLimit = 10;
  const std::vector<std::pair<QString, QJsonObject>> emitted = {
      {"ring", linecheck::EventJson(1, RingEvent{})},
      {"reversal", linecheck::EventJson(1, ReversalEvent{})},
      {"alert_tone", linecheck::EventJson(1, AlertToneEvent{})},
      {"call_progress_tone", linecheck::EventJson(1, CallProgressToneEvent{})},
      {"burst", linecheck::EventJson(1, b)},
      {"verdict", linecheck::EventJson(1, v)},
      {"summary", summary.Json(context)},
  };
  for (const auto& [kind, object] : emitted) {
    SCOPED_TRACE(kind.toStdString());
    EXPECT_EQ(object[QStringLiteral("event")].toString(), kind);
    std::set<QString> documented = Terms(json.value(kind));
    const std::set<QString> common = Terms(json.value(QStringLiteral("every event")));
    if (kind == QLatin1String("summary"))
      documented.insert(QStringLiteral("event"));
    else
      documented.insert(common.begin(), common.end());
    std::set<QString> keys;
    Keys(object, {}, keys);
    EXPECT_EQ(keys, documented);
  }

  std::set<QString> causes;
  for (int d = int(Diagnosis::Good); d <= int(Diagnosis::NotACall); ++d) causes.insert(DiagnosisKey(Diagnosis(d)));
  EXPECT_EQ(Terms(Sections(text, QStringLiteral(".SH ")).value("CAUSE KEYS")), causes);
}

}  // namespace
