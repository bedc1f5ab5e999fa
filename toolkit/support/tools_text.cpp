// tools_text.cpp - the X side of text and keys: text widths with the
// session's single-byte and double-byte fonts (through the glyph walker of
// charcode.h, so measuring and wrapping agree), modifier states, the
// numeric-keypad translation, the position class under the CharCode
// setting, a sleep and a bell.
#include <korrin.h>

#include <X11/keysym.h>
#include <sys/select.h>

#include <cstdio>
#include <cstring>

#include "support/charcode.h"
#include "support/xmeasure.h"

static_assert(charcode::kBinary == KRN_CODE_BINARY && charcode::kAscii == KRN_CODE_ASCII &&
                  charcode::kJis == KRN_CODE_JIS && charcode::kSjis == KRN_CODE_SJIS &&
                  charcode::kEuc == KRN_CODE_EUC && charcode::kUtf8 == KRN_CODE_UTF8,
              "code identifiers differ between the public and the X-free header");
static_assert(charcode::kNone == KRN_CHAR_NONE && charcode::kSingle == KRN_CHAR_SINGLE &&
                  charcode::kLead == KRN_CHAR_LEAD && charcode::kTrail == KRN_CHAR_TRAIL,
              "position classes differ between the public and the X-free header");

using krnx::FontPair;
using krnx::PairWidth;
using krnx::SingleWidth;

namespace {

int FontHeight(const XFontStruct* font) {
  return font ? font->ascent + font->descent : 0;
}

// Low modifier bits that decide the shift index.
constexpr unsigned int kLowModifiers = ShiftMask | LockMask | ControlMask | Mod1Mask;
constexpr unsigned int kHighModifiers = Mod2Mask | Mod3Mask | Mod4Mask | Mod5Mask;

}  // namespace

// Width in pixels of length bytes drawn with the given fonts (null: the
// session's fonts).  0 without a single-byte font or bytes.  A missing
// double-byte font falls back to the single-byte one, as the session does
// when the Kanji font cannot be loaded.
int krnFontNWidth(XFontStruct* font, XFontStruct* fontKanji, const unsigned char* bytes,
                  int length) {
  FontPair fonts{font ? font : g_korrin.font, fontKanji ? fontKanji : g_korrin.fontKanji};
  if (!fonts.single || !bytes || length <= 0) return 0;
  if (!fonts.kanji) fonts.kanji = fonts.single;
  charcode::CharMeter meter{SingleWidth, PairWidth, &fonts};
  return charcode::MeasureBytes(meter, bytes, length, krnCheckCharCode(bytes, length));
}

int krnTextNWidth(const unsigned char* bytes, int length) {
  return krnFontNWidth(nullptr, nullptr, bytes, length);
}

int krnTextWidth(const unsigned char* string) {
  if (!string) return 0;
  return krnTextNWidth(string, static_cast<int>(strlen(reinterpret_cast<const char*>(string))));
}

// Ascent + descent of a font; for null the taller of the session's fonts.
int krnGetCharHeight(XFontStruct* font) {
  if (font) return FontHeight(font);
  int single = FontHeight(g_korrin.font), kanji = FontHeight(g_korrin.fontKanji);
  return single >= kanji ? single : kanji;
}

// Class of the byte at position under the CharCode setting (KRN_CHAR_*).
// Only the bytes up to the position are looked at, so a long text costs no
// more than the walk to the position.
int krnCheckChar(const unsigned char* string, int position) {
  if (!string || position < 0) return KRN_CHAR_NONE;
  const char* s = reinterpret_cast<const char*>(string);
  int length = static_cast<int>(strnlen(s, static_cast<size_t>(position) + 1));
  return charcode::CharClassAt(string, length, position, g_korrin.charCode);
}

// Index for XLookupKeysym: 1 when the key reads shifted.  Shift and Caps
// Lock cancel out; with Control or Alt only Shift counts.
int krnGetShiftState(XKeyEvent event) {
  unsigned int low = event.state & kLowModifiers;
  if (low & (ControlMask | Mod1Mask)) return (low & ShiftMask) ? 1 : 0;
  return (low == ShiftMask || low == LockMask) ? 1 : 0;
}

// 1 while Shift counts as held.  For the Shift key itself the state mask
// still shows the time before the event, so the event type decides.
int krnGetShiftKey(XKeyEvent event) {
  if (event.display) {
    KeySym plain = XLookupKeysym(&event, 0);
    if (plain == XK_Shift_L || plain == XK_Shift_R) return event.type == KeyPress ? 1 : 0;
  }
  unsigned int low = event.state & kLowModifiers;
  return (low == ShiftMask || low == (ShiftMask | LockMask)) ? 1 : 0;
}

int krnGetCtrlState(XKeyEvent event) {
  return (event.state & ControlMask) ? 1 : 0;
}

int krnGetAltState(XKeyEvent event) {
  return (event.state & Mod1Mask) ? 1 : 0;
}

namespace {

// One numeric-keypad key in its two forms and what it becomes with NumLock
// on and off (NoSymbol: the key stays as it is).
struct TenKey {
  KeySym digitForm, navigationForm;
  KeySym numLockOn, numLockOff;
};

const TenKey kTenKeys[] = {
    {XK_KP_0, XK_KP_Insert, XK_0, XK_Insert},
    {XK_KP_1, XK_KP_End, XK_1, XK_End},
    {XK_KP_2, XK_KP_Down, XK_2, XK_Down},
    {XK_KP_3, XK_KP_Next, XK_3, XK_Next},
    {XK_KP_4, XK_KP_Left, XK_4, XK_Left},
    {XK_KP_5, XK_KP_Begin, XK_5, NoSymbol},
    {XK_KP_6, XK_KP_Right, XK_6, XK_Right},
    {XK_KP_7, XK_KP_Home, XK_7, XK_Home},
    {XK_KP_8, XK_KP_Up, XK_8, XK_Up},
    {XK_KP_9, XK_KP_Prior, XK_9, XK_Prior},
    {XK_KP_Decimal, XK_KP_Delete, XK_period, XK_Delete},
};

// Keypad operators that always become their plain keys.
const KeySym kTenKeyOperators[][2] = {
    {XK_KP_Enter, XK_Return},   {XK_KP_Multiply, XK_asterisk}, {XK_KP_Add, XK_plus},
    {XK_KP_Subtract, XK_minus}, {XK_KP_Divide, XK_slash},
};

KeySym TranslateTenKey(KeySym key, bool numLock) {
  for (const TenKey& t : kTenKeys) {
    if (key != t.digitForm && key != t.navigationForm) continue;
    if (numLock) return t.numLockOn;
    return t.numLockOff != NoSymbol ? t.numLockOff : key;
  }
  for (const auto& op : kTenKeyOperators)
    if (key == op[0]) return op[1];
  return key;
}

}  // namespace

// The key symbol of a key event with the numeric keypad read as digits
// (NumLock on: Mod2 alone among Mod2..Mod5) or as navigation keys.
KeySym krnConvertTenKeyCode(XKeyEvent event) {
  if (!event.display) return NoSymbol;
  KeySym key = XLookupKeysym(&event, krnGetShiftState(event));
  if (key == NoSymbol) key = XLookupKeysym(&event, 0);
  bool numLock = (event.state & kHighModifiers) == Mod2Mask;
  return TranslateTenKey(key, numLock);
}

// Waits usec microseconds; returns what select returned.
int krnSleep(long usec) {
  struct timeval timeout;
  timeout.tv_sec = usec / 1000000;
  timeout.tv_usec = usec % 1000000;
  return select(0, nullptr, nullptr, nullptr, &timeout);
}

// Rings the X bell at the server's volume: the user hears it, and no
// stream fills with bell characters.
int krnBell(void) {
  if (g_korrin.display) XBell(g_korrin.display, 0);
  return 1;
}
