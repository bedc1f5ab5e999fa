// The input box on a private X server: the editor and its scroll bar in
// step under real input (XTEST) — loading a text, typing past the bottom,
// dragging the thumb to the end — the forwarding of the top line, the
// layout's 64-pixel minimum and the context menu carried to the editor.
#include <xharness.h>

#include <X11/keysym.h>
#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <string>

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::Pump;
using krntest::PumpUntil;

std::string Lines(int n) {
  std::string text;
  for (int i = 0; i < n; i++) text += "line " + std::to_string(i) + " \xB4\xC1\xBB\xFA\n";
  return text;
}

class InputBox : public ::testing::Test {
 protected:
  KrnWindow* frame = nullptr;
  KrnWindow* box = nullptr;
  KrnWindow* ed = nullptr;
  KrnWindow* sb = nullptr;
  int h = krnGetCharHeight(nullptr);

  void SetUp() override {
    frame = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 400, 300), 0, "frame", nullptr);
    box =
        krnCreateWindow_InputBox(Dpy(), frame, krnSetRect(0, 0, 300, 10 * h), "InputBox", "", 0, 0);
    ASSERT_NE(box, nullptr);
    ed = krnGetAttachInputWnd_InputBox(box);
    sb = krnGetChildWindow(box, "krnScroll_InputBox");
    ASSERT_TRUE(krntest::WaitMapped(sb->win));
    Pump();
  }
  void TearDown() override {
    krnDestroyWindow(Dpy(), frame);
    krntest::DrainEvents();
  }
  bool InStep() const { return krnGetPos_InputBox(box) == krnGetPos_ScrollBar(sb); }
#ifdef KRN_HAVE_XTEST
  void PointAt(KrnWindow* w, int x, int y, int delay = 0) {
    int rx, ry;
    Window child;
    XTranslateCoordinates(Dpy(), w->win, DefaultRootWindow(Dpy()), x, y, &rx, &ry, &child);
    XTestFakeMotionEvent(Dpy(), 0, rx, ry, delay);
    XSync(Dpy(), False);
  }
#endif
};

#ifdef KRN_HAVE_XTEST
TEST_F(InputBox, LoadingTypingAndDraggingKeepEditorAndScrollBarInStep) {
  std::string text = Lines(60);
  krnSetPos_ScrollBar(sb, 5);
  EXPECT_EQ(krnSetText_InputBox(box, text.data(), static_cast<int>(text.size())),
            static_cast<int>(text.size()));
  EXPECT_EQ(krnGetPos_ScrollBar(sb), 0);
  EXPECT_EQ(krnGetMax_ScrollBar(sb), krnGetLines_InputBox(box) * h);

  // Return typed on the last visible row scrolls the view and the bar
  krnSetCaretPos_InputBox(box, static_cast<int>(Lines(9).size()));
  XSetInputFocus(Dpy(), ed->win, RevertToParent, CurrentTime);
  for (int i = 0; i < 3; i++) {
    XTestFakeKeyEvent(Dpy(), XKeysymToKeycode(Dpy(), XK_Return), True, 0);
    XTestFakeKeyEvent(Dpy(), XKeysymToKeycode(Dpy(), XK_Return), False, 0);
  }
  ASSERT_TRUE(PumpUntil([&] { return krnGetLines_InputBox(box) == 63; }));
  EXPECT_GT(krnGetPos_InputBox(box), 0);
  EXPECT_TRUE(InStep());
  EXPECT_EQ(krnGetMax_ScrollBar(sb), 63 * h + 2);

  // the thumb dragged down the track, step by step, then past its end
  krnSetPos_InputBox(box, 0);
  ASSERT_TRUE(InStep());
  PointAt(sb, 8, 20);
  XTestFakeButtonEvent(Dpy(), 1, True, 0);
  int limit = krnGetLines_InputBox(box) - 10;  // the last page starts here
  for (int y = 40; krnGetPos_ScrollBar(sb) < limit && y < 400; y += 20) {
    int before = krnGetPos_ScrollBar(sb);
    PointAt(sb, 8, y, 40);  // apart enough not to be dropped as too close
    ASSERT_TRUE(PumpUntil([&] { return krnGetPos_ScrollBar(sb) > before; })) << y;
    EXPECT_TRUE(InStep()) << y;
  }
  XTestFakeButtonEvent(Dpy(), 1, False, 0);
  Pump();
  EXPECT_EQ(krnGetPos_InputBox(box), limit);
  EXPECT_TRUE(InStep());
}
#endif

TEST_F(InputBox, SetPosMovesViewAndBar) {
  std::string text = Lines(60);
  krnSetText_InputBox(box, text.data(), static_cast<int>(text.size()));
  EXPECT_EQ(krnSetPos_InputBox(box, 17), 17);
  EXPECT_EQ(krnGetPos_ScrollBar(sb), 17);
  // a text the editor refuses leaves the view, and so the bar, where they were
  std::string huge(2048001, 'x');
  EXPECT_EQ(krnSetText_InputBox(box, huge.data(), static_cast<int>(huge.size())), -1);
  EXPECT_EQ(krnGetPos_ScrollBar(sb), 17);
  // a box made with its text can be scrolled before the first key
  KrnWindow* loaded = krnCreateWindow_InputBox(Dpy(), frame, krnSetRect(0, 0, 200, 100), "loaded",
                                               text.data(), static_cast<int>(text.size()), 0);
  EXPECT_EQ(krnGetMax_ScrollBar(krnGetChildWindow(loaded, "krnScroll_InputBox")), 60 * h);
  EXPECT_EQ(krnSetPos_InputBox(frame, 3), 0);
  EXPECT_EQ(krnAddText_InputBox(frame, "x"), -1);
  EXPECT_EQ(krnSetText_InputBox(frame, "x", 1), 0);
}

TEST_F(InputBox, ASmallBoxLaysOutItsChildrenAs64By64) {
  XResizeWindow(Dpy(), box->win, 40, 40);
  auto geometry = [&](KrnWindow* w) {
    Window root;
    int x, y;
    unsigned int width, height, border, depth;
    XGetGeometry(Dpy(), w->win, &root, &x, &y, &width, &height, &border, &depth);
    return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" +
           std::to_string(height);
  };
  ASSERT_TRUE(PumpUntil([&] { return geometry(ed) == "0,0 46x64"; })) << geometry(ed);
  EXPECT_EQ(geometry(sb), "47,0 17x64");
}

TEST_F(InputBox, TheContextMenuOfTheBoxIsCarriedByTheEditor) {
  KrnWindow* menu = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 10, 10), 0, "menu", nullptr);
  krnSetWindowKind(menu, KRN_KIND_MENU);
  krnSetContextMenu(box, menu);
  krnSendEvent(box, KRN_EV_UPDATE);
  EXPECT_EQ(ed->contextMenu, menu);
  krnSetContextMenu(box, nullptr);
  krnSendEvent(box, KRN_EV_UPDATE);
  EXPECT_EQ(ed->contextMenu, nullptr);
  krnDestroyWindow(Dpy(), menu);
}

}  // namespace
