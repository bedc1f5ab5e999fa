// BMP parsing without X: row sizes, header fields, decoding of hand-made
// 1, 4, 8 and 24-bit files (padding and bits past the right edge ignored),
// and refusal of damaged or hostile files without reading past the bytes
// given (each test buffer is exactly the file's size, so the sanitizers see
// any overrun).
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/bmp.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A file as a writer would lay it out: headers, colour table, then the rows
// (bottom first) each padded with `pad` bytes up to the row size.
struct BmpFile {
  int32_t width = 1, height = 1;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t clrUsed = 0;
  std::vector<bmp::Rgb> palette;
  std::vector<Bytes> rows;  // packed row bytes, bottom row first
  uint8_t pad = 0xEE;

  Bytes Build() const {
    size_t table = palette.size() * 4;
    size_t offBits = bmp::kHeaderBytes + table;
    size_t rowSize = bmp::GetDIBWidthBytes(bits, width);
    Bytes b(offBits, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, uint32_t(offBits));
    Put32(b, 14, 40);
    Put32(b, 18, uint32_t(width));
    Put32(b, 22, uint32_t(height));
    Put16(b, 26, 1);
    Put16(b, 28, bits);
    Put32(b, 30, compression);
    Put32(b, 46, clrUsed);
    for (size_t i = 0; i < palette.size(); ++i) {
      b[bmp::kHeaderBytes + 4 * i] = palette[i].blue;
      b[bmp::kHeaderBytes + 4 * i + 1] = palette[i].green;
      b[bmp::kHeaderBytes + 4 * i + 2] = palette[i].red;
    }
    for (const Bytes& row : rows) {
      b.insert(b.end(), row.begin(), row.end());
      b.insert(b.end(), rowSize - row.size(), pad);
    }
    Put32(b, 2, uint32_t(b.size()));
    return b;
  }
};

bmp::ParseResult Parse(const Bytes& file, bmp::Bitmap* out) {
  return bmp::Parse(file.data(), file.size(), out);
}

TEST(BmpRowSize, RowsArePaddedToFourBytes) {
  const struct {
    int bits, width;
    size_t bytes;
  } cases[] = {
      {24, 3, 12}, {24, 4, 12}, {24, 1, 4}, {8, 5, 8},  {8, 8, 8},  {4, 3, 4},
      {4, 9, 8},   {1, 10, 4},  {1, 32, 4}, {1, 33, 8}, {24, 0, 0}, {3, 5, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(bmp::GetDIBWidthBytes(c.bits, c.width), c.bytes) << c.bits << " bits x " << c.width;
}

TEST(BmpHeader, FieldsAreReadLittleEndian) {
  BmpFile f;
  f.width = 0x0102;
  f.height = 3;
  f.bits = 8;
  f.clrUsed = 2;
  f.palette = {{1, 2, 3}, {4, 5, 6}};
  f.rows.assign(3, Bytes(0x0102, 1));
  Bytes file = f.Build();
  bmp::FileHeader fh;
  bmp::InfoHeader ih;
  ASSERT_TRUE(bmp::ReadHeader(file.data(), file.size(), &fh, &ih));
  EXPECT_EQ(fh.type, 0x4D42);
  EXPECT_EQ(fh.size, file.size());
  EXPECT_EQ(fh.offBits, 54u + 8u);
  EXPECT_EQ(ih.size, 40u);
  EXPECT_EQ(ih.width, 0x0102);
  EXPECT_EQ(ih.height, 3);
  EXPECT_EQ(ih.planes, 1);
  EXPECT_EQ(ih.bitCount, 8);
  EXPECT_EQ(ih.clrUsed, 2u);
  EXPECT_FALSE(bmp::ReadHeader(file.data(), bmp::kHeaderBytes - 1, &fh, &ih));
  file[1] = 'A';
  EXPECT_FALSE(bmp::ReadHeader(file.data(), file.size(), &fh, &ih));
}

// Three pixels of 24 bits: 9 pixel bytes and 3 padding bytes per row; the
// bottom row comes first in the file.
TEST(BmpDecode, TwentyFourBitsSkipsThePadding) {
  BmpFile f;
  f.width = 3;
  f.height = 2;
  f.rows = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}};
  Bytes file = f.Build();
  ASSERT_EQ(file.size(), 54u + 2 * 12);
  bmp::Bitmap b;
  ASSERT_EQ(Parse(file, &b), bmp::kOk);
  EXPECT_EQ(b.rowSize, 12u);
  EXPECT_TRUE(b.palette.empty());
  uint32_t samples[3];
  bmp::RowSamples(b, 0, samples);
  EXPECT_EQ(samples[0], 0x030201u);
  EXPECT_EQ(samples[2], 0x090807u);
  EXPECT_EQ(bmp::ToRgb(b), (Bytes{12, 11, 10, 15, 14, 13, 18, 17, 16, 3, 2, 1, 6, 5, 4, 9, 8, 7}));
}

// Ten pixels of 1 bit: 2 bytes read, 2 skipped; the six bits past the
// right edge are set but show nothing.
TEST(BmpDecode, OneBitReadsTwoBytesAndSkipsTwo) {
  BmpFile f;
  f.width = 10;
  f.height = 1;
  f.bits = 1;
  f.palette = {{0, 0, 0}, {255, 255, 255}};
  f.rows = {{0xA0, 0x7F}};  // 1010 0000 01|11 1111
  bmp::Bitmap b;
  Bytes file = f.Build();
  ASSERT_EQ(Parse(file, &b), bmp::kOk);
  EXPECT_EQ(b.rowSize, 4u);
  uint32_t s[10];
  bmp::RowSamples(b, 0, s);
  EXPECT_EQ(std::vector<uint32_t>(s, s + 10),
            (std::vector<uint32_t>{1, 0, 1, 0, 0, 0, 0, 0, 0, 1}));
}

// Four bits with colours-used 0 reads a 16-entry table: index 15 is the
// last entry.  With colours-used 3 only three entries are read and the
// other indices show black.
TEST(BmpDecode, FourBitTableSizeFollowsColoursUsed) {
  BmpFile f;
  f.width = 3;
  f.height = 1;
  f.bits = 4;
  for (int i = 0; i < 16; ++i) f.palette.push_back({uint8_t(i * 16), uint8_t(i), 7});
  f.rows = {{0xF1, 0x20}};
  bmp::Bitmap b;
  Bytes file = f.Build();
  ASSERT_EQ(Parse(file, &b), bmp::kOk);
  ASSERT_EQ(b.palette.size(), 16u);
  EXPECT_EQ(bmp::ToRgb(b), (Bytes{240, 15, 7, 16, 1, 7, 32, 2, 7}));

  f.clrUsed = 3;
  f.palette.resize(3);
  f.rows = {{0x12, 0x50}};
  file = f.Build();
  ASSERT_EQ(Parse(file, &b), bmp::kOk);
  EXPECT_EQ(bmp::ToRgb(b), (Bytes{16, 1, 7, 32, 2, 7, 0, 0, 0}));
}

TEST(BmpDecode, LastRowMayLackItsPadding) {
  BmpFile f;
  f.width = 1;
  f.height = 2;
  f.rows = {{1, 2, 3}, {4, 5, 6}};
  Bytes file = f.Build();
  file.pop_back();  // the last row's padding byte
  bmp::Bitmap b;
  EXPECT_EQ(Parse(file, &b), bmp::kOk);
  file.pop_back();
  file.pop_back();  // now a pixel byte is missing
  EXPECT_EQ(Parse(file, &b), bmp::kNotBmp);
}

BmpFile Small24() {
  BmpFile f;
  f.width = 2;
  f.height = 2;
  f.rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}};
  return f;
}

// Damaged and hostile files, each refused with one outcome.
TEST(BmpHostile, RefusedWithTheirOutcome) {
  struct Case {
    const char* what;
    void (*edit)(Bytes&);
    bmp::ParseResult result;
  };
  const Case cases[] = {
      {"empty", [](Bytes& b) { b.clear(); }, bmp::kNotBmp},
      {"header cut", [](Bytes& b) { b.resize(30); }, bmp::kNotBmp},
      {"not BM", [](Bytes& b) { b[0] = 'P'; }, bmp::kNotBmp},
      {"run-length", [](Bytes& b) { Put32(b, 30, 1); }, bmp::kCompressed},
      {"bit fields", [](Bytes& b) { Put32(b, 30, 3); }, bmp::kCompressed},
      {"16 bits", [](Bytes& b) { Put16(b, 28, 16); }, bmp::kNoColorTable},
      {"32 bits", [](Bytes& b) { Put16(b, 28, 32); }, bmp::kNotBmp},
      {"0 bits", [](Bytes& b) { Put16(b, 28, 0); }, bmp::kNotBmp},
      {"2 bits", [](Bytes& b) { Put16(b, 28, 2); }, bmp::kNotBmp},
      {"top-down", [](Bytes& b) { Put32(b, 22, uint32_t(-2)); }, bmp::kNotBmp},
      {"zero width", [](Bytes& b) { Put32(b, 18, 0); }, bmp::kNotBmp},
      {"zero height", [](Bytes& b) { Put32(b, 22, 0); }, bmp::kNotBmp},
      {"negative width", [](Bytes& b) { Put32(b, 18, uint32_t(-5)); }, bmp::kNotBmp},
      {"huge width", [](Bytes& b) { Put32(b, 18, 0x7FFFFFFF); }, bmp::kNotBmp},
      {"huge height", [](Bytes& b) { Put32(b, 22, 40000); }, bmp::kNotBmp},
      {"huge area",
       [](Bytes& b) {
         Put32(b, 18, 30000);
         Put32(b, 22, 30000);
       },
       bmp::kNotBmp},
      {"planes 2", [](Bytes& b) { Put16(b, 26, 2); }, bmp::kNotBmp},
      {"core header", [](Bytes& b) { Put32(b, 14, 12); }, bmp::kNotBmp},
      {"header past end", [](Bytes& b) { Put32(b, 14, 0xFFFFFFF0); }, bmp::kNotBmp},
      {"data past end", [](Bytes& b) { Put32(b, 10, 0xFFFFFFFF); }, bmp::kNotBmp},
      {"data at end", [](Bytes& b) { Put32(b, 10, uint32_t(b.size())); }, bmp::kNotBmp},
      {"rows cut", [](Bytes& b) { b.resize(b.size() - 9); }, bmp::kNotBmp},
      {"wider than data", [](Bytes& b) { Put32(b, 18, 3); }, bmp::kNotBmp},
  };
  Bytes good = Small24().Build();
  bmp::Bitmap b;
  ASSERT_EQ(Parse(good, &b), bmp::kOk);
  for (const Case& c : cases) {
    Bytes file = good;
    c.edit(file);
    EXPECT_EQ(Parse(file, &b), c.result) << c.what;
  }
}

// Colour tables that claim more entries than the file holds are refused;
// a huge colours-used count is capped at 2^bits.
TEST(BmpHostile, ColourTableMustLieInTheFile) {
  BmpFile f;
  f.width = 1;
  f.height = 1;
  f.bits = 8;
  f.clrUsed = 2;
  f.palette = {{1, 1, 1}, {2, 2, 2}};
  f.rows = {{1}};
  Bytes file = f.Build();
  bmp::Bitmap b;
  ASSERT_EQ(Parse(file, &b), bmp::kOk);
  Put32(file, 46, 0xFFFFFFFF);  // capped at 256 entries: more than the file holds
  EXPECT_EQ(Parse(file, &b), bmp::kNotBmp);
  Put32(file, 46, 0);  // 256 entries
  EXPECT_EQ(Parse(file, &b), bmp::kNotBmp);
}

// Every truncation and many single-byte changes of the headers of small
// files of each depth: the parser either refuses or describes a picture
// whose every row can be decoded inside the buffer.
TEST(BmpHostile, MutatedHeadersNeverReadOutside) {
  std::vector<Bytes> files;
  files.push_back(Small24().Build());
  for (int bits : {1, 4, 8}) {
    BmpFile f;
    f.width = 5;
    f.height = 3;
    f.bits = uint16_t(bits);
    f.palette.assign(size_t(1) << bits, {9, 9, 9});
    f.rows.assign(3, Bytes((5 * bits + 7) / 8, 0xFF));
    files.push_back(f.Build());
  }
  const uint32_t values[] = {0, 1, 2, 3, 4, 8, 12, 24, 40, 54, 0x7F, 0x80, 0xFF};
  int accepted = 0;
  for (const Bytes& good : files) {
    for (size_t n = 0; n < good.size(); ++n) {
      Bytes cut(good.begin(), good.begin() + n);
      bmp::Bitmap b;
      if (Parse(cut, &b) != bmp::kOk) continue;
      ++accepted;
      EXPECT_EQ(bmp::ToRgb(b).size(), size_t(b.width) * b.height * 3);
    }
    for (size_t at = 0; at < bmp::kHeaderBytes; ++at)
      for (uint32_t v : values) {
        Bytes file = good;
        file[at] = uint8_t(v);
        bmp::Bitmap b;
        if (Parse(file, &b) != bmp::kOk) continue;
        ++accepted;
        std::vector<uint8_t> rgb = bmp::ToRgb(b);
        EXPECT_EQ(rgb.size(), size_t(b.width) * b.height * 3);
      }
  }
  EXPECT_GT(accepted, 0);
}

TEST(BmpPixel, TrueColourForEachDepth) {
  unsigned long p16 = bmp::GetPixelFromRGB(16, 255, 128, 0);
  EXPECT_EQ(p16 >> 11, 31u);
  EXPECT_EQ((p16 >> 5) & 0x3F, 32u);
  EXPECT_EQ(p16 & 0x1F, 0u);
  EXPECT_EQ(bmp::GetPixelFromRGB(24, 255, 128, 0), 0xFF8000u);
  EXPECT_EQ(bmp::GetPixelFromRGB(32, 1, 2, 3), 0x010203u);
  EXPECT_EQ(bmp::GetPixelFromRGB(8, 255, 128, 0), 232u);
  EXPECT_EQ(bmp::GetPixelFromRGB(8, 0, 0, 0), 40u);
  EXPECT_EQ(bmp::GetPixelFromRGB(8, 255, 255, 255), 255u);
  EXPECT_EQ(bmp::GetPixelFromRGB(8, 50, 51, 254), 40u + 6 + 4);
}

}  // namespace
