// ownloop.h - the event loop of a dialog that runs its own loop instead of
// krnMainLoop: input for windows outside the dialog is dropped (their
// exposures and size changes are still served), every event of the dialog
// goes to a handler of the dialog's choosing, and each turn ends with
// krnFlush.
#ifndef KRN_DIALOGS_OWNLOOP_H
#define KRN_DIALOGS_OWNLOOP_H

#include <korrin.h>

#include <functional>

#include "dialogs/dialog_model.h"

namespace dlg {

// Runs until the handler answers true for an event or the dialog is gone.
void RunOwnLoop(Display* display, KrnWindow* dialog, const std::function<bool(XEvent&)>& handle);

// Hands an event to one window's procedure with a fresh carried-in result of
// 1, so that an answer left from an earlier event cannot be taken for a new
// one; returns the procedure's answer (0 for a null window).
int Offer(Display* display, KrnWindow* window, XEvent* event);

// The keysym (index 0) of a key press that passes the gate, else NoSymbol.
KeySym AcceptedKey(KeyGate& gate, XEvent& event);

}  // namespace dlg

#endif
