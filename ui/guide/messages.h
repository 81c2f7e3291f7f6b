#pragma once
// The guide's three help messages and the message boxes that show them.
#include <QString>
#include <functional>

class QWidget;

namespace guide {

// Lines joined by carriage return and line feed; blanks at line ends and the
// inner double quotes are part of the texts.
QString SplitterMessage();
QString CallerIdMessage();
QString SignalMessage();

enum class TMsgDlgType { mtInformation, mtWarning };

// Shows a standard message box of the kind with one "OK" button and waits
// until it is closed. Timers and device events go on being handled meanwhile.
void ShowMessageBox(QWidget* parent, TMsgDlgType kind, const QString& text);

// Replaces how message boxes are shown (tests record them instead); an empty
// handler restores the standard box. Returns the previous handler.
using MessageBoxHandler = std::function<void(QWidget* parent, TMsgDlgType kind, const QString& text)>;
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The platform's standard caption of a kind: "Information", "Warning".
QString MessageBoxCaption(TMsgDlgType kind);

}  // namespace guide
