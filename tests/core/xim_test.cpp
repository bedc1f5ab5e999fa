// Input method with the X library's built-in method (XMODIFIERS=@im=none):
// one input method per process, root-window style contexts, contexts that
// live and die with their windows.
#include <gtest/gtest.h>
#include <korrin.h>

#include <X11/keysym.h>
#include <dlfcn.h>

#include <string>
#include <vector>

#include "xharness.h"

KRN_X_ENVIRONMENT(24, true);

// Every context the toolkit destroys passes through here on its way to the
// X library, so the tests can see which ones went.
static std::vector<XIC> g_destroyed;

extern "C" void XDestroyIC(XIC ic) {
  using Real = void (*)(XIC);
  static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "XDestroyIC"));
  g_destroyed.push_back(ic);
  real(ic);
}

namespace {

using krntest::Dpy;

constexpr XIMStyle kRootStyle = XIMPreeditNothing | XIMStatusNothing;     // 1032
constexpr XIMStyle kOverTheSpot = XIMPreeditPosition | XIMStatusNothing;  // 1028

class Xim : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, Dpy());
    window_ = krnCreateWindow(Dpy(), nullptr, krnSetRect(10, 10, 120, 60), 0, "xim", nullptr);
    ASSERT_NE(nullptr, window_);
    g_destroyed.clear();
  }
  void TearDown() override {
    if (window_) krnDestroyWindow(Dpy(), window_);
  }
  long SelectedEvents() {
    XWindowAttributes a;
    XGetWindowAttributes(Dpy(), window_->win, &a);
    return a.your_event_mask;
  }
  KrnWindow* window_ = nullptr;
};

TEST_F(Xim, OneInputMethodPerProcess) {
  XIM im = krnGetIM_XIM();
  ASSERT_NE(nullptr, im);
  EXPECT_EQ(im, g_korrin.im);
  EXPECT_EQ(1, krnIsOpenIM_XIM());
  EXPECT_EQ(im, krnOpenIM_XIM(Dpy()));
  EXPECT_EQ(0, krnCloseIM_XIM(nullptr));
}

TEST_F(Xim, StyleSelectionFollowsTheWantedOrder) {
  const XIMStyle both[] = {kOverTheSpot, kRootStyle, 0};
  const XIMStyle spotOnly[] = {kOverTheSpot, 0};
  const XIMStyle none[] = {0};
  EXPECT_EQ(kRootStyle, krnSelectStyle_XIM(g_korrin.im, both));
  EXPECT_EQ(0ul, krnSelectStyle_XIM(g_korrin.im, spotOnly));
  EXPECT_EQ(0ul, krnSelectStyle_XIM(g_korrin.im, none));
  EXPECT_EQ(0ul, krnSelectStyle_XIM(nullptr, both));
}

TEST_F(Xim, AttachedContextUsesRootStyle) {
  ASSERT_EQ(1, krnAttachIM(window_, nullptr));
  ASSERT_NE(nullptr, window_->ic);
  EXPECT_EQ(1032ul, window_->imStyle);
  EXPECT_EQ(KRN_EVENT_MASK, SelectedEvents() & KRN_EVENT_MASK);
  // Root style has no spot and no status area: nothing is sent.
  EXPECT_EQ(0, krnMovePreedit_XIM(window_, XPoint{5, 7}));
  EXPECT_EQ(0, krnSetStatusArea_XIM(window_, krnSetRect(0, 40, 100, 20)));
  EXPECT_EQ(1, krnSetFocusIC_XIM(window_));
  EXPECT_EQ(1, krnUnsetFocusIC_XIM(window_));
  // Typed keys go through the context.
  XEvent key = krntest::KeyEvent(window_->win, XK_a);
  int length = 0;
  char* text = krnGetString(window_, &key, &length);
  ASSERT_NE(nullptr, text);
  EXPECT_EQ(std::string("a"), std::string(text, size_t(length)));
}

TEST_F(Xim, DestroyingTheWindowDestroysItsContext) {
  ASSERT_EQ(1, krnAttachIM(window_, nullptr));
  XIC ic = window_->ic;
  krnDestroyWindow(Dpy(), window_);
  window_ = nullptr;
  EXPECT_EQ(std::vector<XIC>{ic}, g_destroyed);
}

TEST_F(Xim, DetachKeepsOrDestroysTheContext) {
  ASSERT_EQ(1, krnAttachIM(window_, nullptr));
  XIC ic = window_->ic;
  EXPECT_EQ(1, krnDetachIM(window_, 0));
  EXPECT_EQ(nullptr, window_->ic);
  EXPECT_EQ(0ul, window_->imStyle);
  EXPECT_EQ(KRN_EVENT_MASK, SelectedEvents());
  EXPECT_TRUE(g_destroyed.empty());
  // A caller's context is used as given, with style 0, and owned from now on.
  ASSERT_EQ(1, krnAttachIM(window_, ic));
  EXPECT_EQ(ic, window_->ic);
  EXPECT_EQ(0ul, window_->imStyle);
  EXPECT_EQ(0, krnMovePreedit_XIM(window_, XPoint{1, 1}));
  EXPECT_EQ(1, krnDetachIM(window_, 1));
  EXPECT_EQ(std::vector<XIC>{ic}, g_destroyed);
  EXPECT_EQ(0, krnDetachIM(nullptr, 1));
}

TEST_F(Xim, ReattachingReplacesTheOldContext) {
  ASSERT_EQ(1, krnAttachIM(window_, nullptr));
  XIC first = window_->ic;
  ASSERT_EQ(1, krnAttachIM(window_, nullptr));
  EXPECT_NE(first, window_->ic);
  EXPECT_EQ(std::vector<XIC>{first}, g_destroyed);
}

TEST_F(Xim, ClosingTheInputMethodDropsWindowContexts) {
  ASSERT_EQ(1, krnAttachIM(window_, nullptr));
  XIM im = krnGetIM_XIM();
  // The X library frees the contexts with their input method.
  ASSERT_EQ(1, krnCloseIM_XIM(im));
  EXPECT_EQ(nullptr, window_->ic);
  EXPECT_EQ(0ul, window_->imStyle);
  EXPECT_EQ(0, krnIsOpenIM_XIM());
  // Key lookup falls back to the plain lookup; destroying the window
  // destroys no freed context.
  XEvent key = krntest::KeyEvent(window_->win, XK_b);
  int length = 0;
  char* text = krnGetString(window_, &key, &length);
  ASSERT_NE(nullptr, text);
  EXPECT_EQ(std::string("b"), std::string(text, size_t(length)));
  krnDestroyWindow(Dpy(), window_);
  window_ = nullptr;
  EXPECT_TRUE(g_destroyed.empty());
  ASSERT_NE(nullptr, krnOpenIM_XIM(Dpy()));  // for the cases after this one
}

TEST_F(Xim, LosingTheServerDropsWindowContexts) {
  ASSERT_EQ(1, krnAttachIM(window_, nullptr));
  XIM im = krnGetIM_XIM();
  // The server's loss is played by calling the destroy callback the toolkit
  // installed, as the X library does before it frees the method's contexts.
  XIMCallback* destroy = nullptr;  // a copy the library allocates
  ASSERT_EQ(nullptr, XGetIMValues(im, XNDestroyCallback, &destroy, nullptr));
  ASSERT_NE(nullptr, destroy);
  ASSERT_NE(nullptr, destroy->callback);
  XIC ic = window_->ic;
  destroy->callback(im, destroy->client_data, nullptr);
  XFree(destroy);
  EXPECT_EQ(nullptr, window_->ic);
  EXPECT_EQ(0ul, window_->imStyle);
  EXPECT_EQ(nullptr, g_korrin.im);
  EXPECT_EQ(0, krnAttachIM(window_, nullptr));
  krnDestroyWindow(Dpy(), window_);
  window_ = nullptr;
  EXPECT_TRUE(g_destroyed.empty());
  // What the library would have freed: the context and the method.
  XDestroyIC(ic);
  XCloseIM(im);
  ASSERT_NE(nullptr, krnOpenIM_XIM(Dpy()));
}

TEST_F(Xim, InvalidArguments) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(nullptr, krnCreateIC_XIM(window_, nullptr, kRootStyle, nullptr, 0, 0));
  EXPECT_EQ(nullptr, krnCreateIC_XIM(window_, g_korrin.im, 0, nullptr, 0, 0));
  EXPECT_EQ("Error: XIM - IM is invalid.\nError: XIM - IM is invalid.\n",
            testing::internal::GetCapturedStderr());
  EXPECT_EQ(0, krnAttachIM(nullptr, nullptr));
  EXPECT_EQ(0, krnSetFocusIC_XIM(window_));  // no context yet
  EXPECT_EQ(0, krnUnsetFocusIC_XIM(nullptr));
  EXPECT_EQ(0, krnMovePreedit_XIM(nullptr, XPoint{0, 0}));
  krnDestroyIC_XIM(nullptr);
  EXPECT_TRUE(g_destroyed.empty());
}

}  // namespace
