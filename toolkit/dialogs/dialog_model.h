// dialog_model.h - the text and about dialogs without X: where their
// children go for a given size, how far the text dialog's keys scroll, the
// text dialog's remembered place, and the key-repeat gate the dialogs that
// run their own loops share.
#ifndef KRN_DIALOGS_DIALOG_MODEL_H
#define KRN_DIALOGS_DIALOG_MODEL_H

namespace dlg {

struct Box {
  int x, y, width, height;
};

// Lets a key press through when it comes at least interval milliseconds
// after the last one let through; the first always passes.  Times are X
// server times, compared as unsigned 32-bit differences so that the gate
// keeps working when the server clock wraps.
class KeyGate {
 public:
  bool Accept(unsigned long time, int interval);

 private:
  unsigned long last_ = 0;  // time of the last key let through
  bool any_ = false;        // a key has been let through
};

// ---- Text dialog ----
constexpr Box kTextDlgFirst = {-10, -10, 600, 400};  // not shown yet
constexpr int kTextDlgMinWidth = 160;
constexpr int kTextDlgMinHeight = 120;

bool TextDlgShown(const Box& remembered);  // false while x or y is -10
Box TextDlgBox(int w, int h);              // the text box in a w x h dialog
Box TextDlgOk(int w, int h);               // the OK button

// The top line after one step down: one more while lines remain below the
// view (R = (box height - 1) / line height lines fit), else unchanged.
int TextDlgLineDown(int pos, int nLines, int boxHeight, int lineHeight);
// The top line after one step up: one less, never below 0.
int TextDlgLineUp(int pos);

// ---- About dialog ----
constexpr int kAboutWidth = 365;  // size at creation, also the minimum size
constexpr int kAboutHeight = 140;

struct AboutLayout {
  Box text;           // the text window
  Box ok;             // the OK button
  int pictureX = 10;  // top left of the picture (when there is one)
  int pictureY = 0;
};

// The layout of a w x h about dialog with a picture of pw x ph (0 x 0 for
// none).  A dialog made smaller than its minimum keeps the text 240 - pw
// wide and OK at x 100, or the text 35 high and OK at y 45.
AboutLayout AboutLayoutOf(int w, int h, int pw, int ph);

}  // namespace dlg

#endif
