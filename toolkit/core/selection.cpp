// selection.cpp - the X selections: CLIPBOARD and PRIMARY owned with the
// text a control hands over (in the working code) and served to other
// programs as UTF8_STRING, COMPOUND_TEXT, STRING or TEXT, large texts in
// pieces (INCR); text asked from the current owner in the same targets and
// converted back to the working code; the hand-over of CLIPBOARD to a
// clipboard manager when the program ends.
//
// The protocol runs on one unmapped window of our own that the registry
// does not know.  Every loop of the toolkit passes each event through
// krnCheckEvent, which gives the events of this protocol to
// krnSelectionEvent, so requests are answered while any loop runs, modal
// dialogs included.  A paste waits for the owner's answer at most
// kAnswerWaitMs, serving the toolkit's paint events meanwhile; everything
// else stays queued in order.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <string>
#include <vector>

#include "core/korrin_internal.h"
#include "support/charcode.h"

namespace {

constexpr int kAnswerWaitMs = 2000;   // a paste gives up after this
constexpr int kPieceWaitMs = 3000;    // an INCR transfer stalls out after this
constexpr int kManagerWaitMs = 3000;  // the clipboard manager's answer at exit
constexpr size_t kMaxPiece = 65536;   // larger texts travel in INCR pieces

enum AtomIndex {
  kPrimary,
  kClipboard,
  kTargets,
  kTimestamp,
  kUtf8,
  kCompound,
  kString,
  kText,
  kIncr,
  kAtomPair,
  kMultiple,
  kManager,
  kSaveTargets,
  kProperty,
  kAtomCount
};

const char* const kAtomNames[kAtomCount] = {
    "PRIMARY",      "CLIPBOARD",        "TARGETS",  "TIMESTAMP",
    "UTF8_STRING",  "COMPOUND_TEXT",    "STRING",   "TEXT",
    "INCR",         "ATOM_PAIR",        "MULTIPLE", "CLIPBOARD_MANAGER",
    "SAVE_TARGETS", "_KORRIN_SELECTION"};

// What we offer, in the order TARGETS lists it.
const AtomIndex kOffered[] = {kTargets, kTimestamp, kMultiple, kUtf8, kCompound, kString, kText};
// What we hand a clipboard manager.
const AtomIndex kSaved[] = {kUtf8, kCompound, kString, kText};
// What we ask for, best first.
const AtomIndex kWanted[] = {kUtf8, kCompound, kString};

struct Owned {
  bool owned = false;
  Time time = 0;
  std::string text;  // in the working code
};

// A text larger than one piece on its way to a requestor.
struct Outgoing {
  Window requestor;
  Atom property;
  Atom type;
  std::string data;
  size_t offset;
  int64_t lastMs;
};

struct State {
  Display* display = nullptr;
  Window win = 0;
  Atom atoms[kAtomCount] = {};
  Owned owned[2];
  std::vector<Outgoing> outgoing;
  Time lastTime = 0;  // server time of the last input event seen
};

State g_sel;

int64_t NowMs() {
  return krnNowMicroseconds() / 1000;
}

Atom A(AtomIndex i) {
  return g_sel.atoms[i];
}

// The protocol window and the atoms, made once per display.
bool Ready() {
  Display* display = g_korrin.display;
  if (!display) return false;
  if (g_sel.display == display && g_sel.win) return true;
  g_sel = State();
  g_sel.display = display;
  XInternAtoms(display, const_cast<char**>(kAtomNames), kAtomCount, False, g_sel.atoms);
  XSetWindowAttributes attributes;
  attributes.event_mask = PropertyChangeMask;
  g_sel.win = XCreateWindow(display, RootWindow(display, 0), -10, -10, 1, 1, 0, CopyFromParent,
                            InputOnly, CopyFromParent, CWEventMask, &attributes);
  return g_sel.win != 0;
}

int IndexOf(Atom selection) {
  if (selection == A(kPrimary)) return KRN_SEL_PRIMARY;
  if (selection == A(kClipboard)) return KRN_SEL_CLIPBOARD;
  return -1;
}

Atom SelectionAtom(int selection) {
  return selection == KRN_SEL_PRIMARY ? A(kPrimary) : A(kClipboard);
}

bool Valid(int selection) {
  return selection == KRN_SEL_PRIMARY || selection == KRN_SEL_CLIPBOARD;
}

// Protocol errors on windows of other clients (a requestor that went away)
// are expected: they are caught here instead of ending the program.
bool g_trapped = false;
int TrapError(Display*, XErrorEvent*) {
  g_trapped = true;
  return 0;
}
struct ErrorTrap {
  XErrorHandler previous;
  ErrorTrap() : previous(XSetErrorHandler(TrapError)) { g_trapped = false; }
  // Waits for the server to handle what was sent: true when it refused any.
  bool Failed() {
    XSync(g_sel.display, False);
    return g_trapped;
  }
  ~ErrorTrap() {
    XSync(g_sel.display, False);
    XSetErrorHandler(previous);
  }
};

/* ---- conversion ---------------------------------------------------------- */

const unsigned char* U(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

// The working code as UTF-8; with a single-byte setting only ASCII passes.
std::string ToUtf8(const std::string& text) {
  std::string out;
  charcode::ToUtf8(U(text), text.size(), g_korrin.charCode, out);
  return out;
}

// UTF-8 in the working code: 〓 for what has no counterpart; with a
// single-byte setting every character beyond ASCII becomes "?".
std::string FromUtf8(const std::string& utf8) {
  std::string out;
  if (charcode::FromUtf8(U(utf8), utf8.size(), g_korrin.charCode, out) >= 0) return out;
  out.clear();
  for (unsigned char c : utf8) {
    if (c < 0x80)
      out += static_cast<char>(c);
    else if (c >= 0xC0)
      out += '?';
  }
  return out;
}

// COMPOUND_TEXT, STRING or TEXT through Xlib's converters.
bool ToTextProperty(const std::string& utf8, XICCEncodingStyle style, std::string* data,
                    Atom* type) {
  std::string copy(utf8.c_str());  // the converters stop at a NUL anyway
  char* list[1] = {&copy[0]};
  XTextProperty property;
  if (Xutf8TextListToTextProperty(g_sel.display, list, 1, style, &property) < 0) return false;
  data->assign(reinterpret_cast<char*>(property.value), property.nitems);
  *type = property.encoding;
  XFree(property.value);
  return true;
}

std::string FromTextProperty(Atom type, const std::string& data) {
  XTextProperty property;
  property.value = reinterpret_cast<unsigned char*>(const_cast<char*>(data.data()));
  property.encoding = type;
  property.format = 8;
  property.nitems = data.size();
  char** list = nullptr;
  int count = 0;
  std::string utf8;
  if (Xutf8TextPropertyToTextList(g_sel.display, &property, &list, &count) >= 0 && list) {
    for (int i = 0; i < count; i++) utf8 += list[i];
    XFreeStringList(list);
  }
  return utf8;
}

/* ---- serving requests ------------------------------------------------------- */

// Answering a request writes to another client's window, which may be gone:
// OnRequest traps the errors of everything below.

// The property holding data of the given type, directly or in INCR pieces.
bool PutData(Window requestor, Atom property, Atom type, std::string data) {
  if (data.size() <= kMaxPiece) {
    XChangeProperty(g_sel.display, requestor, property, type, 8, PropModeReplace, U(data),
                    (int)data.size());
    return true;
  }
  XSelectInput(g_sel.display, requestor, PropertyChangeMask);
  long size = (long)data.size();
  XChangeProperty(g_sel.display, requestor, property, A(kIncr), 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&size), 1);
  g_sel.outgoing.push_back(Outgoing{requestor, property, type, std::move(data), 0, NowMs()});
  return true;
}

// Writes the property for one target; false when the target is refused.
bool Answer(const Owned& owned, Window requestor, Atom target, Atom property) {
  Display* display = g_sel.display;
  if (target == A(kTargets)) {
    std::vector<Atom> list;
    for (AtomIndex i : kOffered) list.push_back(A(i));
    XChangeProperty(display, requestor, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(list.data()), (int)list.size());
    return true;
  }
  if (target == A(kTimestamp)) {
    long time = (long)owned.time;
    XChangeProperty(display, requestor, property, XA_INTEGER, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&time), 1);
    return true;
  }
  std::string utf8 = ToUtf8(owned.text);
  if (target == A(kUtf8)) return PutData(requestor, property, A(kUtf8), std::move(utf8));
  XICCEncodingStyle style;
  if (target == A(kCompound))
    style = XCompoundTextStyle;
  else if (target == A(kString))
    style = XStringStyle;
  else if (target == A(kText))
    style = XStdICCTextStyle;
  else
    return false;
  std::string data;
  Atom type;
  if (!ToTextProperty(utf8, style, &data, &type)) return false;
  return PutData(requestor, property, type, std::move(data));
}

// MULTIPLE: the requestor's property lists (target, property) pairs; each
// is answered in turn and a refused pair gets None for its property.
bool AnswerMultiple(const Owned& owned, Window requestor, Atom property) {
  Display* display = g_sel.display;
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* value = nullptr;
  XGetWindowProperty(display, requestor, property, 0, 0x7fffffff, False, A(kAtomPair), &type,
                     &format, &items, &after, &value);
  if (!value) return false;
  std::vector<Atom> pairs(reinterpret_cast<Atom*>(value), reinterpret_cast<Atom*>(value) + items);
  XFree(value);
  if (format != 32) return false;
  for (size_t i = 0; i + 1 < pairs.size(); i += 2)
    if (pairs[i] == A(kMultiple) || !Answer(owned, requestor, pairs[i], pairs[i + 1]))
      pairs[i + 1] = None;
  XChangeProperty(display, requestor, property, A(kAtomPair), 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(pairs.data()), (int)pairs.size());
  return true;
}

void OnRequest(const XSelectionRequestEvent& request) {
  ErrorTrap trap;
  XSelectionEvent reply = {};
  reply.type = SelectionNotify;
  reply.display = request.display;
  reply.requestor = request.requestor;
  reply.selection = request.selection;
  reply.target = request.target;
  reply.time = request.time;
  reply.property = None;
  int which = IndexOf(request.selection);
  // Obsolete requestors name no property: the target's name serves.
  Atom property = request.property != None ? request.property : request.target;
  if (which >= 0) {
    const Owned& owned = g_sel.owned[which];
    bool inTime = request.time == CurrentTime || request.time >= owned.time;
    bool multiple = request.target == A(kMultiple);
    if (owned.owned && inTime &&
        (multiple ? request.property != None &&
                        AnswerMultiple(owned, request.requestor, request.property)
                  : Answer(owned, request.requestor, request.target, property)))
      reply.property = property;
  }
  XSendEvent(g_sel.display, request.requestor, False, NoEventMask,
             reinterpret_cast<XEvent*>(&reply));
}

// The requestor deleted the last piece: the next one, or the empty end.
void OnPieceTaken(const XPropertyEvent& event) {
  for (size_t i = 0; i < g_sel.outgoing.size(); i++) {
    Outgoing& out = g_sel.outgoing[i];
    if (out.requestor != event.window || out.property != event.atom) continue;
    size_t n = out.data.size() - out.offset;
    if (n > kMaxPiece) n = kMaxPiece;
    {
      ErrorTrap trap;
      XChangeProperty(g_sel.display, out.requestor, out.property, out.type, 8, PropModeReplace,
                      U(out.data) + out.offset, (int)n);
      if (trap.Failed()) n = 0;  // the requestor is gone
    }
    out.offset += n;
    out.lastMs = NowMs();
    if (n == 0) g_sel.outgoing.erase(g_sel.outgoing.begin() + (long)i);
    return;
  }
}

// Transfers whose requestor stopped taking pieces are dropped.
void DropStalled() {
  int64_t now = NowMs();
  for (size_t i = 0; i < g_sel.outgoing.size();) {
    if (now - g_sel.outgoing[i].lastMs > kPieceWaitMs)
      g_sel.outgoing.erase(g_sel.outgoing.begin() + (long)i);
    else
      i++;
  }
}

bool IsOutgoingWindow(Window w) {
  for (const Outgoing& out : g_sel.outgoing)
    if (out.requestor == w) return true;
  return false;
}

bool IsTimed(int type) {
  switch (type) {
    case KeyPress:
    case KeyRelease:
    case ButtonPress:
    case ButtonRelease:
    case MotionNotify:
    case EnterNotify:
    case LeaveNotify:
      return true;
    default:
      return false;
  }
}

/* ---- asking the owner ------------------------------------------------------- */

// Waits for an event that `want` accepts, serving our own protocol events
// and the paint events of the toolkit's windows meanwhile; false when the
// deadline (monotonic milliseconds) passes first.
struct Wanted {
  bool (*want)(const XEvent&, const void*);
  const void* context;
};

Bool PickEvent(Display*, XEvent* event, XPointer arg) {
  const Wanted* w = reinterpret_cast<const Wanted*>(arg);
  if (w->want(*event, w->context) || krnIsSelectionEvent(event)) return True;
  if (!krnIsPaintEvent(event->type)) return False;
  return krnGetWindowFromXWindow(event->xany.window) ? True : False;
}

bool WaitEvent(const Wanted& wanted, XEvent* out, int64_t deadline) {
  Display* display = g_sel.display;
  for (;;) {
    XEvent event;
    while (XCheckIfEvent(display, &event, PickEvent, (XPointer)&wanted)) {
      if (wanted.want(event, wanted.context)) {
        *out = event;
        return true;
      }
      if (krnSelectionEvent(display, &event)) continue;
      KrnWindow* w = krnGetWindowFromXWindow(event.xany.window);
      if (w) krnCallWndProc(display, w, &event, 0);
    }
    int64_t left = deadline - NowMs();
    if (left <= 0) return false;
    if (left > 20) left = 20;  // events queued by Xlib meanwhile are looked at soon
    krnWaitForInput(display, left * 1000);
  }
}

bool IsNotify(const XEvent& event, const void* selection) {
  return event.type == SelectionNotify && event.xselection.requestor == g_sel.win &&
         event.xselection.selection == *static_cast<const Atom*>(selection);
}

bool IsNewPiece(const XEvent& event, const void*) {
  return event.type == PropertyNotify && event.xproperty.window == g_sel.win &&
         event.xproperty.atom == A(kProperty) && event.xproperty.state == PropertyNewValue;
}

// Reads and deletes our property; false when it is missing.
bool TakeProperty(Atom* type, std::string* data) {
  Atom actual = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* value = nullptr;
  if (XGetWindowProperty(g_sel.display, g_sel.win, A(kProperty), 0, 0x7fffffff, True,
                         AnyPropertyType, &actual, &format, &items, &after, &value) != Success)
    return false;
  *type = actual;
  size_t unit = format == 32 ? sizeof(long) : format == 16 ? sizeof(short) : 1;
  if (value) data->assign(reinterpret_cast<char*>(value), items * unit);
  if (value) XFree(value);
  return actual != None;
}

// Collects INCR pieces until the empty one; false when the owner stalls.
bool TakePieces(Atom* type, std::string* data) {
  data->clear();
  for (;;) {
    XEvent event;
    if (!WaitEvent(Wanted{IsNewPiece, nullptr}, &event, NowMs() + kPieceWaitMs)) return false;
    std::string piece;
    if (!TakeProperty(type, &piece)) continue;
    if (piece.empty()) return true;
    *data += piece;
  }
}

// The text of the selection's owner converted to UTF-8; false when the
// owner refuses every target or does not answer in time.
bool AskOwner(Atom selection, std::string* utf8) {
  Display* display = g_sel.display;
  int64_t deadline = NowMs() + kAnswerWaitMs;
  for (AtomIndex target : kWanted) {
    XDeleteProperty(display, g_sel.win, A(kProperty));
    XConvertSelection(display, selection, A(target), A(kProperty), g_sel.win,
                      g_sel.lastTime ? g_sel.lastTime : CurrentTime);
    XEvent event;
    if (!WaitEvent(Wanted{IsNotify, &selection}, &event, deadline)) return false;
    if (event.xselection.property == None) continue;
    Atom type = None;
    std::string data;
    if (!TakeProperty(&type, &data)) continue;
    if (type == A(kIncr) && !TakePieces(&type, &data)) return false;
    *utf8 = type == A(kUtf8) ? data : FromTextProperty(type, data);
    return true;
  }
  return false;
}

// The server's time now: the time of a property change on our own window.
Time ServerTime() {
  unsigned char nothing = 0;
  XChangeProperty(g_sel.display, g_sel.win, A(kProperty), XA_STRING, 8, PropModeAppend, &nothing,
                  0);
  XEvent event;
  auto changed = [](const XEvent& e, const void*) {
    return e.type == PropertyNotify && e.xproperty.window == g_sel.win;
  };
  if (!WaitEvent(Wanted{changed, nullptr}, &event, NowMs() + kAnswerWaitMs)) return CurrentTime;
  g_sel.lastTime = event.xproperty.time;
  return g_sel.lastTime;
}

bool TakeOwnership(Atom atom, Time time) {
  XSetSelectionOwner(g_sel.display, atom, g_sel.win, time);
  return XGetSelectionOwner(g_sel.display, atom) == g_sel.win;
}

char* NewBuffer(const std::string& text, int* length) {
  char* buffer = static_cast<char*>(malloc(text.size() + 1));
  if (!buffer) return nullptr;
  memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  if (length) *length = (int)text.size();
  return buffer;
}

}  // namespace

// Takes ownership of a selection with text in the working code (length -1:
// up to the NUL); time is the server time of the causing event, 0 for the
// last input event's.  1 when we own it afterwards.
int krnSetSelectionText(int selection, const char* text, int length, Time time) {
  if (!Valid(selection) || !text || !Ready()) return 0;
  Owned& owned = g_sel.owned[selection];
  if (length < 0) length = (int)strlen(text);
  owned.text.assign(text, (size_t)length);
  // Still ours (a selection being dragged larger): only the text changes.
  if (owned.owned) return 1;
  Atom atom = SelectionAtom(selection);
  bool defaulted = time == 0;
  if (defaulted) time = g_sel.lastTime ? g_sel.lastTime : ServerTime();
  owned.owned = TakeOwnership(atom, time);
  // Without input events for a while (a program's own call) the last
  // event's time may lie before another owner's: the server's time now.
  if (!owned.owned && defaulted) owned.owned = TakeOwnership(atom, time = ServerTime());
  owned.time = time;
  if (!owned.owned) owned.text.clear();
  return owned.owned ? 1 : 0;
}

int krnIsSelectionOwner(int selection) {
  return Valid(selection) && g_sel.display == g_korrin.display && g_sel.owned[selection].owned;
}

// The selection's text in the working code as a new NUL-terminated buffer
// (free() it), its length in *length: our own text when we own it, else the
// owner's answer.  Null when nobody owns it, the owner refuses, or it does
// not answer within the wait limit.
char* krnGetSelectionText(int selection, int* length) {
  if (length) *length = 0;
  if (!Valid(selection) || !Ready()) return nullptr;
  if (g_sel.owned[selection].owned) return NewBuffer(g_sel.owned[selection].text, length);
  Atom atom = SelectionAtom(selection);
  if (XGetSelectionOwner(g_sel.display, atom) == None) return nullptr;
  std::string utf8;
  if (!AskOwner(atom, &utf8)) return nullptr;
  return NewBuffer(FromUtf8(utf8), length);
}

// Gives up a selection we own.
int krnClearSelection(int selection) {
  if (!krnIsSelectionOwner(selection)) return 0;
  XSetSelectionOwner(g_sel.display, SelectionAtom(selection), None, g_sel.owned[selection].time);
  g_sel.owned[selection] = Owned();
  return 1;
}

// Notes the server time of an input event: ownership taken by a command
// carries the time of the key or click that caused it.  Key, button,
// motion and crossing events keep their time at the same place.
void krnNoteEventTime(const XEvent* event) {
  if (event && IsTimed(event->type)) g_sel.lastTime = event->xkey.time;
}

// The server time of the last input event the loops saw (0: none yet).
Time krnGetEventTime(void) {
  return g_sel.lastTime;
}

// 1 for the events of the selection protocol that krnSelectionEvent takes.
int krnIsSelectionEvent(const XEvent* event) {
  if (!event || !g_sel.win) return 0;
  switch (event->type) {
    case SelectionRequest:
      return event->xselectionrequest.owner == g_sel.win;
    case SelectionClear:
      return event->xselectionclear.window == g_sel.win;
    case SelectionNotify:
      return event->xselection.requestor == g_sel.win;
    case PropertyNotify:
      return event->xproperty.window == g_sel.win || IsOutgoingWindow(event->xproperty.window);
    default:
      return 0;
  }
}

// Handles one event of the selection protocol (answers requests, drops the
// ownership another client took, sends INCR pieces).  1 when the event was ours and has been
// handled.
int krnSelectionEvent(Display* display, XEvent* event) {
  if (!event || !display || display != g_sel.display || !krnIsSelectionEvent(event)) return 0;
  DropStalled();
  switch (event->type) {
    case SelectionRequest:
      OnRequest(event->xselectionrequest);
      break;
    case SelectionClear: {
      // Only the ownership goes: the controls keep their text.
      int which = IndexOf(event->xselectionclear.selection);
      if (which >= 0 && event->xselectionclear.time >= g_sel.owned[which].time)
        g_sel.owned[which] = Owned();
      break;
    }
    case PropertyNotify:
      if (event->xproperty.state == PropertyDelete) OnPieceTaken(event->xproperty);
      break;
    default:
      break;  // a late answer to a paste that gave up
  }
  return 1;
}

// Hands the CLIPBOARD text to a running clipboard manager so that it
// outlives the program; waits for the manager's answer a short while.  1
// when the manager confirmed.
int krnSaveClipboard(Display* display) {
  if (!display || display != g_sel.display || !g_sel.owned[KRN_SEL_CLIPBOARD].owned) return 0;
  Atom manager = A(kManager);
  if (XGetSelectionOwner(display, manager) == None) return 0;
  std::vector<Atom> saved;
  for (AtomIndex i : kSaved) saved.push_back(A(i));
  XChangeProperty(display, g_sel.win, A(kProperty), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(saved.data()), (int)saved.size());
  XConvertSelection(display, manager, A(kSaveTargets), A(kProperty), g_sel.win,
                    g_sel.lastTime ? g_sel.lastTime : CurrentTime);
  XEvent event;
  if (!WaitEvent(Wanted{IsNotify, &manager}, &event, NowMs() + kManagerWaitMs)) return 0;
  return event.xselection.property != None ? 1 : 0;
}

// Releases the protocol window and everything kept (at the display's close).
void krnCloseSelections(Display* display) {
  if (g_sel.display == display && g_sel.win) XDestroyWindow(display, g_sel.win);
  g_sel = State();
}
