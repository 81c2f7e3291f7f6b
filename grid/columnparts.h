#pragma once
// The parts a column owns besides its cells: header and footer (with their
// change hook) and the slide bounds.
#include <QImage>
#include <QString>
#include <functional>

#include "grid/gridenums.h"
#include "grid/types.h"

namespace grid {

class TColumnPart {
 public:
  explicit TColumnPart(TColor color) : color_(color) {}
  virtual ~TColumnPart() = default;
  TColumnPart(const TColumnPart&) = delete;
  TColumnPart& operator=(const TColumnPart&) = delete;

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  const QString& Caption() const { return caption_; }
  void SetCaption(const QString& value);

  // Raised after Color, Caption or a subclass property changed. The owning
  // column hooks it.
  std::function<void(TColumnPart* sender)> OnChange;

 protected:
  void Changed();

 private:
  TColor color_;
  QString caption_;
};

class TColumnHeader : public TColumnPart {
 public:
  TColumnHeader() : TColumnPart(clBtnFace) {}

  TDisplayMode DisplayMode() const { return displayMode_; }
  void SetDisplayMode(TDisplayMode value);
  const QImage& Glyph() const { return glyph_; }
  // Copies the picture; its bottom-left pixel's colour becomes transparent.
  void SetGlyph(const QImage& value);

  // Takes every property of another header, raising OnChange once.
  void Assign(const TColumnHeader& source);

 private:
  TDisplayMode displayMode_ = dmTextOnly;
  QImage glyph_;
};

class TColumnFooter : public TColumnPart {
 public:
  TColumnFooter() : TColumnPart(clWindow) {}

  TFormulaKind FormulaKind() const { return formulaKind_; }
  void SetFormulaKind(TFormulaKind value);

  void Assign(const TColumnFooter& source);

 private:
  TFormulaKind formulaKind_ = fkNone;
};

// Placement of a column in the slides style; stored only.
struct TSlideBounds {
  int Height = 0;
  int Left = 0;
  int Top = 0;
  int Width = 0;

  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
  bool operator==(const TSlideBounds&) const = default;
};

}  // namespace grid
