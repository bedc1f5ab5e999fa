// utf8.cpp - conversion between UTF-8 and the two working codes, EUC-JP and
// Shift_JIS, for everything that crosses to the outside world in UTF-8
// (files, selections, input methods).  The JIS X 0208 <-> Unicode table is
// read once from glibc's iconv, so it cannot drift from it; the walk over the
// bytes is ours, so the toolkit's own idea of a character decides where one
// ends, bytes below 0x80 stay ASCII in both codes, and a character without a
// counterpart becomes exactly one 〓 (never a split byte).
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "support/charcode.h"

namespace charcode {

namespace {

constexpr char32_t kGeta = 0x3013;      // 〓, the stand-in for what has no counterpart
constexpr char32_t kNoChar = 0x110000;  // a decoder's "no counterpart"
constexpr int kRows = 94;               // JIS rows and cells run from 0x21 to 0x7E
constexpr char32_t kKanaFirst = 0xFF61, kKanaLast = 0xFF9F;  // half-width katakana
constexpr unsigned char kKanaByte = 0xA1;                    // JIS X 0201 byte of U+FF61
constexpr unsigned char kEucKana = 0x8E, kEucSupplement = 0x8F;

struct Tables {
  uint16_t jisToUcs[kRows * kRows];  // by (row - 0x21) * 94 + cell - 0x21; 0: none
  uint16_t ucsToJis[0x10000];        // row << 8 | cell; 0: none
};

// Reads every JIS X 0208 cell through iconv's EUC-JP once.  Null when iconv
// has no EUC-JP (then every two-byte character converts to 〓).
const Tables* BuildTables() {
  iconv_t cd = iconv_open("UTF-32LE", "EUC-JP");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    fprintf(stderr, "Error: Can't convert EUC-JP to UTF-8 (iconv).\n");
    return nullptr;
  }
  Tables* t = new (std::nothrow) Tables();
  for (int row = 0; t && row < kRows; row++) {
    for (int cell = 0; cell < kRows; cell++) {
      char in[2] = {static_cast<char>(0xA1 + row), static_cast<char>(0xA1 + cell)};
      unsigned char out[4] = {0, 0, 0, 0};
      char* inp = in;
      char* outp = reinterpret_cast<char*>(out);
      size_t inLeft = 2, outLeft = 4;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || outLeft) continue;
      uint32_t ucs = out[0] | out[1] << 8 | out[2] << 16 | static_cast<uint32_t>(out[3]) << 24;
      if (ucs < 0x80 || ucs > 0xFFFF) continue;
      t->jisToUcs[row * kRows + cell] = static_cast<uint16_t>(ucs);
      if (!t->ucsToJis[ucs])
        t->ucsToJis[ucs] = static_cast<uint16_t>((0x21 + row) << 8 | (0x21 + cell));
    }
  }
  iconv_close(cd);
  return t;
}

const Tables* GetTables() {
  static const std::unique_ptr<const Tables> tables(BuildTables());
  return tables.get();
}

// Writers into a region sized for the worst case (see Reserve): no
// capacity check per byte.
void PutUtf8(char*& w, char32_t c) {
  if (c < 0x80) {
    *w++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *w++ = static_cast<char>(0xC0 | c >> 6);
    *w++ = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *w++ = static_cast<char>(0xE0 | c >> 12);
    *w++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *w++ = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *w++ = static_cast<char>(0xF0 | c >> 18);
    *w++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
    *w++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *w++ = static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Grows out by the most `length` input bytes can give (`perByte` output
// bytes each: a lone byte becomes a 3-byte 〓 in UTF-8, a 2-byte one in the
// working codes) and returns where writing starts; Finish cuts it back.
char* Reserve(std::string& out, size_t length, size_t perByte) {
  size_t base = out.size();
  out.resize(base + length * perByte);
  return &out[0] + base;
}
void Finish(std::string& out, const char* w) {
  out.resize(static_cast<size_t>(w - out.data()));
}

// The Unicode character of a JIS pair, kNoChar when it has none.
char32_t JisToUcs(const Tables* t, BytePair jis) {
  if (!t || jis.first < 0x21 || jis.first > 0x7E || jis.second < 0x21 || jis.second > 0x7E)
    return kNoChar;
  char32_t c = t->jisToUcs[(jis.first - 0x21) * kRows + jis.second - 0x21];
  return c ? c : kNoChar;
}

bool InRange(unsigned char b, int low, int high) {
  return b >= low && b <= high;
}

// Decodes one character of text in a working code at bytes[*pos] and moves
// *pos past it; kNoChar for a character without a Unicode counterpart.
char32_t DecodeEuc(const Tables* t, const unsigned char* s, size_t n, size_t* pos) {
  size_t i = *pos;
  unsigned char b = s[i];
  *pos = i + 1;
  if (b < 0x80) return b;
  bool trail1 = i + 1 < n && s[i + 1] > 0xA0;
  if (b == kEucKana && trail1 && s[i + 1] <= 0xDF) {
    *pos = i + 2;
    return kKanaFirst + (s[i + 1] - kKanaByte);
  }
  if (b == kEucSupplement && trail1 && i + 2 < n && s[i + 2] > 0xA0) {
    *pos = i + 3;  // JIS X 0212: outside the set the toolkit draws
    return kNoChar;
  }
  if (b <= 0xA0 || !trail1) return kNoChar;
  *pos = i + 2;
  return JisToUcs(
      t, {static_cast<unsigned char>(b - 0x80), static_cast<unsigned char>(s[i + 1] - 0x80)});
}

char32_t DecodeSjis(const Tables* t, const unsigned char* s, size_t n, size_t* pos) {
  size_t i = *pos;
  unsigned char b = s[i];
  *pos = i + 1;
  if (b < 0x80) return b;
  if (InRange(b, 0xA1, 0xDF)) return kKanaFirst + (b - kKanaByte);
  bool lead = InRange(b, 0x81, 0x9F) || InRange(b, 0xE0, 0xFC);
  if (!lead || i + 1 >= n) return kNoChar;
  unsigned char b2 = s[i + 1];
  if (!InRange(b2, 0x40, 0x7E) && !InRange(b2, 0x80, 0xFC)) return kNoChar;
  *pos = i + 2;
  return JisToUcs(t, SjisToJis(b, b2));
}

// Decodes one UTF-8 character (shortest form, no surrogates, at most
// U+10FFFF); an invalid byte gives kNoChar and is skipped alone.
char32_t DecodeUtf8(const unsigned char* s, size_t n, size_t* pos) {
  size_t i = *pos;
  unsigned char b = s[i];
  *pos = i + 1;
  if (b < 0x80) return b;
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 ? 1 : -1;
  if (extra < 0 || b > 0xF4 || i + extra >= n) return kNoChar;
  char32_t c = b & (0x3F >> extra);
  for (int k = 1; k <= extra; k++) {
    if ((s[i + k] & 0xC0) != 0x80) return kNoChar;
    c = c << 6 | (s[i + k] & 0x3F);
  }
  static const char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
  if (c < kShortest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kNoChar;
  *pos = i + 1 + extra;
  return c;
}

// One character of text in code (EUC-JP, Shift_JIS; any other: ASCII).
char32_t Decode(const Tables* t, int code, const unsigned char* s, size_t n, size_t* pos) {
  if (code == kEuc) return DecodeEuc(t, s, n, pos);
  if (code == kSjis) return DecodeSjis(t, s, n, pos);
  return s[(*pos)++] < 0x80 ? s[*pos - 1] : kNoChar;
}

void PutJis(char*& w, int code, BytePair jis) {
  if (code == kSjis)
    jis = JisToSjis(jis.first, jis.second);
  else
    jis = {static_cast<unsigned char>(jis.first | 0x80),
           static_cast<unsigned char>(jis.second | 0x80)};
  *w++ = static_cast<char>(jis.first);
  *w++ = static_cast<char>(jis.second);
}

}  // namespace

long ToUtf8(const unsigned char* bytes, size_t length, int code, std::string& out) {
  const Tables* t = GetTables();
  long replaced = 0;
  char* w = Reserve(out, bytes ? length : 0, 3);
  for (size_t pos = 0; bytes && pos < length;) {
    if (bytes[pos] < 0x80) {  // runs of ASCII, the common case
      *w++ = static_cast<char>(bytes[pos++]);
      continue;
    }
    char32_t c = Decode(t, code, bytes, length, &pos);
    if (c == kNoChar) {
      c = kGeta;
      replaced++;
    }
    PutUtf8(w, c);
  }
  Finish(out, w);
  return replaced;
}

namespace {

// FromUtf8's walk.  kFile: stop at the first invalid sequence or control
// byte (*text := false), and count a character as lost unless it converts
// back to itself.
template <bool kFile>
long FromUtf8Walk(const unsigned char* bytes, size_t length, int code, std::string& out,
                  bool* text) {
  const Tables* t = GetTables();
  long replaced = 0;
  char* w = Reserve(out, bytes ? length : 0, 2);
  for (size_t pos = 0; bytes && pos < length;) {
    if (bytes[pos] < 0x80) {  // runs of ASCII, the common case
      if (kFile && IsBinaryByte(bytes[pos])) {
        *text = false;
        break;
      }
      *w++ = static_cast<char>(bytes[pos++]);
      continue;
    }
    char32_t c = DecodeUtf8(bytes, length, &pos);
    if (kFile && c == kNoChar) {
      *text = false;
      break;
    }
    if (c >= kKanaFirst && c <= kKanaLast) {
      unsigned char kana = static_cast<unsigned char>(kKanaByte + (c - kKanaFirst));
      if (code == kEuc) *w++ = static_cast<char>(kEucKana);
      *w++ = static_cast<char>(kana);
    } else if (uint16_t jis = (t && c < 0x10000) ? t->ucsToJis[c] : 0) {
      BytePair pair{static_cast<unsigned char>(jis >> 8), static_cast<unsigned char>(jis & 0xFF)};
      if (kFile && JisToUcs(t, pair) != c) replaced++;
      PutJis(w, code, pair);
    } else {
      PutJis(w, code, {0x22, 0x2E});  // 〓
      replaced++;
    }
  }
  Finish(out, w);
  return replaced;
}

}  // namespace

long FromUtf8(const unsigned char* bytes, size_t length, int code, std::string& out) {
  if (code != kEuc && code != kSjis) return -1;
  return FromUtf8Walk<false>(bytes, length, code, out, nullptr);
}

long FileFromUtf8(const unsigned char* bytes, size_t length, int code, std::string& out,
                  int* form) {
  if (code != kEuc && code != kSjis) return -1;
  // Up to the first byte above 0x7F without writing: plain ASCII and the
  // other codes (whose first such byte starts no UTF-8 sequence) end here.
  size_t first = 0;
  for (; bytes && first < length && bytes[first] < 0x80; first++) {
    if (IsBinaryByte(bytes[first])) {
      *form = kBinary;
      return 0;
    }
  }
  if (!bytes || first == length) {
    *form = kAscii;
    return 0;
  }
  size_t end = first;
  if (DecodeUtf8(bytes, length, &end) == kNoChar) {
    *form = kBinary;
    return 0;
  }
  bool text = true;
  long lost = FromUtf8Walk<true>(bytes, length, code, out, &text);
  *form = text ? kUtf8 : kBinary;
  return lost;
}

long Convert(const unsigned char* bytes, size_t length, int source, int destination,
             std::string& out) {
  bool known = true;
  for (int code : {source, destination})
    known = known && (code == kEuc || code == kSjis || code == kUtf8);
  if (!known) return -1;
  if (source == destination) {
    out.append(reinterpret_cast<const char*>(bytes), bytes ? length : 0);
    return 0;
  }
  if (source == kUtf8) return FromUtf8(bytes, length, destination, out);
  if (destination == kUtf8) return ToUtf8(bytes, length, source, out);
  std::string unicode;
  long lost = ToUtf8(bytes, length, source, unicode);
  return lost + FromUtf8(reinterpret_cast<const unsigned char*>(unicode.data()), unicode.size(),
                         destination, out);
}

}  // namespace charcode

namespace {

// Hands a converted string to the caller as a krnAlloc'd, NUL-terminated copy.
int Deliver(const std::string& s, long replaced, char** result, int* resultLength) {
  char* copy = static_cast<char*>(krnAlloc(s.size() + 1));
  if (!copy) return -1;
  memcpy(copy, s.data(), s.size());
  copy[s.size()] = '\0';
  *result = copy;
  if (resultLength) *resultLength = static_cast<int>(s.size());
  return replaced > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(replaced);
}

using Converter = long (*)(const unsigned char*, size_t, int, std::string&);

int Convert(Converter convert, const char* text, int length, int code, char** result,
            int* resultLength) {
  if (!result) return -1;
  *result = nullptr;
  if (resultLength) *resultLength = 0;
  if (length < 0) length = text ? static_cast<int>(strlen(text)) : 0;
  try {
    std::string out;
    long replaced =
        convert(reinterpret_cast<const unsigned char*>(text), text ? length : 0, code, out);
    if (replaced < 0) return -1;
    return Deliver(out, replaced, result, resultLength);
  } catch (const std::bad_alloc&) {
    fprintf(stderr, "Error: Can't allocate memory.\n");
    return -1;
  }
}

}  // namespace

// Converts length bytes (-1: up to the NUL) of text in code to UTF-8.  See
// krnConvFromUTF8 for the result.
int krnConvToUTF8(const char* text, int length, int code, char** result, int* resultLength) {
  return Convert(charcode::ToUtf8, text, length, code, result, resultLength);
}

// Converts length bytes (-1: up to the NUL) of UTF-8 into code (EUC-JP or
// Shift_JIS).  *result gets a new NUL-terminated buffer from krnAlloc (free it
// with free()), *resultLength its length.  Returns how many characters had
// no counterpart and became 〓, or -1 with *result null when memory runs out
// or the code is neither EUC-JP nor Shift_JIS.
int krnConvFromUTF8(const char* text, int length, int code, char** result, int* resultLength) {
  return Convert(charcode::FromUtf8, text, length, code, result, resultLength);
}
