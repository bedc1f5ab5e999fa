// menu_model.cpp - the X-free arithmetic of popup menus and the menu bar.
#include "controls/menu_model.h"

namespace menumodel {

namespace {
// Strictly inside, edges excluded, as the toolkit's point test has it.
bool InBox(const Box& b, int x, int y) {
  return x > b.x && y > b.y && x < b.x + b.width && y < b.y + b.height;
}
}  // namespace

int RowHeight(int charHeight) {
  return charHeight < kMinRowHeight ? kMinRowHeight : charHeight;
}

// Widest caption, a column for icons and one for links when any row has
// them, and the margins; an empty menu is 11 x 10.
Size MenuSize(const std::vector<Row>& rows, int rowHeight) {
  int widest = 0;
  bool link = false, icon = false;
  for (const Row& r : rows) {
    if (r.captionWidth > widest) widest = r.captionWidth;
    link = link || r.link;
    icon = icon || r.icon;
  }
  if (rows.empty()) widest = 1;
  int width = widest + (link ? kColumn : 0) + (icon ? kColumn : 0) + 2 * kMargin;
  return Size{width, static_cast<int>(rows.size()) * rowHeight + 2 * kMargin};
}

int CaptionX(bool anyIcon) {
  return anyIcon ? kMargin + kColumn : kMargin;
}

int RowTop(int row, int rowHeight) {
  return row * rowHeight + kMargin;
}

int ImageY(int row, int rowHeight, int imageHeight) {
  return row * rowHeight + (rowHeight - imageHeight) / 2 + kMargin;
}

Box SeparatorLine(int row, int rowHeight, int menuWidth) {
  int width = menuWidth < 2 * kMargin ? 0 : menuWidth - 2 * kMargin;
  return Box{kMargin, row * rowHeight + rowHeight / 2 + kMargin, width, 1};
}

// x = 0 counts as outside: a context menu opens with its corner under the
// pointer, and the release that ends the opening click must choose nothing.
bool Inside(int x, int y, int width, int height) {
  return x > 0 && x < width && y >= kMargin && y <= height - kMargin;
}

int RowAt(int x, int y, int width, int height, int rowHeight) {
  if (!Inside(x, y, width, height) || rowHeight <= 0) return -1;
  return (y - kMargin) / rowHeight;
}

unsigned int ContextButton(int rightHand, int mouseButton) {
  if (!rightHand) return 1;
  return mouseButton == 1 ? 1 : mouseButton == 2 ? 2 : 3;
}

// Unsigned difference, so the wrap of the 32-bit server time is harmless.
bool TooSoon(uint32_t time, uint32_t last, int interval) {
  return time - last < static_cast<uint32_t>(interval);
}

int BarHeight(int charHeight) {
  return charHeight + 8;
}

BarLayout LayoutBar(int parentWidth, int barHeight, int width0, int width1) {
  BarLayout l;
  l.caption[0] = Box{0, 0, width0 + 20, barHeight};
  l.caption[1] = Box{width0 + 20, 0, width1 + 20, barHeight};
  // The width the status line keeps whatever the parent's width: on a
  // parent too narrow for it, the captions' band, not a size that went
  // negative (and wrapped in the rectangle to one the server refuses).
  l.status = Box{width0 + width1 + 42, 2, 0, barHeight - 3};
  l.status.width = StatusWidth(l, parentWidth);
  return l;
}

int CaptionAt(const BarLayout& layout, int x, int y) {
  for (int i = 0; i < 2; i++)
    if (InBox(layout.caption[i], x, y)) return i;
  return -1;
}

// The status line fills the parent right of the captions; a parent too
// narrow for that keeps it as wide as the captions' band.
int StatusWidth(const BarLayout& layout, int parentWidth) {
  const Box& c = layout.caption[1];
  int a = c.x + c.width + 4;
  return 2 * a < parentWidth ? parentWidth - a : a;
}

int PlaceAlong(int at, int size, int flip, int lo, int hi) {
  int place = at;
  if (at + size > hi) place = flip - size >= lo ? flip - size : hi - size;
  return place < lo ? lo : place;
}

}  // namespace menumodel
