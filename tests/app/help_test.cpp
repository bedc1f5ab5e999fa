// The memo pad's help text in the text dialog over a window, as the Help
// command shows it: it wraps into the box and scrolls to its end.  With
// KRN_SHOT_DIR set, screenshots land there.
#include <xharness.h>

#ifdef KRN_HAVE_XTEST
#include "../dialogs/dialog_driver.h"
#include "res_help.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::Step;

class MemoDialogs : public ::testing::Test {
 protected:
  KrnWindow* main = nullptr;
  KrnWindow* dialog = nullptr;

  void SetUp() override {
    main = krnCreateWindow(Dpy(), nullptr, krnSetRect(60, 40, 700, 560), 1, "Quelmo", nullptr);
    ASSERT_TRUE(krntest::WaitMapped(main->win));
    KrnWindow* text = krnCreateWindow_TextBox(Dpy(), main, krnSetRect(4, 4, 692, 552), "text",
                                              "memo text\nsecond line\n");
    ASSERT_NE(text, nullptr);
    krntest::Pump();
  }
  void TearDown() override {
    krnDestroyWindow(Dpy(), main);
    krntest::DrainEvents();
  }
};

TEST_F(MemoDialogs, HelpScrollsToItsLastLine) {
  int lines = 0;
  krntest::Script script(
      "Quelmo Help",
      {krntest::WaitShown("Quelmo Help", &dialog), krntest::Ticks(3),
       krntest::Screenshot("help.png"),
       [&] {
         KrnWindow* box = krnGetChildWindow(dialog, "_krnText_TextDlg");
         lines = krnGetLines_TextBox(box);
         krnSetPos_TextBox(box, lines - 10);  // near the end, then by keys
         krntest::TypeKey(XK_j);
         return true;
       },
       krntest::Ticks(3),
       [&] {
         KrnWindow* box = krnGetChildWindow(dialog, "_krnText_TextDlg");
         int fit = (box->rect.height - 1) / krnGetCharHeight(nullptr);
         EXPECT_EQ(krnGetPos_TextBox(box), lines - fit);
         return true;
       },
       krntest::Screenshot("help_end.png"), [&] { return krntest::TypeKey(XK_Return), true; }});
  EXPECT_EQ(krnTextDialog(Dpy(), main, "Quelmo Help", res_cHelp), KRN_OK);
  EXPECT_TRUE(script.finished());
  EXPECT_GT(lines, 150);
}

}  // namespace
#endif
