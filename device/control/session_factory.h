#pragma once
// The session that talks to an entry's kind of device.
#include <memory>

#include "device/core/device_session.h"

namespace device {

std::unique_ptr<DeviceSession> CreateSession(const DeviceEntry& entry, SessionOwner* owner,
                                             const MonotonicClock& clock);

}  // namespace device
