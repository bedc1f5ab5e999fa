// Buttons, select buttons and tool bars on a private X server, clicked with
// the real pointer (XTEST): what is reported, what stays down, what the
// screen shows, and where the rows put their buttons.
#include <xharness.h>

#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <string>
#include <vector>

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::Pixel;
using krntest::Pump;
using krntest::PumpUntil;

struct Call {
  KrnWindow* window;
  int code;
  long value;
};
std::vector<Call> g_calls;
int g_answer = 1;
int Record(KrnWindow* w, int code, long value, long) {
  g_calls.push_back({w, code, value});
  return g_answer;
}

#ifdef KRN_HAVE_XTEST
#define REQUIRE_XTEST()
// Moves the real pointer to (x, y) of the window and presses or releases
// button 1 there ('P', 'R'), or both ('C').
void Mouse(KrnWindow* w, int x, int y, char what) {
  int rx = 0, ry = 0;
  Window child;
  XTranslateCoordinates(Dpy(), w->win, DefaultRootWindow(Dpy()), x, y, &rx, &ry, &child);
  XTestFakeMotionEvent(Dpy(), 0, rx, ry, 0);
  if (what != 'R') XTestFakeButtonEvent(Dpy(), 1, True, 0);
  if (what != 'P') XTestFakeButtonEvent(Dpy(), 1, False, 0);
  XSync(Dpy(), False);
}
#else
#define REQUIRE_XTEST() GTEST_SKIP() << "built without XTEST"
void Mouse(KrnWindow*, int, int, char) {}
#endif

// Clicks the middle of a child window and pumps until its events are handled.
void ClickMiddle(KrnWindow* w) {
  Mouse(w, w->rect.width / 2, w->rect.height / 2, 'C');
  Pump();
  Pump();
}

class Controls : public ::testing::Test {
 protected:
  KrnWindow* frame = nullptr;
  void SetUp() override {
    frame = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 400, 300), 0, "frame", nullptr);
    ASSERT_TRUE(krntest::WaitMapped(frame->win));
    g_calls.clear();
    g_answer = 1;
  }
  void TearDown() override {
    if (CheckKrnPointer(frame)) krnDestroyWindow(Dpy(), frame);
    krntest::DrainEvents();
  }
  KrnWindow* MakeButton(int toggle) {
    KrnWindow* b =
        krnCreateWindow_Button(Dpy(), frame, krnSetRect(20, 20, 80, 24), "Lock", nullptr, Record);
    krnSetToggle_Button(b, toggle);
    EXPECT_TRUE(krntest::WaitMapped(b->win));
    Pump();
    return b;
  }
};

// The face colour of a pressed button, read just inside its frame.
bool LooksDown(KrnWindow* b) {
  return Pixel(b->win, 3, 3) == g_korrin.setColors[KRN_SC_BACKFACE];
}

TEST_F(Controls, AToggleButtonStaysDownAfterOneClickAndComesUpAfterTheNext) {
  REQUIRE_XTEST();
  ASSERT_NE(g_korrin.setColors[KRN_SC_BACKFACE], g_korrin.setColors[KRN_SC_BACK]);
  KrnWindow* b = MakeButton(1);
  EXPECT_FALSE(LooksDown(b));
  ClickMiddle(b);
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 1; }));
  EXPECT_EQ(g_calls[0].code, KRN_OK);
  EXPECT_EQ(g_calls[0].value, 1);
  EXPECT_EQ(krnGetButton_Button(b), 1);
  EXPECT_TRUE(LooksDown(b));
  ClickMiddle(b);
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 2; }));
  EXPECT_EQ(g_calls[1].code, KRN_CANCEL);
  EXPECT_EQ(g_calls[1].value, 0);
  EXPECT_EQ(krnGetButton_Button(b), 0);
  EXPECT_FALSE(LooksDown(b));
}

TEST_F(Controls, APushButtonReportsOnlyWhenReleasedOverItself) {
  REQUIRE_XTEST();
  KrnWindow* b = MakeButton(0);
  Mouse(b, 10, 10, 'P');
  ASSERT_TRUE(PumpUntil([&] { return LooksDown(b); }));
  Mouse(b, 150, 150, 'R');  // dragged out
  ASSERT_TRUE(PumpUntil([&] { return !LooksDown(b); }));
  EXPECT_TRUE(g_calls.empty());
  ClickMiddle(b);
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 1; }));
  EXPECT_EQ(g_calls[0].code, KRN_OK);
  EXPECT_EQ(krnGetButton_Button(b), 0);
}

// Synthetic events straight into the procedure: a release without a press,
// and the callback's 130.
TEST_F(Controls, StrayReleasesFireNothingAndACallbacksQuitIsTheAnswer) {
  KrnWindow* b = MakeButton(0);
  XEvent ev{};
  ev.xbutton.window = b->win;
  ev.xbutton.x = ev.xbutton.y = 5;
  ev.type = ButtonRelease;
  EXPECT_NE(WndProc_Button(Dpy(), b, &ev), KRN_OK);
  EXPECT_TRUE(g_calls.empty());
  g_answer = KRN_QUIT;
  ev.type = ButtonPress;
  WndProc_Button(Dpy(), b, &ev);
  ev.type = ButtonRelease;
  EXPECT_EQ(WndProc_Button(Dpy(), b, &ev), KRN_QUIT);
  EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(Controls, ButtonSettersAndWrongWindows) {
  KrnWindow* b = MakeButton(1);
  EXPECT_EQ(krnSetButton_Button(b, 5), KRN_OK);
  EXPECT_EQ(krnSetButton_Button(b, 1), 0);
  EXPECT_EQ(krnSetButton_Button(b, 0), KRN_CANCEL);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(krnSetCaption_Button(b, "Edit"), 1);
  EXPECT_STREQ(krnGetCaption_Button(b), "Edit");
  for (KrnWindow* bad : {static_cast<KrnWindow*>(nullptr), frame}) {
    EXPECT_EQ(krnGetButton_Button(bad), 0);
    EXPECT_EQ(krnSetButton_Button(bad, 1), 0);
    EXPECT_EQ(krnSetToggle_Button(bad, 1), 0);
    EXPECT_EQ(krnGetCaption_Button(bad), nullptr);
    EXPECT_EQ(krnSetIcon_Button(bad, nullptr), 0);
    EXPECT_EQ(krnSetEventCallback_Button(bad, Record), 0);
  }
}

/* ---- select button -------------------------------------------------------- */

int Width(const char* s) {
  return krnTextWidth(reinterpret_cast<const unsigned char*>(s));
}

KrnWindow* MakeGroup(KrnWindow* frame, const char* label, int horizontal,
                     std::vector<const char*> captions) {
  KrnWindow* g = krnCreateWindow_SelectButton(Dpy(), frame, krnSetRect(10, 100, 380, 120), label,
                                              horizontal, Record);
  for (const char* c : captions) EXPECT_EQ(krnAddButton_SelectButton(Dpy(), g, c, nullptr, -1), 1);
  return g;
}

std::vector<int> Places(KrnWindow* g, bool horizontal) {
  std::vector<int> out;
  for (int i = 0; i < krnGetTotalChildWindows(g); i++) {
    KrnWindow* b = krnGetChildWindowFromIndex(g, i);
    out.push_back(horizontal ? b->rect.x : b->rect.y);
  }
  return out;
}

TEST_F(Controls, ASelectButtonIsALabelledRowOfExclusiveToggles) {
  REQUIRE_XTEST();
  KrnWindow* g = MakeGroup(frame, "Filter", 1, {"All", "Normal", "Select"});
  int x0 = Width("Filter") + 10, w0 = Width("All") + 10, w1 = Width("Normal") + 10;
  EXPECT_EQ(Places(g, true), (std::vector<int>{x0, x0 + w0 + 5, x0 + w0 + w1 + 10}));
  KrnWindow* b1 = krnGetAttachButtonWnd_SelectButton(g, 1);
  EXPECT_EQ(b1->rect.y, 2);
  EXPECT_EQ(b1->rect.height, 120 - 4);
  ASSERT_TRUE(krntest::WaitMapped(b1->win));
  Pump();
  ClickMiddle(b1);
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 1; }));
  EXPECT_EQ(g_calls[0].window, g);
  EXPECT_EQ(g_calls[0].code, KRN_SELECT);
  EXPECT_EQ(g_calls[0].value, 1);
  ClickMiddle(b1);  // already down: nothing
  EXPECT_EQ(krnGetButton_Button(b1), 1);
  KrnWindow* b0 = krnGetAttachButtonWnd_SelectButton(g, 0);
  ClickMiddle(b0);
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 2; }));
  EXPECT_EQ(g_calls[1].value, 0);
  EXPECT_EQ(krnGetButton_Button(b0), 1);
  EXPECT_EQ(krnGetButton_Button(b1), 0);
  EXPECT_TRUE(LooksDown(b0));
  EXPECT_FALSE(LooksDown(b1));
  EXPECT_EQ(g_calls.size(), 2u);
  // selecting by program pushes down without raising the others
  EXPECT_EQ(krnSelect_SelectButton(g, 1), 1);
  EXPECT_EQ(krnGetSelectIndex_SelectButton(g), 1);
  EXPECT_EQ(krnGetButton_Button(b0) + krnGetButton_Button(b1), 2);
  EXPECT_EQ(krnSelect_SelectButton(g, 3), 0);
  EXPECT_EQ(krnGetSelectIndex_SelectButton(frame), -1);
}

TEST_F(Controls, SelectButtonRowsAndColumnsMakeRoomAndCloseGaps) {
  KrnWindow* row = MakeGroup(frame, "", 1, {"A", "B"});
  int wa = Width("A") + 10, wb = Width("B") + 10, wn = Width("New") + 10;
  EXPECT_EQ(Places(row, true), (std::vector<int>{5, 5 + wa + 5}));
  ASSERT_EQ(krnAddButton_SelectButton(Dpy(), row, "New", nullptr, 0), 1);
  EXPECT_STREQ(krnGetCaption_Button(krnGetAttachButtonWnd_SelectButton(row, 0)), "New");
  EXPECT_EQ(Places(row, true), (std::vector<int>{5, 5 + wn + 5, 5 + wn + wa + 10}));
  EXPECT_EQ(krnDeleteButton_SelectButton(row, 0), 1);
  EXPECT_EQ(Places(row, true), (std::vector<int>{5, 5 + wa + 5}));
  EXPECT_EQ(krnDeleteButton_SelectButton(row, 7), 1);
  EXPECT_EQ(krnGetTotalChildWindows(row), 2);
  ASSERT_EQ(krnChangeButton_SelectButton(Dpy(), row, "Longer", nullptr, 0), 1);
  int wl = Width("Longer") + 10;
  EXPECT_EQ(krnGetAttachButtonWnd_SelectButton(row, 0)->rect.width, wl);
  EXPECT_EQ(Places(row, true), (std::vector<int>{5, 5 + wl + 5}));
  (void)wb;

  KrnWindow* column = MakeGroup(frame, "Kind", 0, {"One", "Two", "Three"});
  int c = std::max(krnGetCharHeight(nullptr), 20);
  EXPECT_EQ(Places(column, false), (std::vector<int>{c + 10, 2 * c + 15, 3 * c + 20}));
  ASSERT_EQ(krnChangeButton_SelectButton(Dpy(), column, "Twenty-two", nullptr, 1), 1);
  EXPECT_EQ(krnGetAttachButtonWnd_SelectButton(column, 1)->rect.width, Width("Twenty-two") + 10);
  EXPECT_EQ(krnGetAttachButtonWnd_SelectButton(column, 2)->rect.width, Width("Three") + 10);
  EXPECT_EQ(Places(column, false), (std::vector<int>{c + 10, 2 * c + 15, 3 * c + 20}));
}

}  // namespace
