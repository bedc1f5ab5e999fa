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

// The mouse buttons by the MouseRightHand and MouseButton settings: the one
// that places the caret and selects, and the one that pastes the primary
// selection at the pointer.  The paste button is the middle one unless the
// settings give it to selecting or to the context menu; then it is the
// button neither uses.
unsigned int PrimaryButton(int rightHand, int mouseButtons);
unsigned int PasteButton(int rightHand, int mouseButtons);

// The text a paste inserts, in a new buffer to free(): the selection
// owner's text (our own kept text when we own it); null when there is
// none.  Without a display the control's own copy buffer serves.
char* PasteText(int selection, const char* own);

}  // namespace textentry

#endif
