// Keys and text metrics on a private server: modifier states, the
// numeric-keypad translation with the server's own keycodes, text widths
// against XTextWidth/XTextWidth16 of the session's fonts, position classes
// under the CharCode setting, the sleep and the bell.
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "xharness.h"

#include <X11/XKBlib.h>  // after the harness: gtest and Xlib both use None

KRN_X_ENVIRONMENT(24, true);

namespace {

using Bytes = std::vector<unsigned char>;

Bytes B(std::initializer_list<int> v) {
  Bytes out;
  for (int b : v) out.push_back(static_cast<unsigned char>(b));
  return out;
}

XKeyEvent Key(KeySym sym, unsigned int state, int type = KeyPress) {
  return krntest::KeyEvent(DefaultRootWindow(krntest::Dpy()), sym, state, 0, type).xkey;
}

// A key event for a keycode the server does not map to the symbol asked for
// would test nothing: every symbol used below must have its own keycode.
void ExpectMapped(KeySym sym) {
  ASSERT_NE(XKeysymToKeycode(krntest::Dpy(), sym), 0) << XKeysymToString(sym);
}

TEST(Keys, ShiftStateByModifiers) {
  ExpectMapped(XK_a);
  struct Case {
    unsigned int state;
    int shiftState, shiftKey;
  } cases[] = {
      {0, 0, 0},
      {ShiftMask, 1, 1},
      {LockMask, 1, 0},
      {ShiftMask | LockMask, 0, 1},
      {ControlMask, 0, 0},
      {ShiftMask | ControlMask, 1, 0},
      {LockMask | ControlMask, 0, 0},
      {ShiftMask | LockMask | Mod1Mask, 1, 0},
      {Mod1Mask, 0, 0},
      {ShiftMask | Mod2Mask, 1, 1},  // NumLock does not count
      {LockMask | Mod2Mask | Mod4Mask, 1, 0},
  };
  for (const Case& c : cases) {
    XKeyEvent ev = Key(XK_a, c.state);
    EXPECT_EQ(krnGetShiftState(ev), c.shiftState) << "state " << c.state;
    EXPECT_EQ(krnGetShiftKey(ev), c.shiftKey) << "state " << c.state;
  }
}

// The Shift key itself: its event still carries the state before it, so
// press and release decide.
TEST(Keys, ShiftKeyItselfFollowsPressAndRelease) {
  for (KeySym sym : {XK_Shift_L, XK_Shift_R}) {
    ExpectMapped(sym);
    EXPECT_EQ(krnGetShiftKey(Key(sym, 0, KeyPress)), 1);
    EXPECT_EQ(krnGetShiftKey(Key(sym, ShiftMask, KeyRelease)), 0);
    EXPECT_EQ(krnGetShiftKey(Key(sym, ShiftMask, KeyPress)), 1);
  }
}

TEST(Keys, ControlAndAlt) {
  struct Case {
    unsigned int state;
    int ctrl, alt;
  } cases[] = {{0, 0, 0},
               {ControlMask, 1, 0},
               {Mod1Mask, 0, 1},
               {ControlMask | Mod1Mask | ShiftMask, 1, 1},
               {Mod4Mask | LockMask, 0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(krnGetCtrlState(Key(XK_a, c.state)), c.ctrl);
    EXPECT_EQ(krnGetAltState(Key(XK_a, c.state)), c.alt);
    XButtonEvent button{};
    button.type = ButtonPress;
    button.state = c.state;
    XKeyEvent asKey;
    memcpy(&asKey, &button, sizeof asKey);  // button events share the key layout
    EXPECT_EQ(krnGetCtrlState(asKey), c.ctrl);
    EXPECT_EQ(krnGetAltState(asKey), c.alt);
  }
}

// Keypad keys as the server maps them: each keycode carries the navigation
// form unshifted and the digit form shifted.
TEST(Keys, TenKeyTranslation) {
  constexpr unsigned int kNumLock = Mod2Mask;
  struct Case {
    KeySym key;
    unsigned int state;
    KeySym result;
  } cases[] = {
      {XK_KP_Home, kNumLock, XK_7},
      {XK_KP_7, 0, XK_Home},
      {XK_KP_7, ShiftMask, XK_Home},            // shifted: KP_7, NumLock off
      {XK_KP_7, kNumLock | ShiftMask, XK_7},    // shifted: KP_7, NumLock on
      {XK_KP_7, kNumLock | Mod3Mask, XK_Home},  // another Mod bit: NumLock off
      {XK_KP_0, 0, XK_Insert},
      {XK_KP_1, 0, XK_End},
      {XK_KP_2, 0, XK_Down},
      {XK_KP_3, 0, XK_Next},
      {XK_KP_4, 0, XK_Left},
      {XK_KP_6, 0, XK_Right},
      {XK_KP_8, 0, XK_Up},
      {XK_KP_9, 0, XK_Prior},
      {XK_KP_Decimal, 0, XK_Delete},
      {XK_KP_0, kNumLock, XK_0},
      {XK_KP_2, kNumLock, XK_2},
      {XK_KP_5, kNumLock, XK_5},
      {XK_KP_9, kNumLock, XK_9},
      {XK_KP_Decimal, kNumLock, XK_period},
      {XK_KP_Enter, 0, XK_Return},
      {XK_KP_Multiply, kNumLock, XK_asterisk},
      {XK_KP_Add, 0, XK_plus},
      {XK_KP_Subtract, 0, XK_minus},
      {XK_KP_Divide, kNumLock, XK_slash},
      {XK_a, kNumLock, XK_a},
      {XK_a, ShiftMask, XK_A},
      {XK_Home, kNumLock, XK_Home},
  };
  for (const Case& c : cases) {
    ExpectMapped(c.key);
    EXPECT_EQ(krnConvertTenKeyCode(Key(c.key, c.state)), c.result)
        << XKeysymToString(c.key) << " state " << c.state;
  }
  // KP_5 without NumLock stays the keypad key the lookup gave.
  KeySym five = krnConvertTenKeyCode(Key(XK_KP_5, 0));
  EXPECT_TRUE(five == XK_KP_Begin || five == XK_KP_5) << XKeysymToString(five);
}

// --- Text metrics ---

// The session's fonts, or the default patterns loaded here when the
// session has none.
class Metrics : public ::testing::Test {
 protected:
  void SetUp() override {
    font_ = g_korrin.font;
    kanji_ = g_korrin.fontKanji;
    if (!font_) font_ = own_[0] = Load("-misc-*-*-*-*-*-14-*-*-*-*-*-jisx0201.1976-0");
    if (!kanji_ || kanji_ == font_)
      kanji_ = own_[1] = Load("-misc-*-*-*-*-*-14-*-*-*-*-*-jisx0208.1983-0");
    ASSERT_NE(font_, nullptr);
    ASSERT_NE(kanji_, nullptr);
    savedFont_ = g_korrin.font;
    savedKanji_ = g_korrin.fontKanji;
    g_korrin.font = font_;
    g_korrin.fontKanji = kanji_;
  }
  void TearDown() override {
    g_korrin.font = savedFont_;
    g_korrin.fontKanji = savedKanji_;
    for (XFontStruct* f : own_)
      if (f) XFreeFont(krntest::Dpy(), f);
  }
  static XFontStruct* Load(const char* pattern) { return XLoadQueryFont(krntest::Dpy(), pattern); }

  // The oracle: single bytes measured together with XTextWidth, JIS pairs
  // with XTextWidth16.
  int Oracle(const std::string& singles, const std::vector<XChar2b>& pairs) {
    return XTextWidth(font_, singles.data(), int(singles.size())) +
           XTextWidth16(kanji_, pairs.data(), int(pairs.size()));
  }
  // Measures an exact-size heap copy so reading past the end shows.
  int Width(const Bytes& text, XFontStruct* f = nullptr, XFontStruct* k = nullptr) {
    std::unique_ptr<unsigned char[]> buf(new unsigned char[text.size() ? text.size() : 1]);
    std::copy(text.begin(), text.end(), buf.get());
    return krnFontNWidth(f, k, buf.get(), int(text.size()));
  }

  XFontStruct* font_ = nullptr;
  XFontStruct* kanji_ = nullptr;
  XFontStruct* own_[2] = {nullptr, nullptr};
  XFontStruct* savedFont_ = nullptr;
  XFontStruct* savedKanji_ = nullptr;
};

const Bytes kMixedEuc =
    B({'M', 'e', 0xA4, 0xA2, ' ', 0xB4, 0xC1, 0xBB, 0xFA, '\t', 'x', 0xA3, 0xC1, '\n'});
const std::vector<XChar2b> kMixedPairs = {{0x24, 0x22}, {0x34, 0x41}, {0x3B, 0x7A}, {0x23, 0x41}};

TEST_F(Metrics, MixedEucMatchesXTextWidth) {
  int expected = Oracle("Me \tx\n", kMixedPairs);
  EXPECT_GT(XTextWidth16(kanji_, kMixedPairs.data(), 1), 0);
  EXPECT_EQ(Width(kMixedEuc, font_, kanji_), expected);
  EXPECT_EQ(Width(kMixedEuc), expected);  // the session's fonts
  EXPECT_EQ(krnTextNWidth(kMixedEuc.data(), int(kMixedEuc.size())), expected);
  std::string terminated(kMixedEuc.begin(), kMixedEuc.end());
  EXPECT_EQ(krnTextWidth(reinterpret_cast<const unsigned char*>(terminated.c_str())), expected);
}

TEST_F(Metrics, ShiftJisMeasuresTheSameGlyphs) {
  Bytes sjis = kMixedEuc;
  ASSERT_EQ(krnToConvCharCode(sjis.data(), int(sjis.size()), KRN_CODE_EUC, KRN_CODE_SJIS), 1);
  ASSERT_EQ(krnCheckCharCode(sjis.data(), int(sjis.size())), KRN_CODE_SJIS);
  EXPECT_EQ(Width(sjis), Oracle("Me \tx\n", kMixedPairs));
  // Half-width katakana are single bytes of the single-byte font.
  Bytes kana = B({0x82, 0xA0, 0xB1, 0xDF});
  EXPECT_EQ(Width(kana), Oracle("\xB1\xDF", {{0x24, 0x22}}));
}

TEST_F(Metrics, LoneLeadByteAtTheEndAddsNothing) {
  Bytes euc = kMixedEuc;
  euc.push_back(0xA4);
  EXPECT_EQ(Width(euc), Oracle("Me \tx\n", kMixedPairs));
  EXPECT_EQ(Width(B({0xB4})), 0);
  Bytes sjis = B({'a', 0x82, 0xA0, 0x8A});
  EXPECT_EQ(Width(sjis), Oracle("a", {{0x24, 0x22}}));
}

TEST_F(Metrics, BinaryTextShowsControlBytesAsQuestionMarks) {
  Bytes text = B({'a', 0x01, 0xA4, 0xA2, 0x1F, '\r'});
  EXPECT_EQ(Width(text), Oracle("a?\xA4\xA2?\r", {}));
  EXPECT_EQ(Width(B({'a', 'b', 0x7F})), Oracle("ab\x7F", {}));
}

TEST_F(Metrics, NothingToMeasure) {
  EXPECT_EQ(Width(Bytes()), 0);
  EXPECT_EQ(krnFontNWidth(font_, kanji_, nullptr, 5), 0);
  EXPECT_EQ(krnFontNWidth(font_, kanji_, kMixedEuc.data(), -1), 0);
  EXPECT_EQ(krnTextWidth(nullptr), 0);
  g_korrin.font = nullptr;
  EXPECT_EQ(krnTextNWidth(kMixedEuc.data(), int(kMixedEuc.size())), 0);
  // A given single-byte font still measures; the session's Kanji font
  // measures the pairs.
  EXPECT_EQ(Width(kMixedEuc, font_), Oracle("Me \tx\n", kMixedPairs));
}

TEST_F(Metrics, CharHeight) {
  int single = font_->ascent + font_->descent, kanji = kanji_->ascent + kanji_->descent;
  EXPECT_EQ(krnGetCharHeight(font_), single);
  EXPECT_EQ(krnGetCharHeight(kanji_), kanji);
  EXPECT_EQ(krnGetCharHeight(nullptr), std::max(single, kanji));
  // The taller font decides whichever slot it is in.
  g_korrin.font = kanji_;
  g_korrin.fontKanji = font_;
  EXPECT_EQ(krnGetCharHeight(nullptr), std::max(single, kanji));
  g_korrin.fontKanji = nullptr;
  EXPECT_EQ(krnGetCharHeight(nullptr), kanji);
}

// --- Position classes under the CharCode setting ---

TEST(CharClass, FollowsTheCharCodeSetting) {
  int saved = g_korrin.charCode;
  const unsigned char euc[] = {0x61, 0xA4, 0xA2, 0};
  const unsigned char sjis[] = {0x82, 0xA0, 0xB1, 0};
  struct Case {
    int setting;
    const unsigned char* text;
    int pos, cls;
  } cases[] = {
      {KRN_CODE_EUC, euc, 0, KRN_CHAR_SINGLE},   {KRN_CODE_EUC, euc, 1, KRN_CHAR_LEAD},
      {KRN_CODE_EUC, euc, 2, KRN_CHAR_TRAIL},    {KRN_CODE_EUC, euc, 3, KRN_CHAR_NONE},
      {KRN_CODE_EUC, euc, -1, KRN_CHAR_NONE},    {KRN_CODE_EUC, euc, 100, KRN_CHAR_NONE},
      {KRN_CODE_SJIS, sjis, 0, KRN_CHAR_LEAD},   {KRN_CODE_SJIS, sjis, 1, KRN_CHAR_TRAIL},
      {KRN_CODE_SJIS, sjis, 2, KRN_CHAR_SINGLE}, {KRN_CODE_EUC, sjis, 1, KRN_CHAR_SINGLE},
      {KRN_CODE_ASCII, euc, 1, KRN_CHAR_NONE},   {KRN_CODE_JIS, euc, 1, KRN_CHAR_NONE},
  };
  for (const Case& c : cases) {
    g_korrin.charCode = c.setting;
    EXPECT_EQ(krnCheckChar(c.text, c.pos), c.cls) << "setting " << c.setting << " pos " << c.pos;
  }
  g_korrin.charCode = KRN_CODE_EUC;
  EXPECT_EQ(krnCheckChar(nullptr, 0), KRN_CHAR_NONE);
  g_korrin.charCode = saved;
}

// --- Sleep and bell ---

TEST(Misc, SleepWaitsAtLeastTheTimeGiven) {
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(krnSleep(30000), 0);
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::microseconds(30000));
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(krnSleep(1000000 + 5000), 0);  // whole seconds and the rest
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(1005000));
}

// The bell is the server's: a second client that listens for XKB bell
// notifications hears it, and nothing is written to standard error.
TEST(Misc, BellRingsTheXBellAndWritesNothing) {
  Display* watch = XOpenDisplay(krntest::DisplayName().c_str());
  ASSERT_NE(watch, nullptr);
  int opcode, xkbEvent, error, major = XkbMajorVersion, minor = XkbMinorVersion;
  ASSERT_TRUE(XkbQueryExtension(watch, &opcode, &xkbEvent, &error, &major, &minor));
  XkbSelectEvents(watch, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
  XSync(watch, False);
  testing::internal::CaptureStderr();
  EXPECT_EQ(krnBell(), 1);
  XSync(krntest::Dpy(), False);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  bool rang = krntest::WaitFor([&] {
    while (XPending(watch)) {
      XEvent ev;
      XNextEvent(watch, &ev);
      if (ev.type == xkbEvent && reinterpret_cast<XkbAnyEvent*>(&ev)->xkb_type == XkbBellNotify)
        return true;
    }
    return false;
  });
  EXPECT_TRUE(rang);
  XCloseDisplay(watch);
}

}  // namespace
