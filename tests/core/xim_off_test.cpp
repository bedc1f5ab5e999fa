// With IM=FALSE in the resource file no input method is opened and no
// window gets an input context.
#include <gtest/gtest.h>
#include <korrin.h>

#include <X11/keysym.h>

#include "xharness.h"

KRN_X_ENVIRONMENT(24, false);

namespace {

TEST(XimOff, NoInputMethodAndNoContexts) {
  krntest::WriteFile(krntest::Home() + "/.krnrc", "[Korrin]\nIM=FALSE\n");
  char prog[] = "xim_off_test";
  char* argv[] = {prog, nullptr};
  Display* display = krnOpenDisplay(1, argv);
  ASSERT_NE(nullptr, display);
  EXPECT_EQ(0, g_korrin.useIM);
  EXPECT_EQ(nullptr, g_korrin.im);
  EXPECT_EQ(0, krnIsOpenIM_XIM());
  KrnWindow* w = krnCreateWindow(display, nullptr, krnSetRect(0, 0, 50, 20), 0, "w", nullptr);
  ASSERT_NE(nullptr, w);
  EXPECT_EQ(0, krnAttachIM(w, nullptr));
  EXPECT_EQ(nullptr, w->ic);
  // Typed text still arrives, through plain key lookup.
  XEvent key{};
  key.xkey.type = KeyPress;
  key.xkey.display = display;
  key.xkey.window = w->win;
  key.xkey.keycode = XKeysymToKeycode(display, XK_b);
  int length = 0;
  char* text = krnGetString(w, &key, &length);
  ASSERT_NE(nullptr, text);
  EXPECT_EQ(1, length);
  EXPECT_EQ('b', text[0]);
  krnCloseDisplay(display);
}

}  // namespace
