#include "compared_decoders.h"

extern "C" {
#include <spandsp.h>
}

#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <variant>

#include "device/audio/dsp/line_decoder.h"
#include "device/audio/dsp/message_parser.h"
#include "device/audio/dsp/spandsp_standard.h"

namespace bench {

using device::audio::CallerIdMessage;
using device::audio::LineEvent;
using device::audio::Standard;

std::vector<LineEvent> OurEvents(const audiogen::Samples& s, Standard st, const Feeding& feeding) {
  device::audio::LineDecoder d(st);
  std::vector<LineEvent> events;
  QRandomGenerator sizes(feeding.seed);
  for (size_t i = 0; i < s.size();) {
    const size_t block = feeding.seed ? kBlockSizes[sizes.bounded(int(std::size(kBlockSizes)))] : feeding.block;
    const size_t n = std::min(block, s.size() - i);
    d.Feed(s.data() + i, n, events);
    i += n;
  }
  const audiogen::Samples tail = audiogen::Silence(1.0);
  d.Feed(tail.data(), tail.size(), events);
  return events;
}

std::vector<CallerIdMessage> OurCalls(const audiogen::Samples& s, Standard st, const Feeding& feeding) {
  std::vector<CallerIdMessage> calls;
  for (const LineEvent& e : OurEvents(s, st, feeding))
    if (const auto* c = std::get_if<CallerIdMessage>(&e)) calls.push_back(*c);
  return calls;
}

std::vector<CallerIdMessage> StockCalls(const audiogen::Samples& s, Standard st) {
  struct Ctx {
    Standard st;
    std::vector<CallerIdMessage> calls;
  } ctx{st, {}};
  auto onMessage = [](void* user, const uint8_t* msg, int len) {
    auto* c = static_cast<Ctx*>(user);
    auto m = c->st == Standard::ClipDtmf ? device::audio::ParseDtmfMessage(reinterpret_cast<const char*>(msg), len)
                                         : device::audio::ParseFskMessage(c->st, msg, len);
    if (m) c->calls.push_back(*m);
  };
  adsi_rx_state_t* rx = adsi_rx_init(nullptr, device::audio::SpandspAdsiStandard(st), onMessage, &ctx);
  for (size_t i = 0; i < s.size(); i += 800) adsi_rx(rx, s.data() + i, int(std::min<size_t>(800, s.size() - i)));
  adsi_rx_free(rx);
  return ctx.calls;
}

namespace {

QByteArray RunMinimodem(const audiogen::Samples& s, const QString& dir, const QStringList& mode) {
  const QString wav = dir + "/point.wav";
  audiogen::WriteWav(wav, s);
  QProcess p;
  p.start("minimodem", QStringList{"--rx", "-q"} + QStringList{"-f", wav} + mode);
  p.waitForFinished(1800000);
  return p.readAllStandardOutput();
}

}  // namespace

std::vector<CallerIdMessage> MinimodemBell202Calls(const audiogen::Samples& s, const QString& dir) {
  return MinimodemCalls(QString::fromLatin1(RunMinimodem(s, dir, {"callerid"})));
}

// A message is a type byte, a length and the fields whose byte sum with the
// checksum is zero, and it must parse as a call.
std::vector<CallerIdMessage> MinimodemV23Calls(const audiogen::Samples& s, const QString& dir) {
  const QByteArray out = RunMinimodem(s, dir, {"-M", "1300", "-S", "2100", "1200"});
  std::vector<CallerIdMessage> calls;
  const auto* b = reinterpret_cast<const uint8_t*>(out.constData());
  const int n = int(out.size());
  for (int i = 0; i + 2 < n; ++i) {
    if (b[i] != 0x80 && b[i] != 0x04) continue;
    const int len = b[i + 1];
    if (i + 2 + len >= n) continue;
    uint8_t sum = 0;
    for (int k = i; k <= i + 2 + len; ++k) sum = uint8_t(sum + b[k]);
    if (sum != 0) continue;
    if (auto m = device::audio::ParseFskMessage(Standard::ClipV23, b + i, len + 2)) {
      calls.push_back(*m);
      i += 2 + len;
    }
  }
  return calls;
}

// minimodem prints "CALLER-ID", then "Time:  12/09 09:41", "Phone: 212-555-0000"
// and "Name:  ..." per call, each line only when the message has the field.
std::vector<CallerIdMessage> MinimodemCalls(const QString& output) {
  static const QRegularExpression time(QStringLiteral("^Time:\\s*(\\d\\d)/(\\d\\d) (\\d\\d):(\\d\\d)"));
  std::vector<CallerIdMessage> calls;
  for (const QString& line : output.split('\n')) {
    if (line.startsWith("CALLER-ID")) {
      calls.emplace_back();
    } else if (calls.empty()) {
      continue;
    } else if (line.startsWith("Phone:")) {
      calls.back().number = line.mid(6).remove(QRegularExpression("[^0-9]"));
    } else if (line.startsWith("Name:")) {
      calls.back().name = line.mid(5).trimmed();
    } else if (const QRegularExpressionMatch m = time.match(line); m.hasMatch()) {
      CallerIdMessage& c = calls.back();
      c.month = m.captured(1).toInt(), c.day = m.captured(2).toInt();
      c.hour = m.captured(3).toInt(), c.minute = m.captured(4).toInt();
    }
  }
  for (CallerIdMessage& m : calls) m.standard = Standard::Bell202;
  return calls;
}

}  // namespace bench
