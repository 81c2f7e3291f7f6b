#include "device/core/device_session.h"

namespace device {

DeviceSession::DeviceSession(const DeviceEntry& entry, SessionOwner* owner, const MonotonicClock& clock)
    : owner_(owner), entry_(entry), clock_(clock) {}

DeviceSession::~DeviceSession() = default;

}  // namespace device
