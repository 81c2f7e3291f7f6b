// The call-event handler through the real host, without the tone, against an
// event dispatch that reaches an empty handler.
#include <benchmark/benchmark.h>

#include "../../support/ratio_main.h"
#include "device/host/ttevra.h"
#include "support/fake_control.h"
#include "support/recorded_tone.h"
#include "ui/main_window/form1.h"

namespace {

void BM_EmptyEventDispatch(benchmark::State& state) {
  testsupport::ScopedFakeControl fake;
  device::TTevra host;
  host.CreateControl(QByteArray());
  int calls = 0;
  host.OnCallerID = [&](QObject*, const QString&, const QString&, const QString&, const QString&, const QString&) {
    ++calls;
  };
  for (auto _ : state) fake.state->RaiseCallerID("SN-0042", "2", "05321234567", "07.12.2026 14:05", "");
  benchmark::DoNotOptimize(calls);
}
BENCHMARK(BM_EmptyEventDispatch);

void BM_CallEventHandler(benchmark::State& state) {
  testsupport::SetToneRecorder([](int, int) {});
  testsupport::ScopedFakeControl fake;
  mainwindow::TForm1 form;
  form.Timer1->stop();
  for (auto _ : state) fake.state->RaiseCallerID("SN-0042", "2", "05321234567", "07.12.2026 14:05", "");
  testsupport::SetToneRecorder(nullptr);
}
BENCHMARK(BM_CallEventHandler);

}  // namespace

int main(int argc, char** argv) {
  return benchsupport::RunWithRatios(argc, argv, {{"BM_CallEventHandler", "BM_EmptyEventDispatch"}});
}
