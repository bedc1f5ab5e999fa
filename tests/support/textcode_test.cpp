// Text files in EUC-JP, Shift_JIS and UTF-8 made ready for editing in the
// working code and back: whole-text detection, conversion checked against
// glibc's iconv, byte-exact round trips, the byte-order mark, and the texts
// that cannot come back (read-only, 〓 in place of what is lost).
#include <gtest/gtest.h>
#include <xharness.h>

#include <cstdlib>
#include <string>

#include "support/charcode.h"
#include "support/textcode.h"

namespace {

using namespace charcode;

std::string Iconv(const char* to, const char* from, const std::string& in) {
  bool ok = false;
  std::string out = krntest::Iconv(to, from, in, &ok);
  EXPECT_TRUE(ok) << in;
  return out;
}

int Detect(const std::string& s) {
  return DetectCode(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

struct Decoded {
  std::string text;
  int code, bom, lossy;
};

Decoded Decode(const std::string& file, int working) {
  KrnTextCode t;
  EXPECT_EQ(krnDecodeText(file.data(), static_cast<int>(file.size()), working, &t), 1);
  Decoded d{std::string(t.text, static_cast<size_t>(t.length)), t.code, t.bom, t.lossy};
  free(t.text);
  return d;
}

std::string Encode(const std::string& text, int working, int code, int bom, int* lost = nullptr) {
  char* out = nullptr;
  int n = 0;
  int r = krnEncodeText(text.data(), static_cast<int>(text.size()), working, code, bom, &out, &n);
  if (lost) *lost = r;
  std::string s(out ? out : "", static_cast<size_t>(n));
  free(out);
  return s;
}

// Texts every code holds: kanji, kana of both widths, symbols, Latin,
// CR LF line ends and no final newline.
const char* const kSamples[] = {
    "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e abc\n",
    "\xef\xbd\xb1\xef\xbd\xb2\xef\xbd\xb3 \xe3\x82\xa2\xe3\x82\xa4\r\n\xe2\x80\xbb\xe2\x86\x92",
    "\xe4\xba\x8b\xe6\x99\x82\xe8\x87\xaa\xe7\xa4\xbe\xe5\xae\x9f\n\xef\xbe\x9f\xef\xbd\xa1",
    "\xce\xb1\xce\xb2\xd0\x96 \xe3\x80\x80\xe2\x94\x80\xe2\x94\x82 100\xef\xbc\x85\n",
};

TEST(TextCode, DetectionOfWholeTexts) {
  struct Case {
    const char* name;
    std::string text;
    int code;
  } cases[] = {
      {"ascii", "plain\ttext\r\n", kAscii},
      {"empty", "", kAscii},
      {"utf-8", "\xe3\x81\x82", kUtf8},
      {"utf-8 after 2000 ascii bytes", std::string(2000, 'a') + "\xe3\x81\x82", kUtf8},
      {"bom only", "\xef\xbb\xbf", kUtf8},
      {"euc", "\xa4\xa2\xb4\xc1", kEuc},
      {"euc half-width katakana", "\x8e\xb1\x8e\xb2 ok", kEuc},
      {"euc jis x 0212", "\x8f\xb0\xa1", kEuc},
      {"sjis", "\x82\xa0\x8a\xbf", kSjis},
      {"sjis half-width katakana", "\xb1 ok", kSjis},
      {"euc and sjis alike: euc", "\xb1\xb2 ok", kEuc},
      {"sjis that looks like euc katakana first", "\x8e\xa9\x82\xa0", kSjis},
      {"cut utf-8 is no utf-8", "\xe3\x81", kSjis},
      {"overlong utf-8 is no utf-8", "\xc0\xaf", kEuc},
      {"surrogate is no utf-8", "\xed\xa0\x80", kSjis},
      {"neither: first 0x80-0xA0 byte", "\xa4\xa2\x80\xa4", kSjis},
      {"control byte late", std::string(5000, 'a') + "\x01", kBinary},
  };
  for (const Case& c : cases) EXPECT_EQ(Detect(c.text), c.code) << c.name;
}

// Each sample, in each of the three codes, opens editable in both working
// codes as iconv converts it, and goes back byte for byte.
TEST(TextCode, RoundTripsInEveryCodeAgreeWithIconv) {
  const char* iconvName[] = {nullptr, nullptr, nullptr, "SHIFT_JIS", "EUC-JP", "UTF-8"};
  for (const char* sample : kSamples) {
    for (int file : {kEuc, kSjis, kUtf8}) {
      std::string bytes = Iconv(iconvName[file], "UTF-8", sample);
      ASSERT_EQ(Detect(bytes), file) << sample;
      for (int working : {kEuc, kSjis}) {
        Decoded d = Decode(bytes, working);
        EXPECT_EQ(d.code, file);
        EXPECT_EQ(d.lossy, 0) << sample << " " << file << "->" << working;
        EXPECT_EQ(d.text, Iconv(iconvName[working], "UTF-8", sample));
        EXPECT_EQ(Encode(d.text, working, file, 0), bytes) << sample;
      }
    }
  }
}

TEST(TextCode, ByteOrderMarkIsKeptAndWrittenBack) {
  std::string file = "\xef\xbb\xbf\xe3\x81\x82\n";
  Decoded d = Decode(file, kEuc);
  EXPECT_EQ(d.code, kUtf8);
  EXPECT_EQ(d.bom, 1);
  EXPECT_EQ(d.lossy, 0);
  EXPECT_EQ(d.text, "\xa4\xa2\n");
  EXPECT_EQ(Encode(d.text, kEuc, kUtf8, 1), file);
  EXPECT_EQ(Encode(d.text, kEuc, kSjis, 1), "\x82\xa0\n") << "a mark only for UTF-8";
  Decoded ascii = Decode(
      "\xef\xbb\xbf"
      "abc",
      kSjis);
  EXPECT_EQ(ascii.code, kUtf8);
  EXPECT_EQ(ascii.text, "abc");
  EXPECT_EQ(Encode(ascii.text, kSjis, kUtf8, ascii.bom),
            "\xef\xbb\xbf"
            "abc");
}

// The loader tells UTF-8 while converting it; a file that stops being
// valid UTF-8 part-way, or holds a control byte, is told as a whole instead.
TEST(TextCode, TheLoadersCodeAgreesWithDetection) {
  const std::string files[] = {"\xe3\x81\x82 ok\n",    "\xe3\x81\x82\xa4\xa2",
                               "\xe3\x81\x82\x01",     "plain",
                               "\xa4\xa2\xe3\x81\x82", "\xef\xbb\xbf\x82\xa0"};
  for (const std::string& f : files) {
    EXPECT_EQ(Decode(f, kEuc).code, Detect(f)) << f;
    EXPECT_EQ(Decode(f, kSjis).code, Detect(f)) << f;
  }
}

// What has no counterpart in the working code makes the text read-only and
// shows as 〓; converting back would not give the file.
TEST(TextCode, TextsThatCannotComeBackAreLossy) {
  struct Case {
    const char* name;
    std::string file;
    int working;
    std::string text;
  } cases[] = {
      {"emoji", "a\xf0\x9f\x98\x80z\n", kEuc,
       "a\xa2\xae"
       "z\n"},
      {"rare kanji", "\xf0\xa0\x80\x8b\xe3\x81\x82", kSjis, "\x81\xac\x82\xa0"},
      {"nec circled digit", "\x87\x40\x82\xa0", kEuc, "\xa2\xae\xa4\xa2"},
      {"jis x 0212 for shift_jis", "\x8f\xb0\xa1\xa4\xa2", kSjis, "\x81\xac\x82\xa0"},
      {"invalid shift_jis", "\xa4\xa2\x80", kEuc, "\x8e\xa4\x8e\xa2\xa2\xae"},
  };
  for (const Case& c : cases) {
    Decoded d = Decode(c.file, c.working);
    EXPECT_EQ(d.lossy, 1) << c.name;
    EXPECT_EQ(d.text, c.text) << c.name;
  }
}

// Files in the working code, ASCII and binary files are taken as they are.
TEST(TextCode, UnconvertedFilesStayAsTheyAre) {
  const std::string files[] = {"plain\r\n", std::string("a\0b\x01\xff", 5), "\xa4\xa2\x8f\xb0\xa1"};
  for (const std::string& f : files) {
    Decoded d = Decode(f, kEuc);
    EXPECT_EQ(d.text, f);
    EXPECT_EQ(d.lossy, 0);
    EXPECT_EQ(Encode(d.text, kEuc, kEuc, 0), f);
  }
  // A working code that is no multi-byte code converts nothing.
  EXPECT_EQ(Decode("\xe3\x81\x82", kAscii).text, "\xe3\x81\x82");
}

// Saving counts what the chosen code cannot hold instead of losing it.
TEST(TextCode, EncodingCountsWhatIsLost) {
  int lost = -2;
  std::string out = Encode("\x8f\xb0\xa1\xa4\xa2", kEuc, kUtf8, 0, &lost);
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(out, "\xe3\x80\x93\xe3\x81\x82");
  EXPECT_EQ(Encode("\x8e\xb1", kEuc, kSjis, 0, &lost), "\xb1");
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(krnEncodeText("x", 1, kEuc, kUtf8, 0, nullptr, nullptr), -1);
}

}  // namespace
