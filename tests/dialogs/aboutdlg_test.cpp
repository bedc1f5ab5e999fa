// The about dialog on a private X server, driven from inside its loop with
// real keys and clicks (XTEST): its layout with and without a picture, the
// picture itself, the text in the given colour over the wallpaper, and every
// way of closing it answering KRN_OK.
#include <xharness.h>

#ifdef KRN_HAVE_XTEST
#include <algorithm>

#include "dialog_driver.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::Pixels;
using krntest::Step;

const char* kTitle = "About Test";
const char* kText = ">>> Test <<<\n- Ver -\n- maker -\n";

// Where the picture's mask is set, the dialog shows the picture's pixels.
void ExpectPicture(KrnWindow* dialog, KrnImage* p, int x, int y) {
  auto shown = Pixels(dialog->win, x, y, p->width, p->height);
  auto pixels = Pixels(p->pixmap, 0, 0, p->width, p->height);
  auto mask = p->mask ? Pixels(p->mask, 0, 0, p->width, p->height)
                      : std::vector<unsigned long>(pixels.size(), 1);
  int opaque = 0, same = 0;
  for (size_t i = 0; i < pixels.size(); i++)
    if (mask[i]) opaque++, same += shown[i] == pixels[i];
  EXPECT_GT(opaque, 0);
  EXPECT_EQ(same, opaque);
}

// Text pixels in the blue, and below the text the wallpaper, tiled from
// the text window's origin.
void ExpectTextOverWallpaper(KrnWindow* text, KrnImage* wall) {
  int h = krnGetCharHeight(nullptr);
  auto lines = Pixels(text->win, 4, 2, 80, 3 * h);
  EXPECT_GT(std::count(lines.begin(), lines.end(), g_korrin.colors[KRN_BLUE]), 20);
  int top = 2 + 3 * h + 4, rows = text->rect.height - top - 4;
  auto below = Pixels(text->win, 4, top, 100, rows);
  auto tile = Pixels(wall->pixmap, 0, 0, wall->width, wall->height);
  int wrong = 0;
  for (int y = 0; y < rows; y++)
    for (int x = 0; x < 100; x++)
      wrong += below[y * 100 + x] !=
               tile[((top + y) % wall->height) * wall->width + (4 + x) % wall->width];
  EXPECT_EQ(wrong, 0);
}

struct Case {
  const char* name;
  bool picture;
  std::function<void(KrnWindow*)> close;
};

TEST(AboutDialog, ShowsPictureAndColouredTextOverWallpaperAndEveryCloseAnswersOk) {
  KrnWindow* owner =
      krnCreateWindow(Dpy(), nullptr, krnSetRect(100, 100, 500, 400), 1, "owner", nullptr);
  ASSERT_TRUE(krntest::WaitMapped(owner->win));
  KrnImage* picture = g_korrin.images[KRN_IMG_QUESTION];
  KrnImage* wall = g_korrin.images[KRN_IMG_LOGOMONO];
  const Case cases[] = {
      {"OK clicked", true,
       [](KrnWindow* d) { krntest::ClickMiddle(krnGetChildWindow(d, " O K ")); }},
      {"Return", true, [](KrnWindow*) { krntest::TypeKey(XK_Return); }},
      {"space, no picture", false, [](KrnWindow*) { krntest::TypeKey(XK_space); }},
      {"close request", false, [](KrnWindow* d) { krntest::Script::Close(d); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KrnWindow* dialog = nullptr;
    int pw = c.picture ? picture->width : 0;
    krntest::Script script(
        kTitle,
        {krntest::WaitShown(kTitle, &dialog), krntest::Ticks(3),
         [&] {
           KrnWindow* text = krnGetChildWindow(dialog, "_krnText_About");
           KrnWindow* ok = krnGetChildWindow(dialog, " O K ");
           EXPECT_EQ(dialog->rect.width, 365);
           EXPECT_EQ(text->rect.x, c.picture ? pw + 20 : 10);
           EXPECT_EQ(text->rect.width, c.picture ? 365 - pw - 30 : 345);
           EXPECT_EQ(text->rect.height, 100);
           EXPECT_EQ(ok->rect.x, 152);  // (365 - 60) / 2
           EXPECT_EQ(ok->rect.y, 110);
           ExpectTextOverWallpaper(text, wall);
           if (c.picture) ExpectPicture(dialog, picture, 10, (140 - picture->height - 30) / 2);
           return true;
         },
         krntest::Screenshot(std::string("aboutdlg_") + (c.picture ? "picture" : "plain") + ".png"),
         // A resize moves the text window and keeps OK centred.
         [&] { return XResizeWindow(Dpy(), dialog->win, 500, 300), true; },
         [&] { return krnGetChildWindow(dialog, " O K ")->rect.y == 270; },
         [&] {
           KrnWindow* text = krnGetChildWindow(dialog, "_krnText_About");
           EXPECT_EQ(text->rect.width, c.picture ? 500 - pw - 30 : 480);
           EXPECT_EQ(text->rect.height, 260);
           EXPECT_EQ(krnGetChildWindow(dialog, " O K ")->rect.x, 220);
           if (c.picture) ExpectPicture(dialog, picture, 10, (300 - picture->height - 30) / 2);
           return true;
         },
         [&] { return c.close(dialog), true; }});
    EXPECT_EQ(krnAboutDialog(Dpy(), owner, kTitle, kText, c.picture ? picture : nullptr, wall,
                             g_korrin.colors[KRN_BLUE]),
              KRN_OK);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(krnGetWindow(kTitle), nullptr);
  }
  krnDestroyWindow(Dpy(), owner);
}

}  // namespace
#endif
