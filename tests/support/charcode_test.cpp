// Character codes without a server: detection, in-place conversion checked
// against glibc's iconv for the whole JIS X 0208 set, position classes, JIS
// row classes and the glyph walker with fixed-width metrics.
#include <gtest/gtest.h>
#include <iconv.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/charcode.h"

namespace {

using Bytes = std::vector<unsigned char>;
using namespace charcode;

Bytes B(std::initializer_list<int> v) {
  Bytes out;
  for (int b : v) out.push_back(static_cast<unsigned char>(b));
  return out;
}

Bytes B(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

// Runs conversion on an exact-size heap copy, so reading or writing past
// the end shows under AddressSanitizer.
Bytes Convert(const Bytes& in, int src, int dst, int* result = nullptr) {
  std::unique_ptr<unsigned char[]> buf(new unsigned char[in.size() ? in.size() : 1]);
  std::copy(in.begin(), in.end(), buf.get());
  int r = krnToConvCharCode(buf.get(), static_cast<int>(in.size()), src, dst);
  if (result) *result = r;
  return Bytes(buf.get(), buf.get() + in.size());
}

int Detect(const Bytes& in) {
  std::unique_ptr<unsigned char[]> buf(new unsigned char[in.size() ? in.size() : 1]);
  std::copy(in.begin(), in.end(), buf.get());
  return krnCheckCharCode(buf.get(), static_cast<int>(in.size()));
}

TEST(CharCodeDetect, FirstDecidingByteWins) {
  struct Case {
    const char* name;
    Bytes text;
    int code;
  } cases[] = {
      {"letters", B("Hello"), kAscii},
      {"tab lf vt ff cr", B("a\tb\nc\vd\fe\r"), kAscii},
      {"escape",
       B("ab\x1b"
         "c"),
       kBinary},
      {"nul", B({'a', 0x00, 'b'}), kBinary},
      {"0x08", B({0x08}), kBinary},
      {"0x0E", B({0x0E}), kBinary},
      {"0x1F", B({0x1F}), kBinary},
      {"0x7F stays text", B({0x7F}), kAscii},
      {"euc", B({0xA4, 0xA2}), kEuc},
      {"sjis", B({0x82, 0xA0}), kSjis},
      {"euc then sjis lead", B({0xA4, 0xA2, 0x85}), kSjis},
      {"0x80 decides nothing", B({0x80}), kAscii},
      {"0xA0 decides nothing", B({0xA0}), kAscii},
      {"0x9F is sjis", B({0x9F}), kSjis},
      {"sjis before control", B({0x81, 0x01}), kSjis},
      {"control before sjis", B({0x01, 0x81}), kBinary},
      {"control after euc", B({0xA4, 0xA2, 0x1B}), kBinary},
      {"euc half-width katakana", B({0x8E, 0xB1, 0x8E, 0xDF}), kEuc},
      {"0x8E before no katakana is sjis", B({0x8E, 0xE0}), kSjis},
      {"euc katakana then sjis lead", B({0x8E, 0xB1, 0x85}), kSjis},
      {"empty", Bytes(), kAscii},
  };
  for (const Case& c : cases) EXPECT_EQ(Detect(c.text), c.code) << c.name;
}

TEST(CharCodeDetect, LooksAtTheFirst1025BytesOnly) {
  Bytes text(1025, 'a');
  text.push_back(0xA4);
  text.push_back(0xA2);
  EXPECT_EQ(Detect(text), kAscii);
  text[1024] = 0xB0;  // the last examined position
  EXPECT_EQ(Detect(text), kEuc);
  Bytes binaryLate(1025, 'a');
  binaryLate.push_back(0x01);
  EXPECT_EQ(Detect(binaryLate), kAscii);
  EXPECT_EQ(krnCheckCharCode(nullptr, 10), kAscii);
  EXPECT_EQ(krnCheckCharCode(B("\x01").data(), 0), kAscii);
}

TEST(CharCodeConvert, KnownCharacters) {
  struct Case {
    Bytes in;
    int src, dst;
    Bytes out;
  } cases[] = {
      {B({0xA4, 0xA2}), kEuc, kSjis, B({0x82, 0xA0})},
      {B({0xB4, 0xC1}), kEuc, kSjis, B({0x8A, 0xBF})},
      {B({0xB0, 0xA1}), kEuc, kSjis, B({0x88, 0x9F})},
      {B({0xA5, 0xA2}), kEuc, kSjis, B({0x83, 0x41})},
      {B({0x8A, 0xBF}), kSjis, kEuc, B({0xB4, 0xC1})},
      {B({'a', 0xA4, 0xA2, '\n', 0xB4, 0xC1}), kEuc, kJis, B({'a', 0x24, 0x22, '\n', 0x34, 0x41})},
      {B({'x', 0xB1, 'y'}), kSjis, kEuc, B({'x', 0xB1, 'y'})},  // half-width katakana stays
      {B({0xB1, 0x82, 0xA0}), kSjis, kJis, B({0xB1, 0x24, 0x22})},
      {B({' ', 0x24, 0x22, '\n'}), kJis, kEuc, B({' ', 0xA4, 0xA2, '\n'})},
      {B({0x24, 0x22, 0x34, 0x41}), kJis, kSjis, B({0x82, 0xA0, 0x8A, 0xBF})},
      {B({0xF4, 0xA6}), kEuc, kSjis, B({0xEA, 0xA4})},  // last kanji of the set
      {B({0xEA, 0xA4}), kSjis, kEuc, B({0xF4, 0xA6})},
  };
  for (const Case& c : cases) {
    int r = -1;
    EXPECT_EQ(Convert(c.in, c.src, c.dst, &r), c.out) << c.src << "->" << c.dst;
    EXPECT_EQ(r, 1);
  }
}

TEST(CharCodeConvert, NothingToDoLeavesBufferAndSucceeds) {
  const Bytes text = B({0xA4, 0xA2, 0x82, 0xA0});
  struct Case {
    int src, dst;
  } cases[] = {{kEuc, kEuc},     {kEuc, kAscii}, {kAscii, kSjis}, {kBinary, kEuc},
               {kSjis, kBinary}, {5, 5},         {5, kAscii},     {kEuc, kBinary}};
  for (const Case& c : cases) {
    int r = -1;
    EXPECT_EQ(Convert(text, c.src, c.dst, &r), text) << c.src << "->" << c.dst;
    EXPECT_EQ(r, 1);
  }
  unsigned char one = 0xA4;
  EXPECT_EQ(krnToConvCharCode(&one, 0, kEuc, kSjis), 1);
  EXPECT_EQ(one, 0xA4);
}

TEST(CharCodeConvert, UnknownCodesReportAndLeaveBuffer) {
  const Bytes text = B({0xA4, 0xA2});
  struct Case {
    int src, dst;
    const char* message;
  } cases[] = {
      {5, kSjis, "Error: krnToConvCharCode - Not support yet(src code:5).\n"},
      {-1, kEuc, "Error: krnToConvCharCode - Not support yet(src code:-1).\n"},
      {kEuc, 5, "Error: krnToConvCharCode - Not support yet(dest code:5).\n"},
      {7, 6, "Error: krnToConvCharCode - Not support yet(dest code:6).\n"},
  };
  for (const Case& c : cases) {
    int r = -1;
    testing::internal::CaptureStderr();
    Bytes out = Convert(text, c.src, c.dst, &r);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(out, text);
  }
  EXPECT_EQ(krnToConvCharCode(nullptr, 4, kEuc, kSjis), 0);
}

// A lead byte at the end has no partner: it stays, and nothing past the
// buffer is touched (the buffers are exact-size heap blocks).
TEST(CharCodeConvert, LeadByteAtEndStays) {
  struct Case {
    Bytes in;
    int src, dst;
    Bytes out;
  } cases[] = {
      {B({0xA4}), kEuc, kSjis, B({0xA4})},
      {B({'a', 0xA4, 0xA2, 0xB4}), kEuc, kSjis, B({'a', 0x82, 0xA0, 0xB4})},
      {B({0xA4, 0xA2, 0xB4}), kEuc, kJis, B({0x24, 0x22, 0xB4})},
      {B({0x82, 0xA0, 0x8A}), kSjis, kEuc, B({0xA4, 0xA2, 0x8A})},
      {B({0xE0}), kSjis, kJis, B({0xE0})},
      {B({0x24, 0x22, 0x34}), kJis, kEuc, B({0xA4, 0xA2, 0x34})},
      {B({0x21}), kJis, kSjis, B({0x21})},
      // half-width katakana take two bytes in EUC-JP, one in Shift_JIS: kept
      {B({0x8E, 0xB1, 0xA4, 0xA2}), kEuc, kSjis, B({0x8E, 0xB1, 0x82, 0xA0})},
  };
  for (const Case& c : cases) EXPECT_EQ(Convert(c.in, c.src, c.dst), c.out) << c.src << c.dst;
}

// --- Oracle: glibc iconv over every JIS X 0208 character it maps ---

// One iconv conversion of a whole buffer; false when iconv refuses any of it.
// Descriptors are opened once per direction and reset before each use.
bool Iconv(const char* from, const char* to, const Bytes& in, Bytes* out) {
  static std::map<std::pair<std::string, std::string>, iconv_t> open;
  iconv_t& cd = open[{from, to}];
  if (!cd) cd = iconv_open(to, from);
  if (cd == (iconv_t)-1) return false;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::vector<char> src(in.begin(), in.end());
  std::vector<char> dst(in.size() * 4 + 16);
  char* ip = src.data();
  char* op = dst.data();
  size_t il = src.size(), ol = dst.size();
  size_t r = iconv(cd, &ip, &il, &op, &ol);
  size_t flushed = r == (size_t)-1 ? r : iconv(cd, nullptr, nullptr, &op, &ol);
  if (r == (size_t)-1 || flushed == (size_t)-1) return false;
  out->assign(dst.data(), op);
  return true;
}

// The JIS bytes of an ISO-2022-JP encoding of one two-byte character:
// ESC $ B j1 j2 ESC ( B.
bool StripJisEscapes(const Bytes& in, Bytes* jis) {
  const Bytes open = B("\x1b$B"), close = B("\x1b(B");
  if (in.size() != 8 || !std::equal(open.begin(), open.end(), in.begin()) ||
      !std::equal(close.begin(), close.end(), in.begin() + 5))
    return false;
  jis->assign(in.begin() + 3, in.begin() + 5);
  return true;
}

struct Mapped {
  Bytes euc, sjis, jis;
};

// Every EUC-JP pair (rows and cells 0xA1-0xFE) that iconv maps to both
// Shift_JIS and ISO-2022-JP.
const std::vector<Mapped>& MappedCharacters() {
  static std::vector<Mapped> all;
  if (!all.empty()) return all;
  for (int row = 0xA1; row <= 0xFE; row++) {
    for (int cell = 0xA1; cell <= 0xFE; cell++) {
      Mapped m;
      m.euc = B({row, cell});
      Bytes iso;
      if (!Iconv("EUC-JP", "SHIFT_JIS", m.euc, &m.sjis) || m.sjis.size() != 2) continue;
      if (!Iconv("EUC-JP", "ISO-2022-JP", m.euc, &iso) || !StripJisEscapes(iso, &m.jis)) continue;
      all.push_back(m);
    }
  }
  return all;
}

TEST(CharCodeOracle, EveryCharacterAgreesWithIconv) {
  const auto& all = MappedCharacters();
  ASSERT_GE(all.size(), 6879u) << "iconv maps fewer JIS X 0208 characters than the set holds";
  int failures = 0;
  for (const Mapped& m : all) {
    Bytes sjisBack;
    ASSERT_TRUE(Iconv("SHIFT_JIS", "EUC-JP", m.sjis, &sjisBack));
    bool ok = Convert(m.euc, kEuc, kSjis) == m.sjis && Convert(m.sjis, kSjis, kEuc) == sjisBack &&
              Convert(m.euc, kEuc, kJis) == m.jis && Convert(m.jis, kJis, kEuc) == m.euc &&
              Convert(m.jis, kJis, kSjis) == m.sjis;
    if (!ok && ++failures <= 10)
      ADD_FAILURE() << std::hex << "EUC " << int(m.euc[0]) << " " << int(m.euc[1]);
  }
  EXPECT_EQ(failures, 0);
}

// One buffer with every character between ASCII bytes: the walk must pair
// the right bytes all the way through.
TEST(CharCodeOracle, WholeTextAgreesWithIconv) {
  Bytes euc;
  for (const Mapped& m : MappedCharacters()) {
    euc.insert(euc.end(), m.euc.begin(), m.euc.end());
    if (euc.size() % 7 == 0) euc.push_back('\n');
    if (euc.size() % 5 == 0) euc.push_back('A');
  }
  Bytes sjis;
  ASSERT_TRUE(Iconv("EUC-JP", "SHIFT_JIS", euc, &sjis));
  ASSERT_EQ(sjis.size(), euc.size());
  EXPECT_TRUE(Convert(euc, kEuc, kSjis) == sjis);
  EXPECT_TRUE(Convert(sjis, kSjis, kEuc) == euc);
  EXPECT_EQ(Detect(sjis), kSjis);
}

// --- Position classes ---

TEST(CharCodeClass, WalksFromTheStart) {
  const Bytes euc = B({0x61, 0xA4, 0xA2});
  const Bytes sjis = B({0x61, 0x82, 0xA0, 0xB1, 0xE0, 0x40});
  const Bytes kana = B({0x8E, 0xB1, 0xA4, 0xA2});
  struct Case {
    const Bytes* text;
    int code, pos, cls;
  } cases[] = {
      {&euc, kEuc, 0, kSingle},  {&euc, kEuc, 1, kLead},     {&euc, kEuc, 2, kTrail},
      {&euc, kEuc, 3, kNone},    {&euc, kEuc, -1, kNone},    {&euc, kSjis, 1, kSingle},
      {&euc, kAscii, 0, kNone},  {&euc, kJis, 1, kNone},     {&sjis, kSjis, 1, kLead},
      {&sjis, kSjis, 2, kTrail}, {&sjis, kSjis, 3, kSingle}, {&sjis, kSjis, 4, kLead},
      {&sjis, kSjis, 5, kTrail}, {&sjis, kEuc, 3, kLead},    {&sjis, kEuc, 4, kTrail},
      {&kana, kEuc, 0, kLead},   {&kana, kEuc, 1, kTrail},   {&kana, kEuc, 2, kLead},
  };
  for (const Case& c : cases) {
    std::unique_ptr<unsigned char[]> buf(new unsigned char[c.text->size()]);
    std::copy(c.text->begin(), c.text->end(), buf.get());
    EXPECT_EQ(CharClassAt(buf.get(), int(c.text->size()), c.pos, c.code), c.cls)
        << "code " << c.code << " pos " << c.pos;
  }
}

// --- JIS row classes ---

TEST(CharCodeRows, TableEdges) {
  struct Case {
    int b1, b2, cls;
  } cases[] = {
      {0xA4, 0xA2, 3},  {0xCF, 0xD3, 8},  {0xCF, 0xD4, -1}, {0xF4, 0xA5, -1}, {0xA3, 0xA1, -1},
      {0xA1, 0xA1, 0},  {0xA1, 0xFE, 0},  {0xA1, 0xFF, -1}, {0xA1, 0xA0, -1}, {0xA2, 0xA1, 1},
      {0xA3, 0xB0, 2},  {0xA3, 0xB9, 2},  {0xA3, 0xBA, -1}, {0xA3, 0xC1, 2},  {0xA3, 0xDA, 2},
      {0xA3, 0xE1, 2},  {0xA3, 0xFA, 2},  {0xA3, 0xFB, -1}, {0xA4, 0xF3, 3},  {0xA4, 0xF4, -1},
      {0xA5, 0xF6, 4},  {0xA5, 0xF7, -1}, {0xA6, 0xB8, 5},  {0xA6, 0xB9, -1}, {0xA6, 0xC1, 5},
      {0xA6, 0xD8, 5},  {0xA6, 0xD9, -1}, {0xA7, 0xC1, 6},  {0xA7, 0xC2, -1}, {0xA7, 0xD1, 6},
      {0xA7, 0xF1, 6},  {0xA7, 0xF2, -1}, {0xA8, 0xC0, 7},  {0xA8, 0xC1, -1}, {0xA9, 0xA1, -1},
      {0xAF, 0xFE, -1}, {0xB0, 0xA1, 8},  {0xCE, 0xFE, 8},  {0xD0, 0xA1, 9},  {0xF3, 0xFE, 9},
      {0xF4, 0xA1, 9},  {0xF4, 0xA4, 9},  {0xF5, 0xA1, -1}, {0x24, 0x22, -1}, {0x00, 0x00, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(krnIsWideCharCode(c.b1, c.b2), c.cls) << std::hex << c.b1 << " " << c.b2;
}

// Every pair classed as a letter, kana or kanji is a character iconv knows,
// and every character iconv knows outside the symbol rows is classed (save
// the two kanji that JIS X 0208 added in 1990 after row 0x74's 0x24).
TEST(CharCodeRows, AgreeWithIconvOutsideTheSymbolRows) {
  std::vector<bool> mapped(65536);
  for (const Mapped& m : MappedCharacters()) mapped[m.euc[0] * 256 + m.euc[1]] = true;
  int failures = 0;
  for (int b1 = 0xA3; b1 <= 0xFE; b1++) {
    for (int b2 = 0xA1; b2 <= 0xFE; b2++) {
      bool classed = krnIsWideCharCode(b1, b2) >= 0;
      bool added1990 = b1 == 0xF4 && (b2 == 0xA5 || b2 == 0xA6);
      if (classed != (mapped[b1 * 256 + b2] && !added1990) && ++failures <= 10)
        ADD_FAILURE() << std::hex << b1 << " " << b2 << " classed " << classed;
    }
  }
  EXPECT_EQ(failures, 0);
}

// --- The glyph walker with fixed metrics ---

// Single bytes are 7 wide, pairs 14; every glyph is recorded.
struct Recorder {
  std::vector<std::pair<int, int>> glyphs;  // (byte or row, -1 or cell)
  static int Single(void* ctx, unsigned char b) {
    static_cast<Recorder*>(ctx)->glyphs.push_back({b, -1});
    return 7;
  }
  static int Pair(void* ctx, unsigned char row, unsigned char cell) {
    static_cast<Recorder*>(ctx)->glyphs.push_back({row, cell});
    return 14;
  }
};

TEST(CharCodeMeasure, GlyphsPerCode) {
  using G = std::vector<std::pair<int, int>>;
  struct Case {
    const char* name;
    Bytes text;
    int code;
    int width;
    G glyphs;
  } cases[] = {
      {"ascii", B("ab\r"), kAscii, 21, G{{'a', -1}, {'b', -1}, {'\r', -1}}},
      {"ascii high bytes single", B({0xA4, 0xA2}), kAscii, 14, G{{0xA4, -1}, {0xA2, -1}}},
      {"binary shows ?", B({'a', 0x01, '\t', 0x1F, 0xA4}), kBinary, 35,
       G{{'a', -1}, {'?', -1}, {'\t', -1}, {'?', -1}, {0xA4, -1}}},
      {"euc", B({'a', 0xA4, 0xA2, '\n'}), kEuc, 28, G{{'a', -1}, {0x24, 0x22}, {'\n', -1}}},
      {"euc lone lead", B({0xB4, 0xC1, 0xA4}), kEuc, 14, G{{0x34, 0x41}}},
      {"euc 0xA0 single, 0x8E lone lead", B({0xA0, 0x8E}), kEuc, 7, G{{0xA0, -1}}},
      {"euc half-width katakana", B({0x8E, 0xB1, 'a', 0x8E, 0x41}), kEuc, 21,
       G{{0xB1, -1}, {'a', -1}, {'?', -1}}},
      {"sjis", B({0x82, 0xA0, 0xB1, 0x8A, 0xBF}), kSjis, 35,
       G{{0x24, 0x22}, {0xB1, -1}, {0x34, 0x41}}},
      {"sjis lone lead", B({'a', 0xE0}), kSjis, 7, G{{'a', -1}}},
      {"jis", B({' ', 0x24, 0x22}), kJis, 21, G{{' ', -1}, {0x24, 0x22}}},
      {"unknown code", B({0xA4, 0xA2}), 9, 14, G{{0xA4, -1}, {0xA2, -1}}},
  };
  for (const Case& c : cases) {
    Recorder rec;
    CharMeter meter{Recorder::Single, Recorder::Pair, &rec};
    std::unique_ptr<unsigned char[]> buf(new unsigned char[c.text.size()]);
    std::copy(c.text.begin(), c.text.end(), buf.get());
    EXPECT_EQ(MeasureBytes(meter, buf.get(), int(c.text.size()), c.code), c.width) << c.name;
    EXPECT_EQ(rec.glyphs, c.glyphs) << c.name;
  }
}

TEST(CharCodeMeasure, GlyphSizesStepOverWholeCharacters) {
  const Bytes text = B({'a', 0xA4, 0xA2, 0xB4});
  std::unique_ptr<unsigned char[]> buf(new unsigned char[text.size()]);
  std::copy(text.begin(), text.end(), buf.get());
  Glyph g0 = GlyphAt(buf.get(), 4, 0, kEuc), g1 = GlyphAt(buf.get(), 4, 1, kEuc),
        g3 = GlyphAt(buf.get(), 4, 3, kEuc);
  EXPECT_EQ(g0.size, 1);
  EXPECT_EQ(g0.kind, kGlyphSingle);
  EXPECT_EQ(g1.size, 2);
  EXPECT_EQ(g1.kind, kGlyphPair);
  EXPECT_EQ(g3.size, 1);
  EXPECT_EQ(g3.kind, kGlyphNone);
  Recorder rec;
  CharMeter meter{Recorder::Single, Recorder::Pair, &rec};
  EXPECT_EQ(GlyphWidth(meter, g3), 0);
  EXPECT_EQ(MeasureBytes(meter, nullptr, 4, kEuc), 0);
  EXPECT_EQ(MeasureBytes(meter, buf.get(), 0, kEuc), 0);
}

}  // namespace
