#include "ui/guide/messages.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QStringList>

namespace guide {

namespace {

QString Lines(std::initializer_list<const char*> lines) {
  QStringList list;
  for (const char* l : lines) list << QString::fromUtf8(l);
  return list.join(QStringLiteral("\r\n"));
}

void StandardMessageBox(QWidget* parent, TMsgDlgType kind, const QString& text) {
  QMessageBox box(kind == TMsgDlgType::mtWarning ? QMessageBox::Warning : QMessageBox::Information,
                  MessageBoxCaption(kind), text, QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
  box.exec();
}

MessageBoxHandler& CurrentHandler() {
  static MessageBoxHandler handler;
  return handler;
}

}  // namespace

QString SplitterMessage() {
  return Lines({
      "İnternet bağlantısı olan hat varsa, mutlaka ADSL splitter kullanılır.",
      "ADSL Splitter, modemle birlikte verilen bir \"cihazdır\".",
      "",
      "İnternet telefon hattı, caller ID cihazına doğrudan bağlanmaz.",
      "ADSL splitter \"telefon\" çıkışından cihaz girişine ve telefona bağlantı yapılır. ",
      "ADSL splitter, sadece internet bağlantısı olan hat için kullanılır.",
  });
}

QString CallerIdMessage() {
  return Lines({
      "Caller ID cihazları, santralin gönderdiği arayan numara bilgisini, bilgisayara aktarır. ",
      "Kabloya bağlı telefon makinesi üzerinde numara görünmüyorsa cihaz da numarayı gösteremez.",
      " 444 1 444 nolu  Türk Telekom servisini aramak suretiyle telefon hattının numara gösterme özelliği "
      "açtırılabilir.",
  });
}

QString SignalMessage() {
  return Lines({
      "Telefon kapalı ve zil çalmıyorsa, sinyal göstergeleri en fazla 0..2 civarında olmalıdır. ",
      "Daha yüksek ise sorun var demektir. İnternet hattında, ADSL Siplitter kullanılmamış  veya ters bağlı "
      "olabilir. ",
      "",
      "Zil çalarken veya konuşma esnasında göstergelerin daha fazla yükselmesi,",
      "telefon hattındaki elektriğin, cihaza ulaştığını gösterir. Normal bir durumdur.",
      "Fakat mutlaka, \"Caller ID sinyali var\" anlamına GELMEZ ",
  });
}

QString MessageBoxCaption(TMsgDlgType kind) {
  return kind == TMsgDlgType::mtWarning ? QStringLiteral("Warning") : QStringLiteral("Information");
}

void ShowMessageBox(QWidget* parent, TMsgDlgType kind, const QString& text) {
  const MessageBoxHandler handler = CurrentHandler();  // a copy: the handler may replace itself
  if (handler)
    handler(parent, kind, text);
  else
    StandardMessageBox(parent, kind, text);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  MessageBoxHandler previous = std::move(CurrentHandler());
  CurrentHandler() = std::move(handler);
  return previous;
}

}  // namespace guide
