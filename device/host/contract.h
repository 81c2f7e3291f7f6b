#pragma once
// The caller-ID device control as the program sees it: identity, the default
// interface with its methods, the dispatch events and the one property used.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QVariant>
#include <QVariantList>
#include <cstdint>

namespace device {

using HRESULT = int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);

inline constexpr bool Failed(HRESULT hr) { return hr < 0; }
inline constexpr bool Succeeded(HRESULT hr) { return hr >= 0; }

// Class identifier of the control and the identifiers of its interfaces.
inline const QUuid CLSID_Tevra{QStringLiteral("{EEA18052-171F-4293-8598-AB6E1D7257B2}")};
inline const QUuid IID_ITevra{QStringLiteral("{0A16189E-10E9-4A76-8D2D-0A8F1AD4729A}")};
inline const QUuid DIID_ITevraEvents{QStringLiteral("{B6A36C9A-2DC9-4CEF-AF6E-D6DDD2F91CC4}")};

// Dispatch identifiers of the event interface.
enum EventDispId : int {
  DISPID_OnActivate = 201,
  DISPID_OnClick = 202,
  DISPID_OnCreate = 203,
  DISPID_OnDblClick = 204,
  DISPID_OnDestroy = 205,
  DISPID_OnDeactivate = 206,
  DISPID_OnKeyPress = 207,
  DISPID_OnPaint = 208,
  DISPID_OnCallerID = 209,
  DISPID_OnSignalA = 210,
};

// Dispatch identifier of the control's Boolean property SurfaceVisible.
inline constexpr int DISPID_SurfaceVisible = 201;

// The event interface, implemented by the host. Arguments come in standard
// dispatch order: the last parameter first. Called on the user-interface
// thread only; a control working on another thread posts to it.
class IEventSink {
 public:
  virtual ~IEventSink() = default;
  virtual HRESULT Invoke(int dispId, const QVariantList& argsLastFirst) = 0;
};

// The control's default interface. Every method returns an HRESULT; on
// failure the control leaves a description for ErrorDescription().
class ITevra {
 public:
  virtual ~ITevra() = default;

  virtual HRESULT RunServiceAction() = 0;
  virtual HRESULT StartMonitoring() = 0;
  virtual HRESULT GetInfo(const QString& key, QString* value) = 0;

  // Property put through the dispatch interface.
  virtual HRESULT PutProperty(int dispId, const QVariant& value) = 0;

  // The connection point of the event interface: one sink, or none.
  virtual HRESULT Advise(IEventSink* sink) = 0;
  virtual HRESULT Unadvise() = 0;

  // The description the control left with its last failing call (the error
  // information object of the platform); empty if it left none.
  virtual QString ErrorDescription() const = 0;
};

}  // namespace device
