// msgdlg_layout.h - the message dialog without X: which buttons a style
// word asks for, and where the message, the buttons and
// the icon go in a dialog of a given size.
#ifndef KRN_DIALOGS_MSGDLG_LAYOUT_H
#define KRN_DIALOGS_MSGDLG_LAYOUT_H

namespace msgdlg {

constexpr int kWidth = 280;  // size at creation, also the minimum size
constexpr int kHeight = 110;
constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 25;

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

// Top of the icon (its left is always 10): level with the buttons.
int IconY(int h);

}  // namespace msgdlg

#endif
