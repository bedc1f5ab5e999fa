// textwnd.cpp - the read-only text window (kind 10): a text wrapped to the
// window's width and shown from a top line on, drawn straight onto the X
// window (optionally with an outline), and scrolled by copying the visible
// rows when only a few new rows come into view.  The wrapping is in
// textwnd_model.cpp; start at WndProc_TextWnd.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "controls/textentry.h"
#include "controls/textwnd_model.h"
#include "core/korrin_internal.h"
#include "support/xmeasure.h"

namespace {

using twnd::kLeft;
using twnd::kTop;

TextWndData* Data(KrnWindow* window) {
  if (!window || window->windowKind != KRN_KIND_TEXTWND) return nullptr;
  return static_cast<TextWndData*>(window->option);
}

const unsigned char* U(const char* s) {
  return reinterpret_cast<const unsigned char*>(s);
}

int LineHeight() {
  return krnGetCharHeight(nullptr);
}

// Byte offset at which line i starts.
int LineStart(const TextWndData* d, int i) {
  int start = 0;
  for (int k = 0; k < i; k++) {
    const TextWndLine* l = twnd::Line(d, k);
    if (!l) break;
    start += l->lineLength;
  }
  return start;
}

// Bytes of line l that have a glyph: the line feed that ends it has none.
int Shown(const TextWndLine* l) {
  int n = l->lineLength;
  return n > 0 && l->lineText[n - 1] == '\n' ? n - 1 : n;
}

/* ---- wrapping --------------------------------------------------------------- */

krnx::FontPair g_fonts;  // the session's fonts, refreshed for every wrap

int SingleWidth(void* context, unsigned char byte) {
  return g_fonts.single ? krnx::SingleWidth(context, byte) : 0;
}

int PairWidth(void* context, unsigned char row, unsigned char cell) {
  return g_fonts.kanji ? krnx::PairWidth(context, row, cell) : 0;
}

// What the hook of an interactive wrap watches: the window must survive the
// events it lets through, with the same text.
struct WrapWatch {
  KrnWindow* window;
  const char* text;
};

bool LetPaintThrough(void* context) {
  WrapWatch* watch = static_cast<WrapWatch*>(context);
  // Only paint events are served: input that arrives meanwhile (a key, a
  // click, the window manager's close request) waits for the loop.
  krnServePaintEvents(g_korrin.display);
  if (!CheckKrnPointer(watch->window)) return false;
  TextWndData* d = Data(watch->window);
  return d && d->text == watch->text;
}

int WrapAt(KrnWindow* window, TextWndData* d, int width, twnd::Hook hook) {
  g_fonts.single = g_korrin.font;
  g_fonts.kanji = g_korrin.fontKanji ? g_korrin.fontKanji : g_korrin.font;
  charcode::CharMeter meter{SingleWidth, PairWidth, &g_fonts};
  void** lines = nullptr;
  int n = twnd::WrapLines(d->text, d->length, width - 5, meter, hook, &lines);
  if (n < 0) return -1;
  if (!CheckKrnPointer(window) || Data(window) != d) {
    twnd::FreeLines(lines);
    return -1;
  }
  twnd::FreeLines(d->lines);
  d->lines = lines;
  d->nLines = n;
  return n;
}

// Rebuilds the lines for the window's width; -1 keeps the old ones (a
// window narrower than two characters and the margins, or no memory).  An
// interactive wrap keeps the top window's size fixed and lets paint events
// through between characters.
int GetTextList(Display* display, KrnWindow* window, int interactive) {
  TextWndData* d = Data(window);
  int width = window->rect.width;
  if (width < 2 * LineHeight() + 5) return -1;
  if (!interactive) return WrapAt(window, d, width, twnd::Hook{nullptr, nullptr});
  KrnWindow* top = krnGetTopWindow(window);
  krnFixWindow(display, top, 1);
  WrapWatch watch{window, d->text};
  int n = WrapAt(window, d, width, twnd::Hook{LetPaintThrough, &watch});
  if (CheckKrnPointer(top)) krnFixWindow(display, top, 0);
  // A resize handled during the wrap already wrapped at the new width.
  if (n >= 0 && CheckKrnPointer(window) && window->rect.width != width)
    n = GetTextList(display, window, 0);
  return n;
}

/* ---- drawing ------------------------------------------------------------------ */

// One drawing of the window, straight onto the screen and clipped to the
// text rectangle.
struct Painter {
  Display* display;
  KrnWindow* window;
  TextWndData* d;
  int W, H, h, rows;  // window size, line height, whole rows P
  KrnRect clip;
  unsigned long outlineColor;

  int RowY(int row) const { return kTop + row * h; }

  void Clear(KrnRect rect) {
    if (rect.width > 0 && rect.height > 0) krnClearRectWindowRRg(display, window, clip, rect, 0);
  }

  void DrawLine(int i, int row) {
    const TextWndLine* l = twnd::Line(d, i);
    if (!l) return;
    int y = RowY(row);
    // The line feed that ends a line is kept in the line but has no glyph
    // to show: the font would draw a control-character symbol for it.
    int n = Shown(l);
    static const int kAround[8][2] = {{-1, -1}, {-1, 1}, {1, -1}, {1, 1},
                                      {-1, 0},  {1, 0},  {0, -1}, {0, 1}};
    if (d->outLine)
      for (const auto& o : kAround)
        krnx::DrawTabbedText(display, window->win, clip, outlineColor, KRN_TRANSPARENT,
                             kLeft + o[0], y + o[1], U(l->lineText), n, kLeft + o[0]);
    krnx::DrawTabbedText(display, window->win, clip, window->foreFontColor, KRN_TRANSPARENT, kLeft,
                         y, U(l->lineText), n, kLeft);
    if (d->selStart < d->selEnd) DrawSelected(l, LineStart(d, i), n, y);
  }

  // The selected part of a line over its text, in reverse colours.
  void DrawSelected(const TextWndLine* l, int start, int n, int y) {
    int from = d->selStart - start, to = d->selEnd - start;
    if (from < 0) from = 0;
    if (to > n) to = n;
    if (from >= to) return;
    int x = kLeft + krnx::TabbedWidth(U(l->lineText), from, 0);
    krnx::DrawTabbedText(display, window->win, clip, window->backFontColor, window->foreFontColor,
                         x, y, U(l->lineText) + from, to - from, kLeft);
  }

  int Width(int i) const {
    const TextWndLine* l = twnd::Line(d, i);
    return l ? l->lineWidth : 0;
  }

  // Lines from pos on, down to the first row that starts below the window;
  // returns the rows drawn.
  int DrawRows(bool clearFirst) {
    int row = 0;
    for (int i = d->pos; i < d->nLines && RowY(row) < H; i++, row++) {
      if (clearFirst) {
        int wide = Width(i) > Width(d->drawnPos + row) ? Width(i) : Width(d->drawnPos + row);
        Clear(krnSetRect(kLeft, RowY(row), wide + (d->outLine ? 1 : 0), h));
      }
      DrawLine(i, row);
    }
    return row;
  }

  void Whole() {
    krnClearWindow(display, window, 0);
    if (d->pos >= 0 && d->pos < d->nLines) DrawRows(false);
    krnDrawFrame(display, window->win, krnSetRect(0, 0, W - 1, H - 1), d->frameStyle);
  }

  // Repaints every row; rows below the end of the text are cleared.
  void Update() {
    int drawn = DrawRows(true);
    if (RowY(drawn) < H) Clear(krnSetRect(kLeft, RowY(drawn), W, H - RowY(drawn)));
  }

  bool CanCopy(int dist) const {
    return d->hiDraw && !window->wallPaper && dist >= 1 && dist < rows;
  }

  // Moves the rows that stay by copying and draws the ones that came into
  // view, the part-visible row below the whole rows included, so the
  // result is what a full repaint shows.
  void Copy(int dist) {
    bool up = d->pos < d->drawnPos;
    int first = up ? d->pos : d->drawnPos, widest = 0;
    for (int i = first; i < first + rows + dist && i < d->nLines; i++)
      if (Width(i) > widest) widest = Width(i);
    int shift = dist * h;
    if (up) {
      krnCopyWindowRRg(display, window, clip, krnSetRect(kLeft, kTop, widest, H - shift), kLeft,
                       kTop + shift, 0);
      Clear(krnSetRect(kLeft, kTop, widest, shift));
    } else {
      krnCopyWindowRRg(display, window, clip, krnSetRect(kLeft, kTop + shift, widest, H - shift),
                       kLeft, kTop, 0);
      Clear(krnSetRect(kLeft, RowY(rows - dist), widest, H - (rows - dist) * h));
    }
    Clear(krnSetRect(kLeft, RowY(rows), W, H - rows * h));
    for (int k = 0; k < dist; k++) {
      int row = up ? k : rows - 1 - k;
      DrawLine(d->pos + row, row);
    }
    DrawLine(d->pos + rows, rows);
  }
};

// Full drawing (whole 1) or what a new top line changed (whole 0).
int Draw_TextWnd(Display* display, KrnWindow* window, int whole) {
  TextWndData* d = Data(window);
  bool inRange = d->pos >= 0 && d->pos < d->nLines;
  if (!whole && (d->pos == d->drawnPos || !inRange)) return 0;
  Painter p{display, window, d, window->rect.width, window->rect.height, LineHeight(), 0, {}, 0};
  p.rows = twnd::LinesPerPage(p.H, p.h);
  p.clip = krnSetRect(kLeft, kTop, p.W > 5 ? p.W - 5 : 0, p.H > 3 ? p.H - 3 : 0);
  if (d->outLine) {
    int r = 0, g = 0, b = 0;
    krnGetRGB(display, g_korrin.colormap, window->foreFontColor, &r, &g, &b);
    p.outlineColor = krnGetAlterColor(display, g_korrin.colormap, r, g, b, KRN_SHADE_CONTRAST);
  }
  int dist = d->pos > d->drawnPos ? d->pos - d->drawnPos : d->drawnPos - d->pos;
  if (whole)
    p.Whole();
  else if (p.CanCopy(dist))
    p.Copy(dist);
  else
    p.Update();
  d->drawnPos = d->pos;
  return 1;
}

// A resize re-wraps and keeps the top line where the text still fills the
// window below it.
void OnResize(Display* display, KrnWindow* window, TextWndData* d) {
  GetTextList(display, window, 0);
  int h = LineHeight(), s = h * d->nLines - window->rect.height;
  if (s <= 0)
    d->pos = 0;
  else if (h > 0 && d->pos > s / h)
    d->pos = s / h;
}

/* ---- mouse selection ---------------------------------------------------------- */

// The byte offset of the character boundary nearest to the pointer: the
// row under it, the left or right side of the character under it.
int HitByte(const TextWndData* d, int x, int y) {
  int h = LineHeight();
  if (h <= 0 || d->nLines == 0) return 0;
  int i = d->pos + (y < kTop ? 0 : (y - kTop) / h);
  if (i >= d->nLines) return d->length;
  const TextWndLine* l = twnd::Line(d, i);
  int start = LineStart(d, i), n = Shown(l);
  int code = krnCheckCharCode(U(d->text), d->length);
  for (int k = 0; k < n;) {
    unsigned char b = static_cast<unsigned char>(l->lineText[k]);
    int step = k + 1 < n && charcode::IsLeadByte(code, b) ? 2 : 1;
    int left = krnx::TabbedWidth(U(l->lineText), k, 0);
    int width = krnx::TabbedWidth(U(l->lineText) + k, step, left);
    if (x < kLeft + left + width / 2) return start + k;
    k += step;
  }
  return start + n;
}

// A press with the selecting button starts a selection, motion extends it,
// the release makes it the primary selection.
void OnMouse(KrnWindow* window, TextWndData* d, XEvent* event) {
  int start = d->selStart, end = d->selEnd;
  unsigned int select = textentry::PrimaryButton(g_korrin.mouseRightHand, g_korrin.mouseButtons);
  if (event->type == ButtonPress && event->xbutton.button == select) {
    d->buttonDown = 1;
    d->selAnchor = d->selStart = d->selEnd = HitByte(d, event->xbutton.x, event->xbutton.y);
  } else if (event->type == MotionNotify && d->buttonDown) {
    int byte = HitByte(d, event->xmotion.x, event->xmotion.y);
    d->selStart = byte < d->selAnchor ? byte : d->selAnchor;
    d->selEnd = byte < d->selAnchor ? d->selAnchor : byte;
  } else if (event->type == ButtonRelease && d->buttonDown) {
    d->buttonDown = 0;
    if (d->selStart < d->selEnd)
      krnSetSelectionText(KRN_SEL_PRIMARY, d->text + d->selStart, d->selEnd - d->selStart,
                          event->xbutton.time);
  }
  if (d->selStart != start || d->selEnd != end) krnSendEvent(window, KRN_EV_REDRAW);
}

void FreeData(TextWndData* d) {
  free(d->text);
  d->text = nullptr;
  twnd::FreeLines(d->lines);
  d->lines = nullptr;
  d->nLines = d->pos = d->length = 0;
  d->selAnchor = d->selStart = d->selEnd = 0;
}

char* CopyText(const char* text, int length) {
  char* copy = static_cast<char*>(malloc(length + 1));
  if (!copy) return nullptr;
  if (length > 0) memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}

// Sets a flag field; a change repaints.
int SetFlag(KrnWindow* window, int TextWndData::*field, int value) {
  TextWndData* d = Data(window);
  if (!d) return 0;
  if (d->*field != value) {
    d->*field = value;
    krnSendEvent(window, KRN_EV_REDRAW);
  }
  return 1;
}

// The wheel moves the text by its lines, keeping the last page full.
void OnWheel(KrnWindow* window, TextWndData* d, int lines) {
  int page = twnd::LinesPerPage(window->rect.height, LineHeight());
  int last = d->nLines - (page > 0 ? page : 1);
  int pos = d->pos + lines;
  if (pos > last) pos = last;
  if (pos < 0) pos = 0;
  if (pos != d->pos) krnSetPos_TextWnd(window, pos);
}

}  // namespace

// The text window's procedure: the default procedure's answer.
int WndProc_TextWnd(Display* display, KrnWindow* window, XEvent* event) {
  TextWndData* d = Data(window);
  if (!d || !event) return window ? window->result : 0;
  if (event->xany.window != window->win) return window->result;
  int result = krnWndProc_Default(display, window, event);
  switch (event->type) {
    case Expose:
      if (event->xexpose.count == 0) Draw_TextWnd(display, window, 1);
      break;
    case KRN_EV_REDRAW:
      Draw_TextWnd(display, window, 1);
      break;
    case KRN_EV_UPDATE:
      Draw_TextWnd(display, window, 0);
      break;
    case ConfigureNotify:
      if (event->xconfigure.window == window->win) OnResize(display, window, d);
      break;
    case ButtonPress:
      if (int lines = krnGetWheelLines(event)) {
        OnWheel(window, d, lines);
        break;
      }
      OnMouse(window, d, event);
      break;
    case MotionNotify:
    case ButtonRelease:
      OnMouse(window, d, event);
      break;
    case KRN_EV_DESTROY:
      FreeData(d);
      break;
    default:
      break;
  }
  return result;
}

// Creates a text window showing length bytes of text; null when it cannot
// be made or is too narrow for two characters.
KrnWindow* krnCreateWindow_TextWnd(Display* display, KrnWindow* parent, KrnRect rect,
                                   const char* name, const char* text, int length) {
  KrnWindow* window = krnCreateWindow(display, parent, rect, 0, name, WndProc_TextWnd);
  if (!window) return nullptr;
  krnSetWindowKind(window, KRN_KIND_TEXTWND);
  if (!text || length < 0) length = 0;
  TextWndData* d = static_cast<TextWndData*>(krnAlloc(sizeof(TextWndData)));
  char* copy = d ? CopyText(text, length) : nullptr;
  if (!copy) {
    free(d);
    krnDestroyWindow(display, window);
    return nullptr;
  }
  *d = TextWndData{};
  d->text = copy;
  d->length = length;
  d->frameStyle = twnd::kDefaultFrame;
  krnSetOption(window, d);
  krnSetCustom(window, 1);
  if (GetTextList(display, window, 0) < 0) {
    krnDestroyWindow(display, window);
    return nullptr;
  }
  return window;
}

int krnGetLines_TextWnd(KrnWindow* window) {
  TextWndData* d = Data(window);
  return d ? d->nLines : 0;
}

int krnGetPos_TextWnd(KrnWindow* window) {
  TextWndData* d = Data(window);
  return d ? d->pos : 0;
}

char* krnGetText_TextWnd(KrnWindow* window) {
  TextWndData* d = Data(window);
  return d ? d->text : nullptr;
}

// Shows line at the top; 0 for a line outside the text.
int krnSetPos_TextWnd(KrnWindow* window, int line) {
  TextWndData* d = Data(window);
  if (!d || line < 0 || line >= d->nLines) return 0;
  if (line != d->pos) {
    d->pos = line;
    krnSendEvent(window, KRN_EV_UPDATE);
  }
  return 1;
}

// Replaces the text and shows it from the top; the new line count, or -1
// when memory ran out (the window is then empty).
int krnSetText_TextWnd(KrnWindow* window, const char* text, int length) {
  TextWndData* d = Data(window);
  if (!d) return -1;
  if (!text || length < 0) length = 0;
  if (d->text && length == d->length && memcmp(d->text, text ? text : "", length) == 0)
    return d->nLines;
  char* copy = CopyText(text, length);
  if (!copy) {
    fprintf(stderr, "Error: Can't allocate memory.\n");
    twnd::FreeLines(d->lines);
    d->lines = nullptr;
    d->nLines = d->pos = d->length = 0;
    d->selAnchor = d->selStart = d->selEnd = 0;
    if (d->text) d->text[0] = '\0';
    krnSendEvent(window, KRN_EV_REDRAW);
    return -1;
  }
  free(d->text);
  d->text = copy;
  d->length = length;
  d->pos = 0;
  d->selAnchor = d->selStart = d->selEnd = 0;
  GetTextList(g_korrin.display, window, 1);
  if (!CheckKrnPointer(window)) return -1;
  krnSendEvent(window, KRN_EV_REDRAW);
  return d->nLines;
}

// Outline on switches fast scrolling off.
int krnSetOutLine_TextWnd(KrnWindow* window, int on) {
  TextWndData* d = Data(window);
  if (!d) return 0;
  if (on) SetFlag(window, &TextWndData::hiDraw, 0);
  return SetFlag(window, &TextWndData::outLine, on ? 1 : 0);
}

// Fast scrolling on switches the outline off and drops the wallpaper,
// which scrolling by copying cannot keep in place.
int krnSetHiDraw_TextWnd(KrnWindow* window, int on) {
  TextWndData* d = Data(window);
  if (!d) return 0;
  if (on) {
    SetFlag(window, &TextWndData::outLine, 0);
    if (window->wallPaper) krnSetWallPaper(g_korrin.display, window, nullptr);
  }
  return SetFlag(window, &TextWndData::hiDraw, on ? 1 : 0);
}

int krnSetFrame_TextWnd(KrnWindow* window, int style) {
  return SetFlag(window, &TextWndData::frameStyle, style);
}
