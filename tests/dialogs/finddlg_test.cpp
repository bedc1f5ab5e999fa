// The modeless find dialog on a private X server, served by the toolkit's
// loop over all top-level windows while the test looks on: Return in the
// focused field and the Next button select matches, Replace all replaces
// as one undo step and reports the count, a locked text is not replaced,
// Escape closes, and the last search outlives the dialog.
#include <xharness.h>

#ifdef KRN_HAVE_XTEST
#include "dialog_driver.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;

struct Heard {
  int code = 0;
  long value = -100;
};
Heard g_heard;

int OnFind(KrnWindow*, int code, long value, long) {
  g_heard = Heard{code, value};
  return 1;
}

class FindDialog : public ::testing::Test {
 protected:
  KrnWindow* owner = nullptr;
  KrnWindow* box = nullptr;
  KrnWindow* dialog = nullptr;
  const std::string text = "one Two two\n";

  void SetUp() override {
    owner = krnCreateWindow(Dpy(), nullptr, krnSetRect(100, 100, 400, 300), 1, "owner", nullptr);
    box = krnCreateWindow_InputBox(Dpy(), owner, krnSetRect(5, 5, 380, 280), "box", text.data(),
                                   static_cast<int>(text.size()), 0);
    dialog = krnFindDialog(Dpy(), owner, box, OnFind);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(krntest::WaitMapped(dialog->win));
    g_heard = Heard{};
  }
  void TearDown() override {
    krnCloseFindDialog(nullptr);
    krnDestroyWindow(Dpy(), owner);
  }
  KrnWindow* Child(const char* name) { return krnGetChildWindow(dialog, name); }
  std::string Text() { return krnGetText_InputBox(box); }
  bool Hears(int code, long value) {
    return krntest::PumpUntil([&] { return g_heard.code == code && g_heard.value == value; });
  }
};

TEST_F(FindDialog, ReturnAndNextSelectMatchesAndReplaceAllIsOneUndoStep) {
  KrnWindow* field = Child("_krnFind_FindDlg");
  ASSERT_NE(field, nullptr);
  // the field has the keyboard once the dialog is shown
  ASSERT_TRUE(krntest::PumpUntil([&] {
    Window focus;
    int revert;
    XGetInputFocus(Dpy(), &focus, &revert);
    return focus == field->win;
  }));
  for (KeySym k : {XK_t, XK_w, XK_o, XK_Return}) {
    krntest::TypeKey(k);
    krntest::Pump();
  }
  ASSERT_TRUE(Hears(KRN_SEARCHED, KRN_FOUND));
  EXPECT_STREQ(krnGetSelectText_InputBox(box), "Two");  // either case
  g_heard = {};
  krntest::ClickMiddle(Child("Next"));
  ASSERT_TRUE(Hears(KRN_SEARCHED, KRN_FOUND));
  EXPECT_EQ(krnGetCaretPos_InputBox(box), 8);
  g_heard = {};
  krntest::ClickMiddle(Child("Next"));
  ASSERT_TRUE(Hears(KRN_SEARCHED, KRN_FOUND_WRAPPED));

  krnSetText_InputWnd(Child("_krnWith_FindDlg"), "2");
  g_heard = {};
  krntest::ClickMiddle(Child("Replace all"));
  ASSERT_TRUE(Hears(KRN_REPLACED, 2));
  EXPECT_EQ(Text(), "one 2 2\n");
  EXPECT_EQ(krnUndo_InputBox(box), 1);
  EXPECT_EQ(Text(), text);

  krnSetLock_InputBox(box, 1);
  g_heard = {};
  krntest::ClickMiddle(Child("Replace all"));
  ASSERT_TRUE(Hears(KRN_REPLACED, -1));
  EXPECT_EQ(Text(), text);
}

TEST_F(FindDialog, MatchCaseEscapeAndFindAgain) {
  Window over = 0;
  ASSERT_TRUE(XGetTransientForHint(Dpy(), dialog->win, &over));
  EXPECT_EQ(over, owner->win);
  krnSetText_InputWnd(Child("_krnFind_FindDlg"), "two");
  krntest::ClickMiddle(Child("Match case"));
  krntest::ClickMiddle(Child("Next"));
  ASSERT_TRUE(Hears(KRN_SEARCHED, KRN_FOUND));
  EXPECT_EQ(krnGetCaretPos_InputBox(box), 8);  // not "Two"
  krntest::ClickMiddle(Child("_krnFind_FindDlg"));
  krntest::TypeKey(XK_Escape);
  ASSERT_TRUE(krntest::PumpUntil([&] { return !CheckKrnPointer(dialog); }));
  dialog = nullptr;
  EXPECT_EQ(krnFindAgain_FindDialog(box, 0), KRN_FOUND_WRAPPED);
  EXPECT_EQ(krnGetCaretPos_InputBox(box), 8);
  EXPECT_EQ(krnFindAgain_FindDialog(box, KRN_FIND_BACKWARD), KRN_FOUND_WRAPPED);
}

}  // namespace
#endif
