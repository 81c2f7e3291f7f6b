#include "grid/gridlayoutloader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <functional>
#include <vector>

#include "grid/columnkinds.h"
#include "grid/gridview.h"
#include "platform/errors.h"

namespace grid {

namespace {

[[noreturn]] void Fail(const QString& where, const QString& what) {
  throw platform::Exception(QStringLiteral("Grid layout: %1: %2").arg(where, what));
}

// The value names come from the enumerations' meta-object tables
// (gridenums.h), so they are written in one place only.
template <typename E>
E EnumValue(const QJsonValue& v, const QString& where) {
  if (!v.isString()) Fail(where, QStringLiteral("a value name is expected"));
  // Exact names only: keyToValue() would also take scoped ones.
  const QMetaEnum names = QMetaEnum::fromType<E>();
  for (int i = 0; i < names.keyCount(); ++i)
    if (v.toString() == QLatin1String(names.key(i))) return static_cast<E>(names.value(i));
  Fail(where, QStringLiteral("unknown value \"%1\"").arg(v.toString()));
}

template <typename E>
TSet<E> SetValue(const QJsonValue& v, const QString& where) {
  if (!v.isArray()) Fail(where, QStringLiteral("a list of value names is expected"));
  TSet<E> s;
  for (const QJsonValue& e : v.toArray()) s.Include(EnumValue<E>(e, where));
  return s;
}

int IntValue(const QJsonValue& v, const QString& where) {
  if (!v.isDouble() || v.toDouble() != double(v.toInt())) Fail(where, QStringLiteral("an integer is expected"));
  return v.toInt();
}

bool BoolValue(const QJsonValue& v, const QString& where) {
  if (!v.isBool()) Fail(where, QStringLiteral("true or false is expected"));
  return v.toBool();
}

QString TextValue(const QJsonValue& v, const QString& where) {
  if (!v.isString()) Fail(where, QStringLiteral("a text is expected"));
  return v.toString();
}

const std::pair<const char*, TColor> kColorNames[] = {
    {"clScrollBar", clScrollBar},
    {"clBackground", clBackground},
    {"clActiveCaption", clActiveCaption},
    {"clInactiveCaption", clInactiveCaption},
    {"clMenu", clMenu},
    {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame},
    {"clMenuText", clMenuText},
    {"clWindowText", clWindowText},
    {"clCaptionText", clCaptionText},
    {"clActiveBorder", clActiveBorder},
    {"clInactiveBorder", clInactiveBorder},
    {"clAppWorkSpace", clAppWorkSpace},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clBtnFace", clBtnFace},
    {"clBtnShadow", clBtnShadow},
    {"clGrayText", clGrayText},
    {"clBtnText", clBtnText},
    {"clInactiveCaptionText", clInactiveCaptionText},
    {"clBtnHighlight", clBtnHighlight},
    {"cl3DDkShadow", cl3DDkShadow},
    {"cl3DLight", cl3DLight},
    {"clInfoText", clInfoText},
    {"clInfoBk", clInfoBk},
    {"clBlack", clBlack},
    {"clRed", clRed},
    {"clWhite", clWhite},
};

TColor ColorValue(const QJsonValue& v, const QString& where) {
  if (v.isDouble()) {
    const double d = v.toDouble();
    if (d < 0 || d > 4294967295.0 || d != double(int64_t(d))) Fail(where, QStringLiteral("not a colour value"));
    return static_cast<TColor>(int64_t(d));
  }
  if (v.isString())
    for (const auto& [name, color] : kColorNames)
      if (v.toString() == QLatin1String(name)) return color;
  Fail(where, QStringLiteral("unknown colour %1").arg(v.toVariant().toString()));
}

TFont FontValue(const QJsonValue& v, const QString& where) {
  if (!v.isObject()) Fail(where, QStringLiteral("a font entry is expected"));
  TFont f;
  const QJsonObject o = v.toObject();
  for (auto it = o.begin(); it != o.end(); ++it) {
    const QString w = where + QLatin1Char('.') + it.key();
    if (it.key() == QLatin1String("Name"))
      f.Name = TextValue(*it, w);
    else if (it.key() == QLatin1String("Height"))
      f.Height = IntValue(*it, w);
    else if (it.key() == QLatin1String("Color"))
      f.Color = ColorValue(*it, w);
    else if (it.key() == QLatin1String("Style")) {
      const auto s = SetValue<TFontStyle>(*it, w);
      f.Bold = s.Contains(fsBold);
      f.Italic = s.Contains(fsItalic);
      f.Underline = s.Contains(fsUnderline);
      f.StrikeOut = s.Contains(fsStrikeOut);
    } else {
      Fail(w, QStringLiteral("unknown font property"));
    }
  }
  return f;
}

using ColumnStep = std::function<void(TCustomColumn&)>;
using GridStep = std::function<void(TCustomGridView&)>;

// Reads a header or footer entry into steps on the column's part.
void PartSteps(const QJsonValue& v, bool header, const QString& where, std::vector<ColumnStep>& steps) {
  if (!v.isObject()) Fail(where, QStringLiteral("an entry is expected"));
  const QJsonObject o = v.toObject();
  for (auto it = o.begin(); it != o.end(); ++it) {
    const QString k = it.key();
    const QString w = where + QLatin1Char('.') + k;
    if (k == QLatin1String("Color")) {
      const TColor c = ColorValue(*it, w);
      steps.push_back(
          [c, header](TCustomColumn& col) { header ? col.Header().SetColor(c) : col.Footer().SetColor(c); });
    } else if (k == QLatin1String("Caption")) {
      const QString s = TextValue(*it, w);
      steps.push_back(
          [s, header](TCustomColumn& col) { header ? col.Header().SetCaption(s) : col.Footer().SetCaption(s); });
    } else if (header && k == QLatin1String("DisplayMode")) {
      const auto m = EnumValue<TDisplayMode>(*it, w);
      steps.push_back([m](TCustomColumn& col) { col.Header().SetDisplayMode(m); });
    } else if (!header && k == QLatin1String("FormulaKind")) {
      const auto f = EnumValue<TFormulaKind>(*it, w);
      steps.push_back([f](TCustomColumn& col) { col.Footer().SetFormulaKind(f); });
    } else {
      Fail(w, QStringLiteral("unknown property"));
    }
  }
}

struct ColumnEntry {
  QString className;
  std::vector<ColumnStep> steps;
};

ColumnEntry ReadColumn(const QJsonValue& v, const QString& where) {
  if (!v.isObject()) Fail(where, QStringLiteral("a column entry is expected"));
  const QJsonObject o = v.toObject();
  ColumnEntry e;
  e.className = TextValue(o.value(QLatin1String("class")), where + QStringLiteral(".class"));
  if (!ColumnClassNames().contains(e.className))
    Fail(where, QStringLiteral("unknown column class %1").arg(e.className));
  const bool textual =
      e.className == QLatin1String("TTextualColumn") || e.className == QLatin1String("TComboBoxColumn");
  auto& s = e.steps;
  for (auto it = o.begin(); it != o.end(); ++it) {
    const QString k = it.key();
    const QString w = where + QLatin1Char('.') + k;
    const QJsonValue val = *it;
    if (k == QLatin1String("class")) continue;
    if (k == QLatin1String("Name")) {
      const QString t = TextValue(val, w);
      s.push_back([t](TCustomColumn& c) { c.SetName(t); });
    } else if (k == QLatin1String("Tag")) {
      const int t = IntValue(val, w);
      s.push_back([t](TCustomColumn& c) { c.SetTag(t); });
    } else if (k == QLatin1String("Alignment")) {
      const auto a = EnumValue<TAlignment>(val, w);
      s.push_back([a](TCustomColumn& c) { c.SetAlignment(a); });
    } else if (k == QLatin1String("Color")) {
      const TColor col = ColorValue(val, w);
      s.push_back([col](TCustomColumn& c) { c.SetColor(col); });
    } else if (k == QLatin1String("Cursor")) {
      const int cur = IntValue(val, w);
      s.push_back([cur](TCustomColumn& c) { c.SetCursor(TCursor(cur)); });
    } else if (k == QLatin1String("DefaultValue")) {
      const QString t = TextValue(val, w);
      s.push_back([t](TCustomColumn& c) { c.SetDefaultValue(t); });
    } else if (k == QLatin1String("DrawingOptions")) {
      const auto d = EnumValue<TDrawingOptions>(val, w);
      s.push_back([d](TCustomColumn& c) { c.SetDrawingOptions(d); });
    } else if (k == QLatin1String("DefaultWidth")) {
      const int n = IntValue(val, w);
      s.push_back([n](TCustomColumn& c) { c.SetDefaultWidth(n); });
    } else if (k == QLatin1String("Font")) {
      const TFont f = FontValue(val, w);
      s.push_back([f](TCustomColumn& c) { c.SetFont(f); });
    } else if (k == QLatin1String("Footer")) {
      PartSteps(val, false, w, s);
    } else if (k == QLatin1String("FormulaKind")) {
      const auto f = EnumValue<TFormulaKind>(val, w);
      s.push_back([f](TCustomColumn& c) { c.SetFormulaKind(f); });
    } else if (k == QLatin1String("Header")) {
      PartSteps(val, true, w, s);
    } else if (k == QLatin1String("InputCaption")) {
      const QString t = TextValue(val, w);
      s.push_back([t](TCustomColumn& c) { c.SetInputCaption(t); });
    } else if (k == QLatin1String("Options")) {
      const auto opts = SetValue<TColumnOption>(val, w);
      s.push_back([opts](TCustomColumn& c) { c.SetOptions(opts); });
    } else if (k == QLatin1String("Position")) {
      const int p = IntValue(val, w);
      s.push_back([p](TCustomColumn& c) { c.SetPosition(p); });
    } else if (k == QLatin1String("SlideBounds")) {
      if (!val.isObject()) Fail(w, QStringLiteral("an entry is expected"));
      TSlideBounds b;
      const QJsonObject so = val.toObject();
      for (auto si = so.begin(); si != so.end(); ++si) {
        const QString sw = w + QLatin1Char('.') + si.key();
        if (si.key() == QLatin1String("Height"))
          b.Height = IntValue(*si, sw);
        else if (si.key() == QLatin1String("Left"))
          b.Left = IntValue(*si, sw);
        else if (si.key() == QLatin1String("Top"))
          b.Top = IntValue(*si, sw);
        else if (si.key() == QLatin1String("Width"))
          b.Width = IntValue(*si, sw);
        else
          Fail(sw, QStringLiteral("unknown property"));
      }
      s.push_back([b](TCustomColumn& c) { c.SetSlideBounds(b); });
    } else if (k == QLatin1String("Sorted")) {
      const bool b = BoolValue(val, w);
      s.push_back([b](TCustomColumn& c) { c.SetSorted(b); });
    } else if (k == QLatin1String("SortKind")) {
      const auto sk = EnumValue<TSortKind>(val, w);
      s.push_back([sk](TCustomColumn& c) { c.SetSortKind(sk); });
    } else if (k == QLatin1String("SortType")) {
      const auto st = EnumValue<TSortType>(val, w);
      s.push_back([st](TCustomColumn& c) { c.SetSortType(st); });
    } else if (k == QLatin1String("VerticalAlignment")) {
      const auto va = EnumValue<TVerticalAlignment>(val, w);
      s.push_back([va](TCustomColumn& c) { c.SetVerticalAlignment(va); });
    } else if (k == QLatin1String("Visible")) {
      const bool b = BoolValue(val, w);
      s.push_back([b](TCustomColumn& c) { c.SetVisible(b); });
    } else if (k == QLatin1String("Width")) {
      const int n = IntValue(val, w);
      s.push_back([n](TCustomColumn& c) { c.SetWidth(n); });
    } else if (k == QLatin1String("WrapKind")) {
      const auto wk = EnumValue<TWrapKind>(val, w);
      s.push_back([wk](TCustomColumn& c) { c.SetWrapKind(wk); });
    } else if (textual && k == QLatin1String("AutoExecute")) {
      const bool b = BoolValue(val, w);
      s.push_back([b](TCustomColumn& c) { static_cast<TTextualColumn&>(c).SetAutoExecute(b); });
    } else if (textual && k == QLatin1String("TextAfter")) {
      const QString t = TextValue(val, w);
      s.push_back([t](TCustomColumn& c) { static_cast<TTextualColumn&>(c).SetTextAfter(t); });
    } else if (textual && k == QLatin1String("TextBefore")) {
      const QString t = TextValue(val, w);
      s.push_back([t](TCustomColumn& c) { static_cast<TTextualColumn&>(c).SetTextBefore(t); });
    } else {
      Fail(w, QStringLiteral("unknown column property"));
    }
  }
  return e;
}

std::vector<GridStep> ReadGrid(const QJsonObject& o) {
  std::vector<GridStep> s;
  for (auto it = o.begin(); it != o.end(); ++it) {
    const QString k = it.key();
    const QString w = QStringLiteral("grid.") + k;
    const QJsonValue val = *it;
    if (k == QLatin1String("BorderStyle")) {
      const auto b = EnumValue<TBorderStyle>(val, w);
      s.push_back([b](TCustomGridView& g) { g.SetBorderStyle(b); });
    } else if (k == QLatin1String("Caption")) {
      const QString t = TextValue(val, w);
      s.push_back([t](TCustomGridView& g) { g.SetCaption(t); });
    } else if (k == QLatin1String("Color")) {
      const TColor c = ColorValue(val, w);
      s.push_back([c](TCustomGridView& g) { g.SetColor(c); });
    } else if (k == QLatin1String("Font")) {
      const TFont f = FontValue(val, w);
      s.push_back([f](TCustomGridView& g) { g.SetFont(f); });
    } else if (k == QLatin1String("GridStyle")) {
      const auto gs = EnumValue<TGridStyle>(val, w);
      s.push_back([gs](TCustomGridView& g) { g.SetGridStyle(gs); });
    } else if (k == QLatin1String("GridLinesStyle")) {
      const auto ls = EnumValue<TGridLinesStyle>(val, w);
      s.push_back([ls](TCustomGridView& g) { g.SetGridLinesStyle(ls); });
    } else if (k == QLatin1String("HeaderSize")) {
      const int n = IntValue(val, w);
      s.push_back([n](TCustomGridView& g) { g.SetHeaderSize(n); });
    } else if (k == QLatin1String("HeaderStyle")) {
      const auto hs = EnumValue<THeaderStyle>(val, w);
      s.push_back([hs](TCustomGridView& g) { g.SetHeaderStyle(hs); });
    } else if (k == QLatin1String("HideScrollBar")) {
      const bool b = BoolValue(val, w);
      s.push_back([b](TCustomGridView& g) { g.SetHideScrollBar(b); });
    } else if (k == QLatin1String("InputSize")) {
      const int n = IntValue(val, w);
      s.push_back([n](TCustomGridView& g) { g.SetInputSize(n); });
    } else if (k == QLatin1String("Options")) {
      const auto opts = SetValue<TGridOption>(val, w);
      s.push_back([opts](TCustomGridView& g) { g.SetOptions(opts); });
    } else if (k == QLatin1String("ParentColor")) {
      const bool b = BoolValue(val, w);
      s.push_back([b](TCustomGridView& g) { g.SetParentColor(b); });
    } else if (k == QLatin1String("RowSize")) {
      const int n = IntValue(val, w);
      s.push_back([n](TCustomGridView& g) { g.SetRowSize(n); });
    } else if (k == QLatin1String("SelectionMoveDirection")) {
      const auto md = EnumValue<TSelectionMoveDirection>(val, w);
      s.push_back([md](TCustomGridView& g) { g.SetSelectionMoveDirection(md); });
    } else if (k == QLatin1String("ShowHint")) {
      const bool b = BoolValue(val, w);
      s.push_back([b](TCustomGridView& g) { g.SetShowHint(b); });
    } else if (k == QLatin1String("SlideSize")) {
      const int n = IntValue(val, w);
      s.push_back([n](TCustomGridView& g) { g.SetSlideSize(n); });
    } else if (k == QLatin1String("TabStop")) {
      const bool b = BoolValue(val, w);
      s.push_back([b](TCustomGridView& g) { g.SetTabStop(b); });
    } else if (k == QLatin1String("WantReturns")) {
      const bool b = BoolValue(val, w);
      s.push_back([b](TCustomGridView& g) { g.SetWantReturns(b); });
    } else {
      Fail(w, QStringLiteral("unknown grid property"));
    }
  }
  return s;
}

}  // namespace

void LoadGridLayout(TCustomGridView& grid, const QByteArray& json) {
  QJsonParseError err{};
  const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
  if (err.error != QJsonParseError::NoError) Fail(QStringLiteral("offset %1").arg(err.offset), err.errorString());
  if (!doc.isObject()) Fail(QStringLiteral("document"), QStringLiteral("an object is expected"));
  const QJsonObject root = doc.object();
  for (auto it = root.begin(); it != root.end(); ++it)
    if (it.key() != QLatin1String("grid") && it.key() != QLatin1String("columns"))
      Fail(it.key(), QStringLiteral("unknown entry"));
  const QJsonValue gridValue = root.value(QLatin1String("grid"));
  if (!gridValue.isUndefined() && !gridValue.isObject())
    Fail(QStringLiteral("grid"), QStringLiteral("an entry is expected"));
  const QJsonValue columnsValue = root.value(QLatin1String("columns"));
  if (!columnsValue.isUndefined() && !columnsValue.isArray())
    Fail(QStringLiteral("columns"), QStringLiteral("a list is expected"));

  // Everything is read and checked before the grid changes.
  const std::vector<GridStep> gridSteps = ReadGrid(gridValue.toObject());
  std::vector<ColumnEntry> columns;
  const QJsonArray columnArray = columnsValue.toArray();
  if (columnArray.size() > TColumns::kMaxColumns)
    Fail(QStringLiteral("columns"), QStringLiteral("at most %1 columns").arg(TColumns::kMaxColumns));
  for (int i = 0; i < columnArray.size(); ++i)
    columns.push_back(ReadColumn(columnArray.at(i), QStringLiteral("columns[%1]").arg(i)));

  grid.BeginReading();
  try {
    grid.Columns().Clear();
    for (const GridStep& step : gridSteps) step(grid);
    for (const ColumnEntry& entry : columns) {
      std::unique_ptr<TCustomColumn> column = CreateColumn(entry.className);
      column->SetCollection(&grid.Columns());
      for (const ColumnStep& step : entry.steps) step(*column);
      grid.Columns().Add(std::move(column));
    }
  } catch (...) {
    grid.EndReading();
    throw;
  }
  grid.EndReading();
}

void LoadGridLayoutFile(TCustomGridView& grid, const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw platform::Exception(QStringLiteral("Grid layout: cannot read %1: %2").arg(path, file.errorString()));
  LoadGridLayout(grid, file.readAll());
}

}  // namespace grid
