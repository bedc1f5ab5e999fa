// quelmo, the Korrin Memo Pad: entry point.
#include "quelmo.h"

int main(int argc, char** argv) {
  int status = argcheck(argc, argv);
  if (status >= 0) return status;
  Display* display = krnOpenDisplay(argc, argv);
  arginit(argc, argv);
  usage(0);
  MainLoop(display);
  krnCloseDisplay(display);
  return 0;
}
