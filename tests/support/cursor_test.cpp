// The session's stock images and cursors on a private server: every stock
// slot holds its picture at its size; the cursors the server shows (read
// back through the XFIXES extension when the server and libXfixes have it)
// are the built-in bitmaps, white on black, at their hot spots; the wait
// cursor covers a whole window tree and the normal cursor gives every window
// its own back.
#include <dlfcn.h>

#include <string>

#include "xharness.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;

const struct {
  int slot;
  int width, height;
  bool masked;  // has transparent pixels
} kStock[] = {
    {KRN_IMG_ARROWUP, 16, 16, true},   {KRN_IMG_ARROWDW, 16, 16, true},
    {KRN_IMG_ARROWLT, 16, 16, true},   {KRN_IMG_ARROWRT, 16, 16, true},
    {KRN_IMG_UPFOLDER, 16, 16, true},  {KRN_IMG_FOLDER, 16, 16, true},
    {KRN_IMG_SAVE, 16, 16, true},      {KRN_IMG_SAVEAS, 16, 16, true},
    {KRN_IMG_FILE, 16, 16, true},      {KRN_IMG_QUIT, 16, 16, true},
    {KRN_IMG_CHECK, 16, 16, true},     {KRN_IMG_LINK, 16, 16, true},
    {KRN_IMG_QUESTION, 100, 25, true}, {KRN_IMG_ATTENTION, 100, 25, true},
    {KRN_IMG_ERROR, 100, 25, true},    {KRN_IMG_WARNING, 100, 25, true},
    {KRN_IMG_INFO, 100, 25, true},     {KRN_IMG_KORRIN, 32, 32, true},
    {KRN_IMG_LOGO, 89, 13, true},      {KRN_IMG_LOGOMONO, 89, 13, false},
    {KRN_IMG_VANTRO, 32, 32, true},
};

TEST(StockImages, EverySlotHoldsItsPicture) {
  ASSERT_EQ(g_korrin.nImages, KRN_NIMAGES);
  for (const auto& s : kStock) {
    KrnImage* image = g_korrin.images[s.slot];
    ASSERT_NE(image, nullptr) << "slot " << s.slot;
    EXPECT_EQ(image->width, s.width) << "slot " << s.slot;
    EXPECT_EQ(image->height, s.height) << "slot " << s.slot;
    EXPECT_EQ(image->format, KRN_IMAGE_XPM);
    EXPECT_EQ(image->mask != 0, s.masked) << "slot " << s.slot;
  }
}

// The data behind the slots is the named resources, in slot order.
TEST(StockImages, SlotsFollowTheResourceNames) {
  const char* const* named[] = {
      res_arrowUp, res_arrowDw, res_arrowLt, res_arrowRt, res_upfolder, res_folder,   res_save,
      res_saveas,  res_file,    res_quit,    res_check,   res_link,     res_question, res_attention,
      res_error,   res_warning, res_info,    res_korrin,  res_logo,     res_logomono, res_vantro};
  for (int slot = 0; slot < KRN_NIMAGES; ++slot) {
    KrnImage* fresh = krnLoadImageFromData(Dpy(), named[slot], g_korrin.colormap);
    ASSERT_NE(fresh, nullptr);
    KrnImage* stock = g_korrin.images[slot];
    EXPECT_EQ(krntest::Pixels(fresh->pixmap, 0, 0, fresh->width, fresh->height),
              krntest::Pixels(stock->pixmap, 0, 0, stock->width, stock->height))
        << "slot " << slot;
    krnFreeImage(Dpy(), fresh);
  }
}

// The monochrome logo is drawn in six grey levels.
TEST(StockImages, MonochromeLogoHasSixGreys) {
  int colours = 0;
  ASSERT_EQ(sscanf(res_logomono[0], "%*d %*d %d", &colours), 1);
  EXPECT_EQ(colours, 6);
  for (int i = 1; i <= colours; ++i) {
    unsigned int r, g, b;
    ASSERT_EQ(sscanf(res_logomono[i] + 4, "#%2x%2x%2x", &r, &g, &b), 3) << res_logomono[i];
    EXPECT_TRUE(r == g && g == b) << res_logomono[i];
  }
}

// XFIXES, reached at run time so that the tests need no extra library.
struct CursorImage {  // XFixesCursorImage
  short x, y;
  unsigned short width, height;
  unsigned short xhot, yhot;
  unsigned long cursor_serial;
  unsigned long* pixels;
};

class Fixes {
 public:
  Fixes() {
    lib_ = dlopen("libXfixes.so.3", RTLD_NOW);
    if (!lib_) return;
    auto query =
        reinterpret_cast<int (*)(Display*, int*, int*)>(dlsym(lib_, "XFixesQueryExtension"));
    auto version =
        reinterpret_cast<int (*)(Display*, int*, int*)>(dlsym(lib_, "XFixesQueryVersion"));
    get_ = reinterpret_cast<CursorImage* (*)(Display*)>(dlsym(lib_, "XFixesGetCursorImage"));
    int event, error, major = 4, minor = 0;
    ok_ = query && version && get_ && query(Dpy(), &event, &error) &&
          version(Dpy(), &major, &minor) && major >= 1;
  }
  ~Fixes() {
    if (lib_) dlclose(lib_);
  }
  bool ok() const { return ok_; }
  // The cursor the server shows now, or a 0 x 0 one.
  CursorImage Current(std::vector<unsigned long>* pixels = nullptr) {
    XSync(Dpy(), False);
    CursorImage copy{};
    CursorImage* image = get_(Dpy());
    if (!image) return copy;
    copy = *image;
    if (pixels) pixels->assign(image->pixels, image->pixels + image->width * image->height);
    copy.pixels = nullptr;
    XFree(image);
    return copy;
  }

 private:
  void* lib_ = nullptr;
  CursorImage* (*get_)(Display*) = nullptr;
  bool ok_ = false;
};

class CursorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fixes_.ok()) GTEST_SKIP() << "no XFIXES to read cursors back";
  }
  // Moves the pointer to (x, y) of a window.
  void PointAt(KrnWindow* window, int x, int y) {
    XWarpPointer(Dpy(), None, window->win, 0, 0, 0, 0, x, y);
    XSync(Dpy(), False);
  }
  Fixes fixes_;
};

// The finger's bitmap as the server shows it: white where the source bit is
// set, black where only the mask is, transparent elsewhere.
TEST_F(CursorTest, FingerIsWhiteOnBlackAtItsHotSpot) {
  KrnWindow* top = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 60, 60), 0, "cursor", nullptr);
  ASSERT_NE(top, nullptr);
  ASSERT_TRUE(krntest::WaitMapped(top->win));
  krnSetDefaultCursor(top, g_korrin.cursors[KRN_CURSOR_FINGER]);
  PointAt(top, 30, 30);
  std::vector<unsigned long> argb;
  CursorImage c = fixes_.Current(&argb);
  ASSERT_EQ(c.width, 16);
  ASSERT_EQ(c.height, 16);
  EXPECT_EQ(c.xhot, 5);
  EXPECT_EQ(c.yhot, 0);
  auto at = [&](int x, int y) { return argb[y * 16 + x] & 0xFFFFFFFF; };
  EXPECT_EQ(at(0, 0), 0u);           // outside the mask
  EXPECT_EQ(at(4, 0), 0xFF000000u);  // mask only: black
  EXPECT_EQ(at(5, 1), 0xFFFFFFFFu);  // source: white
  EXPECT_EQ(at(4, 1), 0xFF000000u);
  krnDestroyWindow(Dpy(), top);
}

TEST_F(CursorTest, WaitCursorCoversTheTreeAndNormalRestoresEachOwn) {
  KrnWindow* top = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 120, 80), 0, "tree", nullptr);
  ASSERT_NE(top, nullptr);
  KrnWindow* button = krnCreateWindow(Dpy(), top, krnSetRect(10, 10, 40, 40), 0, "finger", nullptr);
  KrnWindow* text = krnCreateWindow(Dpy(), top, krnSetRect(60, 10, 40, 40), 0, "ibeam", nullptr);
  KrnWindow* inner = krnCreateWindow(Dpy(), text, krnSetRect(5, 5, 10, 10), 0, "inner", nullptr);
  ASSERT_TRUE(button && text && inner);
  ASSERT_TRUE(krntest::WaitMapped(inner->win));
  krnSetDefaultCursor(button, g_korrin.cursors[KRN_CURSOR_FINGER]);
  krnSetDefaultCursor(text, g_korrin.cursors[KRN_CURSOR_IBEAM]);

  PointAt(top, 5, 70);
  CursorImage rootCursor = fixes_.Current();

  EXPECT_EQ(krnSetWaitCursor(Dpy(), top), 1);
  for (auto [w, x, y] : {std::tuple{top, 5, 70}, {button, 20, 20}, {text, 30, 30}, {inner, 5, 5}}) {
    PointAt(w, x, y);
    CursorImage c = fixes_.Current();
    EXPECT_EQ(c.xhot, 8) << w->name;
    EXPECT_EQ(c.yhot, 8) << w->name;
  }

  EXPECT_EQ(krnSetNormalCursor(Dpy(), top), 1);
  PointAt(button, 20, 20);
  EXPECT_EQ(fixes_.Current().xhot, 5);
  PointAt(text, 30, 30);
  EXPECT_EQ(fixes_.Current().xhot, 7);
  PointAt(inner, 5, 5);  // no cursor of its own: the text window's
  EXPECT_EQ(fixes_.Current().xhot, 7);
  PointAt(top, 5, 70);  // none either: the root's
  CursorImage back = fixes_.Current();
  EXPECT_EQ(back.xhot, rootCursor.xhot);
  EXPECT_EQ(back.yhot, rootCursor.yhot);
  EXPECT_EQ(back.width, rootCursor.width);

  EXPECT_EQ(krnSetWaitCursor(Dpy(), nullptr), 0);
  EXPECT_EQ(krnSetNormalCursor(Dpy(), nullptr), 0);
  krnDestroyWindow(Dpy(), top);
}

TEST(Cursors, SessionHoldsTheThreeBuiltInCursors) {
  ASSERT_EQ(g_korrin.nCursors, KRN_NCURSORS);
  for (int i = 0; i < KRN_NCURSORS; ++i) EXPECT_NE(g_korrin.cursors[i], 0u) << i;
  EXPECT_EQ(krnLoadCursor(Dpy(), nullptr), 0u);
  KrnCursorData empty = res_curWait;
  empty.mask = nullptr;
  EXPECT_EQ(krnLoadCursor(Dpy(), &empty), 0u);
  Cursor c = krnLoadCursor(Dpy(), &res_curIbeam);
  EXPECT_NE(c, 0u);
  XFreeCursor(Dpy(), c);
}

}  // namespace
