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

// EUC-JP's single shift for half-width katakana: 0x8E and one byte of
// JIS X 0201 (0xA1 to 0xDF) make one character of the single-byte font.
constexpr unsigned char kEucKanaShift = 0x8E;
bool IsKanaByte(unsigned char b) {
  return b >= 0xA1 && b <= 0xDF;
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
      return b > 0xA0 || b == kEucKanaShift;
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
  if (code == kEuc && b == kEucKanaShift) {
    unsigned char kana = bytes[pos + 1];
    return {2, kGlyphSingle, IsKanaByte(kana) ? kana : Byte('?'), 0};
  }
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
// above 0xA0, and EUC-JP's half-width katakana (0x8E and a byte from 0xA1 to
// 0xDF), otherwise mean EUC-JP; else ASCII.
int krnCheckCharCode(const unsigned char* bytes, int length) {
  int result = kAscii;
  for (int i = 0; bytes && i < length && i < kDetectLimit; i++) {
    unsigned char b = bytes[i];
    if (IsBinaryByte(b)) return kBinary;
    if (b == kEucKanaShift && i + 1 < length && IsKanaByte(bytes[i + 1])) {
      result = kEuc;
      i++;
      continue;
    }
    if (b >= 0x81 && b <= 0x9F) return kSjis;
    if (b > 0xA0) result = kEuc;
  }
  return result;
}

// Converts length bytes in place from code source to code destination.
// 1 when converted or when there is nothing to convert (same code, empty
// buffer, binary or ASCII on either side); 0 with a message for a code this
// conversion does not know, and 0 for a null buffer; the buffer is then
// untouched.  A lead byte in the last position has no partner and stays, and
// so does EUC-JP's half-width katakana: it takes two bytes in EUC-JP and one
// in Shift_JIS, which a conversion in place cannot give.
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
    if (source == kEuc && buffer[i] == kEucKanaShift) {
      i++;
      continue;
    }
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

namespace charcode {

namespace {

// Detection runs three automata side by side, one per multi-byte code, each
// a table from (state, byte) to the next state; state 0 is "between
// characters" and the last state of each is "not this code" and stays.
constexpr int kUtf8States = 9, kEucStates = 5, kSjisStates = 3;
constexpr unsigned char kUtf8Bad = kUtf8States - 1, kEucBad = kEucStates - 1,
                        kSjisBad = kSjisStates - 1;

struct Automata {
  unsigned char utf8[kUtf8States][256];
  unsigned char euc[kEucStates][256];
  unsigned char sjis[kSjisStates][256];
};

// Sets the next state for the bytes low..high.
template <size_t N>
void Span(unsigned char (&row)[N], int low, int high, unsigned char next) {
  for (int b = low; b <= high; b++) row[b] = next;
}

Automata BuildAutomata() {
  Automata a;
  // UTF-8, shortest forms only, no surrogates, at most U+10FFFF.  States:
  // 1-3 that many continuation bytes due; 4 after E0, 5 after ED, 6 after
  // F0, 7 after F4 (their first continuation is narrower).
  for (auto& row : a.utf8) Span(row, 0, 255, kUtf8Bad);
  Span(a.utf8[0], 0x00, 0x7F, 0);
  Span(a.utf8[0], 0xC2, 0xDF, 1);
  Span(a.utf8[0], 0xE1, 0xEF, 2);
  a.utf8[0][0xE0] = 4;
  a.utf8[0][0xED] = 5;
  Span(a.utf8[0], 0xF1, 0xF3, 3);
  a.utf8[0][0xF0] = 6;
  a.utf8[0][0xF4] = 7;
  Span(a.utf8[1], 0x80, 0xBF, 0);
  Span(a.utf8[2], 0x80, 0xBF, 1);
  Span(a.utf8[3], 0x80, 0xBF, 2);
  Span(a.utf8[4], 0xA0, 0xBF, 1);
  Span(a.utf8[5], 0x80, 0x9F, 1);
  Span(a.utf8[6], 0x90, 0xBF, 2);
  Span(a.utf8[7], 0x80, 0x8F, 2);
  // EUC-JP: 1 a second byte due, 2 a half-width katakana byte, 3 the first
  // of JIS X 0212's two bytes (valid EUC-JP, though the toolkit cannot draw it).
  for (auto& row : a.euc) Span(row, 0, 255, kEucBad);
  Span(a.euc[0], 0x00, 0x7F, 0);
  Span(a.euc[0], 0xA1, 0xFE, 1);
  a.euc[0][kEucKanaShift] = 2;
  a.euc[0][0x8F] = 3;
  Span(a.euc[1], 0xA1, 0xFE, 0);
  Span(a.euc[2], 0xA1, 0xDF, 0);
  Span(a.euc[3], 0xA1, 0xFE, 1);
  // Shift_JIS: 1 a second byte due.
  for (auto& row : a.sjis) Span(row, 0, 255, kSjisBad);
  Span(a.sjis[0], 0x00, 0x7F, 0);
  Span(a.sjis[0], 0xA1, 0xDF, 0);
  Span(a.sjis[0], 0x81, 0x9F, 1);
  Span(a.sjis[0], 0xE0, 0xFC, 1);
  Span(a.sjis[1], 0x40, 0x7E, 0);
  Span(a.sjis[1], 0x80, 0xFC, 0);
  return a;
}

const Automata& GetAutomata() {
  static const Automata automata = BuildAutomata();
  return automata;
}

}  // namespace

int DetectCode(const unsigned char* bytes, size_t length) {
  const Automata& a = GetAutomata();
  unsigned char u = 0, e = 0, s = 0, high = 0;
  int hint = kEuc;  // by the first byte from 0x80 to 0xA0 that is no single shift
  size_t i = 0;
  for (; bytes && i < length; i++) {
    unsigned char b = bytes[i];
    if (b < 0x20 && IsBinaryByte(b)) return kBinary;
    if (e == kEucBad && s == kSjisBad) break;  // only UTF-8 is left to tell
    high |= b;
    bool between = e == 0 || e == kEucBad;  // no EUC-JP second byte due
    if (b >= 0x80 && b <= 0xA0 && between && b != kEucKanaShift && b != 0x8F) hint = kSjis;
    u = a.utf8[u][b];
    e = a.euc[e][b];
    s = a.sjis[s][b];
  }
  for (; bytes && i < length; i++) {
    unsigned char b = bytes[i];
    if (b < 0x20 && IsBinaryByte(b)) return kBinary;
    if (b >= 0x80 && b <= 0xA0) hint = kSjis;
    u = a.utf8[u][b];
  }
  if (!(high & 0x80)) return kAscii;
  if (u == 0) return kUtf8;
  if (e == 0) return kEuc;
  if (s == 0) return kSjis;
  return hint;
}

}  // namespace charcode
