// UTF-8 <-> EUC-JP / Shift_JIS conversion checked against glibc's iconv on
// every JIS X 0208 cell, every half-width katakana and every code point of
// the Basic Multilingual Plane, and the edge cases that must give exactly
// one 〓: invalid, cut and out-of-set sequences.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdlib>
#include <string>

#include "support/charcode.h"

namespace {

using namespace charcode;

const std::string kGetaUtf8 = "\xE3\x80\x93", kGetaEuc = "\xA2\xAE", kGetaSjis = "\x81\xAC";

// iconv's conversion of a whole string; empty with ok=false when it fails.
std::string Iconv(const char* to, const char* from, const std::string& in, bool* ok) {
  iconv_t cd = iconv_open(to, from);
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string out(in.size() * 4 + 8, '\0');
  char* inp = const_cast<char*>(in.data());
  char* outp = &out[0];
  size_t inLeft = in.size(), outLeft = out.size();
  *ok = iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return *ok ? out : std::string();
}

std::string ToU(const std::string& in, int code, long* replaced = nullptr) {
  std::string out;
  long r = ToUtf8(reinterpret_cast<const unsigned char*>(in.data()), in.size(), code, out);
  if (replaced) *replaced = r;
  return out;
}

std::string FromU(const std::string& in, int code, long* replaced = nullptr) {
  std::string out;
  long r = FromUtf8(reinterpret_cast<const unsigned char*>(in.data()), in.size(), code, out);
  if (replaced) *replaced = r;
  return out;
}

std::string Utf8Of(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | c >> 6);
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | c >> 12);
    s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | c >> 18);
    s += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

// Every two-byte cell in both working codes reads as iconv reads it, or as
// one 〓 where iconv knows no character; the half-width katakana likewise.
TEST(Utf8, EveryJisCellMatchesIconv) {
  int mapped = 0;
  for (int row = 0x21; row <= 0x7E; row++) {
    for (int cell = 0x21; cell <= 0x7E; cell++) {
      std::string euc = {static_cast<char>(row | 0x80), static_cast<char>(cell | 0x80)};
      BytePair s = JisToSjis(static_cast<unsigned char>(row), static_cast<unsigned char>(cell));
      std::string sjis = {static_cast<char>(s.first), static_cast<char>(s.second)};
      bool ok;
      std::string want = Iconv("UTF-8", "EUC-JP", euc, &ok);
      long replaced;
      EXPECT_EQ(ToU(euc, kEuc, &replaced), ok ? want : kGetaUtf8) << row << "," << cell;
      EXPECT_EQ(replaced, ok ? 0 : 1);
      bool sjisOk;
      std::string wantSjis = Iconv("UTF-8", "SHIFT_JIS", sjis, &sjisOk);
      EXPECT_EQ(ToU(sjis, kSjis), sjisOk ? wantSjis : kGetaUtf8) << row << "," << cell;
      if (ok) {
        mapped++;
        EXPECT_EQ(FromU(want, kEuc), euc);
        EXPECT_EQ(FromU(want, kSjis), sjis);
      }
    }
  }
  EXPECT_GT(mapped, 6800);
  for (int b = 0xA1; b <= 0xDF; b++) {
    bool ok;
    std::string sjis(1, static_cast<char>(b)), euc = "\x8E" + sjis;
    std::string want = Iconv("UTF-8", "EUC-JP", euc, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ToU(euc, kEuc), want);
    EXPECT_EQ(ToU(sjis, kSjis), want);
    EXPECT_EQ(FromU(want, kEuc), euc);
    EXPECT_EQ(FromU(want, kSjis), sjis);
  }
}

// Every code point of the BMP converts as iconv converts it into JIS X 0208
// or half-width katakana, and to 〓 where iconv has nothing in that set
// (JIS X 0212's three-byte form counts as nothing).
TEST(Utf8, EveryBmpCodePointMatchesIconv) {
  for (char32_t c = 0x80; c < 0x10000; c++) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string u = Utf8Of(c);
    bool ok;
    std::string want = Iconv("EUC-JP", "UTF-8", u, &ok);
    bool inSet = ok && ((want.size() == 2 && static_cast<unsigned char>(want[0]) > 0xA0) ||
                        (want.size() == 2 && want[0] == '\x8E'));
    long replaced;
    ASSERT_EQ(FromU(u, kEuc, &replaced), inSet ? want : kGetaEuc) << std::hex << c;
    ASSERT_EQ(replaced, inSet ? 0 : 1);
  }
}

// Table of the sequences that must not split or vanish: each gives its
// exact output and count of 〓.
TEST(Utf8, EdgeCases) {
  struct Case {
    const char* name;
    std::string in;
    int code;
    bool toUtf8;
    std::string out;
    long replaced;
  };
  const std::string e = "\xE6\x97\xA5";  // 日
  const Case cases[] = {
      {"ascii and NUL pass", std::string("a\0\\~\n", 5), kEuc, true, std::string("a\0\\~\n", 5), 0},
      {"sjis backslash stays ASCII", "\\~", kSjis, true, "\\~", 0},
      {"euc lone lead at end", "a\xC6", kEuc, true, "a" + kGetaUtf8, 1},
      {"euc lead before ASCII keeps it", "\xC6\n", kEuc, true, kGetaUtf8 + "\n", 1},
      {"euc JIS X 0212 is one char", "\x8F\xB0\xA1x", kEuc, true, kGetaUtf8 + "x", 1},
      {"euc stray byte", "\x85", kEuc, true, kGetaUtf8, 1},
      {"sjis user-defined cell", "\xF0\x40", kSjis, true, kGetaUtf8, 1},
      {"sjis bad trail", "\x93\x0A", kSjis, true, kGetaUtf8 + "\n", 1},
      {"ascii code passes only ASCII", "a\xC6\xFC", kAscii, true, "a" + kGetaUtf8 + kGetaUtf8, 2},
      {"emoji", "\xF0\x9F\x98\x80" + e, kEuc, false, kGetaEuc + "\xC6\xFC", 1},
      {"emoji to sjis", "\xF0\x9F\x98\x80", kSjis, false, kGetaSjis, 1},
      {"cut sequence at end", "a\xE6\x97", kEuc, false, "a" + kGetaEuc + kGetaEuc, 2},
      {"overlong slash", "\xC0\xAF", kEuc, false, kGetaEuc + kGetaEuc, 2},
      {"surrogate", "\xED\xA0\x80", kEuc, false, kGetaEuc + kGetaEuc + kGetaEuc, 3},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", kEuc, false,
       kGetaEuc + kGetaEuc + kGetaEuc + kGetaEuc, 4},
      {"yen sign is outside JIS X 0208", "\xC2\xA5", kSjis, false, kGetaSjis, 1},
      {"NUL from UTF-8", std::string("\0x", 2), kSjis, false, std::string("\0x", 2), 0},
  };
  for (const Case& c : cases) {
    long replaced;
    std::string out = c.toUtf8 ? ToU(c.in, c.code, &replaced) : FromU(c.in, c.code, &replaced);
    EXPECT_EQ(replaced, c.replaced) << c.name;
    EXPECT_EQ(out, c.out) << c.name;
  }
  std::string out;
  EXPECT_EQ(FromUtf8(reinterpret_cast<const unsigned char*>("a"), 1, kAscii, out), -1);
}

// The public pair hands out NUL-terminated krnAlloc'd copies with lengths.
TEST(Utf8, PublicConversions) {
  char* result = nullptr;
  int length = -1;
  EXPECT_EQ(krnConvToUTF8("\xC6\xFC\xCB\xDC\xB8\xEC", -1, kEuc, &result, &length), 0);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(std::string(result, length), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
  EXPECT_EQ(result[length], '\0');
  free(result);
  EXPECT_EQ(krnConvFromUTF8("x\xF0\x9F\x98\x80", 5, kSjis, &result, &length), 1);
  EXPECT_EQ(std::string(result, length), "x" + kGetaSjis);
  free(result);
  EXPECT_EQ(krnConvFromUTF8("x", 1, kAscii, &result, &length), -1);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(krnConvToUTF8(nullptr, 0, kEuc, &result, &length), 0);
  EXPECT_EQ(length, 0);
  free(result);
}

}  // namespace
