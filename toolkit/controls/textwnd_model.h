// textwnd_model.h - the text window's lines without X: its private record,
// the line records, and the wrapping of a text (any of the detected
// character codes) at a pixel width through the measuring callbacks of
// charcode.h.  The window side (textwnd.cpp) passes the real fonts and an
// optional hook that keeps the screen painted during long wraps.
#ifndef KRN_CONTROLS_TEXTWND_MODEL_H
#define KRN_CONTROLS_TEXTWND_MODEL_H

#include "support/charcode.h"

// One wrapped line, allocated in one block with its bytes so that the
// object array frees it whole.
typedef struct TextWndLine {
  char* lineText;  // terminated copy of the line's bytes (a line feed kept)
  int lineLength;  // bytes
  int lineWidth;   // pixels
} TextWndLine;

// The text window's private record (the window record's option).
typedef struct TextWndData {
  char* text;      // owned, terminated
  void** lines;    // owned object array of TextWndLine
  int pos;         // index of the top line shown
  int drawnPos;    // pos at the last drawing
  int nLines;      // number of lines
  int length;      // bytes of text
  int outLine;     // 1: every line is drawn with an outline
  int hiDraw;      // 1: view moves are painted by copying the screen
  int frameStyle;  // krnDrawFrame type round the window
  int selAnchor;   // byte offset where the mouse selection began
  int selStart;    // selected bytes: selStart up to selEnd (none when equal)
  int selEnd;
  int buttonDown;  // 1 while the selecting button is held
} TextWndData;

namespace twnd {

constexpr int kLeft = 4;  // text origin in the window
constexpr int kTop = 2;
constexpr int kDefaultFrame = 3;

// Called before each character of a long wrap; false abandons the wrap.
struct Hook {
  bool (*call)(void* context);
  void* context;
};

// Wraps length bytes of text at `wrap` pixels into a new object array of
// TextWndLine and returns the count, or -1 (nothing allocated) when memory
// ran out or the hook gave up.  A line ends after a line feed, or when a
// character would make it reach `wrap` (its width is then recorded as
// `wrap`): after the last blank or beside the last two-byte character
// before that character, else (a word wider than the line) before it.
// Blanks that do not fit hang at the end of their line.  A character wider
// than `wrap` alone keeps a line of its own.  Tabs reach the next stop
// counted from the line's left edge.  In a text detected as binary the
// control bytes are replaced by "?" in text.
int WrapLines(char* text, int length, int wrap, const charcode::CharMeter& meter, Hook hook,
              void*** outLines);
void FreeLines(void** lines);
const TextWndLine* Line(const TextWndData* d, int index);  // null outside

// Whole rows a window of this height shows.
int LinesPerPage(int height, int lineHeight);

}  // namespace twnd

#endif
