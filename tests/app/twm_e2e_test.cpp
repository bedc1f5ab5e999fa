// The desktop tests again under twm, which gives the focus to the window
// under the pointer and has no desktop conventions of its own.
#define KRN_DESKTOP_WM "twm"
#include "desktop_e2e_test.cpp"
