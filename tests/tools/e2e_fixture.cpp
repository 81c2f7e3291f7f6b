#include "tools/e2e_fixture.h"

#include <QTest>

namespace e2e {

namespace {

const QString kApplicationName = QStringLiteral("Caller ID TestProgramı");

QString Unescape(const QString& s) {
  QString out;
  out.reserve(s.size());
  for (qsizetype i = 0; i < s.size(); ++i) {
    if (s[i] != QLatin1Char('\\') || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const QChar c = s[++i];
    out += c == QLatin1Char('n') ? QChar(QLatin1Char('\n')) : c == QLatin1Char('t') ? QChar(QLatin1Char('\t')) : c;
  }
  return out;
}

bool ReadLine(QProcess& p, QByteArray& line, int ms = 10000) {
  if (!p.canReadLine() && !QTest::qWaitFor([&] { return p.canReadLine() || p.state() == QProcess::NotRunning; }, ms))
    return false;
  if (!p.canReadLine()) return false;
  line = p.readLine();
  line.chop(1);
  return true;
}

void Stop(QProcess& p) {
  if (p.state() == QProcess::NotRunning) return;
  p.terminate();
  if (!p.waitForFinished(3000)) p.kill();
  p.waitForFinished(1000);
}

}  // namespace

QString LevelBar(int line) { return QStringLiteral("Telefon %1").arg(line); }
QString LevelNumber(int line) { return QStringLiteral("Telefon %1 seviyesi").arg(line); }

QString Snapshot::Cell(int row, const QString& header) const {
  const qsizetype column = headers.indexOf(header);
  if (row < 0 || row >= rows.size() || column < 0 || column >= rows[row].size()) return QString();
  return rows[row][column];
}

void ProgramFixture::SetUp() {
  ASSERT_TRUE(runtime.isValid());
  // The accessibility bus starts with the session's environment: no display
  // of the caller's may leak into it, and its socket goes into this test's
  // runtime folder (else every desktop of the user shares one socket path).
  QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "AT_SPI_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS"})
    own.remove(QString::fromLatin1(name));
  own.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
  session.setProcessEnvironment(own);
  session.start(QStringLiteral("dbus-run-session"), {QStringLiteral("--"), QStringLiteral(CID_DESKTOP_SESSION)});
  ASSERT_TRUE(session.waitForStarted(5000));
  QByteArray line;
  while (ReadLine(session, line) && line != "READY") {
    const qsizetype eq = line.indexOf('=');
    if (eq > 0) desktop_.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
  }
  ASSERT_EQ(line, "READY") << "no private desktop: " << session.readAllStandardError().toStdString();

  QProcessEnvironment env = Environment();
  reader.setProcessEnvironment(env);
  reader.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  reader.start(QStringLiteral(CID_PYTHON), {QStringLiteral(CID_ATSPI_READER), kApplicationName});
  ASSERT_TRUE(reader.waitForStarted(5000));
}

void ProgramFixture::TearDown() {
  for (QProcess* p : {&reader, &simulator, &program}) Stop(*p);
  if (session.state() != QProcess::NotRunning) {
    session.closeWriteChannel();  // the desktop goes when its input closes
    if (!session.waitForFinished(5000)) Stop(session);
  }
}

QProcessEnvironment ProgramFixture::Environment() const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
  for (auto it = desktop_.begin(); it != desktop_.end(); ++it) env.insert(it.key(), it.value());
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
  env.remove(QStringLiteral("SESSION_MANAGER"));
  return env;
}

void ProgramFixture::StartSimulator(const QStringList& args) {
  simulator.setProcessEnvironment(Environment());
  simulator.start(QStringLiteral(CID_SIMULATOR), QStringList{QStringLiteral("--script"), QStringLiteral("-"),
                                                             QStringLiteral("--serial"), QStringLiteral("E2E1")} +
                                                     args);
  ASSERT_TRUE(simulator.waitForStarted(5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return simulator.peek(64).startsWith("READY"); }, 10000));
}

void ProgramFixture::StartProgram(const QStringList& args) {
  program.setProcessEnvironment(Environment());
  program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  program.start(QStringLiteral(CID_PROGRAM), args);
  ASSERT_TRUE(program.waitForStarted(5000));
  ASSERT_TRUE(WaitFor([](const Snapshot& s) { return s.values.contains(kConnectionState); }, 20000))
      << "the program's window never became readable";
}

void ProgramFixture::StartConnected(const QStringList& simulatorArgs) {
  ASSERT_NO_FATAL_FAILURE(StartSimulator(simulatorArgs));
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  ASSERT_TRUE(WaitValue(kConnectionState, kConnected)) << Show(kMessages);
}

void ProgramFixture::Script(const QByteArray& commands) { simulator.write(commands + "\n"); }

Snapshot ProgramFixture::Read() {
  Snapshot s;
  if (reader.state() != QProcess::Running) return s;
  reader.write("read\n");
  QByteArray raw;
  while (ReadLine(reader, raw) && raw != ".") {
    const QStringList f = QString::fromUtf8(raw).split(QLatin1Char('\t'));
    const QString& role = f[0];
    if (role == QLatin1String("absent") || role == QLatin1String("error") || f.size() < 3) continue;
    s.present = true;
    if (role == QLatin1String("header")) {
      s.headers.append(Unescape(f[2]));
    } else if (role == QLatin1String("cell") && f.size() >= 4) {
      const int row = f[1].toInt();
      while (s.rows.size() <= row) s.rows.append(QStringList());
      s.rows[row].append(Unescape(f[3]));
    } else if (role == QLatin1String("table")) {
      s.values.insert(Unescape(f[1]), f[2]);
    } else {
      const QString key = Unescape(f[1]), text = Unescape(f[2]);
      if (role == QLatin1String("label")) s.texts.append(text);
      // A label that only names itself is text, not a value.
      if (role != QLatin1String("label") || key != text) s.values.insert(key, text);
    }
  }
  last_ = s;
  return s;
}

QMap<QString, QRect> ProgramFixture::Extents() {
  QMap<QString, QRect> extents;
  if (reader.state() != QProcess::Running) return extents;
  reader.write("geometry\n");
  QByteArray raw;
  while (ReadLine(reader, raw) && raw != ".") {
    const QStringList f = QString::fromUtf8(raw).split(QLatin1Char('\t'));
    if (f.size() == 6 && f[0] == QLatin1String("extent"))
      extents.insert(Unescape(f[1]), QRect(f[2].toInt(), f[3].toInt(), f[4].toInt(), f[5].toInt()));
  }
  return extents;
}

bool ProgramFixture::WaitFor(const std::function<bool(const Snapshot&)>& pred, int ms) {
  return QTest::qWaitFor([&] { return pred(Read()); }, ms);
}

bool ProgramFixture::WaitValue(const QString& key, const QString& text, int ms) {
  return WaitFor([&](const Snapshot& s) { return s.value(key) == text; }, ms);
}

}  // namespace e2e
