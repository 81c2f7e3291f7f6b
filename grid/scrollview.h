#pragma once
// Scroll view base of the grid: a scroll bar model per direction that mirrors
// the window's two bars, and pixel scrolling clipped to two rectangles.
//
// The scroll area's viewport is the client area; its QScrollBars are the
// window's bars. Positions live in TControlScrollBar, not in the QScrollBar:
// every user action on a bar becomes a scroll message (ScrollMessage) that
// moves our position, which is then pushed back to the QScrollBar.
#include <QAbstractScrollArea>

#include "grid/types.h"

class QScrollBar;

namespace grid {

enum TScrollBarKind { sbHorizontal, sbVertical };

// Scroll message codes, in the platform's numbering.
enum TScrollCode {
  scLineUp = 0,
  scLineDown = 1,
  scPageUp = 2,
  scPageDown = 3,
  scPosition = 4,
  scTrack = 5,
  scTop = 6,
  scBottom = 7,
  scEndScroll = 8,
};

// Frame around the client area: none, the 1-pixel sunken static edge, or the
// themed 2-pixel frame (static edge plus one pixel of border width).
enum class TFrameEdge { None, Static, Themed };

class TScrollView;

class TControlScrollBar {
 public:
  TControlScrollBar(TScrollView* owner, TScrollBarKind kind);
  virtual ~TControlScrollBar() = default;
  TControlScrollBar(const TControlScrollBar&) = delete;
  TControlScrollBar& operator=(const TControlScrollBar&) = delete;

  // Taking the settings of another bar copies nothing: each bar belongs to
  // its own view and direction.
  void Assign(const TControlScrollBar& /*source*/) {}

  // Pushes Min, Max, PageSize and ScrollPos to the window's bar.
  virtual void Apply();

  TScrollView* Owner() const { return owner_; }
  TScrollBarKind Kind() const { return kind_; }
  bool BarEnabled() const { return enabled_; }
  bool BarVisible() const { return visible_; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int PageSize() const { return pageSize_; }
  int PageStep() const { return pageStep_; }
  int LineStep() const { return lineStep_; }
  int ScrollPos() const { return pos_; }
  int PrevScrollPos() const { return prevPos_; }
  bool Locked() const { return locked_; }
  bool Applying() const { return applying_; }

  void SetEnabled(bool value);
  void SetMax(int value);
  void SetMin(int value);
  void SetPageSize(int value);
  void SetPageStep(int value) { pageStep_ = value; }
  void SetLineStep(int value) { lineStep_ = value; }
  void SetScrollPos(int value);
  void SetVisible(bool value);
  // pos < 1 keeps the position (callers pass -1).
  void SetParams(int pos, int min, bool visible, bool enabled, int pageSize, int max);

  // Send the owner a scroll message; nothing while there is nothing to scroll.
  void LineUp();
  void LineDown();
  void PageUp();
  void PageDown();

 private:
  QScrollBar* WindowBar() const;
  void SendMessage(TScrollCode code);

  TScrollView* owner_;
  bool enabled_ = true;
  TScrollBarKind kind_;
  int pageStep_ = 1;
  int max_ = 100;
  int min_ = 0;
  int prevPos_ = 0;
  int pageSize_ = 0;
  int pos_ = 0;
  int lineStep_ = 1;
  bool visible_ = true;
  bool locked_ = false;
  bool applying_ = false;
};

class TCustomScrollView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TCustomScrollView(QWidget* parent = nullptr);

  const TRect& HorzScrollRect() const { return horzScrollRect_; }
  const TRect& VertScrollRect() const { return vertScrollRect_; }
  void SetHorzScrollRect(const TRect& r) { horzScrollRect_ = r; }
  void SetVertScrollRect(const TRect& r) { vertScrollRect_ = r; }
  int HorzScrollUnit() const { return horzScrollUnit_; }
  int VertScrollUnit() const { return vertScrollUnit_; }
  void SetHorzScrollUnit(int v) { horzScrollUnit_ = v; }
  void SetVertScrollUnit(int v) { vertScrollUnit_ = v; }
  int LastHorzDelta() const { return lastHorzDelta_; }
  int LastVertDelta() const { return lastVertDelta_; }
  void SetLastHorzDelta(int v) { lastHorzDelta_ = v; }
  void SetLastVertDelta(int v) { lastVertDelta_ = v; }

  // Moves the client pixels by DeltaX * HorzScrollUnit and DeltaY *
  // VertScrollUnit inside the matching scroll rectangle and invalidates only
  // the uncovered strip; nothing is erased.
  virtual void ScrollContent(int deltaX, int deltaY);

  TFrameEdge FrameEdge() const { return frameEdge_; }
  // Changes the frame only when it differs, so the client area is laid out
  // again once.
  void SetFrameEdge(TFrameEdge edge);
  // The frame the control's settings ask for; checked when the control is
  // shown, when its style changes and whenever its frame or client area is
  // painted.
  virtual TFrameEdge WantedFrameEdge() const { return frameEdge_; }
  // Brings the frame in line with WantedFrameEdge (later, from the event
  // loop, when called during a paint).
  void SyncFrameEdge(bool queued);

 protected:
  bool event(QEvent* e) override;
  // Scrolling is ours (ScrollContent); the area's own pixel shifting is off.
  void scrollContentsBy(int, int) override {}
  // Called once, when the control is first polished or shown: the place
  // for settings that the window's creation brings.
  virtual void WindowCreated() {}
  // Called after the frame has been painted, with a painter on the frame; the
  // place for a control to decide on and draw a themed border.
  virtual void PaintFrame(QPainter& painter);

 private:
  TRect horzScrollRect_;
  TRect vertScrollRect_;
  int horzScrollUnit_ = 1;
  int vertScrollUnit_ = 1;
  int lastHorzDelta_ = 0;
  int lastVertDelta_ = 0;
  TFrameEdge frameEdge_ = TFrameEdge::Static;
  bool created_ = false;
};

class TScrollView : public TCustomScrollView {
  Q_OBJECT
 public:
  explicit TScrollView(QWidget* parent = nullptr);
  ~TScrollView() override;

  TControlScrollBar* HorzScrollBar() const { return horz_; }
  TControlScrollBar* VertScrollBar() const { return vert_; }
  TControlScrollBar* ScrollBar(TScrollBarKind kind) const { return kind == sbHorizontal ? horz_ : vert_; }

  // Called by a bar after its position changed, before the pixels move.
  virtual void BeforeScroll(TScrollBarKind /*kind*/) {}

  // The window's scroll message of one direction. Thumb codes read the track
  // position from the window's bar.
  virtual void ScrollMessage(TScrollBarKind kind, TScrollCode code);

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void OnBarAction(TScrollBarKind kind, int action);
  void OnBarValue(TScrollBarKind kind, int value);

  TControlScrollBar* horz_;
  TControlScrollBar* vert_;
};

}  // namespace grid
