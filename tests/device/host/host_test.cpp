// The host of the device control: creation by class identifier, the error
// message rule of failed calls, event argument order and the event boundary.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include "device/host/ttevra.h"
#include "platform/application.h"
#include "platform/errors.h"
#include "support/fake_control.h"

using namespace device;
using testsupport::ScopedFakeControl;

namespace {

QString MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const platform::EOleException& e) {
    return e.Message();
  }
  return QStringLiteral("<no error>");
}

struct HookRecorder {
  QStringList messages;
  HookRecorder() {
    platform::TApplication::Instance()->SetOnException([this](QObject*, const std::exception& e) {
      messages << static_cast<const platform::Exception&>(e).Message();
    });
  }
  ~HookRecorder() { platform::TApplication::Instance()->SetOnException(nullptr); }
};

}  // namespace

TEST(ErrorMessage, ThreeStepRule) {
  EXPECT_EQ(TTevra::ErrorMessage(E_FAIL, QStringLiteral("Cihaz yanıt vermiyor.  \r\n")),
            QStringLiteral("Cihaz yanıt vermiyor"));
  EXPECT_EQ(TTevra::ErrorMessage(E_FAIL, QStringLiteral("a...\t. ")), QStringLiteral("a"));
  EXPECT_EQ(TTevra::ErrorMessage(E_FAIL, QStringLiteral("v1.2 hazır değil")), QStringLiteral("v1.2 hazır değil"));
  EXPECT_EQ(TTevra::ErrorMessage(E_FAIL, QString()), QStringLiteral("Unspecified error"));
  EXPECT_EQ(TTevra::ErrorMessage(E_INVALIDARG, QStringLiteral(" . ")), QStringLiteral("The parameter is incorrect"));
  EXPECT_EQ(TTevra::ErrorMessage(static_cast<HRESULT>(0x80041234u), QString()), QStringLiteral("OLE error 80041234"));
  EXPECT_EQ(TTevra::ErrorMessage(static_cast<HRESULT>(0x8004ABCDu), QString()), QStringLiteral("OLE error 8004ABCD"));
}

TEST(Host, CreatesByClassIdentifierAndHandsOverTheStream) {
  ScopedFakeControl fake;
  TTevra host;
  host.CreateControl(QByteArray("stream-bytes"));
  EXPECT_EQ(fake.state->propertyStream, QByteArray("stream-bytes"));
  EXPECT_NE(fake.state->sink, nullptr) << "the event sink is connected";
}

TEST(Host, MissingClassIsAnError) {
  const QUuid unknown(QStringLiteral("{11111111-2222-3333-4444-555555555555}"));
  TTevra host;
  EXPECT_EQ(MessageOf([&] { host.CreateControl(QByteArray(), unknown); }), QStringLiteral("Class not registered"));
  // Without a control every call fails the same way, none reaches a control.
  EXPECT_EQ(MessageOf([&] { host.StartMonitoring(); }), QStringLiteral("Invalid pointer"));
}

TEST(Host, FailedCallsRaiseWithTheControlsDescription) {
  ScopedFakeControl fake;
  TTevra host;
  host.CreateControl(QByteArray());
  fake.state->info[QStringLiteral("devicemodel")] = QStringLiteral("CID-4");
  EXPECT_EQ(host.GetInfo(QStringLiteral("devicemodel")), QStringLiteral("CID-4"));

  fake.state->getInfoResult = E_FAIL;
  fake.state->failureDescription = QStringLiteral("Cihaz bağlantısı koptu.");
  EXPECT_EQ(MessageOf([&] { host.GetInfo(QStringLiteral("serial")); }), QStringLiteral("Cihaz bağlantısı koptu"));

  fake.state->startMonitoringResult = static_cast<HRESULT>(0x80049999u);
  fake.state->failureDescription.clear();
  EXPECT_EQ(MessageOf([&] { host.StartMonitoring(); }), QStringLiteral("OLE error 80049999"));

  fake.state->runServiceActionResult = S_FALSE;  // success codes are not errors
  EXPECT_NO_THROW(host.RunServiceAction());
  EXPECT_EQ(fake.state->runServiceActionCalls, 1);
}

TEST(Host, SurfaceVisibleIsAPropertyPutByDispatchIdentifier) {
  ScopedFakeControl fake;
  TTevra host;
  host.CreateControl(QByteArray());
  host.SetSurfaceVisible(false);
  ASSERT_EQ(fake.state->propertyPuts.size(), 1);
  EXPECT_EQ(fake.state->propertyPuts[0].first, 201);
  EXPECT_EQ(fake.state->propertyPuts[0].second, QVariant(false));
  fake.state->putPropertyResult = DISP_E_MEMBERNOTFOUND;
  EXPECT_EQ(MessageOf([&] { host.SetSurfaceVisible(false); }), QStringLiteral("Member not found"));
}

TEST(Host, EventsArriveInParameterOrderWithTheHostAsSender) {
  ScopedFakeControl fake;
  TTevra host;
  host.CreateControl(QByteArray());
  QStringList call;
  QObject* sender = nullptr;
  host.OnCallerID = [&](QObject* s, const QString& id, const QString& line, const QString& number, const QString& dt,
                        const QString& other) {
    sender = s;
    call = {id, line, number, dt, other};
  };
  QStringList levels;
  host.OnSignalA = [&](QObject*, const QString& l1, const QString& l2, const QString& l3, const QString& l4,
                       const QString& l5, const QString& l6, const QString& l7,
                       const QString& l8) { levels = {l1, l2, l3, l4, l5, l6, l7, l8}; };
  EXPECT_EQ(fake.state->RaiseCallerID("SN1", "2", "05321234567", "07.12.2026 14:05", "not"), S_OK);
  EXPECT_EQ(call, (QStringList{"SN1", "2", "05321234567", "07.12.2026 14:05", "not"}));
  EXPECT_EQ(sender, &host);
  const QStringList eight{"1", "2", "3", "4", "5", "6", "7", "8"};
  fake.state->RaiseSignalA(eight);
  EXPECT_EQ(levels, eight);
}

TEST(Host, HandlerErrorsStopAtTheBoundaryAndTheControlHearsSuccess) {
  HookRecorder hook;
  ScopedFakeControl fake;
  TTevra host;
  host.CreateControl(QByteArray());
  host.OnCallerID = [](QObject*, const QString&, const QString&, const QString&, const QString&, const QString&) {
    throw platform::EConvertError(QStringLiteral("'a' is not a valid integer value"));
  };
  EXPECT_EQ(fake.state->RaiseCallerID("SN1", "1", "1"), S_OK);
  EXPECT_EQ(hook.messages, QStringList{QStringLiteral("'a' is not a valid integer value")});
  // Events without a handler, and unknown ones, are answered with success too.
  EXPECT_EQ(fake.state->sink->Invoke(DISPID_OnClick, {}), S_OK);
  EXPECT_EQ(fake.state->sink->Invoke(999, {}), S_OK);
  EXPECT_EQ(fake.state->sink->Invoke(DISPID_OnCallerID, {QStringLiteral("too few")}), S_OK);
}

TEST(Host, EventsFromAnotherThreadArriveThroughTheEventLoop) {
  ScopedFakeControl fake;
  TTevra host;
  host.CreateControl(QByteArray());
  Qt::HANDLE handlerThread = nullptr;
  int calls = 0;
  host.OnCallerID = [&](QObject*, const QString&, const QString&, const QString&, const QString&, const QString&) {
    handlerThread = QThread::currentThreadId();
    ++calls;
  };
  std::unique_ptr<QThread> worker(QThread::create([&] { fake.state->RaiseCallerID("SN", "1", "123"); }));
  worker->start();
  worker->wait();
  EXPECT_EQ(calls, 0) << "not delivered on the device thread";
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(handlerThread, QThread::currentThreadId());
}
