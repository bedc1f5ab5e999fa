// bmp.cpp - BMP header reading, validation and row decoding without X.
// Everything is read from a byte buffer whose size is known, so a damaged
// or hostile file is refused before any offset it names is followed.
#include "support/bmp.h"

#include <algorithm>

namespace bmp {

namespace {

// Little-endian readers over a bounded buffer (fgetushort, fgetulong).
uint16_t GetUShort(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t GetULong(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// True when [offset, offset + length) lies within size bytes.
bool Inside(uint64_t offset, uint64_t length, size_t size) {
  return offset <= size && length <= size - offset;
}

bool SizesAreSane(const InfoHeader& info) {
  return info.planes == 1 && info.width > 0 && info.height > 0 && info.width <= kMaxSide &&
         info.height <= kMaxSide && int64_t(info.width) * info.height <= kMaxPixels;
}

// Reads the colour table: clrUsed entries (2^bits when 0, never more than
// 2^bits) of blue, green, red, reserved, after the information header.
// Indices past the listed entries show black.
bool ReadPalette(const uint8_t* data, size_t size, const InfoHeader& info,
                 std::vector<Rgb>* palette) {
  size_t entries = size_t(1) << info.bitCount;
  size_t listed = info.clrUsed == 0 ? entries : std::min<size_t>(info.clrUsed, entries);
  uint64_t start = uint64_t(kFileHeaderSize) + info.size;
  if (!Inside(start, uint64_t(listed) * 4, size)) return false;
  palette->assign(entries, Rgb{0, 0, 0});
  const uint8_t* p = data + start;
  for (size_t i = 0; i < listed; ++i, p += 4) (*palette)[i] = Rgb{p[2], p[1], p[0]};
  return true;
}

}  // namespace

bool ReadHeader(const uint8_t* data, size_t size, FileHeader* file, InfoHeader* info) {
  if (!data || size < kHeaderBytes) return false;
  file->type = GetUShort(data);
  if (file->type != kType) return false;
  file->size = GetULong(data + 2);
  file->reserved1 = GetUShort(data + 6);
  file->reserved2 = GetUShort(data + 8);
  file->offBits = GetULong(data + 10);
  const uint8_t* p = data + kFileHeaderSize;
  info->size = GetULong(p);
  info->width = static_cast<int32_t>(GetULong(p + 4));
  info->height = static_cast<int32_t>(GetULong(p + 8));
  info->planes = GetUShort(p + 12);
  info->bitCount = GetUShort(p + 14);
  info->compression = GetULong(p + 16);
  info->sizeImage = GetULong(p + 20);
  info->xPelsPerMeter = static_cast<int32_t>(GetULong(p + 24));
  info->yPelsPerMeter = static_cast<int32_t>(GetULong(p + 28));
  info->clrUsed = GetULong(p + 32);
  info->clrImportant = GetULong(p + 36);
  return true;
}

size_t GetDIBWidthBytes(int bits, int width) {
  if (width <= 0 || bits <= 0) return 0;
  if (bits < 8) {
    if (8 % bits != 0) return 0;
    size_t perWord = 32 / bits;  // pixels in 4 bytes
    return (size_t(width) + perWord - 1) / perWord * perWord / (8 / bits);
  }
  return (size_t(width) * bits / 8 + 3) / 4 * 4;
}

int FormatOfBits(int bits) {
  switch (bits) {
    case 1:
      return 1;
    case 4:
      return 2;
    case 8:
      return 3;
    case 24:
      return 4;
    default:
      return 0;
  }
}

ParseResult Parse(const uint8_t* data, size_t size, Bitmap* out) {
  FileHeader file;
  InfoHeader info;
  if (!ReadHeader(data, size, &file, &info)) return kNotBmp;
  if (info.size < kInfoHeaderSize || !Inside(kFileHeaderSize, info.size, size)) return kNotBmp;
  if (info.compression != 0) return kCompressed;
  int bits = info.bitCount;
  if (bits >= 9 && bits <= 23) return kNoColorTable;
  if (FormatOfBits(bits) == 0 || !SizesAreSane(info)) return kNotBmp;

  Bitmap bitmap;
  bitmap.file = file;
  bitmap.info = info;
  bitmap.width = info.width;
  bitmap.height = info.height;
  bitmap.bits = bits;
  bitmap.rowSize = GetDIBWidthBytes(bits, info.width);
  if (bits <= 8 && !ReadPalette(data, size, info, &bitmap.palette)) return kNotBmp;
  // The last row's padding may be missing; its pixels may not.
  uint64_t used = (uint64_t(info.width) * bits + 7) / 8;
  uint64_t length = uint64_t(bitmap.rowSize) * (info.height - 1) + used;
  if (!Inside(file.offBits, length, size)) return kNotBmp;
  bitmap.pixels = data + file.offBits;
  *out = std::move(bitmap);
  return kOk;
}

std::string ParseMessage(ParseResult status, const char* path) {
  std::string name = path ? path : "(null)";
  switch (status) {
    case kOk:
      return "";
    case kNotBmp:
      return "Error: This file is not Bitmap format (" + name + ").\n";
    case kCompressed:
      return "Error: Compression file is no support (" + name + ").\n";
    case kNoColorTable:
      return "Error: Can't allocate memory (rgbquad color).\n";
  }
  return "Error: This file is not Bitmap format (" + name + ").\n";
}

void RowSamples(const Bitmap& bitmap, int row, uint32_t* out) {
  const uint8_t* p = bitmap.pixels + bitmap.rowSize * row;
  int width = bitmap.width;
  switch (bitmap.bits) {
    case 1:
      for (int x = 0; x < width; ++x) out[x] = (p[x >> 3] >> (7 - (x & 7))) & 1;
      break;
    case 4:
      for (int x = 0; x < width; ++x) out[x] = (x & 1) ? (p[x >> 1] & 0x0F) : (p[x >> 1] >> 4);
      break;
    case 8:
      for (int x = 0; x < width; ++x) out[x] = p[x];
      break;
    default:  // 24 bits: blue, green, red
      for (int x = 0; x < width; ++x, p += 3) out[x] = (p[2] << 16) | (p[1] << 8) | p[0];
      break;
  }
}

std::vector<uint8_t> ToRgb(const Bitmap& bitmap) {
  std::vector<uint8_t> rgb;
  rgb.reserve(size_t(bitmap.width) * bitmap.height * 3);
  std::vector<uint32_t> samples(bitmap.width);
  for (int y = 0; y < bitmap.height; ++y) {
    RowSamples(bitmap, bitmap.height - 1 - y, samples.data());
    for (uint32_t s : samples) {
      if (bitmap.bits <= 8) {
        const Rgb& c = bitmap.palette[s];
        rgb.insert(rgb.end(), {c.red, c.green, c.blue});
      } else {
        rgb.insert(rgb.end(), {uint8_t(s >> 16), uint8_t(s >> 8), uint8_t(s)});
      }
    }
  }
  return rgb;
}

unsigned long GetPixelFromRGB(unsigned int depth, int red, int green, int blue) {
  switch (depth) {
    case 8:
      return 40 + 36 * (red / 51) + 6 * (green / 51) + blue / 51;
    case 16:
      return ((unsigned long)(red >> 3) << 11) | ((unsigned long)(green >> 2) << 5) |
             (unsigned long)(blue >> 3);
    default:
      return ((unsigned long)red << 16) | ((unsigned long)green << 8) | (unsigned long)blue;
  }
}

}  // namespace bmp
