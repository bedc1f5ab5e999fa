// Buttons, select buttons and tool bars on a private X server, clicked with
// the real pointer (XTEST): what is reported, what stays down, what the
// screen shows, and where the rows put their buttons.
#include <xharness.h>

#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <vector>

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
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
// Moves the real pointer to (x, y) of the window and presses ('P'),
// releases ('R') or clicks ('C') button 1 there, then pumps the loop.
void Mouse(KrnWindow* w, int x, int y, char what = 'C') {
  int rx = 0, ry = 0;
  Window child;
  XTranslateCoordinates(Dpy(), w->win, DefaultRootWindow(Dpy()), x, y, &rx, &ry, &child);
  XTestFakeMotionEvent(Dpy(), 0, rx, ry, 0);
  if (what != 'R') XTestFakeButtonEvent(Dpy(), 1, True, 0);
  if (what != 'P') XTestFakeButtonEvent(Dpy(), 1, False, 0);
  Pump();
  Pump();
}
#else
#define REQUIRE_XTEST() GTEST_SKIP() << "built without XTEST"
void Mouse(KrnWindow*, int, int, char = 'C') {}
#endif
void Click(KrnWindow* w) {
  Mouse(w, w->rect.width / 2, w->rect.height / 2);
}

// A pressed face is filled with the pressed colour just inside its frame.
bool LooksDown(KrnWindow* b) {
  return krntest::Pixel(b->win, 3, 3) == g_korrin.setColors[KRN_SC_BACKFACE];
}

int Width(const char* s) {
  return krnTextWidth(reinterpret_cast<const unsigned char*>(s));
}

// One field of every child's rectangle, in child order.
template <typename T>
std::vector<int> Children(KrnWindow* w, T XRectangle::*field) {
  std::vector<int> out;
  for (int i = 0; i < krnGetTotalChildWindows(w); i++)
    out.push_back(krnGetChildWindowFromIndex(w, i)->rect.*field);
  return out;
}
std::vector<int> Widths(KrnWindow* w) {
  return Children(w, &XRectangle::width);
}
using V = std::vector<int>;

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
    krnDestroyWindow(Dpy(), frame);
    krntest::DrainEvents();
  }
  KrnWindow* Shown(KrnWindow* w) {
    EXPECT_TRUE(krntest::WaitMapped(w->win));
    Pump();
    return w;
  }
};

TEST_F(Controls, AToggleButtonStaysDownAfterOneClickAndComesUpAfterTheNext) {
  REQUIRE_XTEST();
  ASSERT_NE(g_korrin.setColors[KRN_SC_BACKFACE], g_korrin.setColors[KRN_SC_BACK]);
  KrnWindow* b = Shown(
      krnCreateWindow_Button(Dpy(), frame, krnSetRect(20, 20, 80, 24), "Lock", nullptr, Record));
  krnSetToggle_Button(b, 1);
  Click(b);
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 1; }));
  EXPECT_EQ(g_calls[0].code, KRN_OK);
  EXPECT_EQ(g_calls[0].value, 1);
  EXPECT_TRUE(krnGetButton_Button(b) && LooksDown(b));
  Click(b);
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 2; }));
  EXPECT_EQ(g_calls[1].code, KRN_CANCEL);
  EXPECT_EQ(g_calls[1].value, 0);
  EXPECT_FALSE(krnGetButton_Button(b) || LooksDown(b));
}

TEST_F(Controls, APushButtonReportsOnlyWhenReleasedOverItself) {
  REQUIRE_XTEST();
  KrnWindow* b = Shown(
      krnCreateWindow_Button(Dpy(), frame, krnSetRect(20, 20, 80, 24), "Go", nullptr, Record));
  Mouse(b, 10, 10, 'P');
  ASSERT_TRUE(PumpUntil([&] { return LooksDown(b); }));
  Mouse(b, 150, 150, 'R');  // dragged out
  ASSERT_TRUE(PumpUntil([&] { return !LooksDown(b); }));
  EXPECT_TRUE(g_calls.empty());
  Click(b);
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 1; }));
  EXPECT_EQ(g_calls[0].code, KRN_OK);
  // a release whose press went elsewhere fires nothing; a callback's 130 is
  // the procedure's answer
  XEvent ev{};
  ev.xbutton.window = b->win;
  ev.xbutton.x = ev.xbutton.y = 5;
  ev.type = ButtonRelease;
  WndProc_Button(Dpy(), b, &ev);
  EXPECT_EQ(g_calls.size(), 1u);
  g_answer = KRN_QUIT;
  ev.type = ButtonPress;
  WndProc_Button(Dpy(), b, &ev);
  ev.type = ButtonRelease;
  EXPECT_EQ(WndProc_Button(Dpy(), b, &ev), KRN_QUIT);
  EXPECT_EQ(krnSetButton_Button(b, 5), KRN_OK);
  EXPECT_EQ(krnSetButton_Button(b, 1), 0);
  EXPECT_EQ(krnSetButton_Button(frame, 1), 0);
  EXPECT_EQ(krnGetCaption_Button(frame), nullptr);
}

TEST_F(Controls, ButtonsShowTheirFaceEvenWhenTheirMapNotificationIsLost) {
  KrnWindow* b = krnCreateWindow_Button(Dpy(), frame, krnSetRect(20, 20, 80, 24), "Go", 0, 0);
  KrnWindow* g = krnCreateWindow_SelectButton(Dpy(), frame, krnSetRect(0, 50, 99, 30), "", 1, 0);
  for (KrnWindow* w : {b, g}) {
    ASSERT_TRUE(krntest::WaitMapped(w->win));
    krntest::DrainEvents(w->win);  // as a modal loop's filter drops them
    XClearArea(Dpy(), w->win, 0, 0, 0, 0, True);
  }
  Pump();
  EXPECT_EQ(krntest::Pixel(b->win, 0, 0), g_korrin.setColors[KRN_SC_BACKLIGHT]);
  EXPECT_EQ(krntest::Pixel(g->win, 0, 0), g_korrin.setColors[KRN_SC_BACKDARK]);
}

TEST_F(Controls, ASelectButtonIsALabelledRowOfExclusiveToggles) {
  REQUIRE_XTEST();
  KrnWindow* g =
      krnCreateWindow_SelectButton(Dpy(), frame, krnSetRect(10, 100, 380, 30), "Filter", 1, Record);
  for (const char* c : {"All", "Normal", "Select"})
    krnAddButton_SelectButton(Dpy(), g, c, nullptr, -1);
  int x0 = Width("Filter") + 10, w0 = Width("All") + 10, w1 = Width("Normal") + 10;
  EXPECT_EQ(Children(g, &XRectangle::x), (V{x0, x0 + w0 + 5, x0 + w0 + w1 + 10}));
  EXPECT_EQ(Children(g, &XRectangle::y), (V{2, 2, 2}));
  KrnWindow* b0 = krnGetAttachButtonWnd_SelectButton(g, 0);
  KrnWindow* b1 = Shown(krnGetAttachButtonWnd_SelectButton(g, 1));
  Click(b1);
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 1; }));
  EXPECT_EQ(g_calls[0].window, g);
  EXPECT_EQ(g_calls[0].code, KRN_SELECT);
  EXPECT_EQ(g_calls[0].value, 1);
  Click(b1);  // already down: stays down, reports nothing
  Click(b0);
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 2; }));
  EXPECT_EQ(g_calls[1].value, 0);
  EXPECT_TRUE(LooksDown(b0));
  EXPECT_FALSE(LooksDown(b1));
  // selecting by program pushes down without raising the others
  EXPECT_EQ(krnSelect_SelectButton(g, 1), 1);
  EXPECT_EQ(krnGetSelectIndex_SelectButton(g), 1);
  EXPECT_EQ(krnGetButton_Button(b0) + krnGetButton_Button(b1), 2);
  EXPECT_EQ(krnSelect_SelectButton(g, 3), 0);
  EXPECT_EQ(g_calls.size(), 2u);
}

TEST_F(Controls, SelectButtonRowsAndColumnsMakeRoomAndCloseGaps) {
  KrnWindow* row = krnCreateWindow_SelectButton(Dpy(), frame, krnSetRect(0, 0, 380, 30), "", 1, 0);
  krnAddButton_SelectButton(Dpy(), row, "A", nullptr, -1);
  krnAddButton_SelectButton(Dpy(), row, "New", nullptr, 0);
  int wn = Width("New") + 10, wl = Width("Longer") + 10;
  EXPECT_EQ(Children(row, &XRectangle::x), (V{5, 5 + wn + 5}));
  EXPECT_EQ(krnDeleteButton_SelectButton(row, 7), 1);
  EXPECT_EQ(krnDeleteButton_SelectButton(row, 0), 1);
  EXPECT_EQ(Children(row, &XRectangle::x), (V{5}));
  krnAddButton_SelectButton(Dpy(), row, "B", nullptr, -1);
  krnChangeButton_SelectButton(Dpy(), row, "Longer", nullptr, 0);
  EXPECT_EQ(Children(row, &XRectangle::x), (V{5, 5 + wl + 5}));
  KrnWindow* col =
      krnCreateWindow_SelectButton(Dpy(), frame, krnSetRect(0, 40, 380, 200), "Kind", 0, 0);
  for (const char* c : {"One", "Two", "Three"}) krnAddButton_SelectButton(Dpy(), col, c, 0, -1);
  krnChangeButton_SelectButton(Dpy(), col, "Twenty-two", nullptr, 1);
  int c = std::max(krnGetCharHeight(nullptr), 20);
  EXPECT_EQ(Children(col, &XRectangle::y), (V{c + 10, 2 * c + 15, 3 * c + 20}));
  EXPECT_EQ(Widths(col), (V{Width("One") + 10, Width("Twenty-two") + 10, Width("Three") + 10}));
}

TEST_F(Controls, ToolBarRowsMakeRoomCloseGapsAndResizeOnChange) {
  KrnWindow* bar = krnCreateWindow_ToolBar(Dpy(), frame, "tools");
  EXPECT_EQ(krnGetAttachButtonWnd_ToolBar(bar, -1), nullptr);
  int ch = krnGetCharHeight(nullptr);
  EXPECT_EQ(krnGetHeight_ToolBar(), ch < 16 ? 28 : ch + 12);
  KrnImage* icon = g_korrin.images[KRN_IMG_SAVE];
  int wo = Width("Open") + 10, ws = Width("Save") + 10 + 21;
  krnAddButton_ToolBar(Dpy(), bar, "Open", Record, nullptr, -1);
  krnAddButton_ToolBar(Dpy(), bar, "Save", Record, icon, 9);
  krnAddButton_ToolBar(Dpy(), bar, "", Record, icon, 0);
  EXPECT_EQ(Children(bar, &XRectangle::x), (V{0, 26, 26 + wo + 5}));
  EXPECT_EQ(Widths(bar), (V{21, wo, ws}));
  EXPECT_EQ(Children(bar, &XRectangle::y), (V{4, 4, 4}));
  krnChangeButton_ToolBar(Dpy(), bar, "", Record, icon, 1);  // icon only now: 30 wide
  EXPECT_EQ(Children(bar, &XRectangle::x), (V{0, 26, 61}));
  EXPECT_EQ(krnDeleteButton_ToolBar(bar, 5), 1);
  EXPECT_EQ(krnDeleteButton_ToolBar(bar, -1), 1);
  EXPECT_EQ(krnDeleteButton_ToolBar(bar, 0), 1);
  EXPECT_EQ(Widths(bar), (V{30}));
  EXPECT_EQ(Children(bar, &XRectangle::x), (V{0}));
  EXPECT_EQ(krnAddButton_ToolBar(Dpy(), frame, "x", Record, nullptr, -1), 0);
  EXPECT_EQ(krnCreateWindow_ToolBar(Dpy(), nullptr, "none"), nullptr);
}

// Operations by index name no button with an index outside the row; only
// the attach lookup takes -1 for the last and other negatives for the first.
TEST_F(Controls, ToolBarIndexesOutsideTheRowNameNoButton) {
  KrnWindow* bar = krnCreateWindow_ToolBar(Dpy(), frame, "tools");
  for (const char* caption : {"New", "Open", "Lock"})
    krnAddButton_ToolBar(Dpy(), bar, caption, Record, nullptr, -1);
  for (int index : {-1, -2, 3, 100}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(krnGetButton_ToolBar(bar, index), 0);
    EXPECT_EQ(krnSetButton_ToolBar(bar, index, 1), 0);
    EXPECT_EQ(krnSetToggle_ToolBar(bar, index, 1), 0);
  }
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(krnGetButton_ToolBar(bar, i), 0) << i;  // none was pressed by the above
    EXPECT_EQ(krnSetToggle_ToolBar(bar, i, 0), 1) << i;
  }
  EXPECT_EQ(krnSetButton_ToolBar(bar, 2, 1), KRN_OK);
  EXPECT_EQ(krnGetButton_ToolBar(bar, 2), 1);
  EXPECT_EQ(krnGetAttachButtonWnd_ToolBar(bar, -1), krnGetChildWindowFromIndex(bar, 2));
  EXPECT_EQ(krnGetAttachButtonWnd_ToolBar(bar, -7), krnGetChildWindowFromIndex(bar, 0));
  EXPECT_EQ(krnGetAttachButtonWnd_ToolBar(bar, 3), nullptr);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(Controls, ToolBarsStackUnderTheMenuBarAndFollowTheirParentsWidth) {
  REQUIRE_XTEST();
  ASSERT_NE(krnCreateWindow_MenuBar(Dpy(), frame, "menu", nullptr, nullptr, "status"), nullptr);
  KrnWindow* one = krnCreateWindow_ToolBar(Dpy(), frame, "one");
  KrnWindow* two = krnCreateWindow_ToolBar(Dpy(), frame, "two");
  int mh = krnGetHeight_MenuBar(), th = krnGetHeight_ToolBar();
  EXPECT_EQ(one->rect.y, mh);
  EXPECT_EQ(two->rect.y, mh + th);
  krnAddButton_ToolBar(Dpy(), one, "New", Record, nullptr, -1);
  krnAddButton_ToolBar(Dpy(), one, "Lock", Record, nullptr, -1);
  krnSetToggle_ToolBar(one, 1, 1);
  KrnWindow* lock = Shown(krnGetAttachButtonWnd_ToolBar(one, 1));
  Click(lock);
  ASSERT_TRUE(PumpUntil([&] { return g_calls.size() == 1; }));
  EXPECT_EQ(g_calls[0].window, lock);
  EXPECT_EQ(krnGetButton_ToolBar(one, 1), 1);
  EXPECT_EQ(krnSetButton_ToolBar(one, 1, 0), KRN_CANCEL);
  XResizeWindow(Dpy(), frame->win, 520, 300);
  ASSERT_TRUE(PumpUntil([&] { return one->rect.width == 520 && two->rect.width == 520; }));
  XWindowAttributes a;
  XGetWindowAttributes(Dpy(), two->win, &a);
  EXPECT_EQ(a.width, 520);
  EXPECT_EQ(a.y, mh + th);
  // a button's callback answering 130 is the bar's answer
  g_answer = KRN_QUIT;
  XEvent ev{};
  ev.xbutton.window = krnGetAttachButtonWnd_ToolBar(one, 0)->win;
  ev.xbutton.x = ev.xbutton.y = 5;
  ev.type = ButtonPress;
  WndProc_ToolBar(Dpy(), one, &ev);
  ev.type = ButtonRelease;
  EXPECT_EQ(WndProc_ToolBar(Dpy(), one, &ev), KRN_QUIT);
}

}  // namespace
