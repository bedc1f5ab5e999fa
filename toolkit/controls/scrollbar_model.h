// scrollbar_model.h - the scroll bar's arithmetic without X: the record,
// the geometry of arrows, track and thumb along one axis, which part a press
// hits, what one step (release or auto-repeat) does to the position, where a
// dragged thumb puts it, and the hold counter behind auto-repeat.  The window
// side (scrollbar.cpp) feeds it pointer coordinates and draws the result.
#ifndef KRN_CONTROLS_SCROLLBAR_MODEL_H
#define KRN_CONTROLS_SCROLLBAR_MODEL_H

// The scroll bar's private record (the window record's option).
typedef struct ScrollBarData {
  int pos;         // position in steps, 0 .. the limit
  int drawnPos;    // pos at the last drawing
  int max;         // content size, in the unit of step
  int step;        // size of one step, at least 1
  int part;        // pressed part (sb::Part), +10 for the secondary button; 0 none
  int holdTime;    // auto-repeat counter, 0 .. kHoldLimit
  int grabOffset;  // pointer - thumb start when a drag began
  int vertical;    // 1 vertical, 0 horizontal
  int motionTime;  // server time of the last handled pointer motion
  int pressAlong;  // pointer along the axis when the thumb was pressed
  int pressPos;    // pos when the thumb was pressed
} ScrollBarData;

namespace sb {

constexpr int kThickness = 17;   // every scroll bar is this thick
constexpr int kArrow = 16;       // arrow square, edge lines excluded
constexpr int kTrackStart = 17;  // first pixel of the track along the axis
constexpr int kMinLength = 51;   // shortest length a resize keeps
constexpr int kMinThumb = 16;    // shorter thumbs are drawn this long
constexpr int kHoldLimit = 500;  // hold counter value that starts auto-repeat
constexpr int kMotionGap = 29;   // motion events closer than this (ms) are dropped

enum Part { kNone = 0, kArrow1 = 1, kArrow2 = 2, kThumb = 3, kTrackBefore = 4, kTrackAfter = 5 };
constexpr int kSecondary = 10;  // added to a part pressed with the secondary button

// Everything derived from the record and the window's length along the axis.
struct Geometry {
  int length;       // window length along the axis (H, or W)
  int n;            // content in steps
  int page;         // steps one window length shows
  int limit;        // largest position (0 when the content fits)
  int track;        // track length T
  int thumbLen;     // thumb length L (at least kMinThumb)
  int thumbStart;   // thumb start along the axis
  bool smallThumb;  // L was below kMinThumb and is drawn kMinThumb - 4 long
};
Geometry Measure(const ScrollBarData& d, int length);

// pos kept within 0 .. the limit of the geometry.
int Clamp(const Geometry& g, int pos);

// The mouse buttons of the MouseRightHand and MouseButton settings.
struct Buttons {
  unsigned int primary;
  unsigned int secondary;  // equal to primary when there is none
  unsigned int ignoredOnTrack;
};
Buttons ButtonsFor(int rightHand, int mouseButtons);

// The part a press of button at (along, across) selects, or `part`
// unchanged for other buttons and places; a press on the thumb sets
// *grabOffset.
int PressPart(const Geometry& g, int part, int along, int across, unsigned int button,
              const Buttons& buttons, int* grabOffset);

// The position after one step of the pressed part with the pointer at
// (along, across); unchanged when the pointer left that part.
int StepOnce(const Geometry& g, int part, int pos, int along, int across);

// The position that puts the thumb's start at pointer - grabOffset.
int DragPos(const Geometry& g, int pointer, int grabOffset);
// The position of a thumb dragged to pointer: where it was at the press
// when the pointer is back where the thumb was pressed (so a click without
// motion changes nothing, whatever DragPos would round to), else DragPos.
int DragPos(const Geometry& g, const ScrollBarData& d, int pointer);

// One timer tick while part is held: true when the hold counter has reached
// the limit and the tick is to repeat the move.
bool Tick(ScrollBarData& d, int interval);

// True while part is an arrow or a track part (the parts that repeat).
bool Repeats(int part);

}  // namespace sb

#endif
