// The text dialog on a private X server, driven from inside its own loop
// with real keys and clicks (XTEST): it shows and scrolls the text, every
// way of closing answers KRN_OK, key repeats faster than Interval are
// dropped, a resize keeps the layout, and the next call reopens where and
// as large as the last one closed.
#include <xharness.h>

#ifdef KRN_HAVE_XTEST
#include <algorithm>

#include "controls/textwnd_model.h"
#include "dialog_driver.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::Script;
using krntest::Step;

const char* kTitle = "Text Dialog Test";

std::string Numbered(int n) {
  std::string text;
  for (int i = 0; i < n; i++) text += "line " + std::to_string(i) + "\n";
  return text;
}

KrnWindow* BoxOf(KrnWindow* dialog) {
  return krnGetChildWindow(dialog, "_krnText_TextDlg");
}

KrnWindow* OkOf(KrnWindow* dialog) {
  return krnGetChildWindow(dialog, " O K ");
}

// Presses key, then waits until the top line is expected.
Step KeyTo(KrnWindow** dialog, KeySym key, int expected) {
  auto sent = std::make_shared<bool>(false);
  return [=] {
    if (!*sent) krntest::TypeKey(key);
    *sent = true;
    return krnGetPos_TextBox(BoxOf(*dialog)) == expected;
  };
}

// Checks the top line without waiting for it.
Step PosIs(KrnWindow** dialog, int expected) {
  return [=] {
    EXPECT_EQ(krnGetPos_TextBox(BoxOf(*dialog)), expected);
    return true;
  };
}

// Checks the rectangle the server and the record give the dialog.
Step Expect(KrnWindow** dialog, int x, int y, int w, int h) {
  return [=] {
    Window root;
    int gx, gy;
    unsigned int gw, gh, border, depth;
    XGetGeometry(Dpy(), (*dialog)->win, &root, &gx, &gy, &gw, &gh, &border, &depth);
    EXPECT_EQ(gx, x);
    EXPECT_EQ(gy, y);
    EXPECT_EQ((int)gw, w);
    EXPECT_EQ((*dialog)->rect.width, w);
    EXPECT_EQ((*dialog)->rect.height, h);
    return true;
  };
}

class TextDialog : public ::testing::Test {
 protected:
  KrnWindow* owner = nullptr;
  KrnWindow* dialog = nullptr;
  int h = krnGetCharHeight(nullptr);
  std::vector<unsigned long> second;  // the second row at the top line 0

  void SetUp() override {
    owner = krnCreateWindow(Dpy(), nullptr, krnSetRect(200, 150, 600, 400), 1, "owner", nullptr);
    ASSERT_TRUE(krntest::WaitMapped(owner->win));
    krntest::Pump();
  }
  void TearDown() override {
    krnDestroyWindow(Dpy(), owner);
    krntest::DrainEvents();
  }
  void Run(const std::string& text, std::vector<Step> steps) {
    steps.insert(steps.begin(), krntest::WaitShown(kTitle, &dialog));
    Script script(kTitle, std::move(steps));
    EXPECT_EQ(krnTextDialog(Dpy(), owner, kTitle, text.c_str()), KRN_OK);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(krnGetWindow(kTitle), nullptr);
  }
};

// One test, because the remembered place lives as long as the process: the
// first call is centred on the owner, moved, resized and closed with OK; the
// later calls reopen there and close in the other ways.
TEST_F(TextDialog, ShowsScrollsClosesAndReopensWhereItWas) {
  const std::string text = Numbered(60);
  Run(text, {
                Expect(&dialog, 201, 151, 600, 400),  // the owner's inside
                [&] {
                  KrnWindow* box = BoxOf(dialog);
                  EXPECT_EQ(krnGetLines_TextBox(box), 60);
                  EXPECT_EQ(box->rect.x, 5);
                  EXPECT_EQ(box->rect.width, 590);
                  EXPECT_EQ(box->rect.height, 365);
                  EXPECT_EQ(OkOf(dialog)->rect.x, 284);
                  EXPECT_EQ(OkOf(dialog)->rect.y, 375);
                  // The first line is on the screen, and nothing after
                  // its last letter (the line feed has no glyph).
                  const unsigned long ink = g_korrin.setColors[KRN_SC_FONT];
                  int w = krnTextWidth(reinterpret_cast<const unsigned char*>("line 0"));
                  auto text = krntest::Pixels(box->children[0]->win, 4, 2, w, h);
                  auto after = krntest::Pixels(box->children[0]->win, 4 + w, 2, 20, h);
                  second = krntest::Pixels(box->children[0]->win, 4, 2 + h, 80, h);
                  EXPECT_GT(std::count(text.begin(), text.end(), ink), 10);
                  EXPECT_EQ(std::count(after.begin(), after.end(), ink), 0);
                  return true;
                },
                KeyTo(&dialog, XK_j, 1),
                KeyTo(&dialog, XK_f, 2),
                KeyTo(&dialog, XK_Down, 3),
                KeyTo(&dialog, XK_k, 2),
                KeyTo(&dialog, XK_Up, 1),
                KeyTo(&dialog, XK_d, 0),
                KeyTo(&dialog, XK_d, 0),  // stays at the first line
                // Two presses within one Interval move one line (once the
                // last accepted key is more than an Interval old).
                krntest::Ticks(3),
                [&] {
                  krntest::TypeKey(XK_j);
                  krntest::TypeKey(XK_j);
                  return true;
                },
                krntest::Ticks(6),
                PosIs(&dialog, 1),
                [&] {  // the second line is now drawn at the top
                  KrnWindow* text = BoxOf(dialog)->children[0];
                  EXPECT_EQ(krntest::Pixels(text->win, 4, 2, 80, h), second);
                  return true;
                },
                krntest::Screenshot("textdlg.png"),
                [&] {
                  XMoveWindow(Dpy(), dialog->win, 50, 60);
                  return true;
                },
                [&] { return dialog->rect.x == 50 && dialog->rect.y == 60; },
                [&] {
                  XResizeWindow(Dpy(), dialog->win, 400, 300);
                  return true;
                },
                [&] { return dialog->rect.width == 400 && OkOf(dialog)->rect.y == 275; },
                [&] {
                  KrnWindow* box = BoxOf(dialog);
                  EXPECT_EQ(box->rect.width, 390);
                  EXPECT_EQ(box->rect.height, 265);
                  EXPECT_EQ(OkOf(dialog)->rect.x, 184);
                  krntest::ClickMiddle(OkOf(dialog));
                  return true;
                },
            });
  // Each later call opens at (50, 60), 400 x 300, and scrolls down to the
  // last full page and no further.
  struct Close {
    const char* how;
    std::function<void(KrnWindow*)> close;
  } closes[] = {
      {"Return", [](KrnWindow*) { krntest::TypeKey(XK_Return); }},
      {"space", [](KrnWindow*) { krntest::TypeKey(XK_space); }},
      {"close request", [](KrnWindow* d) { Script::Close(d); }},
  };
  for (const Close& c : closes) {
    SCOPED_TRACE(c.how);
    int last = 60 - (265 - 1) / h;
    std::vector<Step> steps = {Expect(&dialog, 50, 60, 400, 300)};
    for (int i = 1; i <= last; i++) steps.push_back(KeyTo(&dialog, XK_j, i));
    steps.push_back(KeyTo(&dialog, XK_j, last));
    steps.push_back(krntest::Ticks(4));
    steps.push_back(PosIs(&dialog, last));
    steps.push_back([&] { return c.close(dialog), true; });
    Run(text, steps);
  }
}

// A paragraph wider than the box breaks between its words.
TEST_F(TextDialog, AParagraphBreaksBetweenWords) {
  std::string text;
  for (int i = 0; i < 120; i++) text += "word" + std::to_string(i) + " ";
  Run(text, {[&] {
               TextWndData* d = static_cast<TextWndData*>(BoxOf(dialog)->children[0]->option);
               EXPECT_GT(d->nLines, 2);
               for (int i = 0; i + 1 < d->nLines; i++) {
                 const TextWndLine* l = twnd::Line(d, i);
                 EXPECT_EQ(l->lineText[l->lineLength - 1], ' ') << l->lineText;
               }
               return true;
             },
             [] { return krntest::TypeKey(XK_Return), true; }});
}

}  // namespace
#endif
