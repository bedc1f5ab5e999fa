// The memo pad's main window.  Until the controls it is made of exist, the
// program only prints its banner and returns.
#include "quelmo.h"

char* g_pText = nullptr;

int MainLoop(Display*) {
  return 1;
}
