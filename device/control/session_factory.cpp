#include "device/control/session_factory.h"

#include "device/audio/audio_session.h"
#include "device/modem/modem_session.h"
#include "device/native_unit/native_unit_session.h"
#include "device/public_format/serial_unit_session.h"
#include "device/public_format/udp_unit_session.h"

namespace device {

std::unique_ptr<DeviceSession> CreateSession(const DeviceEntry& entry, SessionOwner* owner,
                                             const MonotonicClock& clock) {
  switch (entry.family) {
    case DeviceFamily::Modem: return std::make_unique<ModemSession>(entry, owner, clock);
    case DeviceFamily::NativeUnit: return std::make_unique<NativeUnitSession>(entry, owner, clock);
    case DeviceFamily::PublicFormatSerial: return std::make_unique<PublicFormatSerialSession>(entry, owner, clock);
    case DeviceFamily::PublicFormatUdp: return std::make_unique<PublicFormatUdpSession>(entry, owner, clock);
    case DeviceFamily::Audio: return std::make_unique<AudioSession>(entry, owner, clock);
  }
  return nullptr;
}

}  // namespace device
