// Memory over a long run: three kinds of device at once on one control, as a
// test bench left on lines for days has them. A unit on a pseudo-terminal
// and a unit of the public call-record format over UDP are driven as fast as
// the control takes their calls, and a line-audio stream carries caller-ID
// calls through a FIFO as fast as its thread decodes them; a window's poll
// (twice a second) takes the model, the serial and the messages. The
// resident size and the heap in use are printed at call 1,000 and every
// 10,000 calls after, up to call 100,000 (or --calls N); the figure is the
// growth from call 1,000 to the last. With --window the program's own
// windows host the control instead (offscreen), so the call list, the
// message area and everything the window keeps per call are measured too.
//
// --rate R paces the unit and the UDP unit to R calls a second each (the
// audio line keeps its own pace), for what grows with time rather than with
// calls; the unit then also reports its levels twice a second, as a real
// one does, and a line is printed every 30 s.
//
// --quick-exit ends without freeing anything, so a heap profiler lists
// whatever is still held as leaked: two runs of different lengths under
// heaptrack show what grows with calls.
//
//   device_soak_bench [--window] [--calls N] [--minutes M] [--rate R] [--quick-exit]
#include <fcntl.h>
#include <malloc.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <thread>

#include "app/startup.h"
#include "device/control/builtin_control.h"
#include "device/directory/device_directory.h"
#include "device/fake_device.h"
#include "device/host/registry.h"
#include "device/public_format/public_format_parser.h"
#include "platform/application.h"
#include "tools/audio/signal_generator.h"

namespace {

// Calls of one device on their way: few enough that the control's queue
// (256) never overflows, so every call sent is a call counted.
constexpr qint64 kInFlight = 48;

qint64 ResidentBytes() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return qint64(resident) * sysconf(_SC_PAGESIZE);
}

// In use: small blocks and the ones the allocator maps on their own.
qint64 HeapBytes() {
  const struct mallinfo2 m = mallinfo2();
  return qint64(m.uordblks + m.hblkhd);
}

struct Counter : device::IEventSink {
  qint64 unit = 0, udp = 0, audio = 0;
  device::IEventSink* next = nullptr;  // the window's host, when it hosts the control
  device::HRESULT Invoke(int dispId, const QVariantList& a) override {
    if (next) next->Invoke(dispId, a);
    if (dispId != device::DISPID_OnCallerID) return device::S_OK;
    const QString id = a.at(4).toString();
    if (id == u"S1")
      ++unit;
    else if (id == u"77")
      ++udp;
    else
      ++audio;
    return device::S_OK;
  }
  qint64 Total() const { return unit + udp + audio; }
};

// The control as the window gets it, its calls counted on their way.
class CountedControl : public device::ITevra {
 public:
  CountedControl(device::TBuiltinControl* control, Counter* counter) : control_(control), counter_(counter) {}
  device::HRESULT RunServiceAction() override { return control_->RunServiceAction(); }
  device::HRESULT StartMonitoring() override { return control_->StartMonitoring(); }
  device::HRESULT GetInfo(const QString& key, QString* value) override { return control_->GetInfo(key, value); }
  device::HRESULT PutProperty(int id, const QVariant& v) override { return control_->PutProperty(id, v); }
  device::HRESULT Advise(device::IEventSink* sink) override {
    counter_->next = sink;
    return control_->Advise(counter_);
  }
  device::HRESULT Unadvise() override {
    counter_->next = nullptr;
    return control_->Unadvise();
  }
  QString ErrorDescription() const override { return control_->ErrorDescription(); }

 private:
  device::TBuiltinControl* control_;
  Counter* counter_;
};

// Writes the live WAV stream of one line: a call, half a second of quiet,
// the next call, for as long as the FIFO's reader takes it.
void FeedAudio(const QString& fifo, std::atomic<bool>* stop, bool realTime) {
  const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);  // waits for the reader
  if (fd < 0) return;
  QByteArray header("RIFF\xff\xff\xff\xffWAVEfmt ", 16);
  const unsigned char fmt[] = {16, 0, 0, 0, 1, 0, 1, 0, 0x40, 0x1f, 0, 0, 0x80, 0x3e, 0, 0, 2, 0, 16, 0};
  header.append(reinterpret_cast<const char*>(fmt), sizeof fmt);
  header.append("data\xff\xff\xff\xff", 8);
  audiogen::Samples cycle =
      audiogen::CallOnLine(audiogen::MakeCallBurst(audiogen::Standard::ClipV23, QStringLiteral("05321234567"),
                                                   QStringLiteral("Ayşe"), QDateTime(QDate(2026, 12, 7), QTime(14, 5))),
                           -20, 40, 7);
  audiogen::Append(cycle, audiogen::Silence(0.5));
  const QByteArray bytes(reinterpret_cast<const char*>(cycle.data()), qsizetype(cycle.size() * sizeof(int16_t)));
  bool ok = ::write(fd, header.constData(), size_t(header.size())) == header.size();
  // In real time as a sound card would give it, in tenths of a second.
  constexpr qsizetype kTenth = 1600;
  const auto start = std::chrono::steady_clock::now();
  for (qint64 sent = 0; ok && !*stop;) {
    if (!realTime) {
      ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
      continue;
    }
    for (qsizetype at = 0; ok && !*stop && at < bytes.size(); at += kTenth, sent += kTenth) {
      const qsizetype n = std::min(kTenth, bytes.size() - at);
      ok = ::write(fd, bytes.constData() + at, size_t(n)) == n;
      std::this_thread::sleep_until(start + std::chrono::milliseconds(sent / 16));
    }
  }
  ::close(fd);
}

quint16 FreeUdpPort() {
  const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  quint16 port = 0;
  if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  ::close(s);
  return port;
}

}  // namespace

int main(int argc, char** argv) {
  bool window = false;
  for (int i = 1; i < argc; ++i) window = window || std::strcmp(argv[i], "--window") == 0;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  platform::TApplication app(argc, argv);
  ::signal(SIGPIPE, SIG_IGN);
  qint64 lastCall = 100000;
  int minutes = 30;
  double rate = 0;  // unpaced
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == u"--calls") lastCall = args[i + 1].toLongLong();
    if (args[i] == u"--minutes") minutes = args[i + 1].toInt();
    if (args[i] == u"--rate") rate = args[i + 1].toDouble();
  }

  QTemporaryDir dir, streams;
  auto owned = std::make_unique<device::TBuiltinControl>(QStringList{dir.path()});
  device::TBuiltinControl& control = *owned;
  Counter counter;
  if (window) {
    device::ControlRegistry::Register(
        device::CLSID_Tevra, [&](const QByteArray&) { return std::make_unique<CountedControl>(&control, &counter); });
    app::CreateWindows();
    app::ShowMainWindow();
  } else {
    control.Advise(&counter);
    control.StartMonitoring();
  }

  device::test::FakeDevice unit(dir.path(), QStringLiteral("unit-soak"), sim::MakeUnit(4, QStringLiteral("S1")));
  if (!unit.Plug()) {
    std::fprintf(stderr, "no pseudo-terminal\n");
    return 1;
  }
  const quint16 port = FreeUdpPort();
  QString error;
  if (!device::CreateDeviceEntry(dir.path(), QStringLiteral("ethunit-soak"), QStringLiteral("127.0.0.1:%1").arg(port),
                                 &error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  const int sender = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);

  const QString fifo = streams.filePath(QStringLiteral("line"));
  ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
  device::CreateDeviceEntry(dir.path(), QStringLiteral("audio-soak"), fifo, &error);
  std::atomic<bool> stop{false};
  std::thread audio(FeedAudio, fifo, &stop, rate > 0);

  qint64 unitSent = 0, udpSent = 0, messages = 0, nextReport = 1000;
  qint64 baseRss = 0, baseHeap = 0;
  QElapsedTimer elapsed;
  elapsed.start();
  std::printf("%10s %8s %8s %8s %12s %12s %10s\n", "calls", "unit", "udp", "audio", "rss", "heap", "seconds");

  QTimer drive;
  qint64 nextLevelsMs = 0, nextTimeReportMs = 30000;
  QObject::connect(&drive, &QTimer::timeout, [&] {
    const qint64 nowMs = elapsed.elapsed();
    const qint64 allowed = rate > 0 ? qint64(double(nowMs) * rate / 1000) : std::numeric_limits<qint64>::max();
    if (rate > 0 && nowMs >= nextLevelsMs) {
      nextLevelsMs += 500;
      unit.Write(unit.Emulation().Levels({1, 2, 0, 1, 0, 0, 0, 0}));
    }
    for (int i = 0; i < 8 && unitSent - counter.unit < kInFlight && unitSent < allowed; ++i, ++unitSent)
      unit.Call(int(unitSent % 4) + 1, QStringLiteral("0532%1").arg(unitSent % 10000000, 7, 10, QLatin1Char('0')),
                QStringLiteral("Arama %1").arg(unitSent));
    for (int i = 0; i < 8 && udpSent - counter.udp < kInFlight && udpSent < allowed; ++i, ++udpSent) {
      const QByteArray record = QStringLiteral("%1 I S 0000 G A1 09/26 11:28 AM 0212%2 Mehmet %3")
                                    .arg(int(udpSent % 8) + 1, 2, 10, QLatin1Char('0'))
                                    .arg(udpSent % 10000000, 7, 10, QLatin1Char('0'))
                                    .arg(udpSent)
                                    .toLatin1();
      const QByteArray packet = device::MakeRecordPacket(1, 77, record);
      ::sendto(sender, packet.constData(), size_t(packet.size()), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    const qint64 total = counter.Total();
    const bool timeReport = rate > 0 && nowMs >= nextTimeReportMs && total >= 1000;
    if (total < nextReport && !timeReport) return;
    if (timeReport) nextTimeReportMs = nowMs + 30000;
    const qint64 rss = ResidentBytes(), heap = HeapBytes();
    if (nextReport == 1000) baseRss = rss, baseHeap = heap;
    std::printf("%10lld %8lld %8lld %8lld %12lld %12lld %10.1f\n", static_cast<long long>(total),
                static_cast<long long>(counter.unit), static_cast<long long>(counter.udp),
                static_cast<long long>(counter.audio), static_cast<long long>(rss), static_cast<long long>(heap),
                elapsed.elapsed() / 1000.0);
    std::fflush(stdout);
    if (total >= nextReport) nextReport = nextReport == 1000 ? 10000 : nextReport + 10000;
    if (total >= lastCall) app.quit();
  });
  drive.start(1);
  // Without the window, its poll: what it asks twice a second, and the
  // messages it would show.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QString value;
    for (const char* key : {"devicemodel", "serial"})
      if (control.GetInfo(QString::fromLatin1(key), &value) != device::S_OK) ++messages;
  });
  if (!window) poll.start(500);
  QTimer::singleShot(minutes * 60000, &app, &QCoreApplication::quit);
  app.exec();

  const qint64 rss = ResidentBytes(), heap = HeapBytes();
  std::printf("calls %lld (unit %lld, udp %lld, audio %lld), messages %lld, %.1f s\n",
              static_cast<long long>(counter.Total()), static_cast<long long>(counter.unit),
              static_cast<long long>(counter.udp), static_cast<long long>(counter.audio),
              static_cast<long long>(messages), elapsed.elapsed() / 1000.0);
  std::printf("growth from call 1,000: rss %+lld bytes, heap %+lld bytes (goal: at most 1 MB)\n",
              static_cast<long long>(rss - baseRss), static_cast<long long>(heap - baseHeap));
  if (args.contains(QStringLiteral("--quick-exit"))) {
    std::fflush(stdout);
    std::_Exit(0);
  }
  stop = true;
  if (window) app::DestroyWindows();
  control.Unadvise();
  owned.reset();  // closes the FIFO: a writer waiting on it fails and ends
  audio.join();
  ::close(sender);
  return 0;
}
