// Declarations shared between the toolkit's own modules and not part of the
// public header.
#ifndef KRN_KORRIN_INTERNAL_H
#define KRN_KORRIN_INTERNAL_H

#include <korrin.h>

// The built-in XPM data of the stock images, in slot order.
extern const char* const* const krnStockImageData[KRN_NIMAGES];

// Copies src into a fixed buffer of size n, refusing (and leaving dst
// empty) when it does not fit.  Returns 1 when copied, 0 when refused.
int krnCopyFixed(char* dst, size_t n, const char* src);

// Null-terminated record lists (the registry and child lists): append grows
// by one slot, remove shrinks by one and releases the list with its last
// entry.  Both print "Error: can't allocate memory" and return 0 on failure.
int krnListCount(KrnWindow** list);
int krnListAppend(KrnWindow*** list, KrnWindow* window);
int krnListRemove(KrnWindow*** list, KrnWindow* window);

// Gives the window manager a window's minimum and maximum size.
void krnSetSizeHints(Display* display, Window win, int minW, int minH, int maxW, int maxH);

// Hands a key event to the focused control of the top-level window whose
// tree received it (the event's window is rewritten); other events and
// windows without a focused control are left alone.
void krnRouteKeyEvent(XEvent* event);
// Clears the window from every top-level window's focused control.
void krnForgetFocusWindow(KrnWindow* window);
// WM_CLASS, WM_CLIENT_MACHINE, _NET_WM_PID and the input hint of a new
// top-level window.
void krnSetTopLevelProperties(Display* display, Window win);
// Requests the input focus for a window that asked for it, once viewable.
void krnTakeFocusIfViewable(Display* display, KrnWindow* window);

// Expose, ConfigureNotify and MapNotify: the events that still reach their
// windows while a modal loop or a wait for another client runs.
int krnIsPaintEvent(int type);
// The monotonic clock in microseconds.
int64_t krnNowMicroseconds(void);
// Waits until the display connection has something to read, `wait`
// microseconds have passed (a negative wait: no limit) or a signal came; 0
// when a signal cut the wait short.
int krnWaitForInput(Display* display, int64_t wait);

// Serves the Expose, ConfigureNotify and MapNotify events of registered
// windows at the head of the queue; the first other event and everything
// behind it stay queued in order.
int krnServePaintEvents(Display* display);

// The selection protocol (selection.cpp).  krnCheckEvent notes the time of
// every input event and hands the protocol's events to krnSelectionEvent
// (1 when it took one); krnCloseDisplay releases the protocol's window.
void krnNoteEventTime(const XEvent* event);
int krnIsSelectionEvent(const XEvent* event);
int krnSelectionEvent(Display* display, XEvent* event);
void krnCloseSelections(Display* display);

// The key-repeat filter of krnGetKey: krnInitKeyRepeat asks the server for
// detectable auto-repeat when the display opens; krnNoteKeyEvent tells the
// filter of every key release taken off the queue, wherever it goes.
void krnInitKeyRepeat(Display* display);
void krnNoteKeyEvent(const XEvent* event);

// X protocol errors: the session installs the toolkit's handler, which
// reports each error once on standard error and lets the program go on.
// krnRequestFailed tells whether the server refused a request made since
// the serial was taken with NextRequest (it syncs to find out).
void krnInstallXErrorHandler(void);
int krnRequestFailed(Display* display, unsigned long serial);

// The character code of the locale's text (what the input method and key
// lookup hand over): KRN_CODE_UTF8, _EUC or _SJIS, else KRN_CODE_BINARY
// for a code the toolkit does not convert.
int krnLocaleCode_XIM(void);

// Turns the n bytes a key or the input method typed, in the locale's code,
// into the working code in place (room bytes with the terminator); the new
// length, or -1 when the result does not fit.
int krnTypedToWorkingCode(char* buffer, int n, int room, int fromInputMethod);

// Runs a child control's procedure with the carried-in result, as a
// composite control hands its children the events it receives.
inline int krnPassEvent(Display* display, KrnWindow* child, XEvent* event, int result) {
  child->result = result;
  return child->wndProc(display, child, event);
}

#endif
