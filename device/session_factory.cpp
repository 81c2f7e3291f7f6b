#include "device/session_factory.h"

#include "device/audio_session.h"
#include "device/ethunit_session.h"
#include "device/lineunit_session.h"
#include "device/modem_session.h"
#include "device/unit_session.h"

namespace device {

std::unique_ptr<DeviceSession> CreateSession(const DeviceEntry& entry, SessionOwner* owner,
                                             const MonotonicClock& clock) {
  switch (entry.family) {
    case DeviceFamily::Modem: return std::make_unique<ModemSession>(entry, owner, clock);
    case DeviceFamily::Unit: return std::make_unique<UnitSession>(entry, owner, clock);
    case DeviceFamily::LineUnit: return std::make_unique<LineUnitSession>(entry, owner, clock);
    case DeviceFamily::EthUnit: return std::make_unique<EthUnitSession>(entry, owner, clock);
    case DeviceFamily::Audio: return std::make_unique<AudioSession>(entry, owner, clock);
  }
  return nullptr;
}

}  // namespace device
