// bmp.h - BMP files without X: the file and information headers, the row
// size, validation of a whole file held in memory (every offset and size is
// checked against the bytes present before anything is read), the samples
// of one stored row, and the pixel layout of a true colour for a screen
// depth.  The image loader turns the samples into server pixels.
#ifndef KRN_SUPPORT_BMP_H
#define KRN_SUPPORT_BMP_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bmp {

constexpr uint16_t kType = 0x4D42;  // "BM"
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;  // the fields read; larger headers are skipped
constexpr size_t kHeaderBytes = kFileHeaderSize + kInfoHeaderSize;
constexpr int kMaxSide = 32767;                   // X pixmaps address coordinates in 16 bits
constexpr int64_t kMaxPixels = int64_t(1) << 26;  // 64 Mi pixels: 256 MiB of server pixmap

struct FileHeader {
  uint16_t type;  // kType
  uint32_t size;  // file size as recorded (not trusted)
  uint16_t reserved1;
  uint16_t reserved2;
  uint32_t offBits;  // offset of the pixel data
};

struct InfoHeader {
  uint32_t size;         // size of this header; the colour table follows it
  int32_t width;         // pixels
  int32_t height;        // pixels; negative means top-down rows
  uint16_t planes;       // 1
  uint16_t bitCount;     // bits per pixel
  uint32_t compression;  // 0 = none
  uint32_t sizeImage;    // bytes of pixel data as recorded (not trusted)
  int32_t xPelsPerMeter;
  int32_t yPelsPerMeter;
  uint32_t clrUsed;  // colour table entries; 0 = 2^bitCount
  uint32_t clrImportant;
};

// What became of reading a BMP; each failure has its own loader message.
enum ParseResult {
  kOk,
  kNotBmp,        // not a BMP, damaged, or a layout the reader does not take
  kCompressed,    // compression other than 0
  kNoColorTable,  // 9 to 23 bits per pixel: no colour table can be made
};

struct Rgb {
  uint8_t red, green, blue;
};

// A validated BMP.  The pixel pointer refers into the caller's bytes, which
// must outlive the record.
struct Bitmap {
  FileHeader file;
  InfoHeader info;
  int width;                 // > 0
  int height;                // > 0
  int bits;                  // 1, 4, 8 or 24
  size_t rowSize;            // stored bytes per row, padding included
  std::vector<Rgb> palette;  // 2^bits entries for 1 to 8 bits (unlisted ones black); else empty
  const uint8_t* pixels;     // the bottom row, first in the file
};

// Reads the two headers from the start of a file (little-endian, field by
// field).  False when fewer than kHeaderBytes bytes are given or the type is
// not "BM".
bool ReadHeader(const uint8_t* data, size_t size, FileHeader* file, InfoHeader* info);

// Bytes of one stored row (GetDIBWidthBytes): for fewer than 8 bits the
// width rounded up to 32/bits pixels, divided by 8/bits; otherwise
// width*bits/8 rounded up to a multiple of 4.  0 for a width or bit count
// it cannot describe.
size_t GetDIBWidthBytes(int bits, int width);

// Image format id for a bit count: 1, 2, 3, 4 for 1, 4, 8, 24 bits, else 0.
int FormatOfBits(int bits);

// Validates a whole file and describes it in *out (only on kOk).  Refused
// as kNotBmp: a missing or short header, an information header under 40
// bytes or past the end, planes other than 1, a width or height of 0 or
// below (top-down files) or beyond kMaxSide, more than kMaxPixels pixels,
// bit counts other than 1, 4, 8 and 24 (except 9-23: kNoColorTable), and a
// colour table or pixel rows that lie outside the bytes given.
ParseResult Parse(const uint8_t* data, size_t size, Bitmap* out);

// The loader's one message for a refused file ("Error: ..." and a line
// feed, naming path where the message does); empty for kOk.
std::string ParseMessage(ParseResult status, const char* path);

// The samples of stored row `row` (0 = bottom row): palette indices for 1
// to 8 bits, 0xRRGGBB for 24 bits; out receives width values.
void RowSamples(const Bitmap& bitmap, int row, uint32_t* out);

// The whole picture as packed RGB, rows top to bottom.
std::vector<uint8_t> ToRgb(const Bitmap& bitmap);

// Pixel of an 8-bit red, green, blue for a screen depth (GetPixelFromRGB):
// depth 8 gives the colour-cube index 40 + 36(r/51) + 6(g/51) + b/51, depth
// 16 the 5-6-5 layout, any other depth 0xRRGGBB.
unsigned long GetPixelFromRGB(unsigned int depth, int red, int green, int blue);

}  // namespace bmp

#endif
