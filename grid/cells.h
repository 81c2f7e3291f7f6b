#pragma once
// Cell value objects: one per column and row, holding one value of the
// column's kind and converting it to and from the other kinds.
#include <QImage>
#include <QString>
#include <cstdint>

#include "grid/cellconvert.h"
#include "grid/types.h"

namespace grid {

class TCells;

class TCell {
 public:
  explicit TCell(TCells* cells) : cells_(cells) {}
  virtual ~TCell() = default;
  TCell(const TCell&) = delete;
  TCell& operator=(const TCell&) = delete;

  TCells* Cells() const { return cells_; }

  // Colours to paint the cell with, as the grid decides them.
  virtual TColor BackgroundColor() const;
  virtual TColor TextColor() const;

  virtual bool AsBoolean() const = 0;
  virtual TDateTime AsDateTime() const = 0;
  virtual double AsFloat() const = 0;
  virtual int32_t AsInteger() const = 0;
  virtual QString AsString() const = 0;
  // Each setter stores the value (subclasses) and then reports the change.
  virtual void SetAsBoolean(bool) { Changed(); }
  virtual void SetAsDateTime(TDateTime) { Changed(); }
  virtual void SetAsFloat(double) { Changed(); }
  virtual void SetAsInteger(int32_t) { Changed(); }
  virtual void SetAsString(const QString&) { Changed(); }

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  // Not owned; shown by picture columns.
  const QImage* Graphic() const { return graphic_; }
  void SetGraphic(const QImage* value) { graphic_ = value; }
  const QString& Hint() const { return hint_; }
  void SetHint(const QString& value) { hint_ = value; }

  // Coordinates stamped by the store's GetCell; used to report changes.
  int Col() const { return col_; }
  int Row() const { return row_; }
  void Stamp(int col, int row) {
    col_ = col;
    row_ = row;
  }
  bool Creating() const { return creating_; }
  void SetCreating(bool value) { creating_ = value; }

 protected:
  void Changed();

 private:
  TCells* cells_;
  const QImage* graphic_ = nullptr;
  TColor color_ = clBlack;
  int col_ = 0;
  bool creating_ = true;
  int row_ = 0;
  QString hint_;
};

class TStringCell : public TCell {
 public:
  using TCell::TCell;
  bool AsBoolean() const override { return StrToBool(value_); }
  TDateTime AsDateTime() const override { return StrToDateTime(value_); }
  double AsFloat() const override { return StrToFloat(value_); }
  int32_t AsInteger() const override { return StrToInt32(value_); }
  QString AsString() const override { return value_; }
  void SetAsBoolean(bool v) override {
    value_ = BoolToStr(v);
    TCell::SetAsBoolean(v);
  }
  void SetAsDateTime(TDateTime v) override {
    value_ = DateTimeToStr(v);
    TCell::SetAsDateTime(v);
  }
  void SetAsFloat(double v) override {
    value_ = FloatToStr(v);
    TCell::SetAsFloat(v);
  }
  void SetAsInteger(int32_t v) override {
    value_ = QString::number(v);
    TCell::SetAsInteger(v);
  }
  void SetAsString(const QString& v) override {
    value_ = v;
    TCell::SetAsString(v);
  }

 private:
  QString value_;
};

class TBooleanCell : public TCell {
 public:
  using TCell::TCell;
  bool AsBoolean() const override { return value_; }
  TDateTime AsDateTime() const override { return 0; }
  double AsFloat() const override { return 0; }
  int32_t AsInteger() const override { return 0; }
  QString AsString() const override { return BoolToStr(value_); }
  void SetAsBoolean(bool v) override {
    value_ = v;
    TCell::SetAsBoolean(v);
  }
  void SetAsDateTime(TDateTime v) override {
    value_ = false;
    TCell::SetAsDateTime(v);
  }
  void SetAsFloat(double v) override {
    value_ = v > 0;
    TCell::SetAsFloat(v);
  }
  void SetAsInteger(int32_t v) override {
    value_ = v > 0;
    TCell::SetAsInteger(v);
  }
  void SetAsString(const QString& v) override;

 private:
  bool value_ = false;
};

// The two cells that hold a real number (a date-time is one too). They
// differ only in how they write it and what a boolean sets.
class TRealCell : public TCell {
 public:
  using TCell::TCell;
  bool AsBoolean() const override { return false; }
  TDateTime AsDateTime() const override { return value_; }
  double AsFloat() const override { return value_; }
  int32_t AsInteger() const override { return RoundToInt(value_); }
  void SetAsDateTime(TDateTime v) override {
    value_ = v;
    TCell::SetAsDateTime(v);
  }
  void SetAsFloat(double v) override {
    value_ = v;
    TCell::SetAsFloat(v);
  }
  void SetAsInteger(int32_t v) override {
    value_ = v;
    TCell::SetAsInteger(v);
  }

 protected:
  double value_ = 0;
};

class TDateTimeCell : public TRealCell {
 public:
  using TRealCell::TRealCell;
  QString AsString() const override { return DateTimeToStr(value_); }
  void SetAsBoolean(bool v) override {
    value_ = Today();
    TCell::SetAsBoolean(v);
  }
  void SetAsString(const QString& v) override;
};

class TFloatCell : public TRealCell {
 public:
  using TRealCell::TRealCell;
  QString AsString() const override { return FloatToStr(value_); }
  void SetAsBoolean(bool v) override {
    value_ = 0;
    TCell::SetAsBoolean(v);
  }
  void SetAsString(const QString& v) override;
};

class TIntegerCell : public TCell {
 public:
  using TCell::TCell;
  bool AsBoolean() const override { return false; }
  TDateTime AsDateTime() const override { return 0; }
  double AsFloat() const override { return value_; }
  int32_t AsInteger() const override { return value_; }
  QString AsString() const override { return QString::number(value_); }
  void SetAsBoolean(bool v) override {
    value_ = 0;
    TCell::SetAsBoolean(v);
  }
  void SetAsDateTime(TDateTime v) override {
    value_ = 0;
    TCell::SetAsDateTime(v);
  }
  void SetAsFloat(double v) override;
  void SetAsInteger(int32_t v) override {
    value_ = v;
    TCell::SetAsInteger(v);
  }
  void SetAsString(const QString& v) override;

 private:
  int32_t value_ = 0;
};

}  // namespace grid
