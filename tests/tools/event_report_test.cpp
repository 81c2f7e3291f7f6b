// The line check's words for a burst: what it names depends on what the
// receivers made of it; a signal none of them framed has no standard, tone
// or digit to give, only its level, noise and SNR.
#include <gtest/gtest.h>

#include "tools/line-check/event_report.h"

namespace {

using namespace device::audio;

TEST(EventReport, BurstLineNamesOnlyWhatWasMeasured) {
  struct Case {
    const char* label;
    BurstFate fate;
    Standard standard;
    const char* says;
    const char* never;
  };
  const Case cases[] = {
      {"unframed", BurstFate::NotFramed, Standard::Auto,
       "bantta arayan bilgisine benzer bir sinyal (0.50 s), çerçevelenemedi: seviye -57.0 dBm0, gürültü -60.0 dBm0, "
       "SNR 3.0 dB; öncesinde zil",
       "işaret"},
      {"unreadable FSK", BurstFate::Unreadable, Standard::ClipV23, "okunamadı: seviye -57.0 dBm0", "bantta"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    BurstReport b;
    b.fate = c.fate;
    b.standard = c.standard;
    b.start = 16000;
    b.end = 20000;
    b.levelDbm0 = -57;
    b.noiseDbm0 = -60;
    b.snrDb = 3;
    b.before = Precursor::Ring;
    const QString text = linecheck::EventText(1, WatchEvent(b));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Hat 1, 2.00 s: "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.says))) << text.toStdString();
    EXPECT_FALSE(text.contains(QString::fromUtf8(c.never))) << text.toStdString();
    const QJsonObject json = linecheck::EventJson(1, WatchEvent(b));
    EXPECT_EQ(json.value(QStringLiteral("fate")).toString(), linecheck::FateName(c.fate));
    EXPECT_DOUBLE_EQ(json.value(QStringLiteral("snr_db")).toDouble(), 3);
  }
}

}  // namespace
