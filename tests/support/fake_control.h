#pragma once
// A device control for tests: registered under the control's class
// identifier, it records every call, answers with configurable results and
// raises events through the host's sink, the path a real device takes.
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "device/host/contract.h"
#include "support/scoped_control_registration.h"

namespace testsupport {

struct FakeControlState {
  // What the control was asked.
  int startMonitoringCalls = 0;
  int runServiceActionCalls = 0;
  QStringList getInfoKeys;
  QList<QPair<int, QVariant>> propertyPuts;
  QByteArray propertyStream;
  device::IEventSink* sink = nullptr;

  // What it answers: info per key; a failing result per method with its
  // description.
  QMap<QString, QString> info;
  device::HRESULT startMonitoringResult = device::S_OK;
  device::HRESULT runServiceActionResult = device::S_OK;
  device::HRESULT getInfoResult = device::S_OK;
  device::HRESULT putPropertyResult = device::S_OK;
  QString failureDescription;

  // Raises the call event as a device would (arguments last-first).
  device::HRESULT RaiseCallerID(const QString& deviceId, const QString& line, const QString& number,
                                const QString& dateTime = QString(), const QString& otherText = QString()) {
    return sink ? sink->Invoke(device::DISPID_OnCallerID, {otherText, dateTime, number, line, deviceId}) : -1;
  }
  device::HRESULT RaiseSignalA(const QStringList& levels) {
    QVariantList args;
    for (auto it = levels.crbegin(); it != levels.crend(); ++it) args << *it;
    return sink ? sink->Invoke(device::DISPID_OnSignalA, args) : -1;
  }
};

class FakeControl : public device::ITevra {
 public:
  explicit FakeControl(std::shared_ptr<FakeControlState> state) : s_(std::move(state)) {}
  device::HRESULT RunServiceAction() override {
    ++s_->runServiceActionCalls;
    return Result(s_->runServiceActionResult);
  }
  device::HRESULT StartMonitoring() override {
    ++s_->startMonitoringCalls;
    return Result(s_->startMonitoringResult);
  }
  device::HRESULT GetInfo(const QString& key, QString* value) override {
    s_->getInfoKeys << key;
    *value = s_->info.value(key);
    return Result(s_->getInfoResult);
  }
  device::HRESULT PutProperty(int dispId, const QVariant& value) override {
    s_->propertyPuts.append({dispId, value});
    return Result(s_->putPropertyResult);
  }
  device::HRESULT Advise(device::IEventSink* sink) override {
    s_->sink = sink;
    return device::S_OK;
  }
  device::HRESULT Unadvise() override {
    s_->sink = nullptr;
    return device::S_OK;
  }
  QString ErrorDescription() const override { return error_; }

 private:
  device::HRESULT Result(device::HRESULT hr) {
    error_ = device::Failed(hr) ? s_->failureDescription : QString();
    return hr;
  }
  std::shared_ptr<FakeControlState> s_;
  QString error_;
};

// Registers a FakeControl under the control's class identifier for the
// lifetime of the object.
class ScopedFakeControl {
 public:
  ScopedFakeControl()
      : state(std::make_shared<FakeControlState>()),
        registration_(device::CLSID_Tevra, [s = state](const QByteArray& stream) {
          s->propertyStream = stream;
          return std::make_unique<FakeControl>(s);
        }) {}
  std::shared_ptr<FakeControlState> state;

 private:
  testsupport::ScopedControlRegistration registration_;
};

}  // namespace testsupport
