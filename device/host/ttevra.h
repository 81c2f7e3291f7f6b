#pragma once
// TTevra: hosts the caller-ID device control on a window. Creates it by class
// identifier, hands it its property stream, connects the event sink, turns
// failed calls into errors and delivers the control's events to the
// program's handlers on the user-interface thread.
#include <QWidget>
#include <functional>
#include <memory>

#include "device/host/contract.h"

namespace device {

class TTevra : public QWidget, public IEventSink {
  Q_OBJECT
 public:
  explicit TTevra(QWidget* parent = nullptr);
  ~TTevra() override;

  // Creates the control of class clsid and connects its events; raises
  // EOleException when the control cannot be created.
  void CreateControl(const QByteArray& propertyStream, const QUuid& clsid = CLSID_Tevra);

  // Methods of the control; each raises EOleException on a failing result.
  void RunServiceAction();
  void StartMonitoring();
  QString GetInfo(const QString& key);
  void SetSurfaceVisible(bool visible);

  // Event handlers (method references); ASender is this host.
  using CallerIDEvent =
      std::function<void(QObject* ASender, const QString& DeviceID, const QString& Line, const QString& PhoneNumber,
                         const QString& DateTime, const QString& OtherText)>;
  using SignalAEvent = std::function<void(QObject* ASender, const QString& Level1, const QString& Level2,
                                          const QString& Level3, const QString& Level4, const QString& Level5,
                                          const QString& Level6, const QString& Level7, const QString& Level8)>;
  CallerIDEvent OnCallerID;
  SignalAEvent OnSignalA;

  // The event sink. Errors of handlers are caught here and handed to the
  // application's hook; the control is answered with success.
  HRESULT Invoke(int dispId, const QVariantList& argsLastFirst) override;

  // The message of an error for a failed call: the control's description
  // cleaned of trailing blanks, control characters and full stops; else the
  // system's text for the code; else "OLE error XXXXXXXX".
  static QString ErrorMessage(HRESULT hr, const QString& description);
  // The system's text for a result code; empty when it has none.
  static QString SystemErrorText(HRESULT hr);

 private:
  void Check(HRESULT hr);
  HRESULT Dispatch(int dispId, const QVariantList& argsLastFirst);

  std::unique_ptr<ITevra> control_;
};

}  // namespace device
