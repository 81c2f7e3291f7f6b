// Time from the last byte of a call record, written on the device side of a
// pseudo-terminal, to the program's call handler on the host side; and from
// a device's entry appearing to the control reporting its model (linked and
// identified: the window shows it at its next poll), and from the entry going
// to the model gone. Baseline: the same record crossing the same kind of
// terminal to a bare reader in the same event loop, i.e. what the operating
// system and the loop cost anyway.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <chrono>

#include "bench/support/ratio_main.h"
#include "device/control/builtin_control.h"
#include "device/fake_device.h"
#include "device/host/ttevra.h"
#include "support/scoped_control_registration.h"

namespace {

using Clock = std::chrono::steady_clock;
const QByteArray kRecord = "CALL|2|2026-12-07 14:05:09|05321234567||Ayşe Yılmaz\r\n";

void SpinUntil(const bool& flag) {
  while (!flag) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void BM_PtyBaseline(benchmark::State& state) {
  QTemporaryDir dir;
  sim::PtyPort port(dir.path(), QStringLiteral("unit-baseline"));
  QString error;
  if (!port.Plug(&error)) {
    state.SkipWithError(error.toStdString().c_str());
    return;
  }
  const int fd = ::open(port.SlavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  termios tio{};
  tcgetattr(fd, &tio);
  cfmakeraw(&tio);
  tcsetattr(fd, TCSANOW, &tio);
  QSocketNotifier notifier(fd, QSocketNotifier::Read);
  QByteArray got;
  bool done = false;
  Clock::time_point end;
  QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
    char buf[512];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) got.append(buf, n);
    if (got.endsWith('\n')) {
      end = Clock::now();
      done = true;
    }
  });
  for (auto _ : state) {
    got.clear();
    done = false;
    port.Write(kRecord);
    const auto start = Clock::now();
    SpinUntil(done);
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  ::close(fd);
}

void BM_RecordToCallHandler(benchmark::State& state) {
  QTemporaryDir dir;
  // The bench keeps its own handle on the control it registers, to ask for
  // the model without the host's exceptions in the way.
  device::TBuiltinControl* control = nullptr;
  testsupport::ScopedControlRegistration registration(device::CLSID_Tevra, [&](const QByteArray&) {
    auto made = std::make_unique<device::TBuiltinControl>(QStringList{dir.path()});
    control = made.get();
    return made;
  });
  device::TTevra host;
  host.CreateControl({});
  bool done = false;
  Clock::time_point end;
  host.OnCallerID = [&](QObject*, const QString&, const QString&, const QString&, const QString&, const QString&) {
    end = Clock::now();
    done = true;
  };
  host.StartMonitoring();
  device::test::FakeDevice dev(dir.path(), QStringLiteral("unit-bench"), sim::MakeUnit(4, QStringLiteral("B1")));
  if (!dev.Plug()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  QString model;
  while (model.isEmpty()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    control->GetInfo(QStringLiteral("devicemodel"), &model);
  }
  for (auto _ : state) {
    done = false;
    dev.Write(kRecord);
    const auto start = Clock::now();  // the last byte is on its way
    SpinUntil(done);
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
}

// Each plug is a new pseudo-terminal and a new entry, as the simulator and
// udev make them; the model is asked for at every turn of the loop, as a
// window polling without pause would.
void BM_PlugAndUnplug(benchmark::State& state, bool plug) {
  QTemporaryDir dir;
  device::TBuiltinControl control(QStringList{dir.path()});
  control.StartMonitoring();
  const auto model = [&] {
    QString m;
    control.GetInfo(QStringLiteral("devicemodel"), &m);
    return m;
  };
  const auto spinWhile = [&](bool present) {
    while (model().isEmpty() == !present) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  };
  for (auto _ : state) {
    device::test::FakeDevice dev(dir.path(), QStringLiteral("unit-bench"), sim::MakeUnit(4, QStringLiteral("B1")));
    auto start = Clock::now();
    if (!dev.Plug()) {
      state.SkipWithError("no pseudo-terminal");
      return;
    }
    spinWhile(false);
    auto end = Clock::now();
    if (!plug) {
      start = Clock::now();
      dev.Unplug();
      spinWhile(true);
      end = Clock::now();
    }
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
}

BENCHMARK(BM_PtyBaseline)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordToCallHandler)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PlugAndUnplug, PlugToModel, true)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PlugAndUnplug, UnplugToNoModel, false)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return benchsupport::RunWithRatios(argc, argv,
                                     {{"BM_RecordToCallHandler/manual_time", "BM_PtyBaseline/manual_time"},
                                      {"BM_PlugAndUnplug/PlugToModel/manual_time", "BM_PtyBaseline/manual_time"},
                                      {"BM_PlugAndUnplug/UnplugToNoModel/manual_time", "BM_PtyBaseline/manual_time"}});
}
