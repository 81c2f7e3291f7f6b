#pragma once
// End-to-end fixture: the real program and the simulator as separate
// processes, talking over a pseudo-terminal. The program runs on a private
// virtual desktop (own session bus, X display and accessibility bus) and is
// read the way a screen reader reads it, over AT-SPI; nothing in the program
// is there for tests.
//
// Keys of a snapshot are accessible names, or the accessible description
// where a label's name is its changing text (the kKey constants below).
#include <gtest/gtest.h>

#include <QList>
#include <QMap>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace e2e {

// What the window says the values are.
inline const QString kConnectionState = QStringLiteral("Bağlantı durumu");
inline const QString kCallCount = QStringLiteral("Çağrı sayısı");
inline const QString kStatusLine = QStringLiteral("Cihaz bilgisi");
inline const QString kMessages = QStringLiteral("Mesajlar");
inline const QString kCallList = QStringLiteral("Çağrı listesi");
// Line n (1..4): the bar and the number beside it.
QString LevelBar(int line);
QString LevelNumber(int line);

inline const QString kConnected = QStringLiteral("Cihaz bağlı");
inline const QString kWaiting = QStringLiteral("Bağlantı bekleniyor");

// One reading of the whole window.
struct Snapshot {
  bool present = false;           // the program's window was found
  QMap<QString, QString> values;  // key -> text (bars: their value)
  QStringList texts;              // every shown label's text, in window order
  QStringList headers;            // the call list's captions, display order
  QList<QStringList> rows;        // the call list's cells, display order

  QString value(const QString& key) const { return values.value(key); }
  int RowCount() const { return static_cast<int>(rows.size()); }
  // The text of a row's cell under the column captioned header.
  QString Cell(int row, const QString& header) const;
};

class ProgramFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // For the program and the simulator: the private desktop and runtime dir.
  QProcessEnvironment Environment() const;
  // The simulator with --script - --serial E2E1 plus args; waits for READY.
  void StartSimulator(const QStringList& args = {});
  // The program with args; waits until its window can be read.
  void StartProgram(const QStringList& args = {});
  // Both (simulator first) and the device linked.
  void StartConnected(const QStringList& simulatorArgs = {});
  // One line of simulator script commands (several separated by \n).
  void Script(const QByteArray& commands);

  Snapshot Read();
  // Every shown object's place in its window, by its path of ROLE:KEY steps
  // below the window joined by "/" (tests/tools/atspi_reader.py).
  QMap<QString, QRect> Extents();
  // Generous limits: several private desktops may share two cores in CI.
  bool WaitFor(const std::function<bool(const Snapshot&)>& pred, int ms = 10000);
  bool WaitValue(const QString& key, const QString& text, int ms = 10000);
  // The last snapshot read, for failure messages.
  std::string Show(const QString& key) const { return last_.value(key).toStdString(); }

  QTemporaryDir runtime;
  QProcess session;
  QProcess simulator;
  QProcess program;
  QProcess reader;

 private:
  QMap<QString, QString> desktop_;
  Snapshot last_;
};

}  // namespace e2e
