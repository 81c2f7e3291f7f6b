#include "device/builtin_control.h"

#include "device/registry.h"

namespace device {

namespace {

// Reports no device: no device link is built into this control yet.
class TBuiltinControl : public ITevra {
 public:
  HRESULT RunServiceAction() override { return Fail(E_FAIL, QStringLiteral("Bağlı cihaz yok.")); }
  HRESULT StartMonitoring() override { return Ok(); }
  HRESULT GetInfo(const QString& key, QString* value) override {
    value->clear();
    if (key == QLatin1String("devicemodel") || key == QLatin1String("serial")) return Ok();
    return Fail(E_INVALIDARG, QStringLiteral("Bilinmeyen bilgi anahtarı: \"%1\"").arg(key));
  }
  HRESULT PutProperty(int dispId, const QVariant&) override {
    if (dispId == DISPID_SurfaceVisible) return Ok();
    return Fail(DISP_E_MEMBERNOTFOUND, QString());
  }
  HRESULT Advise(IEventSink* sink) override {
    sink_ = sink;
    return Ok();
  }
  HRESULT Unadvise() override {
    sink_ = nullptr;
    return Ok();
  }
  QString ErrorDescription() const override { return error_; }

 private:
  HRESULT Ok() {
    error_.clear();
    return S_OK;
  }
  HRESULT Fail(HRESULT hr, const QString& description) {
    error_ = description;
    return hr;
  }
  IEventSink* sink_ = nullptr;
  QString error_;
};

}  // namespace

std::unique_ptr<ITevra> CreateBuiltinControl(const QByteArray&) { return std::make_unique<TBuiltinControl>(); }

void RegisterBuiltinControl() { ControlRegistry::Register(CLSID_Tevra, &CreateBuiltinControl); }

}  // namespace device
