// charcode.h - Japanese character codes without X: detecting a text's code,
// converting a buffer in place between EUC-JP, Shift_JIS and raw JIS, the
// class of the byte at a position, the JIS row of a character, and the one
// walker that splits bytes into glyphs and measures them through callbacks,
// so that text measuring and line wrapping agree on every character.
#ifndef KRN_SUPPORT_CHARCODE_H
#define KRN_SUPPORT_CHARCODE_H

#include <cstddef>
#include <string>

// The public operations implemented in charcode.cpp (also declared in
// korrin.h, which this header does not include to stay free of X).
int krnCheckCharCode(const unsigned char* bytes, int length);
int krnToConvCharCode(unsigned char* buffer, int length, int source, int destination);
int krnIsWideCharCode(unsigned char first, unsigned char second);
int krnConvToUTF8(const char* text, int length, int code, char** result, int* resultLength);
int krnConvFromUTF8(const char* text, int length, int code, char** result, int* resultLength);
void* krnAlloc(size_t size);

namespace charcode {

// Code identifiers and position classes; equal to KRN_CODE_* and KRN_CHAR_*
// of the public header (checked at compile time where both are visible).
constexpr int kBinary = 0, kAscii = 1, kJis = 2, kSjis = 3, kEuc = 4, kUtf8 = 5;
constexpr int kNone = 0, kSingle = 1, kLead = 2, kTrail = 18;

// The two bytes of one character in some code.
struct BytePair {
  unsigned char first;   // lead byte (JIS: row)
  unsigned char second;  // trail byte (JIS: cell)
};

// Control bytes that mark a text as binary (tab, line feed, vertical tab,
// form feed and carriage return are text).
inline bool IsBinaryByte(unsigned char b) {
  return b <= 0x08 || (b >= 0x0E && b <= 0x1F);
}

BytePair SjisToJis(unsigned char s1, unsigned char s2);
BytePair JisToSjis(unsigned char j1, unsigned char j2);

// True when byte b starts a two-byte character in the given code (EUC-JP,
// Shift_JIS or raw JIS); false for every byte of any other code.  In EUC-JP
// the single shift 0x8E starts one too: with its JIS X 0201 byte it is one
// half-width katakana, drawn with the single-byte font.
bool IsLeadByte(int code, unsigned char b);

// Class of the byte at pos in length bytes read as the given code: kNone
// outside 0..length-1 or for a code other than EUC-JP and Shift_JIS.  Walks
// from the start, reading only bytes before pos and the byte at pos.
int CharClassAt(const unsigned char* bytes, int length, int pos, int code);

// What the character at a position is drawn and measured as.
enum GlyphKind {
  kGlyphNone = 0,    // nothing: a lead byte without its second byte
  kGlyphSingle = 1,  // one byte of the single-byte font: `first`
  kGlyphPair = 2     // one JIS character of the double-byte font: `first`, `second`
};
struct Glyph {
  int size;              // bytes the character takes (1 or 2)
  int kind;              // GlyphKind
  unsigned char first;   // single byte, or JIS row
  unsigned char second;  // JIS cell (pairs only)
};

// Decodes the character at pos (0 <= pos < length) for a detected code:
// binary text shows control bytes as "?", Shift_JIS and EUC-JP two-byte
// characters become JIS pairs, raw JIS pairs stay; a lead byte in the last
// position gives kGlyphNone of size 1.  Never reads at or past length.
Glyph GlyphAt(const unsigned char* bytes, int length, int pos, int code);

// Measuring callbacks: the width of one single-byte glyph and of one JIS
// pair, with the caller's context (fonts, or fixed widths in tests).
struct CharMeter {
  int (*single)(void* context, unsigned char byte);
  int (*pair)(void* context, unsigned char row, unsigned char cell);
  void* context;
};

int GlyphWidth(const CharMeter& meter, const Glyph& glyph);

// Sum of the glyph widths of length bytes read as the given code.
int MeasureBytes(const CharMeter& meter, const unsigned char* bytes, int length, int code);

// Tab stops of the text controls: a tab reaches the next multiple of eight
// space widths, counted from the left edge of its row.
constexpr int kTabColumns = 8;
bool IsTab(const Glyph& glyph);
// Advance of a glyph whose left edge lies x pixels right of its row's
// origin: a tab's reaches the next stop (nothing when the font's space has
// no width), any other glyph's is its width.
int AdvanceAt(const CharMeter& meter, const Glyph& glyph, int x);
// Width of length bytes read as the given code whose first byte starts x
// pixels right of its row's origin: the glyph widths, tabs to their stops.
// The one answer to "how wide is this byte range here" for the controls
// that expand tabs: wrapping, drawing, caret positions and hit tests.
int MeasureFrom(const CharMeter& meter, const unsigned char* bytes, int length, int code, int x);

// The code of a whole text from one pass over its bytes: kBinary for a
// control byte anywhere; kAscii without bytes above 0x7F; kUtf8 for valid
// UTF-8 (shortest forms, no surrogates); else kEuc or kSjis by which of the
// two the bytes are valid in, EUC-JP when both are (half-width katakana
// 0x8E 0xA1-0xDF included), and by the first byte of 0x80 to 0xA0 that is no
// EUC-JP single shift when neither is.
int DetectCode(const unsigned char* bytes, size_t length);

// UTF-8 and the working codes (utf8.cpp).  Bytes below 0x80 are ASCII in
// every code.  ToUtf8 reads text in code (EUC-JP or Shift_JIS; any other
// code passes ASCII and nothing else) and FromUtf8 writes code (EUC-JP or
// Shift_JIS only; -1 for another), appending to out; JIS X 0208 characters
// map through glibc's EUC-JP table, half-width katakana arithmetically.
// Each character without a counterpart (JIS X 0212, user-defined cells,
// characters outside JIS X 0208 and 0201, invalid or cut sequences) becomes
// one 〓; both return how many did.  NUL bytes pass unchanged.
long ToUtf8(const unsigned char* bytes, size_t length, int code, std::string& out);
long FromUtf8(const unsigned char* bytes, size_t length, int code, std::string& out);
// A file that may be UTF-8 into code (EUC-JP or Shift_JIS) in one pass
// that also tells its form in *form: kUtf8 for valid UTF-8 with a byte above
// 0x7F, kAscii for plain ASCII text (out then stays empty), kBinary for
// neither (an invalid sequence or a control byte; out incomplete).  For
// kUtf8, how many characters do not convert back to themselves (each
// written as 〓); -1 for another code.
long FileFromUtf8(const unsigned char* bytes, size_t length, int code, std::string& out, int* form);
// From any of EUC-JP, Shift_JIS and UTF-8 to any of them, appending to out
// (a copy when both are the same); between EUC-JP and Shift_JIS through
// Unicode, so half-width katakana change size as they must.  How many
// characters became 〓, or -1 for another code.
long Convert(const unsigned char* bytes, size_t length, int source, int destination,
             std::string& out);

}  // namespace charcode

#endif
