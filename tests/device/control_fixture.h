#pragma once
// A control over a temporary device directory, as the program makes it,
// with a clock the test moves by hand and a log of what it reports.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "device/control/builtin_control.h"
#include "device/event_log.h"
#include "support/control_events.h"
#include "support/manual_clock.h"
#include "support/session_probe.h"

namespace device::test {

class ControlFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    control = std::make_unique<TBuiltinControl>(QStringList{dir.path()}, clock, probe.Maker());
    control->Advise(&sink);
    ASSERT_EQ(control->StartMonitoring(), S_OK);
  }
  // Moves the clock and lets the control look after its links.
  void Advance(qint64 ms) {
    clock.Advance(ms);
    control->Tick();
    testsupport::ProcessControlEvents();
  }

  QTemporaryDir dir;
  ManualClock clock{1000};
  EventLog sink;
  testsupport::SessionProbe probe;  // outlives the control
  std::unique_ptr<TBuiltinControl> control;
};

}  // namespace device::test
