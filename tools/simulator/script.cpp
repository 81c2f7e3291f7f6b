#include "tools/simulator/script.h"

#include <QRegularExpression>
#include <QStringList>

namespace sim {

namespace {
bool ToInt(const QString& s, int lo, int hi, int* v) {
  bool ok = false;
  *v = s.toInt(&ok);
  return ok && *v >= lo && *v <= hi;
}
}  // namespace

QByteArray Unescape(const QString& text) {
  const QByteArray in = text.toUtf8();
  QByteArray out;
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] != '\\' || i + 1 >= in.size()) {
      out += in[i];
      continue;
    }
    const char e = in[++i];
    if (e == 'r')
      out += '\r';
    else if (e == 'n')
      out += '\n';
    else if (e == 't')
      out += '\t';
    else if (e == '0')
      out += '\0';
    else if (e == '\\')
      out += '\\';
    else if (e == 'x' && i + 2 < in.size()) {
      bool ok = false;
      const int v = in.mid(i + 1, 2).toInt(&ok, 16);
      if (ok) {
        out += static_cast<char>(v);
        i += 2;
      } else {
        out += "\\x";
      }
    } else {
      out += '\\';
      out += e;
    }
  }
  return out;
}

QByteArray GarbageBytes() {
  return QByteArray("\x00\xff\xfe\x80garbage\x01\x02\r\n\xc3\x28\xa0\xa1|||\r\n~~~\x1b[2J\r\n", 32);
}

bool ParseCommand(const QString& lineText, int lines, Command* cmd, QString* error) {
  *cmd = Command{};
  QString line = lineText;
  const qsizetype hash = line.indexOf(QLatin1Char('#'));
  if (hash >= 0 && !line.trimmed().startsWith(QLatin1String("raw"))) line.truncate(hash);
  const QStringList w = line.trimmed().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
  if (w.isEmpty()) return true;
  const QString& verb = w[0];
  auto fail = [&](const QString& why) {
    *error = QStringLiteral("%1: %2").arg(why, lineText.trimmed());
    return false;
  };
  if (verb == QLatin1String("call")) {
    if (w.size() < 3) return fail(QStringLiteral("call LINE NUMBER [TEXT] expected"));
    cmd->kind = Command::CallCmd;
    if (!ToInt(w[1], 1, lines, &cmd->call.line)) return fail(QStringLiteral("no such line"));
    cmd->call.number = w[2];
    cmd->call.text = w.mid(3).join(QLatin1Char(' '));
    return true;
  }
  if (verb == QLatin1String("ring")) {
    cmd->kind = Command::Ring;
    if (w.size() != 2 || !ToInt(w[1], 1, lines, &cmd->call.line)) return fail(QStringLiteral("ring LINE expected"));
    return true;
  }
  if (verb == QLatin1String("levels")) {
    cmd->kind = Command::LevelsCmd;
    if (w.size() < 5 || w.size() > 9) return fail(QStringLiteral("levels takes 4 to 8 values"));
    for (int i = 1; i < w.size(); ++i)
      if (!ToInt(w[i], 0, 255, &cmd->levels[i - 1])) return fail(QStringLiteral("levels are 0 to 255"));
    return true;
  }
  if (verb == QLatin1String("raw")) {
    cmd->kind = Command::Raw;
    const qsizetype at = lineText.indexOf(QLatin1String("raw")) + 3;
    cmd->bytes = Unescape(lineText.mid(at).trimmed());
    return true;
  }
  if (verb == QLatin1String("stall")) {
    cmd->kind = Command::Stall;
    if (w.size() > 2) return fail(QStringLiteral("stall [SECONDS] expected"));
    if (w.size() == 2 && !ToInt(w[1], 0, 3600, &cmd->ms)) return fail(QStringLiteral("stall [SECONDS] expected"));
    cmd->ms *= 1000;
    return true;
  }
  if (verb == QLatin1String("fault")) {
    cmd->kind = Command::Fault;
    if (w.size() < 2) return fail(QStringLiteral("fault NAME[=VALUE]... expected"));
    cmd->words = w.mid(1);
    return true;
  }
  if (verb == QLatin1String("wait")) {
    cmd->kind = Command::Wait;
    if (w.size() != 2 || !ToInt(w[1], 0, 3600000, &cmd->ms)) return fail(QStringLiteral("wait MILLISECONDS expected"));
    return true;
  }
  const struct {
    const char* word;
    Command::Kind kind;
  } simple[] = {{"unplug", Command::Unplug},
                {"plug", Command::Plug},
                {"garbage", Command::Garbage},
                {"resume", Command::Resume},
                {"quit", Command::Quit}};
  for (const auto& s : simple) {
    if (verb == QLatin1String(s.word)) {
      if (w.size() != 1) return fail(QStringLiteral("no arguments expected"));
      cmd->kind = s.kind;
      return true;
    }
  }
  return fail(QStringLiteral("unknown command"));
}

}  // namespace sim
