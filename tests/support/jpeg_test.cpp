// JPEG bridge: decoding is checked against djpeg's own output of the same
// file, encoding by decoding the written file again; the buffer conversions
// on small hand-made buffers.  No X server is needed.
#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "xharness.h"

namespace {

using krntest::TempDir;

struct FreeDeleter {
  void operator()(unsigned char* p) const { free(p); }
};
using Buffer = std::unique_ptr<unsigned char, FreeDeleter>;

// A decoded PNM picture (P5 grey or P6 RGB), widened to RGB.
struct Pnm {
  unsigned int width = 0, height = 0, channels = 0;
  std::vector<unsigned char> rgb;
};

Pnm ParsePnm(const std::string& data) {
  Pnm pnm;
  unsigned int maxval = 0;
  char magic[3] = {};
  int consumed = 0;
  if (sscanf(data.c_str(), "%2s %u %u %u%n", magic, &pnm.width, &pnm.height, &maxval, &consumed) !=
          4 ||
      maxval != 255)
    return Pnm();
  pnm.channels = strcmp(magic, "P5") == 0 ? 1 : 3;
  size_t pixels = size_t(pnm.width) * pnm.height;
  size_t start = consumed + 1;
  if (data.size() < start + pixels * pnm.channels) return Pnm();
  for (size_t i = 0; i < pixels; ++i)
    for (int c = 0; c < 3; ++c)
      pnm.rgb.push_back(data[start + i * pnm.channels + (pnm.channels == 1 ? 0 : c)]);
  return pnm;
}

Pnm Djpeg(const std::string& path) {
  return ParsePnm(krntest::Run("djpeg -pnm '" + path + "' 2>/dev/null"));
}

int OpenFileCount() {
  int n = 0;
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return -1;
  while (readdir(dir)) ++n;
  closedir(dir);
  return n;
}

class JpegTest : public ::testing::Test {
 protected:
  std::string Make(const std::string& name, const std::string& convertArgs) {
    std::string path = dir_.file(name);
    int status = 0;
    krntest::Run("convert " + convertArgs + " '" + path + "'", &status);
    EXPECT_EQ(status, 0) << convertArgs;
    return path;
  }
  TempDir dir_;
};

struct DecodeCase {
  const char* name;
  const char* convertArgs;
  unsigned int channels;  // djpeg's output: 1 grey, 3 colour
};

const DecodeCase kDecodeCases[] = {
    {"odd.jpg", "-size 37x23 gradient:red-blue -quality 85", 3},
    {"plasma.jpg", "-size 64x48 plasma:fractal -seed 7 -sampling-factor 2x2 -quality 70", 3},
    {"full.jpg", "-size 9x31 gradient:yellow-navy -sampling-factor 1x1 -quality 95", 3},
    {"progressive.jpg", "-size 50x20 plasma:red-green -interlace JPEG -quality 60", 3},
    {"grey.jpg", "-size 21x13 gradient:white-black -colorspace Gray -type Grayscale", 1},
    {"tiny.jpg", "-size 1x1 xc:orange", 3},
};

// Every kind of file decodes to exactly what djpeg makes of it; grey files
// become RGB buffers whose three bytes per pixel are equal.
TEST_F(JpegTest, DecodingEqualsDjpeg) {
  for (const DecodeCase& c : kDecodeCases) {
    SCOPED_TRACE(c.name);
    std::string path = Make(c.name, c.convertArgs);
    Pnm expected = Djpeg(path);
    ASSERT_EQ(expected.channels, c.channels);
    unsigned int w = 99, h = 99;
    Buffer rgb(JpegFileToRGB(path.c_str(), &w, &h));
    ASSERT_TRUE(rgb);
    ASSERT_EQ(w, expected.width);
    ASSERT_EQ(h, expected.height);
    EXPECT_EQ(0, memcmp(rgb.get(), expected.rgb.data(), expected.rgb.size()));
    unsigned int dw = 0, dh = 0;
    EXPECT_EQ(GetJPGDimensions(path.c_str(), &dw, &dh), 1);
    EXPECT_EQ(dw, w);
    EXPECT_EQ(dh, h);
  }
}

// Four-component (CMYK) files are converted to RGB the way ImageMagick shows
// them instead of leaving rows unset.
TEST_F(JpegTest, CmykIsConvertedToRgb) {
  std::string path = Make("cmyk.jpg", "-size 24x8 gradient:red-cyan -colorspace CMYK -quality 98");
  Pnm expected = ParsePnm(krntest::Run("convert '" + path + "' -colorspace sRGB -depth 8 ppm:-"));
  unsigned int w = 0, h = 0;
  Buffer rgb(JpegFileToRGB(path.c_str(), &w, &h));
  ASSERT_TRUE(rgb);
  ASSERT_EQ(w, 24u);
  ASSERT_EQ(h, 8u);
  ASSERT_EQ(expected.rgb.size(), size_t(w) * h * 3);
  for (size_t i = 0; i < expected.rgb.size(); ++i)
    ASSERT_NEAR(rgb.get()[i], expected.rgb[i], 2) << "byte " << i;
}

TEST_F(JpegTest, MissingFilesAreReportedWithTheirOwnMessages) {
  std::string path = dir_.file("missing.jpg");
  unsigned int w = 5, h = 5;
  testing::internal::CaptureStderr();
  EXPECT_EQ(JpegFileToRGB(path.c_str(), &w, &h), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error : JPEG - Can't open " + path + "\n");
  EXPECT_EQ(w, 0u);
  EXPECT_EQ(h, 0u);
  testing::internal::CaptureStderr();
  EXPECT_EQ(GetJPGDimensions(path.c_str(), &w, &h), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: JPEG - Can't open " + path + "\n");
}

// A file that is not a JPEG ends in libjpeg's fatal error: one message with
// libjpeg's own text, a null result and the file closed again.
TEST_F(JpegTest, NonJpegFileIsAFatalErrorAndTheFileIsClosed) {
  std::string path = dir_.file("text.jpg");
  krntest::WriteFile(path, "This is plain text, not a picture.\n");
  int before = OpenFileCount();
  unsigned int w = 1, h = 1;
  testing::internal::CaptureStderr();
  EXPECT_EQ(JpegFileToRGB(path.c_str(), &w, &h), nullptr);
  EXPECT_EQ(GetJPGDimensions(path.c_str(), &w, &h), 0);
  std::string err = testing::internal::GetCapturedStderr();
  const std::string line = "Error: JPEG - Fatal (Not a JPEG file: starts with 0x54 0x68)\n";
  EXPECT_EQ(err, line + line);
  EXPECT_EQ(w, 0u);
  EXPECT_EQ(OpenFileCount(), before);
}

// Patches the size in the first start-of-frame marker of a JPEG.
std::string WithFrameSize(std::string jpeg, unsigned int w, unsigned int h) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    unsigned char m = jpeg[i + 1];
    if (static_cast<unsigned char>(jpeg[i]) == 0xFF && (m == 0xC0 || m == 0xC2)) {
      jpeg[i + 5] = char(h >> 8);
      jpeg[i + 6] = char(h);
      jpeg[i + 7] = char(w >> 8);
      jpeg[i + 8] = char(w);
      return jpeg;
    }
  }
  return "";
}

// A header that claims a gigantic picture is refused before any buffer of
// that size is allocated.
TEST_F(JpegTest, AbsurdSizeIsRefusedWithoutAllocating) {
  std::string small = Make("small.jpg", "-size 16x16 xc:teal");
  std::string huge = WithFrameSize(krntest::ReadFile(small), 65000, 65000);
  ASSERT_FALSE(huge.empty());
  std::string path = dir_.file("huge.jpg");
  krntest::WriteFile(path, huge);
  unsigned int w = 0, h = 0;
  EXPECT_EQ(GetJPGDimensions(path.c_str(), &w, &h), 1);
  EXPECT_EQ(w, 65000u);
  testing::internal::CaptureStderr();
  EXPECT_EQ(JpegFileToRGB(path.c_str(), &w, &h), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: JPEG - Out of memory\n");
  EXPECT_EQ(w, 0u);
}

// A cut-off file still decodes (libjpeg fills the rest) and its complaint
// comes out as a toolkit warning.
TEST_F(JpegTest, TruncatedFileDecodesWithAWarning) {
  std::string full = krntest::ReadFile(Make("cut.jpg", "-size 40x40 plasma:fractal -seed 3"));
  std::string path = dir_.file("cut2.jpg");
  krntest::WriteFile(path, full.substr(0, full.size() / 2));
  unsigned int w = 0, h = 0;
  testing::internal::CaptureStderr();
  Buffer rgb(JpegFileToRGB(path.c_str(), &w, &h));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(rgb);
  EXPECT_EQ(w, 40u);
  EXPECT_EQ(err.rfind("Warning: JPEG - ", 0), 0u) << err;
}

std::vector<unsigned char> Ramp(unsigned int w, unsigned int h) {
  std::vector<unsigned char> rgb(size_t(w) * h * 3);
  for (unsigned int y = 0; y < h; ++y)
    for (unsigned int x = 0; x < w; ++x) {
      unsigned char* p = &rgb[(size_t(y) * w + x) * 3];
      p[0] = static_cast<unsigned char>(x * 255 / (w > 1 ? w - 1 : 1));
      p[1] = static_cast<unsigned char>(y * 255 / (h > 1 ? h - 1 : 1));
      p[2] = 90;
    }
  return rgb;
}

// The written colour file decodes exactly like cjpeg's encoding of the same
// pixels at the same quality.
TEST_F(JpegTest, ColourFileMatchesCjpeg) {
  std::vector<unsigned char> rgb = Ramp(30, 17);
  std::string path = dir_.file("out.jpg");
  ASSERT_EQ(RGBToJpegFile(path.c_str(), rgb.data(), 30, 17, 1, 90), 1);
  std::string ppm = dir_.file("ramp.ppm");
  krntest::WriteFile(ppm, "P6\n30 17\n255\n" + std::string(rgb.begin(), rgb.end()));
  std::string reference = dir_.file("ref.jpg");
  int status = 0;
  krntest::Run("cjpeg -quality 90 -baseline -outfile '" + reference + "' '" + ppm + "'", &status);
  ASSERT_EQ(status, 0);
  Pnm back = Djpeg(path);
  ASSERT_EQ(back.channels, 3u);
  ASSERT_EQ(back.width, 30u);
  ASSERT_EQ(back.height, 17u);
  EXPECT_EQ(back.rgb, Djpeg(reference).rgb);
  for (size_t i = 0; i < rgb.size(); ++i) ASSERT_NEAR(back.rgb[i], rgb[i], 12) << "byte " << i;
}

// Without the colour flag a one-component file holds (r + g + b) / 3.
TEST_F(JpegTest, GreyFileHoldsTheMeanOfTheComponents) {
  std::vector<unsigned char> rgb;
  for (int i = 0; i < 8 * 8; ++i) rgb.insert(rgb.end(), {10, 20, 31});
  std::string path = dir_.file("grey.jpg");
  ASSERT_EQ(RGBToJpegFile(path.c_str(), rgb.data(), 8, 8, 0, 100), 1);
  Pnm back = Djpeg(path);
  ASSERT_EQ(back.channels, 1u);
  for (unsigned char v : back.rgb) ASSERT_EQ(v, 20);
}

TEST_F(JpegTest, WritingRefusesBadArgumentsAndUnwritablePaths) {
  std::vector<unsigned char> rgb = Ramp(4, 4);
  std::string path = dir_.file("never.jpg");
  EXPECT_EQ(RGBToJpegFile(path.c_str(), nullptr, 4, 4, 1, 75), 0);
  EXPECT_EQ(RGBToJpegFile(path.c_str(), rgb.data(), 0, 4, 1, 75), 0);
  EXPECT_EQ(RGBToJpegFile(path.c_str(), rgb.data(), 4, 0, 0, 75), 0);
  std::string bad = dir_.file("no/such/dir.jpg");
  testing::internal::CaptureStderr();
  EXPECT_EQ(RGBToJpegFile(bad.c_str(), rgb.data(), 4, 4, 0, 75), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: JPEG - Can't open " + bad + "\n");
  // libjpeg refuses widths above 65500; the error comes back as a result.
  std::vector<unsigned char> wide(size_t(70000) * 3);
  testing::internal::CaptureStderr();
  EXPECT_EQ(RGBToJpegFile(path.c_str(), wide.data(), 70000, 1, 1, 75), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("Error: JPEG - Fatal (", 0), 0u);
}

TEST(JpegBuffers, AlignedRowsArePaddedToFourBytes) {
  const struct {
    unsigned int width, rowSize;
  } cases[] = {{1, 4}, {3, 12}, {4, 12}, {5, 16}, {3000, 9000}, {21846, 65540}};
  for (const auto& c : cases) {
    std::vector<unsigned char> rgb = Ramp(c.width, 2);
    unsigned int rowSize = 0;
    Buffer aligned(MakeDwordAlignedBuf(rgb.data(), c.width, 2, &rowSize));
    ASSERT_TRUE(aligned);
    EXPECT_EQ(rowSize, c.rowSize) << c.width;
    EXPECT_EQ(0, memcmp(aligned.get() + rowSize, rgb.data() + c.width * 3, c.width * 3));
    Buffer packed(RGBFromDWORDAligned(aligned.get(), c.width, rowSize, 2));
    ASSERT_TRUE(packed);
    EXPECT_EQ(0, memcmp(packed.get(), rgb.data(), rgb.size()));
  }
  EXPECT_EQ(MakeDwordAlignedBuf(nullptr, 3, 3, nullptr), nullptr);
  EXPECT_EQ(RGBFromDWORDAligned(nullptr, 3, 12, 3), nullptr);
}

TEST(JpegBuffers, FlipSwapAndGrey) {
  unsigned char one[4] = {1, 2, 3, 4};
  EXPECT_EQ(VertFlipBuf(one, 4, 1), 1);
  EXPECT_EQ(std::vector<unsigned char>(one, one + 4), (std::vector<unsigned char>{1, 2, 3, 4}));
  unsigned char three[6] = {1, 1, 2, 2, 3, 3};
  EXPECT_EQ(VertFlipBuf(three, 2, 3), 1);
  EXPECT_EQ(std::vector<unsigned char>(three, three + 6),
            (std::vector<unsigned char>{3, 3, 2, 2, 1, 1}));
  unsigned char four[4] = {1, 2, 3, 4};
  EXPECT_EQ(VertFlipBuf(four, 1, 4), 1);
  EXPECT_EQ(std::vector<unsigned char>(four, four + 4), (std::vector<unsigned char>{4, 3, 2, 1}));

  // Two pixels per row, rows of 8 bytes: the padding is left alone.
  unsigned char rows[16] = {1, 2, 3, 4, 5, 6, 77, 88, 9, 10, 11, 12, 13, 14, 77, 88};
  EXPECT_EQ(BGRFromRGB(rows, 2, 8, 2), 1);
  const unsigned char swapped[16] = {3, 2, 1, 6, 5, 4, 77, 88, 11, 10, 9, 14, 13, 12, 77, 88};
  EXPECT_EQ(0, memcmp(rows, swapped, 16));

  unsigned char pixels[6] = {10, 20, 31, 255, 255, 254};
  EXPECT_EQ(MakeGrayScale(pixels, 2, 1), 1);
  const unsigned char grey[6] = {20, 20, 20, 254, 254, 254};
  EXPECT_EQ(0, memcmp(pixels, grey, 6));

  EXPECT_EQ(VertFlipBuf(nullptr, 4, 4), 0);
  EXPECT_EQ(BGRFromRGB(nullptr, 4, 12, 4), 0);
  EXPECT_EQ(MakeGrayScale(nullptr, 4, 4), 0);
}

TEST(JpegBuffers, ScanlinesLandInTheirRows) {
  std::vector<unsigned char> buffer(2 * 3 * 3, 0);
  const unsigned char rgbRow[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(j_putRGBScanline(rgbRow, 2, buffer.data(), 1), 2);
  const unsigned char greyRow[2] = {7, 8};
  EXPECT_EQ(j_putGrayScanlineToRGB(greyRow, 2, buffer.data(), 2), 2);
  EXPECT_EQ(buffer,
            (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 7, 7, 8, 8, 8}));
}

}  // namespace
