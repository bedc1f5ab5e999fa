// ownloop.cpp - the own loop of the modal dialogs that do not use
// krnMainLoop (see ownloop.h).
#include "dialogs/ownloop.h"

#include "core/korrin_internal.h"

namespace dlg {

void RunOwnLoop(Display* display, KrnWindow* dialog, const std::function<bool(XEvent&)>& handle) {
  while (CheckKrnPointer(dialog)) {
    while (XPending(display)) {
      if (krnCheckEvent(display, dialog)) continue;
      XEvent event;
      XNextEvent(display, &event);
      krnRouteKeyEvent(&event);
      krnNoteKeyEvent(&event);
      // A handler may destroy the dialog; then the loop has nothing left.
      if (handle(event) || !CheckKrnPointer(dialog)) return;
    }
    krnFlush(display);
  }
}

int Offer(Display* display, KrnWindow* window, XEvent* event) {
  if (!window) return 0;
  window->result = 1;
  return krnCallWndProc(display, window, event, 0);
}

KeySym AcceptedKey(KeyGate& gate, XEvent& event) {
  if (event.type != KeyPress || !gate.Accept(event.xkey.time, g_korrin.interval)) return NoSymbol;
  return XLookupKeysym(&event.xkey, 0);
}

}  // namespace dlg
