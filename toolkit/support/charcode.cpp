// charcode.cpp - character-code detection, in-place conversion, position and
// JIS row classes, and the glyph walker behind all text measuring.  Pure
// byte arithmetic with no X: every two-byte character maps to two bytes, so
// conversions never change a buffer's length.
#include "support/charcode.h"

#include <cstdio>

namespace charcode {

namespace {

// Detection looks at this many bytes at most (positions 0 to 1024).
constexpr int kDetectLimit = 1025;

// Control bytes that mark a text as binary (tab, line feed, vertical tab,
// form feed and carriage return are text).
bool IsBinaryByte(unsigned char b) {
  return b <= 0x08 || (b >= 0x0E && b <= 0x1F);
}

unsigned char Byte(int v) {
  return static_cast<unsigned char>(v & 0xFF);
}

BytePair ToJis(int code, unsigned char b1, unsigned char b2) {
  if (code == kEuc) return {Byte(b1 - 0x80), Byte(b2 - 0x80)};
  if (code == kSjis) return SjisToJis(b1, b2);
  return {b1, b2};
}

BytePair FromJis(int code, BytePair jis) {
  if (code == kEuc) return {Byte(jis.first + 0x80), Byte(jis.second + 0x80)};
  if (code == kSjis) return JisToSjis(jis.first, jis.second);
  return jis;
}

bool IsConvertible(int code) {
  return code == kJis || code == kSjis || code == kEuc;
}

}  // namespace

BytePair SjisToJis(unsigned char s1, unsigned char s2) {
  int j1 = s1 <= 0xDF ? 2 * s1 - 0xE1 : 2 * s1 - 0x161;
  if (s2 > 0x9E) j1++;
  int j2 = s2 < 0x80 ? s2 - 0x1F : (s2 <= 0x9E ? s2 - 0x20 : s2 - 0x7E);
  return {Byte(j1), Byte(j2)};
}

BytePair JisToSjis(unsigned char j1, unsigned char j2) {
  // A JIS row is at least 0x21 wherever a pair comes from, so the halving
  // below works on non-negative numbers.
  int s1 = j1 > 0x5E ? (j1 - 0x5F) / 2 + 0xE0 : (j1 - 0x21) / 2 + 0x81;
  int s2 = (j1 % 2 == 0) ? j2 + 0x7E : (j2 <= 0x5F ? j2 + 0x1F : j2 + 0x20);
  return {Byte(s1), Byte(s2)};
}

bool IsLeadByte(int code, unsigned char b) {
  switch (code) {
    case kEuc:
      return b > 0xA0;
    case kSjis:
      return (b >= 0x80 && b <= 0x9F) || b >= 0xE0;
    case kJis:
      return b > 0x20;
    default:
      return false;
  }
}

int CharClassAt(const unsigned char* bytes, int length, int pos, int code) {
  if (!bytes || pos < 0 || pos >= length) return kNone;
  if (code != kEuc && code != kSjis) return kNone;
  int i = 0;
  while (i < pos) i += IsLeadByte(code, bytes[i]) ? 2 : 1;
  if (i != pos) return kTrail;
  return IsLeadByte(code, bytes[pos]) ? kLead : kSingle;
}

Glyph GlyphAt(const unsigned char* bytes, int length, int pos, int code) {
  unsigned char b = bytes[pos];
  if (code == kBinary) return {1, kGlyphSingle, IsBinaryByte(b) ? Byte('?') : b, 0};
  if (!IsLeadByte(code, b)) return {1, kGlyphSingle, b, 0};
  if (pos + 1 >= length) return {1, kGlyphNone, 0, 0};
  BytePair jis = ToJis(code, b, bytes[pos + 1]);
  return {2, kGlyphPair, jis.first, jis.second};
}

int GlyphWidth(const CharMeter& meter, const Glyph& glyph) {
  if (glyph.kind == kGlyphSingle) return meter.single(meter.context, glyph.first);
  if (glyph.kind == kGlyphPair) return meter.pair(meter.context, glyph.first, glyph.second);
  return 0;
}

int MeasureBytes(const CharMeter& meter, const unsigned char* bytes, int length, int code) {
  int width = 0;
  for (int pos = 0; bytes && pos < length;) {
    Glyph glyph = GlyphAt(bytes, length, pos, code);
    width += GlyphWidth(meter, glyph);
    pos += glyph.size;
  }
  return width;
}

bool IsTab(const Glyph& glyph) {
  return glyph.kind == kGlyphSingle && glyph.first == '\t';
}

int AdvanceAt(const CharMeter& meter, const Glyph& glyph, int x) {
  if (!IsTab(glyph)) return GlyphWidth(meter, glyph);
  int stop = kTabColumns * meter.single(meter.context, ' ');
  if (stop <= 0) return 0;
  if (x < 0) x = 0;
  return stop - x % stop;
}

int MeasureFrom(const CharMeter& meter, const unsigned char* bytes, int length, int code, int x) {
  int width = 0;
  for (int pos = 0; bytes && pos < length;) {
    Glyph glyph = GlyphAt(bytes, length, pos, code);
    width += AdvanceAt(meter, glyph, x + width);
    pos += glyph.size;
  }
  return width;
}

}  // namespace charcode

using namespace charcode;

// Guesses the code of a text from its first 1025 bytes: a control byte means
// binary and a Shift_JIS lead byte Shift_JIS, whichever comes first; bytes
// above 0xA0 otherwise mean EUC-JP; else ASCII.
int krnCheckCharCode(const unsigned char* bytes, int length) {
  int result = kAscii;
  for (int i = 0; bytes && i < length && i < kDetectLimit; i++) {
    unsigned char b = bytes[i];
    if (IsBinaryByte(b)) return kBinary;
    if (b >= 0x81 && b <= 0x9F) return kSjis;
    if (b > 0xA0) result = kEuc;
  }
  return result;
}

// Converts length bytes in place from code source to code destination.
// 1 when converted or when there is nothing to convert (same code, empty
// buffer, binary or ASCII on either side); 0 with a message for a code this
// conversion does not know, and 0 for a null buffer; the buffer is then
// untouched.  A lead byte in the last position has no partner and stays.
int krnToConvCharCode(unsigned char* buffer, int length, int source, int destination) {
  if (source == destination || length <= 0) return 1;
  if (source == kBinary || destination == kBinary) return 1;
  if (source == kAscii || destination == kAscii) return 1;
  if (!IsConvertible(destination)) {
    fprintf(stderr, "Error: krnToConvCharCode - Not support yet(dest code:%d).\n", destination);
    return 0;
  }
  if (!IsConvertible(source)) {
    fprintf(stderr, "Error: krnToConvCharCode - Not support yet(src code:%d).\n", source);
    return 0;
  }
  if (!buffer) return 0;
  for (int i = 0; i < length; i++) {
    if (!IsLeadByte(source, buffer[i]) || i + 1 >= length) continue;
    BytePair out = FromJis(destination, ToJis(source, buffer[i], buffer[i + 1]));
    buffer[i] = out.first;
    buffer[i + 1] = out.second;
    i++;
  }
  return 1;
}

namespace {

// One JIS row (or run of rows) and the cells it holds; krnIsWideCharCode
// answers `result` for a pair inside it.
struct JisRowClass {
  unsigned char firstRow, lastRow;
  struct {
    unsigned char low, high;
  } cells[3];  // unused entries are {0, 0}
  int result;
};

const JisRowClass kJisRows[] = {
    {0x21, 0x21, {{0x21, 0x7E}}, 0},                              // symbols
    {0x22, 0x22, {{0x21, 0x7E}}, 1},                              // symbols
    {0x23, 0x23, {{0x30, 0x39}, {0x41, 0x5A}, {0x61, 0x7A}}, 2},  // digits, Latin
    {0x24, 0x24, {{0x21, 0x73}}, 3},                              // hiragana
    {0x25, 0x25, {{0x21, 0x76}}, 4},                              // katakana
    {0x26, 0x26, {{0x21, 0x38}, {0x41, 0x58}}, 5},                // Greek
    {0x27, 0x27, {{0x21, 0x41}, {0x51, 0x71}}, 6},                // Cyrillic
    {0x28, 0x28, {{0x21, 0x40}}, 7},                              // box drawing
    {0x30, 0x4E, {{0x21, 0x7E}}, 8},                              // first-level kanji
    {0x4F, 0x4F, {{0x21, 0x53}}, 8},
    {0x50, 0x73, {{0x21, 0x7E}}, 9},  // second-level kanji
    {0x74, 0x74, {{0x21, 0x24}}, 9},
};

}  // namespace

// The JIS row class of an EUC-JP pair (0 to 9), or -1 when the pair is no
// assigned JIS X 0208 character.
int krnIsWideCharCode(unsigned char first, unsigned char second) {
  unsigned char row = Byte(first - 0x80), cell = Byte(second - 0x80);
  for (const JisRowClass& r : kJisRows) {
    if (row < r.firstRow || row > r.lastRow) continue;
    for (const auto& c : r.cells)
      if (c.low != 0 && cell >= c.low && cell <= c.high) return r.result;
    return -1;
  }
  return -1;
}
