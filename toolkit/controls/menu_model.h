// menu_model.h - the arithmetic of popup menus and the menu bar without X:
// a menu's size from its rows, where captions, icons and separators go,
// which row a point falls on, the button that opens a context menu, the
// motion throttle, and the bar's caption and status-line layout.  The
// window side (menu.cpp, menubar.cpp) feeds it font widths and settings.
#ifndef KRN_CONTROLS_MENU_MODEL_H
#define KRN_CONTROLS_MENU_MODEL_H

#include <stdint.h>

#include <vector>

namespace menumodel {

constexpr int kMargin = 5;         // empty border round the rows of a menu
constexpr int kColumn = 21;        // room of the icon column and of the link arrow
constexpr int kMinRowHeight = 16;  // rows are at least as tall as an icon
constexpr int kImageSide = 16;     // at most 16 x 16 pixels of an icon show

// What the size of a menu depends on, one per row.
struct Row {
  int captionWidth;  // pixels of the caption text
  bool link;         // has a sub-menu
  bool icon;         // has an icon (or a check mark)
};

struct Size {
  int width;
  int height;
};

struct Box {
  int x, y, width, height;
};

int RowHeight(int charHeight);
Size MenuSize(const std::vector<Row>& rows, int rowHeight);
// Left edge of every caption: past the icon column when any row has an icon.
int CaptionX(bool anyIcon);
int RowTop(int row, int rowHeight);
// y of an image of the given height centred in the row.
int ImageY(int row, int rowHeight, int imageHeight);
// The sunken line of a separator row.
Box SeparatorLine(int row, int rowHeight, int menuWidth);
// Whether a point (menu coordinates) lies in the rows' band.
bool Inside(int x, int y, int width, int height);
// The row under a point inside the band (may be one past the last row at
// the bottom edge), or -1 outside.
int RowAt(int x, int y, int width, int height, int rowHeight);
// The mouse button that opens context menus under the two mouse settings.
unsigned int ContextButton(int rightHand, int mouseButton);
// True when a motion at time comes too soon after the last processed one.
bool TooSoon(uint32_t time, uint32_t last, int interval);

// The menu bar: two captions left, the status line right of them.
struct BarLayout {
  Box caption[2];  // "Menu" and "?"
  Box status;      // the status text window, in bar coordinates
};

int BarHeight(int charHeight);
BarLayout LayoutBar(int parentWidth, int barHeight, int width0, int width1);
// Which caption a point (bar coordinates) is on: 0, 1 or -1.
int CaptionAt(const BarLayout& layout, int x, int y);
// Width of the status line after the parent became parentWidth wide.
int StatusWidth(const BarLayout& layout, int parentWidth);

// Where a menu `size` long opens along one axis so that it lies within
// lo .. hi: at `at` when it fits there, else ending at `flip` (upwards or
// leftwards: a context menu flips at the pointer, a sub-menu to the other
// side of its parent menu), else shifted to end at hi, and never before lo.
int PlaceAlong(int at, int size, int flip, int lo, int hi);

}  // namespace menumodel

#endif
