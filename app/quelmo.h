// The Korrin Memo Pad: shared state and entry points of the application.
#ifndef QUELMO_H
#define QUELMO_H

#include <korrin.h>

// The current file name: at most 254 bytes and the terminator.
extern char g_cFileName[255];
// The raw bytes of the most recently loaded file, or null.
extern char* g_pText;

int arginit(int argc, char** argv);
void usage(int flag);
int MainLoop(Display* display);

#endif
