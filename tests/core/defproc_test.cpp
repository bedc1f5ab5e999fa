// The default window procedure and the redraw buffer on a private X server:
// Expose served from the buffer, buffer growth, moves and resizes, the clear
// family and auto redraw, all checked in pixels.
#include <xharness.h>

#include <unistd.h>

#include <vector>

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::Pixel;

unsigned long Red() {
  return g_korrin.colors[KRN_RED];
}
unsigned long Blue() {
  return g_korrin.colors[KRN_BLUE];
}

void Fill(Drawable d, unsigned long pixel, int x, int y, int w, int h) {
  GC gc = XCreateGC(Dpy(), d, 0, nullptr);
  XSetForeground(Dpy(), gc, pixel);
  XFillRectangle(Dpy(), d, gc, x, y, w, h);
  XFreeGC(Dpy(), gc);
  XSync(Dpy(), False);
}

int g_drawCalls = 0;
int CountingProc(Display*, KrnWindow* w, XEvent* ev) {
  if (ev->type == Expose || ev->type == KRN_EV_REDRAW) g_drawCalls++;
  return w->result;
}

using krntest::Pump;
using krntest::PumpUntil;

class DefProc : public ::testing::Test {
 protected:
  KrnWindow* w = nullptr;
  void SetUp() override {
    w = krnCreateWindow(Dpy(), nullptr, krnSetRect(50, 60, 100, 80), 0, "w", nullptr);
    ASSERT_TRUE(krntest::WaitMapped(w->win));
    Pump();
  }
  void TearDown() override { krnDestroyWindow(Dpy(), w); }
};

TEST_F(DefProc, ExposeIsServedFromTheBufferWithoutDrawingCode) {
  krnSetWndProc(w, CountingProc);
  krnSetRedrawBuffer(w, 1);
  Fill(w->draw, Red(), 0, 0, 100, 80);
  Fill(w->draw, Blue(), 10, 10, 5, 5);
  XClearArea(Dpy(), w->win, 0, 0, 0, 0, True);
  g_drawCalls = 0;
  Pump();
  EXPECT_EQ(Pixel(w->win, 50, 50), Red());
  EXPECT_EQ(Pixel(w->win, 12, 12), Blue());
  EXPECT_EQ(g_drawCalls, 1);  // the procedure saw the Expose but the copy was the default's
}

TEST_F(DefProc, ExposeWithoutRedrawBufferDrawsNothing) {
  krnSetRedrawBuffer(w, 0);
  Fill(w->draw, Red(), 0, 0, 100, 80);
  XClearArea(Dpy(), w->win, 0, 0, 0, 0, True);
  Pump();
  EXPECT_EQ(Pixel(w->win, 50, 50), w->backColor);
}

TEST_F(DefProc, BufferGrowsButNeverShrinks) {
  Fill(w->draw, Red(), 0, 0, 100, 80);
  XResizeWindow(Dpy(), w->win, 60, 40);
  ASSERT_TRUE(PumpUntil([&] { return w->rect.width == 60; }));
  EXPECT_EQ(w->drawRect.width, 100);
  EXPECT_EQ(w->drawRect.height, 80);
  Pixmap before = w->draw;
  XResizeWindow(Dpy(), w->win, 100, 80);  // back to the old size: no new pixmap
  ASSERT_TRUE(PumpUntil([&] { return w->rect.width == 100; }));
  EXPECT_EQ(w->draw, before);
  XResizeWindow(Dpy(), w->win, 150, 70);
  ASSERT_TRUE(PumpUntil([&] { return w->rect.width == 150; }));
  EXPECT_NE(w->draw, before);
  EXPECT_EQ(w->drawRect.width, 150);
  EXPECT_EQ(w->drawRect.height, 80);                 // max(old, new) in each dimension
  EXPECT_EQ(Pixel(w->draw, 99, 79), Red());          // old content at the top-left
  EXPECT_EQ(Pixel(w->draw, 120, 10), w->backColor);  // new area painted
}

TEST_F(DefProc, MoveTakesThePositionResizeKeepsIt) {
  XMoveWindow(Dpy(), w->win, 70, 90);
  ASSERT_TRUE(PumpUntil([&] { return w->rect.x == 70; }));
  EXPECT_EQ(w->rect.y, 90);
  EXPECT_EQ(w->resized, 0);
  EXPECT_EQ(krnIsWindowResized(w), 0);
  w->rect.x = 5;  // a recorded position the resize must keep
  w->rect.y = 6;
  XResizeWindow(Dpy(), w->win, 110, 85);
  ASSERT_TRUE(PumpUntil([&] { return w->rect.width == 110; }));
  EXPECT_EQ(w->resized, 1);
  EXPECT_EQ(w->rect.x, 5);
  EXPECT_EQ(w->rect.y, 6);
  EXPECT_EQ(w->rect.height, 85);
}

TEST_F(DefProc, ConfigureWithZeroWidthOnlyFlagsTheResize) {
  XEvent ev{};
  ev.xconfigure.type = ConfigureNotify;
  ev.xconfigure.event = ev.xconfigure.window = w->win;
  ev.xconfigure.x = 1;
  ev.xconfigure.y = 2;
  ev.xconfigure.width = 0;
  ev.xconfigure.height = 30;
  KrnRect before = w->rect;
  w->result = 1;
  EXPECT_EQ(krnWndProc_Default(Dpy(), w, &ev), 1);
  EXPECT_EQ(w->resized, 1);
  EXPECT_EQ(w->rect.width, before.width);
  EXPECT_EQ(w->rect.x, before.x);
}

TEST_F(DefProc, ClearFamilyClampsAndCutsToTheWindow) {
  Fill(w->draw, Red(), 0, 0, 100, 80);
  EXPECT_EQ(krnClearRectWindow(Dpy(), w, krnSetRect(-5, -5, 20, 20), 1), 1);
  EXPECT_EQ(Pixel(w->draw, 0, 0), w->backColor);
  EXPECT_EQ(Pixel(w->draw, 19, 19), w->backColor);  // origin moved, size kept
  EXPECT_EQ(Pixel(w->draw, 20, 20), Red());
  // With the window smaller than its buffer, a clear stops at the window edge.
  XResizeWindow(Dpy(), w->win, 50, 50);
  ASSERT_TRUE(PumpUntil([&] { return w->rect.width == 50; }));
  Fill(w->draw, Red(), 0, 0, 100, 80);
  krnClearRectWindow(Dpy(), w, krnSetRect(40, 40, 50, 50), 1);
  EXPECT_EQ(Pixel(w->draw, 45, 45), w->backColor);
  EXPECT_EQ(Pixel(w->draw, 60, 60), Red());
  // A clip rectangle limits the clear.
  Fill(w->draw, Red(), 0, 0, 100, 80);
  krnClearRectWindowRRg(Dpy(), w, krnSetRect(0, 0, 10, 10), krnSetRect(0, 0, 30, 30), 1);
  EXPECT_EQ(Pixel(w->draw, 5, 5), w->backColor);
  EXPECT_EQ(Pixel(w->draw, 15, 5), Red());
  EXPECT_EQ(krnClearWindow(Dpy(), nullptr, 1), 0);
}

TEST_F(DefProc, ClearingTheScreenLeavesTheBuffer) {
  Fill(w->draw, Red(), 0, 0, 100, 80);
  Fill(w->win, Blue(), 0, 0, 100, 80);
  EXPECT_EQ(krnClearWindow(Dpy(), w, 0), 1);
  XSync(Dpy(), False);
  EXPECT_EQ(Pixel(w->draw, 50, 40), Red());
  EXPECT_EQ(Pixel(w->win, 50, 40), w->backColor);
}

TEST_F(DefProc, AutoRedrawCopiesOnlyAfterDrawing) {
  krnSetAutoRedraw(w, 1);
  Fill(krnGetDraw(w), Red(), 0, 0, 100, 80);  // stamped as drawn
  krnSendEvent(w, KRN_EV_UPDATE);
  XSync(Dpy(), False);
  EXPECT_EQ(Pixel(w->win, 50, 40), Red());
  Fill(w->draw, Blue(), 0, 0, 100, 80);  // drawn without the stamp
  krnSendEvent(w, KRN_EV_UPDATE);
  XSync(Dpy(), False);
  EXPECT_EQ(Pixel(w->win, 50, 40), Red());  // nothing copied
  krnGetDraw(w);
  krnSetAutoRedrawArea(w, krnSetRect(0, 0, 10, 10));
  krnSendEvent(w, KRN_EV_UPDATE);
  XSync(Dpy(), False);
  EXPECT_EQ(Pixel(w->win, 5, 5), Blue());
  EXPECT_EQ(Pixel(w->win, 50, 40), Red());  // outside the area
}

TEST_F(DefProc, RedrawAndCopyFamilies) {
  Fill(w->draw, Red(), 0, 0, 100, 80);
  Fill(w->win, Blue(), 0, 0, 100, 80);
  krnRedrawRectWindowRRg(Dpy(), w, krnSetRect(0, 0, 20, 20), krnSetRect(10, 10, 30, 30));
  XSync(Dpy(), False);
  EXPECT_EQ(Pixel(w->win, 15, 15), Red());
  EXPECT_EQ(Pixel(w->win, 25, 25), Blue());
  EXPECT_EQ(Pixel(w->win, 5, 5), Blue());
  Fill(w->draw, Blue(), 0, 0, 10, 10);
  krnCopyWindow(Dpy(), w, krnSetRect(0, 0, 10, 10), 50, 50, 1);
  EXPECT_EQ(Pixel(w->draw, 55, 55), Blue());
  EXPECT_EQ(Pixel(w->draw, 65, 65), Red());
}

// A 4 x 4 wallpaper tile: its top-left pixel blue (or transparent), the
// rest red.
const char* const kTileOpaque[] = {"4 4 2 1", "r c #FF0000", "b c #0000FF", "brrr",
                                   "rrrr",    "rrrr",        "rrrr"};
const char* const kTileMasked[] = {"4 4 2 1", "r c #FF0000", "  c None", " rrr",
                                   "rrrr",    "rrrr",        "rrrr"};

TEST_F(DefProc, WallpaperTilesAreAnchoredAtTheWindowOriginAndClipped) {
  struct {
    const char* const* xpm;
    bool masked;
  } tiles[] = {{kTileOpaque, false}, {kTileMasked, true}};
  for (auto& t : tiles) {
    KrnImage* image = krnLoadImageFromData(Dpy(), t.xpm, g_korrin.colormap);
    ASSERT_NE(image, nullptr);
    krnSetWallPaper(Dpy(), w, image);
    EXPECT_EQ(w->wallPaperPixmap != 0, t.masked);
    // A tile's corner pixel: blue, or the back colour behind a transparent one.
    unsigned long corner = t.masked ? g_korrin.setColors[KRN_SC_BACK] : Blue();
    Fill(w->draw, g_korrin.colors[KRN_BLACK], 0, 0, 100, 80);
    krnClearRectWindow(Dpy(), w, krnSetRect(6, 6, 10, 10), 1);
    XSync(Dpy(), False);
    EXPECT_EQ(Pixel(w->draw, 8, 8), corner) << t.masked;
    EXPECT_EQ(Pixel(w->draw, 12, 12), corner) << t.masked;
    EXPECT_EQ(Pixel(w->draw, 6, 6), Red()) << t.masked;  // not a tile corner
    EXPECT_EQ(Pixel(w->draw, 5, 5), g_korrin.colors[KRN_BLACK]) << t.masked;
    // A clip region away from the first tile limits every tile alike.
    Fill(w->draw, g_korrin.colors[KRN_BLACK], 0, 0, 100, 80);
    Region region = XCreateRegion();
    XRectangle clip = {21, 21, 20, 20};
    XUnionRectWithRegion(&clip, region, region);
    krnClearWindowRg(Dpy(), w, region, 1);
    XDestroyRegion(region);
    XSync(Dpy(), False);
    EXPECT_EQ(Pixel(w->draw, 24, 24), corner) << t.masked;
    EXPECT_EQ(Pixel(w->draw, 40, 40), corner) << t.masked;
    EXPECT_EQ(Pixel(w->draw, 21, 21), Red()) << t.masked;
    EXPECT_EQ(Pixel(w->draw, 20, 20), g_korrin.colors[KRN_BLACK]) << t.masked;
    EXPECT_EQ(Pixel(w->draw, 41, 41), g_korrin.colors[KRN_BLACK]) << t.masked;
    krnSetWallPaper(Dpy(), w, nullptr);
    EXPECT_EQ(w->wallPaperPixmap, 0u);
    krnFreeImage(Dpy(), image);
  }
}

TEST_F(DefProc, DeleteRequestIsAnsweredWithQuitAndKeysWithZero) {
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w->win;
  ev.xclient.format = 32;
  ev.xclient.message_type = XInternAtom(Dpy(), "WM_PROTOCOLS", False);
  ev.xclient.data.l[0] = (long)w->wmDeleteWindow;
  w->result = 1;
  EXPECT_EQ(krnWndProc_Default(Dpy(), w, &ev), KRN_QUIT);
  EXPECT_EQ(krnCallWndProc(Dpy(), w, &ev, 1), KRN_QUIT);
  // Through the server and the loop: the loop ends.
  XSendEvent(Dpy(), w->win, False, NoEventMask, &ev);
  XSync(Dpy(), False);
  alarm(20);
  krnMainLoop(Dpy(), w);
  alarm(0);

  static int seen = -1;
  krnSetWndProc(w, [](Display*, KrnWindow* win, XEvent*) {
    seen = win->result;
    return win->result;
  });
  XEvent key = krntest::KeyEvent(w->win, 'a');
  EXPECT_EQ(krnCallWndProc(Dpy(), w, &key, 0), 0);
  EXPECT_EQ(seen, 0);  // the procedure saw the default's 0 as its carried-in result
  XEvent other = key;
  other.xany.window = 12345;
  w->result = 7;
  EXPECT_EQ(krnWndProc_Default(Dpy(), w, &other), 7);  // not ours: unchanged
}

}  // namespace
