#pragma once
// TForm1: the main test window. Its layout is form1.ui; behaviour lives in
// the handler methods below, named as control plus event.
#include <QWidget>
#include <cstdint>
#include <exception>

#include "ui_form1.h"

class QMenu;
class QAction;
class QTimer;
namespace platform {
class TApplicationEvents;
class TPageDefaultButtons;
}  // namespace platform

namespace mainwindow {

// Numbers the calls since the last reset (module level of the main window).
extern int32_t CallCounter;

class TForm1;
// The main window, created first at start-up.
extern TForm1* Form1;

class TForm1 : public QWidget, public Ui::TForm1 {
  Q_OBJECT
 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Components without a surface.
  QTimer* Timer1 = nullptr;                                    // 500 ms connection poll
  QTimer* Timer2 = nullptr;                                    // 50 ms, brings the application to the front once
  platform::TApplicationEvents* ApplicationEvents1 = nullptr;  // error hook
  QMenu* PopupMenu1 = nullptr;
  QAction* Listeyisil1 = nullptr;
  platform::TPageDefaultButtons* DefaultButtons = nullptr;

  // Start-up.
  void FormShow(QObject* Sender);
  void Timer2Timer(QObject* Sender);

  // Device events, connection poll, message area and clearing.
  void Tevra1CallerID(QObject* ASender, const QString& DeviceID, const QString& Line, const QString& PhoneNumber,
                      const QString& DateTime, const QString& OtherText);
  void Tevra1SignalA(QObject* ASender, const QString& Level1, const QString& Level2, const QString& Level3,
                     const QString& Level4, const QString& Level5, const QString& Level6, const QString& Level7,
                     const QString& Level8);
  void Timer1Timer(QObject* Sender);
  void ApplicationEvents1Exception(QObject* Sender, const std::exception& E);
  void Memo2Change(QObject* Sender);
  void Listeyisil1Click(QObject* Sender);

  // Connection guide (form1_guide.cpp).
  void Label21Click(QObject* Sender);
  void Image2Click(QObject* Sender);
  void Label17Click(QObject* Sender);
  void Image1Click(QObject* Sender);
  void Label11Click(QObject* Sender);
  void Image3Click(QObject* Sender);
  void Label12Click(QObject* Sender);
  void Image4Click(QObject* Sender);
  void Label14Click(QObject* Sender);
  void BitBtn2Click(QObject* Sender);

  // Hidden service page (form1_service.cpp).
  void Edit1Click(QObject* Sender);
  void BitBtn1Click(QObject* Sender);

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void bindHandlers();
  void SetupGuidePage();    // form1_guide.cpp: pictures of the guide page
  void SetupServicePage();  // form1_service.cpp: the question's labels
  void ClearPage();         // list, message area and counter together

  bool shown_ = false;
  QSize fittedSize_;  // set once the window fits itself to its contents
};

}  // namespace mainwindow
