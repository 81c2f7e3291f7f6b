#pragma once
// The simulated device: a pseudo-terminal registered in the device directory,
// an emulation that answers the host, and the demo or the script that decides
// what happens on the lines.
#include <QObject>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <memory>

#include "tools/simulator/emulation.h"
#include "tools/simulator/pty_port.h"
#include "tools/simulator/script.h"
#include "tools/simulator/script_input.h"
#include "tools/simulator/udp_port.h"

namespace sim {

struct Options {
  bool modem = false;
  int lines = 4;
  bool demo = true;
  QString scriptPath;  // "-" for standard input
  QString directory;
  QString name;  // entry name without family prefix
  QString serial;
  ModemProfile modemProfile;  // what a modem knows before the host sets it up
  bool publicFormat = false;  // the public multi-line call-record format
  int ethernetPort = 0;       // > 0: that format in record packets to 127.0.0.1:port
  int demoCallMinMs = 6000;
  int demoCallMaxMs = 10000;
};

class Simulator : public QObject {
  Q_OBJECT
 public:
  explicit Simulator(const Options& options);
  bool Start(QString* error);

 private:
  void FromHost(const QByteArray& bytes);
  void Send(const QByteArray& bytes);
  // Bytes as they are; on Ethernet one datagram, not framed as a record packet.
  void SendRaw(const QByteArray& bytes);
  bool Plug(QString* error);
  void Unplug();
  void DemoLevels();
  void DemoCall();
  void ScheduleDemoCall();
  void RunScript();
  void Execute(const Command& cmd);
  void Log(const QString& text);

  Options options_;
  std::unique_ptr<Emulation> emulation_;
  PtyPort port_;
  std::unique_ptr<UdpPort> udp_;  // Ethernet: used instead of port_
  QRandomGenerator rng_;
  QTimer levelsTimer_;
  QTimer callTimer_;
  QTimer scriptTimer_;
  QTimer stallTimer_;
  bool stalled_ = false;
  int ringingLine_ = 0;
  int ringingLeft_ = 0;
  Call nextCall_;
  ScriptInput input_;
};

}  // namespace sim
