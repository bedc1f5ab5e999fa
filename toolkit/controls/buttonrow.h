// buttonrow.h - what the tool bar and the select button share on the X side:
// their buttons are their child windows, in child-list order, packed along a
// row or a column with 5-pixel gaps.
#ifndef KRN_CONTROLS_BUTTONROW_H
#define KRN_CONTROLS_BUTTONROW_H

#include <korrin.h>

#include <vector>

namespace buttonrow {

// The parent's children in list order.
std::vector<KrnWindow*> Buttons(KrnWindow* parent);

// The index of the child whose X window is xwindow, or -1.
int IndexOf(KrnWindow* parent, Window xwindow);

// Moves every child to its packed place along the row (horizontal) or the
// column, starting at start; the records follow at once, so a second change
// before the server's notifications sees the new places.
void Repack(Display* display, KrnWindow* parent, bool horizontal, int start);

// Moves the last child of the list to position index, shifting the others
// back by one; the child list is the row's order.
void MoveLastTo(KrnWindow* parent, int index);

// Sets a child's width (record and X window), keeping its place and height.
void SetWidth(Display* display, KrnWindow* child, int width);

// Pixel width of a caption (0 for none) and whether it is empty.
int CaptionWidth(const char* caption);
bool Empty(const char* text);

// Gives a button another icon and caption.  Returns true when its size has
// to follow (the caption changed, or an icon was gained or lost), false when
// only the icon image was replaced.
bool SetFace(KrnWindow* button, const char* caption, KrnImage* icon);

}  // namespace buttonrow

#endif
