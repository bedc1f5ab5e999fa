// inputwnd_model.h - the single-line input window's field without X: a
// fixed 1024-byte text with caret, selection, copy buffer and horizontal
// scroll position, and every key, typing and mouse rule as a function of the
// record.  Text is measured through a callback (the real fonts in the
// window, fixed widths in the tests).  The window side is inputwnd.cpp.
#ifndef KRN_CONTROLS_INPUTWND_MODEL_H
#define KRN_CONTROLS_INPUTWND_MODEL_H

#include <stdint.h>

#include "support/charcode.h"

// The field's private record (the window record's option).
typedef struct InputWndData {
  char text[1025];         // the text, NUL-terminated, at most 1024 bytes
  char selectText[1025];   // copy of the selected bytes, empty without a selection
  char* copyText;          // owned copy buffer; null until Copy or Cut of a selection
  int buttonDown;          // 1 while a mouse button pressed in the field is held
  int firstVisible;        // index of the first byte shown
  int selectLen;           // signed selection length in bytes, measured from caret
  int caret;               // caret byte offset, 0 to the text's length
  int shift;               // 1 while Shift is held
  int foreignKeys;         // 1: key events of other windows are handled too
  uint32_t lastPressTime;  // server time of the last button press
} InputWndData;

namespace iw {

constexpr int kMaxText = 1024;    // bytes the field holds at most
constexpr int kWideMargin = 4;    // text margin while the field is not scrolled
constexpr int kNarrowMargin = 2;  // ... and once it is

// The model's view of a field: its record, the window's width, the code
// setting and how a byte range is measured when its first byte lies x
// pixels right of the text's start (tabs reach stops counted from there).
struct Field {
  InputWndData* d;
  int width;
  int charCode;
  int (*textWidth)(void* context, const unsigned char* bytes, int length, int x);
  void* context;
};

// What the window does after a rule: paint (and move the preedit spot),
// ring the bell.
struct Outcome {
  bool paint;
  bool bell;
};

int Length(const InputWndData* d);
int Margin(const InputWndData* d);
// Width of the bytes from `from` to `to` where they stand in the text;
// negative when to lies before from.
int Width(const Field& f, int from, int to);
// x of the text's start, the origin of its tab stops, in window
// coordinates (left of the margin once the field is scrolled).
int TextOriginX(const Field& f);
// Position class (KRN_CHAR_*) of the byte at pos under the code setting.
int CharClass(const Field& f, int pos);

// Empties the record and takes text (null = empty) when it is shorter than
// 1024 bytes; 0 (field left empty) for a longer one.
int InitText(InputWndData* d, const char* text, int foreignKeys);
void SetSelectText(InputWndData* d);
int GetDrawPos(const Field& f);  // the firstVisible that keeps the target in view
void KeepInView(Field& f);
void DelSelectText(Field& f);

// Public setters: the new length or -1; 1 or 0.
int SetText(Field& f, const char* string);
int SetCaretPos(Field& f, int position);
int SetSelectRange(Field& f, int start, int end);
int AddText(Field& f, const char* string, bool* bell);
int Copy(InputWndData* d);  // 1, or 0 when the copy could not be made

// x of the caret and of the selection's start, and the caret's x for the
// preedit spot, in window coordinates.
int CaretX(const Field& f);
int SelectX(const Field& f);

enum Key { kLeft, kRight, kHome, kEnd, kBackSpace, kDelete };
Outcome PressKey(Field& f, Key key, bool shift);
Outcome TypeText(Field& f, const char* s, int n);

// Byte a click at window x maps to.
int ClickTarget(const Field& f, int x);
void SelectWord(InputWndData* d);
Outcome PressButton(Field& f, int x, uint32_t time, bool shift, int doubleClickTime);
Outcome DragTo(Field& f, int x);

}  // namespace iw

#endif
