#pragma once
// Makes the control's sessions as the program does and keeps sight of them:
// which are linked, the one the control reports, and bytes handed to a
// serial one as if read from its port at a given time.
#include <QObject>
#include <functional>
#include <map>
#include <vector>

#include "device/control/builtin_control.h"
#include "device/modem/modem_session.h"
#include "device/native_unit/native_unit_session.h"
#include "device/public_format/serial_unit_session.h"

namespace testsupport {

class SessionProbe {
 public:
  // For the control's constructor; the probe must outlive the control.
  device::TBuiltinControl::SessionMaker Maker() {
    return [this](const device::DeviceEntry& e, device::SessionOwner* owner, const device::MonotonicClock& clock) {
      switch (e.family) {
        case device::DeviceFamily::Modem: return Track(std::make_unique<Fed<device::ModemSession>>(e, owner, clock));
        case device::DeviceFamily::NativeUnit:
          return Track(std::make_unique<Fed<device::NativeUnitSession>>(e, owner, clock));
        case device::DeviceFamily::PublicFormatSerial:
          return Track(std::make_unique<Fed<device::PublicFormatSerialSession>>(e, owner, clock));
        default: return Track(device::CreateSession(e, owner, clock), nullptr);
      }
    };
  }
  // Sessions that opened and are still linked (one that fails to open is
  // gone at once).
  size_t Linked() const { return sessions_.size(); }
  // The first linked one that identified, as the control reports it.
  device::DeviceSession* Primary() const {
    for (const auto& s : sessions_)
      if (s.session->Identified()) return s.session;
    return nullptr;
  }
  // Hands bytes to the reported serial session; false without one.
  bool Feed(const QByteArray& bytes, qint64 nowMs) {
    for (const auto& s : sessions_)
      if (s.session->Identified()) return s.feed ? (s.feed(bytes, nowMs), true) : false;
    return false;
  }

 private:
  template <class S>
  class Fed : public S {
   public:
    using S::S;
    void Feed(const QByteArray& bytes, qint64 nowMs) { this->Received(bytes, nowMs); }
  };
  struct Seen {
    device::DeviceSession* session;
    std::function<void(const QByteArray&, qint64)> feed;
  };
  template <class S>
  std::unique_ptr<device::DeviceSession> Track(std::unique_ptr<Fed<S>> s) {
    Fed<S>* fed = s.get();
    return Track(std::move(s), [fed](const QByteArray& b, qint64 t) { fed->Feed(b, t); });
  }
  std::unique_ptr<device::DeviceSession> Track(std::unique_ptr<device::DeviceSession> s,
                                               std::function<void(const QByteArray&, qint64)> feed) {
    if (!s) return s;
    device::DeviceSession* raw = s.get();
    sessions_.push_back({raw, std::move(feed)});
    QObject::connect(raw, &QObject::destroyed, [this, raw] {
      std::erase_if(sessions_, [raw](const Seen& seen) { return seen.session == raw; });
    });
    return s;
  }

  std::vector<Seen> sessions_;
};

}  // namespace testsupport
