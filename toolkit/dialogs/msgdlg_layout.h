// msgdlg_layout.h - the message dialog without X: which buttons a style
// word asks for, how large a dialog must be to show every line of its
// message, and where the message, the buttons and the icon go in a dialog
// of a given size.
#ifndef KRN_DIALOGS_MSGDLG_LAYOUT_H
#define KRN_DIALOGS_MSGDLG_LAYOUT_H

#include "support/charcode.h"

namespace msgdlg {

constexpr int kWidth = 280;  // size at creation, also the minimum size
constexpr int kHeight = 110;
constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 25;
constexpr int kFitWidth = 480;  // widest a dialog grows to keep lines whole

struct Box {
  int x, y, width, height;
};

// Where the children go; a button's x is -1 when the style has no such
// button.
struct Layout {
  Box text;
  int okX;
  int cancelX;
  int buttonY;
};

// The buttons a style shows: bit 0 OK, bit 1 Cancel; the other bits of the
// low nibble are not used and change nothing.
bool HasOk(int style);
bool HasCancel(int style);

// The layout for a dialog of width w and height h.  Too small a dialog keeps
// the text 240 wide and the buttons at 190 and 120, or the text 35 high and
// the buttons at y 45.
Layout LayoutOf(int style, int w, int h);

struct Size {
  int width, height;
};

// The size at which a dialog shows every line of message in the text
// window of its layout (wrapped as the text window wraps, measured with
// meter): at least kWidth × kHeight; wider, up to maxWidth, for a line
// that would wrap; then as tall as its wrapped lines need, up to
// maxHeight.
Size FitSize(const char* message, const charcode::CharMeter& meter, int lineHeight, int maxWidth,
             int maxHeight);

// Top of the icon (its left is always 10): level with the buttons.
int IconY(int h);

}  // namespace msgdlg

#endif
