// xerror.cpp - the toolkit's handler of X protocol errors, which the display
// session installs.  Xlib's own handler ends the program on any error, and
// with it the user's unsaved work; a protocol error is a refused request (a
// pixmap too large for the server, a window another client destroyed), so
// it is reported, once, with the request and the resource, and the program
// goes on.  Code that creates a resource it depends on checks with
// krnRequestFailed whether the server refused it.  The loss of the
// connection is another matter: that handler is the application's.
#include <stdio.h>

#include <set>
#include <tuple>

#include "core/korrin_internal.h"

namespace {

// The serial of the last request the server refused (0: none yet).
unsigned long g_lastFailed = 0;

// Errors already reported: the same refusal repeated by every repaint is
// reported once.  Bounded, so that a stream of different errors cannot
// grow it without end; past the bound every error is reported.
std::set<std::tuple<int, int, int, XID>> g_reported;
constexpr size_t kRememberedErrors = 256;

bool FirstTime(const XErrorEvent* e) {
  auto key =
      std::make_tuple(int(e->error_code), int(e->request_code), int(e->minor_code), e->resourceid);
  if (g_reported.count(key)) return false;
  if (g_reported.size() < kRememberedErrors) g_reported.insert(key);
  return true;
}

// Only requests that need no reply from the server may be made here: the
// texts come from Xlib's own tables.
int OnXError(Display* display, XErrorEvent* e) {
  if (e->serial > g_lastFailed) g_lastFailed = e->serial;
  if (!FirstTime(e)) return 0;
  char what[160] = "";
  XGetErrorText(display, e->error_code, what, sizeof what);
  char number[16];
  snprintf(number, sizeof number, "%d", e->request_code);
  char request[80] = "";
  XGetErrorDatabaseText(display, "XRequest", number, "", request, sizeof request);
  fprintf(stderr, "Error: X request %s (%d.%d) on resource 0x%lx failed: %s.\n",
          request[0] ? request : "of an extension", e->request_code, e->minor_code,
          (unsigned long)e->resourceid, what);
  return 0;
}

}  // namespace

void krnInstallXErrorHandler(void) {
  XSetErrorHandler(OnXError);
}

int krnRequestFailed(Display* display, unsigned long serial) {
  XSync(display, False);
  return g_lastFailed >= serial;
}
