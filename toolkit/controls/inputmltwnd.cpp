// inputmltwnd.cpp - the multi-line text editor window (kind 130): creation,
// the public operations, the drawing of lines, caret and selection straight
// onto the X window (only what changed, or the whole editor), and the window
// procedure that turns keys, clicks, drags, focus and resizes into calls of
// the X-free model in inputmltwnd_model.cpp.  Start at WndProc_InputMltWnd.
#include <stdlib.h>
#include <string.h>

#include <X11/keysym.h>

#include "controls/inputmltwnd_model.h"
#include "controls/textentry.h"
#include "core/korrin_internal.h"
#include "support/xmeasure.h"

namespace {

using mlt::Editor;
using mlt::Outcome;

constexpr int kCaretWidth = 2;  // the caret is a bar of two pixel columns

/* ---- record, metrics and geometry ----------------------------------------- */

InputMltWndData* Data(KrnWindow* window) {
  if (!window || window->windowKind != KRN_KIND_INPUTMLTWND) return nullptr;
  return static_cast<InputMltWndData*>(window->option);
}

krnx::FontPair g_fonts;  // the session's fonts, refreshed for every editor call

int FontSingleWidth(void* context, unsigned char byte) {
  return static_cast<krnx::FontPair*>(context)->single ? krnx::SingleWidth(context, byte) : 0;
}

int FontPairWidth(void* context, unsigned char row, unsigned char cell) {
  return static_cast<krnx::FontPair*>(context)->kanji ? krnx::PairWidth(context, row, cell) : 0;
}

// The model's view of an editor window: its record, its size and the
// session's fonts and code setting.
Editor EditorOf(KrnWindow* window, InputMltWndData* d) {
  g_fonts.single = g_korrin.font;
  g_fonts.kanji = g_korrin.fontKanji ? g_korrin.fontKanji : g_korrin.font;
  Editor e;
  e.d = d;
  e.view = mlt::View{window->rect.width, window->rect.height, krnGetCharHeight(nullptr)};
  e.metrics = mlt::Metrics{g_korrin.charCode,
                           charcode::CharMeter{FontSingleWidth, FontPairWidth, &g_fonts}};
  return e;
}

int RowTop(const Editor& e, int line) {
  return mlt::kTextTop + (line - e.d->topLine) * e.view.lineHeight;
}

// Rows at least partly visible.
int VisibleRows(const Editor& e) {
  return e.view.lineHeight > 0 ? (e.view.height - 3) / e.view.lineHeight + 1 : 0;
}

KrnRect TextClip(const Editor& e) {
  int w = e.view.width - 5, h = e.view.height - 3;
  return krnSetRect(mlt::kTextLeft, mlt::kTextTop, w > 0 ? w : 0, h > 0 ? h : 0);
}

// Sends the caret position to the input method as the pre-edit spot.
void MovePreedit(KrnWindow* window, const Editor& e) {
  const InputMltWndData* d = e.d;
  XPoint spot;
  spot.x = static_cast<short>(mlt::ColumnX(e, d->caretCell.line, d->caretCell.column));
  spot.y = static_cast<short>(RowTop(e, d->caretCell.line) + e.view.lineHeight);
  krnMovePreedit_XIM(window, spot);
}

/* ---- drawing ---------------------------------------------------------------- */

// One drawing of the editor: what the screen shows is compared with the
// record and only the rows that differ are painted (or all of them).
struct Painter {
  Display* display;
  KrnWindow* window;
  Editor e;
  InputMltWndData* d;
  KrnRect clip;
  int rows = 0;                                   // visible rows V
  KrnCell selEnd = {mlt::kNoCell, mlt::kNoCell};  // selection-end cell, or none
  KrnCell selFirst = {}, selLast = {};            // the selection's cells in text order
  bool selecting = false;
  krnx::TextRows* plainRows = nullptr;  // unselected rows, when nothing else draws text

  bool Has(int i) const { return i >= 0 && i < d->lines; }
  TextLine Line(int i) const { return mlt::Line(d, i); }

  void DrawCaret(int x, int y) {
    int h = e.view.lineHeight;
    KrnRect bar[kCaretWidth];
    for (int dx = 0; dx < kCaretWidth; dx++) bar[dx] = krnSetRect(x + dx, y, 0, h - 1);
    krnx::DrawLinesRRg(display, window->win, clip, textentry::CaretColor(display, window), bar,
                       kCaretWidth);
  }

  // Bytes of a row from x on; tabs reach the stops the model measured.
  void DrawText(int x, int y, const char* bytes, int n, bool selected) {
    if (n <= 0) return;
    const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes);
    // in the working code, as the model measured it
    int code = e.metrics.charCode;
    if (selected)
      krnx::DrawTabbedText(display, window->win, clip, window->backFontColor, window->foreFontColor,
                           x, y, b, n, mlt::kTextLeft, code);
    else if (plainRows)
      plainRows->Draw(x, y, b, n, mlt::kTextLeft, code);
    else
      krnx::DrawTabbedText(display, window->win, clip, window->foreFontColor, KRN_TRANSPARENT, x, y,
                           b, n, mlt::kTextLeft, code);
  }

  // The selected part of line i drawn over its text in reverse colours.
  void DrawSelect(int i) {
    if (!Has(i)) return;
    TextLine l = Line(i);
    int y = RowTop(e, i), from = 0, to = 0;
    if (i == selFirst.line) {
      from = selFirst.column;
      to = selLast.line == selFirst.line ? selLast.column : l.length;
    } else if (i == selLast.line) {
      to = selLast.column;
    } else if (i > selFirst.line && i < selLast.line) {
      to = l.length;
    } else {
      return;
    }
    from = from < 0 ? 0 : (from > l.length ? l.length : from);
    to = to > l.length ? l.length : to;
    DrawText(mlt::ColumnX(e, i, from), y, mlt::LineText(d, i) + from, to - from, true);
  }

  // Text of line i, then its caret or its part of the selection.
  void PaintLine(int i, bool clearFirst) {
    if (!Has(i)) return;
    TextLine l = Line(i);
    int y = RowTop(e, i);
    if (clearFirst)
      krnClearRectWindowRRg(display, window, clip,
                            krnSetRect(mlt::kTextLeft, y, e.view.width, e.view.lineHeight), 0);
    DrawText(mlt::kTextLeft, y, mlt::LineText(d, i), l.length, false);
    if (selecting)
      DrawSelect(i);
    else if (i == d->caretCell.line)
      DrawCaret(mlt::ColumnX(e, i, d->caretCell.column), y);
  }

  void Whole() {
    krnClearWindow(display, window, 0);
    for (int i = d->topLine; i < d->lines; i++) {
      PaintLine(i, false);
      if (i - d->topLine > rows) break;
    }
    if (d->lines == 0) DrawCaret(mlt::kTextLeft, mlt::kTextTop);
    krnDraw3DRectangle(display, window->win, krnSetRect(0, 0, e.view.width - 1, e.view.height - 1),
                       0);
  }

  bool CanScroll() const {
    int dist = d->topLine - d->drawnTopLine;
    if (dist < 0) dist = -dist;
    return d->hiDraw && d->selectLen == d->drawnSelectLen && d->lines == d->drawnLines &&
           d->caret == d->drawnCaret && rows > 0 && dist > 0 && dist < rows;
  }

  // Only the view moved: copy the visible text and paint the rows that
  // came into view.
  void Scroll() {
    int h = e.view.lineHeight, H = e.view.height, W = e.view.width;
    bool up = d->topLine < d->drawnTopLine;
    int dist = up ? d->drawnTopLine - d->topLine : d->topLine - d->drawnTopLine;
    char newline = '\n';
    int nl = g_korrin.font ? XTextWidth(g_korrin.font, &newline, 1) : 0;
    int first = up ? d->topLine : d->drawnTopLine, widest = 0;
    for (int i = first; i < first + rows + dist && i < d->lines; i++) {
      int w = Line(i).width + Line(i).hard * nl;
      if (w > widest) widest = w;
    }
    // The caret bar may stand right of the last glyph of a line without a
    // newline: it moves with the text and its old place is cleared.
    widest += kCaretWidth;
    KrnRect strip;
    if (up) {
      krnCopyWindowRRg(display, window, clip,
                       krnSetRect(mlt::kTextLeft, mlt::kTextTop, widest, H - dist * h),
                       mlt::kTextLeft, mlt::kTextTop + dist * h, 0);
      strip = krnSetRect(mlt::kTextLeft, mlt::kTextTop, widest, dist * h);
    } else {
      krnCopyWindowRRg(display, window, clip,
                       krnSetRect(mlt::kTextLeft, mlt::kTextTop + dist * h, widest, H - dist * h),
                       mlt::kTextLeft, mlt::kTextTop, 0);
      int keep = rows - dist - 1;
      strip = krnSetRect(mlt::kTextLeft, mlt::kTextTop + keep * h, widest, H - keep * h);
    }
    krnClearRectWindowRRg(display, window, clip, strip, 0);
    int below = H - (rows - 1) * h;
    if (below > 0 && d->lines <= d->topLine + rows - 1)
      krnClearRectWindowRRg(display, window, clip,
                            krnSetRect(mlt::kTextLeft, mlt::kTextTop + (rows - 1) * h, W, below),
                            0);
    for (int k = 0; k <= dist; k++) {
      int i = up ? d->topLine + k : d->topLine + rows - 1 - k;
      if (i >= 0 && i < d->lines) PaintLine(i, false);
    }
  }

  bool InDrawnSelection(int i) const {
    if (d->drawnSelectLen > 0) return i > d->drawnCaretCell.line && i <= d->drawnSelectCell.line;
    if (d->drawnSelectLen < 0) return i >= d->drawnSelectCell.line && i < d->drawnCaretCell.line;
    return false;
  }

  // Rows that an edit or a caret move without a selection can have changed.
  int ChangedWithoutSelection() {
    int caretLine = d->caretCell.line, run = 0;
    for (int j = caretLine; j < d->lines && !Line(j).hard && run < rows + 1; j++) run++;
    bool scrolled = d->topLine != d->drawnTopLine, countChanged = d->lines != d->drawnLines;
    // Text typed at the start of a wrapped line may fit at the end of the
    // wrapped line above it, which then changes too.
    int above = d->drawnCaretCell.line - 1;
    bool pulledUp = d->drawnCaretCell.column == 0 && Has(above) && !Line(above).hard;
    int i = d->topLine;
    for (; i < d->lines; i++) {
      bool below = i > caretLine;
      if (scrolled || i == caretLine || i == d->drawnCaretCell.line || (countChanged && below) ||
          (below && i - caretLine <= run) || InDrawnSelection(i) || (pulledUp && i == above))
        PaintLine(i, true);
      if (i - d->topLine > rows) break;
    }
    return i;
  }

  // Rows between the old and the new selection end, the caret's row, and
  // the rows the old selection covered (so no stale band is left behind).
  int ChangedWithSelection() {
    int a = d->drawnSelectCell.line == mlt::kNoCell ? d->caretCell.line : d->drawnSelectCell.line;
    int b = selEnd.line, low = a < b ? a : b, high = a < b ? b : a;
    bool scrolled = d->topLine != d->drawnTopLine;
    int i = d->topLine;
    for (; i < d->lines; i++) {
      bool repaint = scrolled || i == d->caretCell.line || (i >= low && i <= high) ||
                     InDrawnSelection(i) || i == d->drawnCaretCell.line;
      if (!repaint) continue;
      PaintLine(i, true);
      if (i - d->topLine > rows) break;
    }
    return i;
  }

  // Clears what lies below the last painted row when the text got shorter.
  void ClearBelow(int end) {
    int h = e.view.lineHeight, H = e.view.height;
    int y = (end - d->topLine) * h;
    if ((y <= H && H <= y + h) || (d->lines < d->drawnLines && y < H)) {
      krnClearRectWindowRRg(display, window, clip,
                            krnSetRect(mlt::kTextLeft, mlt::kTextTop + y, e.view.width, H - y), 0);
      if (y < 1) DrawCaret(mlt::kTextLeft, mlt::kTextTop);
    }
  }

  void Record() {
    d->drawnTopLine = d->topLine;
    d->drawnLines = d->lines;
    d->drawnSelectLen = d->selectLen;
    d->drawnSelectCell = selEnd;
    d->drawnCaret = d->caret;
    d->drawnCaretCell = d->caretCell;
  }
};

// Paints the whole editor (mode 1) or what changed since the last drawing
// (mode 0).  Returns 1.
int Draw_InputMltWnd(Display* display, KrnWindow* window, int mode) {
  InputMltWndData* d = Data(window);
  if (!d) return 0;
  Painter p;
  p.display = display;
  p.window = window;
  p.e = EditorOf(window, d);
  p.d = d;
  p.clip = TextClip(p.e);
  p.rows = VisibleRows(p.e);
  p.selecting = d->selectLen != 0;
  if (p.selecting) {
    p.selEnd = mlt::GetSelectCaret(d, d->caret + d->selectLen);
    p.selFirst = d->selectLen < 0 ? p.selEnd : d->caretCell;
    p.selLast = d->selectLen < 0 ? d->caretCell : p.selEnd;
  }
  // Without a selection every row is plain text of one colour: the text
  // GCs are set up once for the whole repaint.
  krnx::TextRows plainRows(display, window->win, p.clip, window->foreFontColor);
  if (!p.selecting) p.plainRows = &plainRows;
  if (mode == 1) {
    p.Whole();
  } else if (p.CanScroll()) {
    p.Scroll();
  } else {
    p.ClearBelow(p.selecting ? p.ChangedWithSelection() : p.ChangedWithoutSelection());
  }
  p.Record();
  return 1;
}

/* ---- endings ------------------------------------------------------------------ */

// Reports to the owner; 130 from the callback becomes the procedure's result.
int Report(KrnWindow* window, int code, int result) {
  InputMltWndData* d = Data(window);
  int answer = krnCallEventCallback(window, code, d->caret, 0);
  return answer == KRN_QUIT ? KRN_QUIT : result;
}

// A selection made by the user becomes the primary selection.
void OwnPrimary(InputMltWndData* d) {
  if (d->selectLen != 0 && d->selectText)
    krnSetSelectionText(KRN_SEL_PRIMARY, d->selectText, -1, 0);
}

// Runs a key or mouse handler; a selection it made or changed becomes the
// primary selection.
template <typename Handler>
int Selecting(KrnWindow* window, InputMltWndData* d, Handler handle) {
  int caret = d->caret, length = d->selectLen;
  int result = handle();
  if (CheckKrnPointer(window) && (d->caret != caret || d->selectLen != length)) OwnPrimary(d);
  return result;
}

// Draws, moves the pre-edit spot and reports what a key or mouse action did.
int Finish(Display* display, KrnWindow* window, const Outcome& out, int result) {
  InputMltWndData* d = Data(window);
  if (out.bell) krnBell();
  if (out.ending == mlt::kEndNone) return result;
  Editor e = EditorOf(window, d);
  // An edit that also brought the caret back into view (Delete keeps the
  // caret where it was) must not be painted by copying the old rows: they
  // may have re-wrapped.  Every visible row is repainted then anyway.
  bool editScrolled = out.ending == mlt::kEndEdit && d->topLine != d->drawnTopLine;
  if (out.ending != mlt::kEndView || d->topLine != d->drawnTopLine)
    Draw_InputMltWnd(display, window, out.wholeRedraw || editScrolled ? 1 : 0);
  MovePreedit(window, e);
  if (out.quiet) return result;
  return Report(window, out.ending == mlt::kEndEdit ? KRN_EDITED : KRN_CARET_MOVED, result);
}

/* ---- keys ----------------------------------------------------------------------- */

struct KeyRule {
  KeySym sym;
  mlt::Key key;
  bool navigation;  // works in lock mode
};

const KeyRule kKeyRules[] = {
    {XK_Left, mlt::kLeft, true},
    {XK_Right, mlt::kRight, true},
    {XK_Up, mlt::kUp, true},
    {XK_Down, mlt::kDown, true},
    {XK_Home, mlt::kHome, true},
    {XK_End, mlt::kEnd, true},
    {XK_Prior, mlt::kPrior, true},
    {XK_Next, mlt::kNext, true},
    {XK_BackSpace, mlt::kBackSpace, false},
    {XK_Delete, mlt::kDelete, false},
    {XK_Return, mlt::kReturn, false},
};

const KeyRule* FindKey(KeySym sym) {
  for (const KeyRule& rule : kKeyRules)
    if (rule.sym == sym) return &rule;
  return nullptr;
}

bool IsTypedKey(KeySym sym) {
  return (sym >= 0x20 && sym <= 0x7E) || sym == XK_Tab || sym == 0;
}

int OnKeyPress(Display* display, KrnWindow* window, XEvent* event, int result) {
  InputMltWndData* d = Data(window);
  if (krnGetCtrlState(event->xkey) || krnGetAltState(event->xkey)) return result;
  int n = 0;
  char* s = krnGetString(window, event, &n);
  KeySym sym = textentry::KeySymOf(event);
  d->shift = krnGetShiftKey(event->xkey);
  Editor e = EditorOf(window, d);
  if (s && n > 0 && IsTypedKey(sym)) return Finish(display, window, mlt::TypeText(e, s, n), result);
  const KeyRule* rule = FindKey(sym);
  if (!rule) return result;
  return Finish(display, window, mlt::PressKey(e, rule->key, d->shift != 0), result);
}

// In lock mode only the navigation keys reach the editor.
bool LockedOut(InputMltWndData* d, XEvent* event) {
  if (!d->lock || (event->type != KeyPress && event->type != KeyRelease)) return false;
  const KeyRule* rule = FindKey(textentry::KeySymOf(event));
  return !rule || !rule->navigation;
}

/* ---- mouse ------------------------------------------------------------------------ */

// The paste button puts the caret under the pointer and inserts the
// primary selection there, as an edit the owner hears of.  Nothing in lock
// mode.
int PastePrimary(KrnWindow* window, XEvent* event, int result) {
  InputMltWndData* d = Data(window);
  if (d->lock) return result;
  char* text = textentry::PasteText(KRN_SEL_PRIMARY, nullptr);
  if (!text) return result;
  if (!CheckKrnPointer(window)) {  // gone while the owner was asked
    free(text);
    return result;
  }
  Editor e = EditorOf(window, d);
  mlt::SetCaretPos(e, mlt::ClickByte(e, event->xbutton.x, event->xbutton.y));
  int added = krnPasteText_InputMltWnd(window, text);
  free(text);
  if (!added || !CheckKrnPointer(window)) return result;
  return Report(window, KRN_EDITED, result);
}

int OnButtonPress(Display* display, KrnWindow* window, XEvent* event, int result) {
  unsigned int button = event->xbutton.button;
  if (button == textentry::PasteButton(g_korrin.mouseRightHand, g_korrin.mouseButtons))
    return PastePrimary(window, event, result);
  if (button != textentry::PrimaryButton(g_korrin.mouseRightHand, g_korrin.mouseButtons))
    return result;
  InputMltWndData* d = Data(window);
  Editor e = EditorOf(window, d);
  Outcome out = mlt::PressButton(e, event->xbutton.x, event->xbutton.y,
                                 static_cast<uint32_t>(event->xbutton.time),
                                 textentry::ButtonShift(event->xbutton), g_korrin.doubleClickTime);
  return Finish(display, window, out, result);
}

int OnMotion(Display* display, KrnWindow* window, XEvent* event, int result) {
  InputMltWndData* d = Data(window);
  Editor e = EditorOf(window, d);
  Outcome out = mlt::Motion(e, event->xmotion.x, event->xmotion.y,
                            static_cast<uint32_t>(event->xmotion.time), g_korrin.interval);
  return Finish(display, window, out, result);
}

/* ---- window events ------------------------------------------------------------------ */

int OnResize(KrnWindow* window, int result) {
  InputMltWndData* d = Data(window);
  Editor e = EditorOf(window, d);
  mlt::Resized(e);
  MovePreedit(window, e);
  return Report(window, KRN_EDITOR_RESIZED, result);
}

int OnDestroy(KrnWindow* window) {
  mlt::FreeData(Data(window));
  krnDetachIM(window, 1);
  return 1;
}

bool Handles(KrnWindow* window, InputMltWndData* d, XEvent* event) {
  if (event->xany.window == window->win) return true;
  return d->foreignKeys && (event->type == KeyPress || event->type == KeyRelease);
}

// Sends a toolkit event to the editor and moves the pre-edit spot, the tail
// of every public operation that changed the text or the view.
void Refresh(KrnWindow* window, InputMltWndData* d, int code) {
  krnSendEvent(window, code);
  if (CheckKrnPointer(window)) MovePreedit(window, EditorOf(window, d));
}

// Repaints after a public edit or search and tells the owner, as a key
// would, so that a scroll bar or a modified mark follows.
void Changed(KrnWindow* window, InputMltWndData* d, int event, int code) {
  Refresh(window, d, event);
  if (CheckKrnPointer(window)) krnCallEventCallback(window, code, d->caret, 0);
}

}  // namespace

// The editor's window procedure: the default procedure's answer, 130 when
// the owner's callback asked to quit, 1 for the destroy event.
int WndProc_InputMltWnd(Display* display, KrnWindow* window, XEvent* event) {
  InputMltWndData* d = Data(window);
  if (!d || !event) return window ? window->result : 0;
  if (!Handles(window, d, event) || LockedOut(d, event)) return window->result;
  int result = krnWndProc_Default(display, window, event);
  switch (event->type) {
    case KeyPress:
      return Selecting(window, d, [&] { return OnKeyPress(display, window, event, result); });
    case KeyRelease:
      d->shift = krnGetShiftKey(event->xkey);
      return result;
    case ButtonPress:
      if (event->xany.window != window->win) return result;
      krnSetFocusWindow(window);
      return Selecting(window, d, [&] { return OnButtonPress(display, window, event, result); });
    case ButtonRelease:
      d->buttonDown = 0;
      return result;
    case MotionNotify:
      return Selecting(window, d, [&] { return OnMotion(display, window, event, result); });
    case EnterNotify:
    case FocusIn:
      krnSetFocusIC_XIM(window);
      MovePreedit(window, EditorOf(window, d));
      return result;
    case FocusOut:
      krnUnsetFocusIC_XIM(window);
      return result;
    case Expose:
      if (event->xexpose.count == 0) Draw_InputMltWnd(display, window, 1);
      return result;
    case KRN_EV_UPDATE:
      Draw_InputMltWnd(display, window, 0);
      return result;
    case KRN_EV_REDRAW:
      Draw_InputMltWnd(display, window, 1);
      return result;
    case ConfigureNotify:
      return event->xconfigure.window == window->win ? OnResize(window, result) : result;
    case KRN_EV_DESTROY:
      return OnDestroy(window);
    default:
      return result;
  }
}

// Creates the editor window with its text; null when the window or the
// text cannot be made.
KrnWindow* krnCreateWindow_InputMltWnd(Display* display, KrnWindow* parent, KrnRect rect,
                                       const char* name, const char* text, int size,
                                       int foreignKeys) {
  KrnWindow* window = krnCreateWindow(display, parent, rect, 0, name, WndProc_InputMltWnd);
  if (!window) return nullptr;
  krnSetWindowKind(window, KRN_KIND_INPUTMLTWND);
  InputMltWndData* d = static_cast<InputMltWndData*>(krnAlloc(sizeof(InputMltWndData)));
  if (!d) {
    krnDestroyWindow(display, window);
    return nullptr;
  }
  Editor e = EditorOf(window, d);
  if (!mlt::InitText(e, text, size)) {
    free(d);
    krnDestroyWindow(display, window);
    return nullptr;
  }
  d->foreignKeys = foreignKeys;
  mlt::SetUndoLimit(d, static_cast<size_t>(g_korrin.undoSize) * 1024);
  krnSetOption(window, d);
  krnSetCustom(window, 1);
  krnSetBackColor(display, window, g_korrin.setColors[KRN_SC_PAPER]);
  krnAttachIM(window, nullptr);
  krnSetDefaultCursor(window, g_korrin.cursors[KRN_CURSOR_IBEAM]);
  if (!krnGetFocusWindow(window)) krnSetFocusWindow(window);
  return window;
}

int krnGetCaretPos_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  return d ? d->caret : 0;
}

// Puts the caret at position (kept within the text), clearing the selection.
int krnSetCaretPos_InputMltWnd(KrnWindow* window, int position) {
  InputMltWndData* d = Data(window);
  if (!d) return 0;
  Editor e = EditorOf(window, d);
  mlt::SetCaretPos(e, position);
  Refresh(window, d, KRN_EV_UPDATE);
  return 1;
}

int krnGetLength_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  return d ? d->length : 0;
}

// The whole text in one terminated buffer: the gap the edits work in is
// closed for it, so the pointer holds until the next edit.
char* krnGetText_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  return d ? mlt::CloseGap(d) : nullptr;
}

// Replaces the whole text; the new length, or -1 (the old text stays) when
// it is too large or memory ran out.
int krnSetText_InputMltWnd(KrnWindow* window, const char* data, int size) {
  InputMltWndData* d = Data(window);
  if (!d) return -1;
  Editor e = EditorOf(window, d);
  int length = mlt::SetText(e, data, size);
  if (length < 0) return -1;
  Refresh(window, d, KRN_EV_REDRAW);
  return length;
}

// Inserts a string at the caret in place of the selection; the new length,
// or -1 for an empty string or when memory ran out (nothing changed).
int krnAddText_InputMltWnd(KrnWindow* window, const char* string) {
  InputMltWndData* d = Data(window);
  if (!d) return -1;
  Editor e = EditorOf(window, d);
  int length = mlt::AddText(e, string);
  if (length < 0) return -1;
  Refresh(window, d, KRN_EV_REDRAW);
  return length;
}

char* krnGetSelectText_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  return d ? d->selectText : nullptr;
}

// Selects start to end (end beyond the text: up to the final newline).
int krnSetSelectText_InputMltWnd(KrnWindow* window, int start, int end) {
  InputMltWndData* d = Data(window);
  if (!d) return 0;
  Editor e = EditorOf(window, d);
  if (!mlt::SetSelectRange(e, start, end)) return 0;
  OwnPrimary(d);
  Refresh(window, d, KRN_EV_UPDATE);
  return 1;
}

// Deletes the selection; 0 when memory ran out and nothing was deleted.
int krnDelSelectText_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  if (!d) return 0;
  if (d->selectLen == 0) return 1;
  Editor e = EditorOf(window, d);
  if (!mlt::DelSelectText(e)) return 0;
  d->update = 1;
  Refresh(window, d, KRN_EV_REDRAW);
  return 1;
}

// Copies the selection into the copy buffer; 0 when no copy could be made.
int krnCopyText_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  if (!d) return 0;
  free(d->copyText);
  d->copyText = nullptr;
  if (!d->selectText) return 1;
  d->copyText = strdup(d->selectText);
  if (!d->copyText) return 0;
  krnSetSelectionText(KRN_SEL_CLIPBOARD, d->copyText, -1, 0);
  return 1;
}

int krnCutText_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  if (!d) return 0;
  if (!d->selectText) return 1;
  d->update = 1;
  int copied = krnCopyText_InputMltWnd(window);
  krnDelSelectText_InputMltWnd(window);
  return copied;
}

// Inserts the string at the caret; for null the clipboard's text (our own
// kept text when we own it, else the owner's answer).
int krnPasteText_InputMltWnd(KrnWindow* window, const char* string) {
  InputMltWndData* d = Data(window);
  if (!d) return 0;
  if (string) {
    d->update = 1;
    krnAddText_InputMltWnd(window, string);
    return 1;
  }
  char* pasted = textentry::PasteText(KRN_SEL_CLIPBOARD, d->copyText);
  // The owner was asked while paint events were served: the editor may be gone.
  if (pasted && CheckKrnPointer(window)) krnPasteText_InputMltWnd(window, pasted);
  free(pasted);
  return 1;
}

char* krnGetCopyText_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  return d ? d->copyText : nullptr;
}

int krnGetPos_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  return d ? d->topLine : 0;
}

// Shows line at the top (kept within the lines) and reports the move.
int krnSetPos_InputMltWnd(KrnWindow* window, int line) {
  InputMltWndData* d = Data(window);
  if (!d) return 0;
  Editor e = EditorOf(window, d);
  line = mlt::SetPos(e, line);
  if (line != d->topLine) {
    d->topLine = line;
    Changed(window, d, KRN_EV_UPDATE, KRN_CARET_MOVED);
  }
  return line;
}

int krnGetLines_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  return d ? d->lines : 0;
}

int krnGetLock_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  return d ? d->lock : 0;
}

int krnSetLock_InputMltWnd(KrnWindow* window, int flag) {
  InputMltWndData* d = Data(window);
  if (!d) return 0;
  d->lock = flag ? 1 : 0;
  return 1;
}

// Switches scrolling by copying on or off; on also drops the wallpaper.
int krnSetHiDraw_InputMltWnd(KrnWindow* window, int flag) {
  InputMltWndData* d = Data(window);
  if (!d) return 0;
  int on = flag ? 1 : 0;
  if (on == d->hiDraw) return 1;
  d->hiDraw = on;
  if (on) krnSetWallPaper(g_korrin.display, window, nullptr);
  krnSendEvent(window, KRN_EV_REDRAW);
  return 1;
}

int krnGetLinesOfPage_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  int h = krnGetCharHeight(nullptr);
  if (!d || h <= 0) return 0;
  return (window->rect.height - 5) / h;
}

int krnSetEventCallback_InputMltWnd(KrnWindow* window, KrnEventCallback callback) {
  if (!Data(window)) return 0;
  return krnSetEventCallback(window, callback);
}

int krnIsUpdate_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  return d ? d->update : 0;
}

// Sets or clears the modified flag; clearing it marks the saved state that
// undo and redo find their way back to.
int krnSetUpdateFlag_InputMltWnd(KrnWindow* window, int flag) {
  InputMltWndData* d = Data(window);
  if (!d) return 0;
  mlt::SetUpdateFlag(d, flag);
  return 1;
}

namespace {

// A step within the caret's line is painted like the key that made it
// (the changed lines); any other repaints the whole editor.
int UndoOrRedo(KrnWindow* window, int (*step)(Editor&, bool*)) {
  InputMltWndData* d = Data(window);
  if (!d) return 0;
  Editor e = EditorOf(window, d);
  bool onCaretLine = false;
  if (!step(e, &onCaretLine)) return 0;
  Changed(window, d, onCaretLine ? KRN_EV_UPDATE : KRN_EV_REDRAW, KRN_EDITED);
  return 1;
}

int Length(const char* text) {
  return text ? static_cast<int>(strlen(text)) : 0;
}

}  // namespace

// Undoes the last step: 1, or 0 when there is none (or no memory).
int krnUndo_InputMltWnd(KrnWindow* window) {
  return UndoOrRedo(window, mlt::Undo);
}

// Redoes the last undone step: 1, or 0 when there is none.
int krnRedo_InputMltWnd(KrnWindow* window) {
  return UndoOrRedo(window, mlt::Redo);
}

int krnCanUndo_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  return d ? mlt::CanUndo(d) : 0;
}

int krnCanRedo_InputMltWnd(KrnWindow* window) {
  InputMltWndData* d = Data(window);
  return d ? mlt::CanRedo(d) : 0;
}

// Selects the next match of text and shows it: KRN_FOUND, KRN_FOUND_WRAPPED
// (after going round the end), or KRN_NOT_FOUND.
int krnFind_InputMltWnd(KrnWindow* window, const char* text, int flags) {
  InputMltWndData* d = Data(window);
  if (!d || Length(text) == 0) return KRN_NOT_FOUND;
  Editor e = EditorOf(window, d);
  int found = mlt::FindNext(e, text, Length(text), flags);
  if (found != KRN_NOT_FOUND) Changed(window, d, KRN_EV_UPDATE, KRN_CARET_MOVED);
  return found;
}

// Replaces the selection by `with` when it is a match of text (a step of
// its own): 1, else 0.
int krnReplace_InputMltWnd(KrnWindow* window, const char* text, const char* with, int flags) {
  InputMltWndData* d = Data(window);
  if (!d) return 0;
  Editor e = EditorOf(window, d);
  if (!mlt::SelectionMatches(e, text, Length(text), flags)) return 0;
  if (!mlt::ReplaceSelection(e, with ? with : "", Length(with))) return 0;
  Changed(window, d, KRN_EV_REDRAW, KRN_EDITED);
  return 1;
}

// Replaces every match of text by `with` in one undo step: the count, or -1
// when memory ran out (nothing changed).
int krnReplaceAll_InputMltWnd(KrnWindow* window, const char* text, const char* with, int flags) {
  InputMltWndData* d = Data(window);
  if (!d || Length(text) == 0) return d ? 0 : -1;
  Editor e = EditorOf(window, d);
  int count = mlt::ReplaceAll(e, text, Length(text), with, Length(with), flags);
  if (count > 0) Changed(window, d, KRN_EV_REDRAW, KRN_EDITED);
  return count;
}
