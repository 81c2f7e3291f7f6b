#include "compared_decoders.h"

extern "C" {
#include <spandsp.h>
}

#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <variant>

#include "device/audio/dsp/line_decoder.h"
#include "device/audio/dsp/message_parser.h"
#include "device/audio/dsp/spandsp_standard.h"

namespace bench {

using device::audio::CallerIdMessage;
using device::audio::Standard;

std::vector<CallerIdMessage> OurCalls(const audiogen::Samples& s, Standard st) {
  device::audio::LineDecoder d(st);
  std::vector<device::audio::LineEvent> events;
  for (size_t i = 0; i < s.size(); i += 800) d.Feed(s.data() + i, std::min<size_t>(800, s.size() - i), events);
  const audiogen::Samples tail = audiogen::Silence(1.0);
  d.Feed(tail.data(), tail.size(), events);
  std::vector<CallerIdMessage> calls;
  for (const device::audio::LineEvent& e : events)
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

std::vector<CallerIdMessage> MinimodemBell202Calls(const audiogen::Samples& s, const QString& dir) {
  const QString wav = dir + "/point.wav";
  audiogen::WriteWav(wav, s);
  QProcess p;
  p.start("minimodem", {"--rx", "-q", "-f", wav, "callerid"});
  p.waitForFinished(1800000);
  return MinimodemCalls(QString::fromUtf8(p.readAllStandardOutput()));
}

// minimodem prints "CALLER-ID", then "Phone: 212-555-0000" and "Name:  ..." per call.
std::vector<CallerIdMessage> MinimodemCalls(const QString& output) {
  std::vector<CallerIdMessage> calls;
  for (const QString& line : output.split('\n')) {
    if (line.startsWith("CALLER-ID"))
      calls.emplace_back();
    else if (!calls.empty() && line.startsWith("Phone:"))
      calls.back().number = line.mid(6).remove(QRegularExpression("[^0-9]"));
    else if (!calls.empty() && line.startsWith("Name:"))
      calls.back().name = line.mid(5).trimmed();
  }
  for (CallerIdMessage& m : calls) m.standard = Standard::Bell202;
  return calls;
}

}  // namespace bench
