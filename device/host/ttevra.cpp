#include "device/host/ttevra.h"

#include <QThread>

#include "device/host/registry.h"
#include "platform/application.h"
#include "platform/errors.h"

namespace device {

namespace {

QString CleanDescription(QString s) {
  while (!s.isEmpty()) {
    const QChar c = s.back();
    if (c.unicode() <= 0x20 || c == QLatin1Char('.'))
      s.chop(1);
    else
      break;
  }
  return s;
}

struct SystemText {
  HRESULT code;
  const char* text;
};
constexpr SystemText kSystemTexts[] = {
    {E_NOTIMPL, "Not implemented"},
    {E_NOINTERFACE, "No such interface supported"},
    {E_POINTER, "Invalid pointer"},
    {E_ABORT, "Operation aborted"},
    {E_FAIL, "Unspecified error"},
    {E_UNEXPECTED, "Catastrophic failure"},
    {E_ACCESSDENIED, "Access is denied."},
    {E_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
    {E_INVALIDARG, "The parameter is incorrect."},
    {REGDB_E_CLASSNOTREG, "Class not registered"},
    {DISP_E_MEMBERNOTFOUND, "Member not found."},
    {DISP_E_TYPEMISMATCH, "Type mismatch."},
};

}  // namespace

TTevra::TTevra(QWidget* parent) : QWidget(parent) {}

TTevra::~TTevra() {
  if (control_) control_->Unadvise();
}

QString TTevra::SystemErrorText(HRESULT hr) {
  for (const auto& t : kSystemTexts)
    if (t.code == hr) return QString::fromLatin1(t.text);
  return QString();
}

QString TTevra::ErrorMessage(HRESULT hr, const QString& description) {
  QString msg = CleanDescription(description);
  if (msg.isEmpty()) msg = CleanDescription(SystemErrorText(hr));
  if (msg.isEmpty())
    msg = QStringLiteral("OLE error %1")
              .arg(QString::number(static_cast<uint32_t>(hr), 16).rightJustified(8, QLatin1Char('0')).toUpper());
  return msg;
}

void TTevra::CreateControl(const QByteArray& propertyStream, const QUuid& clsid) {
  if (control_) {
    control_->Unadvise();
    control_.reset();
  }
  std::unique_ptr<ITevra> control;
  const HRESULT hr = ControlRegistry::Create(clsid, propertyStream, &control);
  if (Failed(hr)) throw platform::EOleException(ErrorMessage(hr, QString()), hr);
  const HRESULT advised = control->Advise(this);
  if (Failed(advised)) throw platform::EOleException(ErrorMessage(advised, control->ErrorDescription()), advised);
  control_ = std::move(control);
}

void TTevra::Check(HRESULT hr) {
  if (Failed(hr))
    throw platform::EOleException(ErrorMessage(hr, control_ ? control_->ErrorDescription() : QString()), hr);
}

void TTevra::RunServiceAction() {
  if (!control_) Check(E_POINTER);
  Check(control_->RunServiceAction());
}

void TTevra::StartMonitoring() {
  if (!control_) Check(E_POINTER);
  Check(control_->StartMonitoring());
}

QString TTevra::GetInfo(const QString& key) {
  if (!control_) Check(E_POINTER);
  QString value;
  Check(control_->GetInfo(key, &value));
  return value;
}

void TTevra::SetSurfaceVisible(bool visible) {
  if (!control_) Check(E_POINTER);
  Check(control_->PutProperty(DISPID_SurfaceVisible, visible));
  setVisible(visible);
}

HRESULT TTevra::Invoke(int dispId, const QVariantList& argsLastFirst) {
  if (QThread::currentThread() != thread()) {
    // Events belong on the user-interface thread: post and answer at once.
    QMetaObject::invokeMethod(
        this, [this, dispId, argsLastFirst] { Dispatch(dispId, argsLastFirst); }, Qt::QueuedConnection);
    return S_OK;
  }
  return Dispatch(dispId, argsLastFirst);
}

HRESULT TTevra::Dispatch(int dispId, const QVariantList& a) {
  const auto arg = [&a](int i) { return a.at(i).toString(); };
  try {
    switch (dispId) {
      case DISPID_OnCallerID:
        if (a.size() != 5) return S_OK;
        // Last parameter first: OtherText, DateTime, PhoneNumber, Line, DeviceID.
        if (OnCallerID) OnCallerID(this, arg(4), arg(3), arg(2), arg(1), arg(0));
        break;
      case DISPID_OnSignalA:
        if (a.size() != 8) return S_OK;
        if (OnSignalA) OnSignalA(this, arg(7), arg(6), arg(5), arg(4), arg(3), arg(2), arg(1), arg(0));
        break;
      default: break;  // the other events have no handler on this window
    }
  } catch (...) {
    if (auto* app = platform::TApplication::Instance()) app->HandleCurrentException(this);
  }
  return S_OK;
}

}  // namespace device
