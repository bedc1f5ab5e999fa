// button_model.h - the button family without X: what a press or a release
// does to a push or toggle button (state, redraw, the code reported), the
// sizes of tool-bar buttons, the packing of buttons in a row or a column with
// their 5-pixel gaps, the index rules the composite controls share, and the
// select button's layout.  button.cpp, toolbar.cpp and selectbtn.cpp turn
// events into these calls and move the X windows.
#ifndef KRN_CONTROLS_BUTTON_MODEL_H
#define KRN_CONTROLS_BUTTON_MODEL_H

#include <vector>

namespace btn {

constexpr int kReportOk = 110;      // KRN_OK: clicked, or a toggle switched on
constexpr int kReportCancel = 120;  // KRN_CANCEL: a toggle switched off
constexpr int kGap = 5;             // pixels between neighbouring buttons

// The state of one button (the part of its record the mouse changes).
struct State {
  int down;      // 1 while drawn pressed; for a toggle button, 1 while on
  int toggle;    // 1: a toggle button
  int turnedOn;  // toggle only: 1 when the current press switched it on
  int pressed;   // 1 between a press inside this button and the release
};

// What one mouse event did: whether to redraw, and the code to report
// (0 = none, else kReportOk or kReportCancel, with the new down state).
struct Step {
  bool redraw;
  int report;
};

// A press of any mouse button; inside = within the button's rectangle.
Step Press(State& s, bool inside);
// A release.  Only a release that ends a press begun on this button can
// report: a stray release (its press went to another window) fires nothing.
Step Release(State& s, bool inside);

/* ---- tool bar metrics ------------------------------------------------------ */

// The bar's height for a character height: 28 below 16, else ch + 12.
int ToolBarHeight(int charHeight);
// Width of a button when it is added: caption width + 10 (0 for an empty
// caption), plus 21 with an icon.
int AddedWidth(int captionWidth, bool captionEmpty, bool icon);
// Width of a button whose caption or icon is changed: caption width + 30
// with an icon, + 10 without.
int ChangedWidth(int captionWidth, bool icon);

/* ---- rows and columns ------------------------------------------------------ */

// Positions along the row (or column) of buttons of the given extents,
// packed from start with kGap between them.
std::vector<int> Pack(int start, const std::vector<int>& extents);

// Index rules.  Count is the number of buttons; -1 means none.
// Attach rule: -1 is the last, other negative values are 0, past the end none.
int AttachIndex(int index, int count);
// Delete rule: any negative index is the last, past the end none.
int DeleteIndex(int index, int count);
// Insert rule: -1 or an index not below count appends (count); other
// negative values insert first.
int InsertIndex(int index, int count);

/* ---- select button layout -------------------------------------------------- */

struct SelectLayout {
  bool horizontal;  // buttons in a row right of the label, else a column below it
  int labelWidth;   // text width of the label, 0 when it is empty
  int charHeight;
  int groupHeight;
};

// The button's extent across the row: caption width + 10 (0 for an empty
// caption), plus 20 with an icon.
int SelectButtonWidth(int captionWidth, bool captionEmpty, bool icon);
// Where the first button starts: (x, y) of the first button.
int SelectFirstX(const SelectLayout& l);
int SelectFirstY(const SelectLayout& l);
// The height of every button: H - 4 in a row, max(ch, 20) in a column.
int SelectButtonHeight(const SelectLayout& l);
// The label's top.
int SelectLabelY(const SelectLayout& l);

}  // namespace btn

#endif
