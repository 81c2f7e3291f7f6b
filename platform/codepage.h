#pragma once
// 8-bit text in the system code page. Labels and the status line show text
// that went through it; what the code page cannot hold becomes its
// replacement character.
#include <QByteArray>
#include <QString>

namespace platform {

// The system code page of the target machines (Turkish).
const char* SystemCodePage();
constexpr char kReplacementChar = '?';

// Wide text to 8-bit text; one replacement character per character
// (a surrogate pair counts as one; a lone surrogate too) that cannot be held.
QByteArray ToAnsi(const QString& wide);
// 8-bit text back to wide text; every byte maps to a character.
QString FromAnsi(const QByteArray& ansi);
// What a label shows for a wide string: ToAnsi then FromAnsi.
QString ThroughCodePage(const QString& wide);

}  // namespace platform
