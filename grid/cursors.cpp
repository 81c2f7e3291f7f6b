#include "grid/cursors.h"

#include <QGuiApplication>
#include <QHash>
#include <QPixmap>
#include <QPoint>
#include <QWidget>

// The resource file is compiled into the static grid library, so it has to be
// pulled in explicitly before its pictures can be read.
static void InitCursorResources() {
  static const bool done = [] {
    Q_INIT_RESOURCE(cursors);
    return true;
  }();
  (void)done;
}

namespace grid {

namespace {

// A registered cursor, or the name of the grid's picture to load for it when
// it is first asked for: every grid registers its cursors when it is built,
// and decoding them then would cost start-up time for shapes the pointer
// may never take.
struct Entry {
  std::optional<QCursor> cursor;
  const char* pictureName = nullptr;
};

QHash<TCursor, Entry>& Table() {
  static QHash<TCursor, Entry> table;
  return table;
}

struct StockShape {
  TCursor number;
  Qt::CursorShape shape;
};

constexpr StockShape kStockShapes[] = {
    {crDefault, Qt::ArrowCursor},
    {crNone, Qt::BlankCursor},
    {crArrow, Qt::ArrowCursor},
    {crCross, Qt::CrossCursor},
    {crIBeam, Qt::IBeamCursor},
    {crSizeNESW, Qt::SizeBDiagCursor},
    {crSizeNS, Qt::SizeVerCursor},
    {crSizeNWSE, Qt::SizeFDiagCursor},
    {crSizeWE, Qt::SizeHorCursor},
    {crUpArrow, Qt::UpArrowCursor},
    {crHourGlass, Qt::WaitCursor},
    {crDrag, Qt::DragMoveCursor},
    {crNoDrop, Qt::ForbiddenCursor},
    {crHSplit, Qt::SplitHCursor},
    {crVSplit, Qt::SplitVCursor},
    {crNo, Qt::ForbiddenCursor},
    {crAppStart, Qt::BusyCursor},
    {crHelp, Qt::WhatsThisCursor},
    {crHandPoint, Qt::PointingHandCursor},
    {crSizeAll, Qt::SizeAllCursor},
};

struct CursorPicture {
  const char* name;
  QPoint hotSpot;  // where the pointer "is" within the 32 x 32 picture
};

constexpr CursorPicture kPictures[] = {
    {"HORZSPLIT", {16, 16}}, {"COLUMNNODRAG", {16, 16}}, {"ROLL", {16, 16}},
    {"ROLLUP", {16, 16}},    {"ROLLDOWN", {16, 16}},     {"INDICATORSELECT", {26, 16}},
};

void RegisterByName(TCursor number, const char* name) {
  if (number > 0) Table().insert(number, Entry{std::nullopt, name});
}

TCursor g_applicationCursor = crDefault;

}  // namespace

bool TScreenCursors::Register(TCursor number, const QCursor& cursor) {
  if (number <= 0) return false;
  Table().insert(number, Entry{cursor, nullptr});
  return true;
}

bool TScreenCursors::IsRegistered(TCursor number) { return Table().contains(number); }

QCursor TScreenCursors::Get(TCursor number) {
  if (number > 0) {
    auto it = Table().find(number);
    if (it == Table().end()) return QCursor(Qt::ArrowCursor);
    if (!it->cursor) {
      it->cursor = LoadCursorResource(QString::fromLatin1(it->pictureName));
      if (!it->cursor) it->cursor = QCursor(Qt::ArrowCursor);
    }
    return *it->cursor;
  }
  for (const auto& s : kStockShapes)
    if (s.number == number) return QCursor(s.shape);
  return QCursor(Qt::ArrowCursor);
}

void TScreenCursors::Clear() { Table().clear(); }

void ApplyCursor(QWidget* widget, TCursor number) {
  if (!widget) return;
  if (number == crDefault)
    widget->unsetCursor();
  else
    widget->setCursor(TScreenCursors::Get(number));
}

std::optional<QCursor> LoadCursorResource(const QString& name) {
  InitCursorResources();
  for (const auto& p : kPictures) {
    if (name != QLatin1String(p.name)) continue;
    QPixmap pixmap(QStringLiteral(":/grid/cursors/%1.png").arg(name));
    if (pixmap.isNull()) return std::nullopt;
    return QCursor(pixmap, p.hotSpot.x(), p.hotSpot.y());
  }
  return std::nullopt;
}

void RegisterGridCursors() {
  RegisterByName(crHorzSplit, "HORZSPLIT");
  RegisterByName(crColumnNoDrag, "COLUMNNODRAG");
  RegisterByName(crIndicatorSelect, "INDICATORSELECT");
}

void RegisterRollCursors() {
  RegisterByName(crRoll, "ROLL");
  RegisterByName(crRollUp, "ROLLUP");
  RegisterByName(crRollDown, "ROLLDOWN");
}

void SetApplicationCursor(TCursor number) {
  if (number == g_applicationCursor) return;
  const bool pushed = g_applicationCursor != crDefault;
  if (number == crDefault) {
    if (pushed) QGuiApplication::restoreOverrideCursor();
  } else if (pushed) {
    QGuiApplication::changeOverrideCursor(TScreenCursors::Get(number));
  } else {
    QGuiApplication::setOverrideCursor(TScreenCursors::Get(number));
  }
  g_applicationCursor = number;
}

TCursor ApplicationCursor() { return g_applicationCursor; }

}  // namespace grid
