// textentry.h - small X-side helpers shared by the text-entry controls (the
// multi-line editor and the single-line input window): the key symbol a key
// event stands for, the shift test of a button event, the caret colour and
// the text-width callback that feeds their X-free models.
#ifndef KRN_CONTROLS_TEXTENTRY_H
#define KRN_CONTROLS_TEXTENTRY_H

#include <korrin.h>

namespace textentry {

// The key symbol of a key event, translated through the numeric keypad
// rules when the TenKey setting is on.
KeySym KeySymOf(XEvent* event);

// The shift test of a button event, read like a key event's state.
bool ButtonShift(const XButtonEvent& button);

// The caret colour: the contrast shade of a window's background colour.
unsigned long CaretColor(Display* display, KrnWindow* window);

// Width of a byte range in the session's fonts (krnTextNWidth, tabs to
// their stops when it starts x pixels right of its row's edge), in the
// shape the models' measuring callbacks take.
int TextWidth(void* context, const unsigned char* bytes, int length, int x);

}  // namespace textentry

#endif
