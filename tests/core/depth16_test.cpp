// A session on a 16-bit TrueColor server: the depth is taken from the root
// window, redraw buffers are made at that depth, and the basic colours map
// to the 5-6-5 pixels the server itself allocates.
#include <xharness.h>

KRN_X_ENVIRONMENT(16, true);

namespace {

using krntest::Dpy;

TEST(Depth16, SessionAndBuffersFollowTheScreenDepth) {
  EXPECT_EQ(g_korrin.depth, 16u);
  EXPECT_EQ(g_korrin.colorTable8, nullptr);
  EXPECT_EQ(g_korrin.colors[KRN_RED], 0xF800u);
  EXPECT_EQ(g_korrin.colors[KRN_GREEN], 0x07E0u);
  EXPECT_EQ(g_korrin.colors[KRN_BLUE], 0x001Fu);
  KrnWindow* w = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 40, 30), 0, "w16", nullptr);
  ASSERT_NE(w, nullptr);
  Window root;
  int x, y;
  unsigned int width, height, border, depth;
  ASSERT_TRUE(XGetGeometry(Dpy(), w->draw, &root, &x, &y, &width, &height, &border, &depth));
  EXPECT_EQ(depth, 16u);
  EXPECT_EQ(krntest::Pixel(w->draw, 10, 10), w->backColor);
  krnDestroyWindow(Dpy(), w);
}

}  // namespace
