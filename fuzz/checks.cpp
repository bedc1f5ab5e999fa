// checks.cpp - the fuzz checks of the BMP reader, the JPEG bridge, the
// resource-file store and the character codes.  Each compares the code
// under test with a reading of the same bytes written here apart, from the
// file formats and the code arithmetic, so that a fault shows as a
// disagreement and not only as a crash.
#include "checks.h"

#include <korrin.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "checks_util.h"
#include "support/bmp.h"
#include "support/charcode.h"

namespace krnfuzz {

const Target kTargets[] = {
    {"bmp", CheckBmp},           {"jpeg", CheckJpeg},     {"rcfile", CheckRcFile},
    {"charcode", CheckCharCode}, {"editor", CheckEditor},
};
const size_t kTargetCount = sizeof kTargets / sizeof kTargets[0];

/* ---- shared helpers ------------------------------------------------------ */

namespace {

std::string g_scratch;

void RemoveScratch() {
  if (g_scratch.empty()) return;
  for (const char* name : {"rc", "image.jpg"}) unlink((g_scratch + "/" + name).c_str());
  rmdir(g_scratch.c_str());
}

}  // namespace

std::string ScratchPath(const char* name) {
  if (g_scratch.empty()) {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/krnfuzz.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) abort();
    g_scratch = buffer.data();
    atexit(RemoveScratch);
  }
  return g_scratch + "/" + name;
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

bool ReadWhole(const std::string& path, std::string* bytes) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes->clear();
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, f)) > 0) bytes->append(chunk, got);
  fclose(f);
  return true;
}

std::string Show(const std::string& bytes) {
  std::string out = "\"";
  for (size_t i = 0; i < bytes.size() && i < 200; i++) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
      out += char(c);
    } else {
      char hex[8];
      snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out + (bytes.size() > 200 ? "\"..." : "\"");
}

/* ---- BMP ------------------------------------------------------------------- */

namespace {

// An independent reading of a BMP: the verdict and, when accepted, the
// picture as packed RGB rows from the top.
struct BmpReading {
  bmp::ParseResult verdict = bmp::kNotBmp;
  int width = 0, height = 0, bits = 0;
  std::vector<uint8_t> rgb;
};

uint32_t Le(const uint8_t* p, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; i--) v = (v << 8) | p[i];
  return v;
}

BmpReading ReadBmpApart(const uint8_t* d, size_t size) {
  BmpReading r;
  if (size < 54 || d[0] != 'B' || d[1] != 'M') return r;
  uint64_t offBits = Le(d + 10, 4), infoSize = Le(d + 14, 4);
  int64_t width = int32_t(Le(d + 18, 4)), height = int32_t(Le(d + 22, 4));
  uint32_t planes = Le(d + 26, 2), bits = Le(d + 28, 2), compression = Le(d + 30, 4);
  uint64_t colorsUsed = Le(d + 46, 4);
  if (infoSize < 40 || 14 + infoSize > size) return r;
  if (compression != 0) {
    r.verdict = bmp::kCompressed;
    return r;
  }
  if (bits >= 9 && bits <= 23) {
    r.verdict = bmp::kNoColorTable;
    return r;
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return r;
  if (planes != 1 || width < 1 || height < 1 || width > 32767 || height > 32767) return r;
  if (width * height > (int64_t(1) << 26)) return r;
  // Colour table: the listed entries must be present; the rest are black.
  std::vector<uint8_t> palette;
  if (bits <= 8) {
    uint64_t entries = uint64_t(1) << bits;
    uint64_t listed = colorsUsed == 0 || colorsUsed > entries ? entries : colorsUsed;
    if (14 + infoSize + listed * 4 > size) return r;
    palette.assign(entries * 3, 0);
    for (uint64_t i = 0; i < listed; i++) {
      const uint8_t* q = d + 14 + infoSize + i * 4;
      palette[i * 3] = q[2];
      palette[i * 3 + 1] = q[1];
      palette[i * 3 + 2] = q[0];
    }
  }
  uint64_t used = (uint64_t(width) * bits + 7) / 8;  // bytes a row's pixels take
  uint64_t stride = (uint64_t(width) * bits + 31) / 32 * 4;
  if (offBits + stride * uint64_t(height - 1) + used > size) return r;
  r.verdict = bmp::kOk;
  r.width = int(width);
  r.height = int(height);
  r.bits = int(bits);
  r.rgb.reserve(size_t(width * height * 3));
  for (int64_t y = 0; y < height; y++) {
    const uint8_t* row = d + offBits + stride * uint64_t(height - 1 - y);
    for (int64_t x = 0; x < width; x++) {
      if (bits == 24) {
        const uint8_t* p = row + x * 3;
        r.rgb.insert(r.rgb.end(), {p[2], p[1], p[0]});
        continue;
      }
      uint64_t bit = uint64_t(x) * bits;  // first bit of the pixel, from the top of byte 0
      unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
      r.rgb.insert(r.rgb.end(), palette.begin() + index * 3, palette.begin() + index * 3 + 3);
    }
  }
  return r;
}

}  // namespace

std::string CheckBmp(const uint8_t* data, size_t size) {
  // An exact-size copy: reading one byte past the input is caught.
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[size ? size : 1]);
  if (size) memcpy(bytes.get(), data, size);
  bmp::Bitmap bitmap;
  bmp::ParseResult verdict = bmp::Parse(bytes.get(), size, &bitmap);
  BmpReading apart = ReadBmpApart(bytes.get(), size);
  FUZZ_CHECK(verdict == apart.verdict, "verdict " + std::to_string(verdict) + ", read apart " +
                                           std::to_string(apart.verdict));
  std::string message = bmp::ParseMessage(verdict, "f.bmp");
  if (verdict != bmp::kOk) {
    const char* expected[] = {"", "Error: This file is not Bitmap format (f.bmp).\n",
                              "Error: Compression file is no support (f.bmp).\n",
                              "Error: Can't allocate memory (rgbquad color).\n"};
    FUZZ_CHECK(message == expected[verdict], "message " + Show(message));
    return "";
  }
  FUZZ_CHECK(message.empty(), "message for an accepted file");
  FUZZ_CHECK(
      bitmap.width == apart.width && bitmap.height == apart.height && bitmap.bits == apart.bits,
      "size or depth differs");
  FUZZ_CHECK(bmp::FormatOfBits(bitmap.bits) >= 1 && bmp::FormatOfBits(bitmap.bits) <= 4,
             "format id");
  FUZZ_CHECK(bitmap.rowSize == (size_t(bitmap.width) * bitmap.bits + 31) / 32 * 4,
             "row size " + std::to_string(bitmap.rowSize));
  std::vector<uint8_t> rgb = bmp::ToRgb(bitmap);
  FUZZ_CHECK(rgb == apart.rgb, "pixels differ");
  return "";
}

/* ---- character codes ---------------------------------------------------------- */

namespace {

constexpr int kCodes = 5;  // binary, ASCII, JIS, Shift_JIS, EUC-JP

int DetectApart(const uint8_t* b, size_t n) {
  int code = 1;
  for (size_t i = 0; i < n && i <= 1024; i++) {
    if (b[i] < 0x09 || (b[i] >= 0x0E && b[i] < 0x20)) return 0;
    if (b[i] == 0x8E && i + 1 < n && b[i + 1] >= 0xA1 && b[i + 1] <= 0xDF) {
      code = 4;  // EUC-JP's half-width katakana
      i++;
      continue;
    }
    if (b[i] >= 0x81 && b[i] < 0xA0) return 3;
    if (b[i] >= 0xA1) code = 4;
  }
  return code;
}

bool LeadApart(int code, uint8_t b) {
  if (code == 4) return b >= 0xA1 || b == 0x8E;
  if (code == 3) return (b >= 0x80 && b < 0xA0) || b >= 0xE0;
  if (code == 2) return b >= 0x21;
  return false;
}

// One character as JIS row and cell, from or to a code, by the arithmetic
// on the two bytes (modulo 256).
void PairToJis(int code, uint8_t a, uint8_t b, uint8_t* j1, uint8_t* j2) {
  if (code == 4) {
    *j1 = uint8_t(a - 0x80);
    *j2 = uint8_t(b - 0x80);
  } else if (code == 3) {
    int row = a <= 0xDF ? a * 2 - 0xE1 : a * 2 - 0x161;
    if (b > 0x9E) row += 1;
    int cell = b < 0x80 ? b - 0x1F : (b <= 0x9E ? b - 0x20 : b - 0x7E);
    *j1 = uint8_t(row);
    *j2 = uint8_t(cell);
  } else {
    *j1 = a;
    *j2 = b;
  }
}

void JisToPair(int code, uint8_t j1, uint8_t j2, uint8_t* a, uint8_t* b) {
  if (code == 4) {
    *a = uint8_t(j1 + 0x80);
    *b = uint8_t(j2 + 0x80);
  } else if (code == 3) {
    *a = uint8_t(j1 > 0x5E ? (j1 - 0x5F) / 2 + 0xE0 : (j1 - 0x21) / 2 + 0x81);
    if (j1 % 2 == 0)
      *b = uint8_t(j2 + 0x7E);
    else
      *b = uint8_t(j2 <= 0x5F ? j2 + 0x1F : j2 + 0x20);
  } else {
    *a = j1;
    *b = j2;
  }
}

// The conversion done apart: the result and the converted bytes.
int ConvertApart(std::string* s, int from, int to) {
  if (from == to || s->empty() || from < 2 || to < 2) return 1;
  for (size_t i = 0; i + 1 < s->size(); i++) {
    uint8_t a = uint8_t((*s)[i]), b = uint8_t((*s)[i + 1]);
    if (!LeadApart(from, a)) continue;
    if (from == 4 && a == 0x8E) {  // half-width katakana stay as they are
      i++;
      continue;
    }
    uint8_t j1, j2;
    PairToJis(from, a, b, &j1, &j2);
    JisToPair(to, j1, j2, &a, &b);
    (*s)[i] = char(a);
    (*s)[i + 1] = char(b);
    i++;
  }
  return 1;
}

// Records what a measuring walk saw: "s<byte>" per single glyph, "p<row><cell>"
// per pair.
struct GlyphLog {
  std::string seen;
};
int LogSingle(void* context, unsigned char b) {
  static_cast<GlyphLog*>(context)->seen += {'s', char(b)};
  return 1;
}
int LogPair(void* context, unsigned char row, unsigned char cell) {
  static_cast<GlyphLog*>(context)->seen += {'p', char(row), char(cell)};
  return 2;
}

// The glyphs text measuring must see for a detected code.
std::string GlyphsApart(const uint8_t* b, size_t n, int code) {
  std::string seen;
  for (size_t i = 0; i < n; i++) {
    uint8_t c = b[i];
    if (code == 0 && (c < 0x09 || (c >= 0x0E && c < 0x20))) c = '?';
    if (!LeadApart(code, b[i]) || code == 0 || code == 1) {
      seen += {'s', char(c)};
      continue;
    }
    if (i + 1 >= n) break;         // a lead byte with no partner shows nothing
    if (code == 4 && c == 0x8E) {  // half-width katakana: one single-byte glyph
      uint8_t kana = b[i + 1] >= 0xA1 && b[i + 1] <= 0xDF ? b[i + 1] : '?';
      seen += {'s', char(kana)};
      i++;
      continue;
    }
    uint8_t j1, j2;
    PairToJis(code, b[i], b[i + 1], &j1, &j2);
    seen += {'p', char(j1), char(j2)};
    i++;
  }
  return seen;
}

// Well-formed text of the given characters in a code: singles stay bytes,
// pairs (JIS row and cell 0x21-0x7E) become the code's two bytes.
std::string Render(const std::vector<int>& chars, int code) {
  std::string out;
  for (int c : chars) {
    if (c < 0x100) {
      out += char(c);
      continue;
    }
    uint8_t a, b;
    JisToPair(code, uint8_t(c >> 8), uint8_t(c), &a, &b);
    out += {char(a), char(b)};
  }
  return out;
}

std::string Convert(const std::string& text, int from, int to, int* result) {
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[text.size() ? text.size() : 1]);
  memcpy(buffer.get(), text.data(), text.size());
  *result = krnToConvCharCode(buffer.get(), int(text.size()), from, to);
  return std::string(reinterpret_cast<char*>(buffer.get()), text.size());
}

}  // namespace

std::string CheckCharCode(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<uint8_t[]> exact(new uint8_t[size ? size : 1]);
  memcpy(exact.get(), data, size);
  int n = int(size);

  FUZZ_CHECK(krnCheckCharCode(exact.get(), n) == DetectApart(exact.get(), size), "detection");

  // Every conversion of the raw bytes, against the arithmetic done apart.
  for (int from = 0; from < kCodes; from++) {
    for (int to = 0; to < kCodes; to++) {
      int result = 0;
      std::string got = Convert(input, from, to, &result);
      std::string expected = input;
      int expectedResult = ConvertApart(&expected, from, to);
      FUZZ_CHECK(result == expectedResult && got == expected,
                 "conversion " + std::to_string(from) + " to " + std::to_string(to) + " gave " +
                     Show(got) + ", expected " + Show(expected));
    }
  }

  // Position classes at a sample of positions, from one walk done apart.
  for (int code : {3, 4}) {
    std::vector<int> classes(size, charcode::kTrail);
    for (size_t i = 0; i < size; i += LeadApart(code, exact[i]) ? 2 : 1)
      classes[i] = LeadApart(code, exact[i]) ? charcode::kLead : charcode::kSingle;
    size_t step = size > 64 ? size / 64 : 1;
    for (size_t pos = 0; pos < size; pos += step) {
      int got = charcode::CharClassAt(exact.get(), n, int(pos), code);
      FUZZ_CHECK(got == classes[pos], "class at " + std::to_string(pos));
    }
    FUZZ_CHECK(charcode::CharClassAt(exact.get(), n, n, code) == charcode::kNone, "class at end");
    FUZZ_CHECK(charcode::CharClassAt(exact.get(), n, -1, code) == charcode::kNone, "class at -1");
  }

  // Measuring sees the glyphs of the detected code, never past the end.
  for (int code = 0; code < kCodes; code++) {
    if (code == 2) continue;  // detection never yields raw JIS
    GlyphLog log;
    charcode::CharMeter meter{LogSingle, LogPair, &log};
    int width = charcode::MeasureBytes(meter, exact.get(), n, code);
    std::string expected = GlyphsApart(exact.get(), size, code);
    FUZZ_CHECK(log.seen == expected, "glyphs of code " + std::to_string(code));
    int expectedWidth = 0;
    for (size_t i = 0; i < expected.size(); i += expected[i] == 's' ? 2 : 3)
      expectedWidth += expected[i] == 's' ? 1 : 2;
    FUZZ_CHECK(width == expectedWidth, "width of code " + std::to_string(code));
  }

  // Round trips of well-formed text made from the input: singles below
  // 0x80 (up to 0x20 when raw JIS takes part), pairs of JIS X 0208 codes.
  for (bool withJis : {false, true}) {
    std::vector<int> chars;
    Reader in(data, size);
    while (!in.AtEnd()) {
      uint8_t b = in.Byte();
      if (b & 0x80) {
        chars.push_back(((0x21 + (b & 0x7F) % 94) << 8) | (0x21 + in.Byte() % 94));
      } else {
        chars.push_back(withJis ? b % 0x21 : b);
      }
    }
    std::vector<int> codes = withJis ? std::vector<int>{2, 3, 4} : std::vector<int>{3, 4};
    for (int from : codes) {
      for (int to : codes) {
        int result = 0;
        std::string there = Convert(Render(chars, from), from, to, &result);
        FUZZ_CHECK(result == 1 && there == Render(chars, to),
                   "well-formed text " + std::to_string(from) + " to " + std::to_string(to));
        std::string back = Convert(there, to, from, &result);
        FUZZ_CHECK(back == Render(chars, from), "round trip " + std::to_string(from) + " via " +
                                                    std::to_string(to) + ": " + Show(back));
      }
    }
  }
  return "";
}

/* ---- JPEG -------------------------------------------------------------------- */

namespace {

// Larger pictures are only sized, not decoded: they cost time, not coverage.
constexpr uint64_t kMaxDecodedPixels = uint64_t(1) << 20;

}  // namespace

std::string CheckJpeg(const uint8_t* data, size_t size) {
  std::string path = ScratchPath("image.jpg");
  if (!WriteWhole(path, std::string(reinterpret_cast<const char*>(data), size))) abort();
  unsigned int dw = 12345, dh = 12345;
  int sized = GetJPGDimensions(path.c_str(), &dw, &dh);
  if (sized && uint64_t(dw) * dh > kMaxDecodedPixels) return "";
  unsigned int w = 12345, h = 12345;
  unsigned char* rgb = JpegFileToRGB(path.c_str(), &w, &h);
  if (!rgb) {
    FUZZ_CHECK(w == 0 && h == 0, "failed decode left a size");
    return "";
  }
  std::unique_ptr<unsigned char, decltype(&free)> owned(rgb, free);
  FUZZ_CHECK(sized, "decoded, yet the dimensions reader failed");
  FUZZ_CHECK(w == dw && h == dh, "decode " + std::to_string(w) + "x" + std::to_string(h) +
                                     ", header " + std::to_string(dw) + "x" + std::to_string(dh));
  FUZZ_CHECK(w > 0 && h > 0, "empty picture decoded");
  size_t bytes = size_t(w) * h * 3;
  unsigned sum = 0;
  for (size_t i = 0; i < bytes; i++) sum += rgb[i];  // every byte is there and set
  (void)sum;

  // The loader's path: aligned rows, flipped, BGR; and back.
  unsigned int rowSize = 0;
  unsigned char* aligned = MakeDwordAlignedBuf(rgb, w, h, &rowSize);
  FUZZ_CHECK(aligned, "no aligned copy");
  std::unique_ptr<unsigned char, decltype(&free)> ownedAligned(aligned, free);
  FUZZ_CHECK(rowSize == (w * 3 + 3) / 4 * 4, "aligned row size");
  for (unsigned y = 0; y < h; y++) {
    for (unsigned k = w * 3; k < rowSize; k++) FUZZ_CHECK(aligned[y * rowSize + k] == 0, "padding");
  }
  std::vector<unsigned char> before(aligned, aligned + size_t(rowSize) * h);
  FUZZ_CHECK(VertFlipBuf(aligned, rowSize, h) == 1 && BGRFromRGB(aligned, w, rowSize, h) == 1,
             "flip or swap failed");
  unsigned flippedY = h - 1, x = w - 1;
  FUZZ_CHECK(aligned[flippedY * rowSize + x * 3] == before[x * 3 + 2],
             "flip and swap moved pixels");
  FUZZ_CHECK(VertFlipBuf(aligned, rowSize, h) == 1 && BGRFromRGB(aligned, w, rowSize, h) == 1,
             "flip or swap failed");
  FUZZ_CHECK(std::equal(before.begin(), before.end(), aligned), "flip and swap twice changed");
  unsigned char* packed = RGBFromDWORDAligned(aligned, w, rowSize, h);
  FUZZ_CHECK(packed, "no packed copy");
  bool same = memcmp(packed, rgb, bytes) == 0;
  free(packed);
  FUZZ_CHECK(same, "aligned and back changed the pixels");
  return "";
}

/* ---- resource file --------------------------------------------------------------- */

namespace {

constexpr size_t kLineLimit = 1023;  // longer entry lines are not handed out

std::vector<std::string> SplitLines(const std::string& file) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < file.size()) {
    size_t feed = file.find('\n', start);
    if (feed == std::string::npos) feed = file.size();
    lines.push_back(file.substr(start, feed - start));
    start = feed + 1;
  }
  return lines;
}

bool Begins(const std::string& line, const std::string& prefix) {
  return line.compare(0, prefix.size(), prefix) == 0;
}

// Names the store accepts (the same for gets and sets, the value apart).
bool Storable(const std::string& group, const std::string& key, const std::string& value) {
  if (group.size() > 252 || key.size() + value.size() > 253) return false;
  std::string all = group + key + value;
  if (all.find('\n') != std::string::npos) return false;
  if (group.find(']') != std::string::npos || key.find('=') != std::string::npos) return false;
  return key.empty() || key[0] != '[';
}

std::string Trim(std::string s) {
  s = s.substr(0, s.find('\0'));
  size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

// The value a lookup must give, read apart; "\x01none" when not found.
const std::string kNone = "\x01none";
std::string GetApart(const std::string& file, const std::string& group, const std::string& key) {
  if (!Storable(group, key, "")) return kNone;
  std::vector<std::string> lines = SplitLines(file);
  size_t i = 0;
  while (i < lines.size() && !Begins(lines[i], "[" + group + "]")) i++;
  for (i++; i < lines.size(); i++) {
    if (Begins(lines[i], key + "=")) {
      if (lines[i].size() > kLineLimit) return kNone;
      return Trim(lines[i].substr(key.size() + 1));
    }
    if (Begins(lines[i], "[")) return kNone;
  }
  return kNone;
}

std::string GetReal(const std::string& path, const std::string& group, const std::string& key) {
  // Exactly the room a caller must give: 1023 bytes less the key, and a NUL.
  size_t room = key.size() < 1023 ? 1024 - key.size() : 1;
  std::unique_ptr<char[]> value(new char[room]);
  value[0] = '\x02';
  if (!krnGetRCFileValue(path.c_str(), group.c_str(), key.c_str(), value.get())) {
    if (value[0] != '\x02') return "\x01touched";
    return kNone;
  }
  return value.get();
}

// True when after differs from before by one inserted chunk.
bool IsInsertion(const std::string& before, const std::string& after, const std::string& chunk) {
  if (after.size() != before.size() + chunk.size()) return false;
  size_t prefix = 0;
  while (prefix < before.size() && before[prefix] == after[prefix]) prefix++;
  size_t suffix = 0;
  while (suffix < before.size() &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
    suffix++;
  size_t lowest = before.size() > suffix ? before.size() - suffix : 0;
  for (size_t at = lowest; at <= prefix; at++)
    if (after.compare(at, chunk.size(), chunk) == 0) return true;
  return false;
}

// True when after is before with the value bytes of one line replaced.
bool IsValueReplacement(const std::string& before, const std::string& after, const std::string& key,
                        const std::string& value) {
  if (after.size() > before.size() + value.size()) return false;
  size_t removed = before.size() + value.size() - after.size();
  size_t prefix = 0;
  while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
    prefix++;
  size_t suffix = 0;
  while (suffix < before.size() && suffix < after.size() &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
    suffix++;
  size_t lowest = before.size() > suffix + removed ? before.size() - suffix - removed : 0;
  for (size_t at = lowest; at <= prefix && at + removed <= before.size(); at++) {
    if (after.compare(at, value.size(), value) != 0) continue;
    if (before.substr(at, removed).find('\n') != std::string::npos) continue;
    // The value follows "key=" at the start of a line.
    size_t lineStart = at >= key.size() + 1 ? at - key.size() - 1 : std::string::npos;
    if (lineStart == std::string::npos || before.compare(lineStart, key.size() + 1, key + "=") != 0)
      continue;
    if (lineStart == 0 || before[lineStart - 1] == '\n') return true;
  }
  return false;
}

// Groups and keys named in a file, to probe lookups with (names holding a
// NUL cannot be passed to the store).
void NamesIn(const std::string& file, std::vector<std::string>* groups,
             std::vector<std::string>* keys) {
  for (std::string line : SplitLines(file)) {
    line = line.substr(0, line.find('\0'));
    if (Begins(line, "[")) {
      size_t close = line.find(']');
      if (close != std::string::npos && groups->size() < 4)
        groups->push_back(line.substr(1, close - 1));
    } else {
      size_t equals = line.find('=');
      if (equals != std::string::npos && keys->size() < 6) keys->push_back(line.substr(0, equals));
    }
  }
}

}  // namespace

std::string CheckRcFile(const uint8_t* data, size_t size) {
  Reader in(data, size);
  struct Op {
    uint8_t kind;
    std::string group, key, value;
  };
  std::vector<Op> ops(in.Byte() % 6 + 1);
  for (Op& op : ops) {
    op.kind = in.Byte();
    op.group = in.Str();
    op.key = in.Str();
    op.value = in.Str();
  }
  std::string file = in.Rest();
  std::string path = ScratchPath("rc");
  if (!WriteWhole(path, file)) abort();

  std::vector<std::string> groups, keys;
  NamesIn(file, &groups, &keys);
  for (const Op& op : ops) {
    groups.push_back(op.group);
    keys.push_back(op.key);
  }
  for (const Op& op : ops) {
    // Names of the file stand in for the op's own when the kind says so,
    // so that edits of existing entries are reached without guessing.
    std::string group = op.group, key = op.key;
    if ((op.kind & 2) && !groups.empty()) group = groups[(op.kind >> 2) % groups.size()];
    if ((op.kind & 4) && !keys.empty()) key = keys[(op.kind >> 3) % keys.size()];
    std::string before;
    if (!ReadWhole(path, &before)) abort();
    if (op.kind & 1) {
      std::string got = GetReal(path, group, key);
      FUZZ_CHECK(
          got == GetApart(before, group, key),
          "get " + Show(group) + " " + Show(key) + " gave " + Show(got) + " in " + Show(before));
      continue;
    }
    int result = krnSetRCFileValue(path.c_str(), group.c_str(), key.c_str(), op.value.c_str());
    std::string after;
    if (!ReadWhole(path, &after)) abort();
    bool storable = Storable(group, key, op.value);
    FUZZ_CHECK(result == (storable ? 1 : 0),
               "set [" + group + "] " + key + " answered " + std::to_string(result));
    if (!result) {
      FUZZ_CHECK(after == before, "a refused set changed the file");
      continue;
    }
    std::string entry = key + "=" + op.value + "\n", header = "[" + group + "]\n";
    bool oneChange =
        IsValueReplacement(before, after, key, op.value) || IsInsertion(before, after, entry) ||
        IsInsertion(before, after, "\n" + entry) || IsInsertion(before, after, header + entry) ||
        IsInsertion(before, after, "\n" + header + entry);
    FUZZ_CHECK(oneChange, "set [" + group + "] " + key + "=" + Show(op.value) + " turned " +
                              Show(before) + " into " + Show(after));
    FUZZ_CHECK(GetReal(path, group, key) == Trim(op.value),
               "set [" + group + "] " + key + " does not read back from " + Show(after));
    FUZZ_CHECK(GetApart(after, group, key) == Trim(op.value),
               "set [" + group + "] " + key + " is not where a reader finds it: " + Show(after));
    // Every other entry reads as before: read apart for all names, and
    // through the store for a few.
    int probes = 0;
    for (const std::string& g : groups) {
      for (const std::string& k : keys) {
        if (g == group && k == key) continue;
        std::string was = GetApart(before, g, k);
        FUZZ_CHECK(GetApart(after, g, k) == was, "set [" + group + "] " + key + " changed [" + g +
                                                     "] " + k + " in " + Show(after));
        if (probes++ < 4) FUZZ_CHECK(GetReal(path, g, k) == was, "get " + Show(g) + " " + Show(k));
      }
    }
  }
  return "";
}

}  // namespace krnfuzz
