// scrollbar_model.cpp - scroll bar geometry, hit testing, stepping, dragging
// and the auto-repeat counter.  Products of a position and a pixel length
// are taken in 64 bits: a step of 1 over a large content gives positions in
// the millions.
#include "controls/scrollbar_model.h"

#include <stdint.h>

namespace sb {

namespace {

constexpr int kArrowCell = kArrow + 1;  // an arrow with its far edge line

int Larger(int a, int b) {
  return a > b ? a : b;
}

bool Across(int across) {
  return across >= 0 && across < kArrow;
}

bool InFirstArrow(int along, int across) {
  return Across(across) && along >= 0 && along < kArrow;
}

bool InSecondArrow(const Geometry& g, int along, int across) {
  return Across(across) && along >= g.length - kArrowCell && along < g.length - 1;
}

bool BeforeThumb(const Geometry& g, int along) {
  return along > kTrackStart && along < g.thumbStart;
}

bool InThumb(const Geometry& g, int along) {
  return along > g.thumbStart && along < g.thumbStart + g.thumbLen;
}

bool AfterThumb(const Geometry& g, int along) {
  return along > g.thumbStart + g.thumbLen && along < kTrackStart + g.track;
}

// Steps the thumb start moves per position: the room left for the thumb
// over the positions it can take.
int ThumbOffset(const Geometry& g, int room, int pos) {
  int64_t offset = static_cast<int64_t>(room) * pos;
  if (g.page < g.n) offset /= g.n - g.page;
  return static_cast<int>(offset);
}

}  // namespace

Geometry Measure(const ScrollBarData& d, int length) {
  Geometry g{};
  int step = d.step > 0 ? d.step : 1;
  g.length = length;
  g.n = d.max / step;
  g.page = length / step;
  g.limit = Larger(g.n - g.page, 0);
  g.track = Larger(length - 2 * kArrowCell - 1, 0);
  // A window shorter than one step with no content has page and n both 0:
  // the thumb then fills the track.
  int larger = Larger(g.page, g.n);
  g.thumbLen =
      larger > 0 ? static_cast<int>(static_cast<int64_t>(g.track) * g.page / larger) : g.track;
  int pos = d.pos < 0 ? 0 : (d.pos > g.limit ? g.limit : d.pos);
  if (g.thumbLen < kMinThumb) {
    g.thumbLen = kMinThumb;
    g.smallThumb = true;
    g.thumbStart = kTrackStart + ThumbOffset(g, g.track - kMinThumb, pos) + 2;
  } else {
    g.thumbStart = kTrackStart + ThumbOffset(g, g.track - g.thumbLen, pos);
  }
  return g;
}

int Clamp(const Geometry& g, int pos) {
  if (pos < 0) return 0;
  return pos > g.limit ? g.limit : pos;
}

Buttons ButtonsFor(int rightHand, int mouseButtons) {
  if (rightHand) {
    if (mouseButtons == 1) return {1, 1, 1};
    if (mouseButtons == 2) return {1, 2, 2};
    return {1, 3, 2};
  }
  if (mouseButtons == 1) return {1, 1, 1};
  if (mouseButtons == 2) return {2, 1, 1};
  if (mouseButtons == 3) return {3, 1, 2};
  return {3, 1, 1};
}

int PressPart(const Geometry& g, int part, int along, int across, unsigned int button,
              const Buttons& buttons, int* grabOffset) {
  bool primary = button == buttons.primary;
  if (!primary && button != buttons.secondary) return part;
  int reverse = primary ? 0 : kSecondary;
  if (InFirstArrow(along, across)) return kArrow1 + reverse;
  if (InSecondArrow(g, along, across)) return kArrow2 + reverse;
  if (button == buttons.ignoredOnTrack || !Across(across)) return part;
  if (along < kTrackStart || along >= kTrackStart + g.track) return part;
  *grabOffset = 0;
  if (BeforeThumb(g, along)) return kTrackBefore + reverse;
  if (InThumb(g, along)) {
    *grabOffset = along - g.thumbStart;
    return kThumb;
  }
  if (AfterThumb(g, along)) return kTrackAfter + reverse;
  return part;
}

int StepOnce(const Geometry& g, int part, int pos, int along, int across) {
  int back = pos > 0 ? pos - 1 : pos, forward = pos < g.limit ? pos + 1 : pos;
  int pageBack = Clamp(g, pos - g.page), pageForward = Clamp(g, pos + g.page);
  if (!Across(across)) return pos;
  if (InFirstArrow(along, across)) {
    if (part == kArrow1) return back;
    if (part == kArrow1 + kSecondary) return forward;
  } else if (InSecondArrow(g, along, across)) {
    if (part == kArrow2) return forward;
    if (part == kArrow2 + kSecondary) return back;
  } else if (BeforeThumb(g, along)) {
    if (part == kTrackBefore) return pageBack;
    if (part == kTrackBefore + kSecondary) return pageForward;
  } else if (AfterThumb(g, along)) {
    if (part == kTrackAfter) return pageForward;
    if (part == kTrackAfter + kSecondary) return pageBack;
  }
  return pos;
}

int DragPos(const Geometry& g, int pointer, int grabOffset) {
  int t = pointer - grabOffset;
  if (t <= kTrackStart) return 0;
  int room = g.track - g.thumbLen;
  if (t + g.thumbLen >= kTrackStart + g.track || room <= 0) return g.limit;
  int64_t span = g.page < g.n ? g.n - g.page : 1;
  return Clamp(g, static_cast<int>((t - kTrackStart) * span / room));
}

int DragPos(const Geometry& g, const ScrollBarData& d, int pointer) {
  if (pointer == d.pressAlong) return Clamp(g, d.pressPos);
  return DragPos(g, pointer, d.grabOffset);
}

bool Repeats(int part) {
  int base = part % kSecondary;
  return part > 0 &&
         (base == kArrow1 || base == kArrow2 || base == kTrackBefore || base == kTrackAfter);
}

bool Tick(ScrollBarData& d, int interval) {
  if (!Repeats(d.part)) return false;
  d.holdTime += Larger(interval, 10);
  if (d.holdTime > kHoldLimit) d.holdTime = kHoldLimit;
  return d.holdTime == kHoldLimit;
}

}  // namespace sb
