/*
 * image.cpp - image records: loading XPM (libXpm), BMP (support/bmp) and
 * JPEG (the JPEG bridge) into server pixmaps at the screen's depth, drawing
 * them whole or in part through their masks or clip rectangles and regions,
 * and releasing them.  True-colour pixels are converted for the screen here;
 * the picture is sent a block of two rows at a time, and the event loop gets
 * its turn before each block so that windows stay painted during long loads.
 */
#include <X11/xpm.h>
#include <korrin.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/korrin_internal.h"
#include "support/bmp.h"

namespace {

// Largest file the BMP reader reads; the biggest picture it accepts
// (bmp::kMaxPixels at 24 bits) is well below it.
constexpr size_t kMaxBmpFileBytes = size_t(256) << 20;
constexpr int kRowsPerBlock = 2;

struct FileCloser {
  void operator()(FILE* f) const { fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

struct FreeDeleter {
  void operator()(void* p) const { free(p); }
};

Window Root(Display* display) {
  return RootWindow(display, 0);
}
int ScreenDepth(Display* display) {
  return DefaultDepth(display, 0);
}

// The name libXpm's status values are reported with.
const char* XpmStatusName(int status) {
  switch (status) {
    case XpmSuccess:
      return "XpmSuccess";
    case XpmColorError:
      return "XpmColorError";
    case XpmOpenFailed:
      return "XpmOpenFailed";
    case XpmFileInvalid:
      return "XpmFileInvalid";
    case XpmNoMemory:
      return "XpmNoMemory";
    case XpmColorFailed:
      return "XpmColorFailed";
    default:
      return "Unknwon status";
  }
}

// A new record for a finished pixmap; null (after the message) when memory
// runs out, in which case the caller still owns pixmap, mask and GC.
KrnImage* NewImage(Pixmap pixmap, Pixmap mask, GC gc, int width, int height, int format) {
  KrnImage* image = static_cast<KrnImage*>(calloc(1, sizeof(KrnImage)));
  if (!image) {
    fputs("Error: Can't allocate memory.\n", stderr);
    return nullptr;
  }
  image->pixmap = pixmap;
  image->mask = mask;
  image->gc = gc;
  image->width = width;
  image->height = height;
  image->format = format;
  return image;
}

// ---- XPM ---------------------------------------------------------------

// Loads through libXpm from a file (path) or from data; the label names the
// source in the failure message.  Every status but success is a failure:
// what libXpm made on a mere colour warning is released again.
KrnImage* ReadXpm(Display* display, const char* path, const char* const* data,
                  const std::string& label) {
  XpmAttributes attributes;
  memset(&attributes, 0, sizeof attributes);
  attributes.valuemask = XpmSize | XpmReturnPixels | XpmExactColors | XpmCloseness;
  attributes.exactColors = False;
  attributes.closeness = 0xFFFF;
  Pixmap pixmap = 0, mask = 0;
  int status = path ? XpmReadFileToPixmap(display, Root(display), path, &pixmap, &mask, &attributes)
                    : XpmCreatePixmapFromData(display, Root(display), const_cast<char**>(data),
                                              &pixmap, &mask, &attributes);
  int width = static_cast<int>(attributes.width), height = static_cast<int>(attributes.height);
  XpmFreeAttributes(&attributes);
  KrnImage* image = nullptr;
  if (status == XpmSuccess) {
    GC gc = XCreateGC(display, Root(display), 0, nullptr);
    XSetFunction(display, gc, GXcopy);
    XSetForeground(display, gc, g_korrin.setColors[KRN_SC_BACK]);
    XSetBackground(display, gc, g_korrin.setColors[KRN_SC_BACK]);
    image = NewImage(pixmap, mask, gc, width, height, KRN_IMAGE_XPM);
    if (image) return image;
    XFreeGC(display, gc);
  } else {
    fprintf(stderr,
            path ? "Error: Can't read file (%s) [%s].\n" : "Error: Can't read data (%s) [%s].\n",
            label.c_str(), XpmStatusName(status));
    fflush(stderr);
  }
  if (pixmap) XFreePixmap(display, pixmap);
  if (mask) XFreePixmap(display, mask);
  return nullptr;
}

// In-memory data has no name: its values line ("width height colours
// chars-per-pixel") identifies it in messages.
std::string DataLabel(const char* const* data) {
  if (!data || !data[0]) return "null";
  return std::string(data[0], strnlen(data[0], 64));
}

// ---- true-colour pixels -------------------------------------------------

// Turns 8-bit red, green, blue into a pixel of the screen: through the
// colour map below 8 bits, through the colour-cube pixel table at 8 bits,
// by bit layout above.
class PixelMaker {
 public:
  PixelMaker(Display* display, Colormap colormap) : display_(display), colormap_(colormap) {
    depth_ = static_cast<unsigned int>(ScreenDepth(display));
    if (depth_ != 8) return;
    if (colormap == g_korrin.colormap && g_korrin.colorTable8) {
      table_ = g_korrin.colorTable8;
    } else {
      owned_.reset(krnConvertColormap(display, colormap));
      table_ = owned_.get();
    }
  }
  unsigned long operator()(int red, int green, int blue) {
    if (depth_ < 8) return Allocated(red, green, blue);
    unsigned long pixel = bmp::GetPixelFromRGB(depth_, red, green, blue);
    if (depth_ == 8 && table_) return static_cast<unsigned long>(table_[pixel]);
    return pixel;
  }

 private:
  // Screens below 8 bits allocate each colour; remembered so that a
  // picture costs one request per distinct colour, not per pixel.
  unsigned long Allocated(int red, int green, int blue) {
    uint32_t key = (uint32_t(red) << 16) | (uint32_t(green) << 8) | uint32_t(blue);
    auto found = cache_.find(key);
    if (found != cache_.end()) return found->second;
    unsigned long pixel = krnGetColor(display_, colormap_, red, green, blue);
    cache_.emplace(key, pixel);
    return pixel;
  }
  Display* display_;
  Colormap colormap_;
  unsigned int depth_ = 0;
  const int* table_ = nullptr;
  std::unique_ptr<int, FreeDeleter> owned_;
  std::map<uint32_t, unsigned long> cache_;
};

// Fills out (width pixels) with stored row `row`, rows counted from the
// bottom of the picture.
using RowSource = std::function<void(int row, unsigned long* out)>;

// Creates the pixmap and its GC for a loaded picture, or reports.
bool CreatePixmap(Display* display, int width, int height, Pixmap* pixmap, GC* gc) {
  if (width <= 0 || height <= 0 || width > bmp::kMaxSide || height > bmp::kMaxSide ||
      int64_t(width) * height > bmp::kMaxPixels) {
    fputs("Error: Load Image - Can't create pixmap.\n", stderr);
    return false;
  }
  // A pixmap the server refuses (BadAlloc) is not drawn into or kept.
  unsigned long serial = NextRequest(display);
  *pixmap = XCreatePixmap(display, Root(display), width, height, ScreenDepth(display));
  if (!*pixmap || krnRequestFailed(display, serial)) {
    fputs("Error: Load Image - Can't create pixmap.\n", stderr);
    return false;
  }
  *gc = XCreateGC(display, *pixmap, 0, nullptr);
  XSetFunction(display, *gc, GXcopy);
  return true;
}

// Sends the rows bottom first, kRowsPerBlock rows per XPutImage; the event
// loop handles pending events before each block (every second row).
bool PutRowsBottomUp(Display* display, Drawable pixmap, GC gc, int width, int height,
                     const RowSource& source) {
  XImage* block = XCreateImage(display, DefaultVisual(display, 0), ScreenDepth(display), ZPixmap, 0,
                               nullptr, width, kRowsPerBlock, 32, 0);
  if (!block) return false;
  block->data = static_cast<char*>(malloc(size_t(block->bytes_per_line) * kRowsPerBlock));
  if (!block->data) {
    XDestroyImage(block);
    return false;
  }
  std::vector<unsigned long> line(width);
  for (int row = 0; row < height; row += kRowsPerBlock) {
    krnHookEvent(display, nullptr);
    int rows = height - row < kRowsPerBlock ? height - row : kRowsPerBlock;
    for (int k = 0; k < rows; ++k) {
      source(row + k, line.data());
      for (int x = 0; x < width; ++x) XPutPixel(block, x, rows - 1 - k, line[x]);
    }
    XPutImage(display, pixmap, gc, block, 0, 0, 0, height - row - rows, width, rows);
  }
  XDestroyImage(block);
  return true;
}

// Builds the picture's pixmap from its rows and wraps it in a record.
KrnImage* MakePictureImage(Display* display, int width, int height, int format,
                           const RowSource& source) {
  Pixmap pixmap = 0;
  GC gc = nullptr;
  if (!CreatePixmap(display, width, height, &pixmap, &gc)) return nullptr;
  KrnImage* image = nullptr;
  if (PutRowsBottomUp(display, pixmap, gc, width, height, source))
    image = NewImage(pixmap, 0, gc, width, height, format);
  else
    fputs("Error: Can't allocate memory.\n", stderr);
  if (image) return image;
  XFreeGC(display, gc);
  XFreePixmap(display, pixmap);
  return nullptr;
}

// ---- BMP ----------------------------------------------------------------

// Reads a whole file (at most kMaxBmpFileBytes); false when it cannot be
// opened or read.
bool ReadWholeFile(const char* path, std::vector<uint8_t>* bytes) {
  File file(fopen(path, "rb"));
  if (!file) return false;
  uint8_t chunk[65536];
  size_t got;
  while (bytes->size() < kMaxBmpFileBytes && (got = fread(chunk, 1, sizeof chunk, file.get())) > 0)
    bytes->insert(bytes->end(), chunk, chunk + got);
  return !ferror(file.get());
}

bool ReportBmpStatus(bmp::ParseResult status, const char* path) {
  std::string message = bmp::ParseMessage(status, path);
  if (message.empty()) return true;
  fputs(message.c_str(), stderr);
  return false;
}

// The pixels of a colour table (GetColorTable), one colour request per
// distinct colour.
std::vector<unsigned long> GetColorTable(Display* display, Colormap colormap,
                                         const std::vector<bmp::Rgb>& palette) {
  std::vector<unsigned long> pixels;
  pixels.reserve(palette.size());
  std::map<uint32_t, unsigned long> known;
  for (const bmp::Rgb& c : palette) {
    uint32_t key = (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | c.blue;
    auto found = known.find(key);
    if (found == known.end())
      found = known.emplace(key, krnGetColor(display, colormap, c.red, c.green, c.blue)).first;
    pixels.push_back(found->second);
  }
  return pixels;
}

KrnImage* ReadFileToBmpImage(Display* display, const char* path, Colormap colormap) {
  std::vector<uint8_t> bytes;
  if (!path || !ReadWholeFile(path, &bytes)) {
    fprintf(stderr, "Error: Can't open Bitmap file (%s).\n", path ? path : "(null)");
    return nullptr;
  }
  bmp::Bitmap bitmap;
  if (!ReportBmpStatus(bmp::Parse(bytes.data(), bytes.size(), &bitmap), path)) return nullptr;
  std::vector<uint32_t> samples(bitmap.width);
  RowSource source;
  std::vector<unsigned long> table;
  PixelMaker pixelOf(display, colormap);
  if (bitmap.bits <= 8) {
    table = GetColorTable(display, colormap, bitmap.palette);
    source = [&](int row, unsigned long* out) {
      bmp::RowSamples(bitmap, row, samples.data());
      for (int x = 0; x < bitmap.width; ++x) out[x] = table[samples[x]];
    };
  } else {
    source = [&](int row, unsigned long* out) {
      bmp::RowSamples(bitmap, row, samples.data());
      for (int x = 0; x < bitmap.width; ++x) {
        uint32_t s = samples[x];
        out[x] = pixelOf((s >> 16) & 0xFF, (s >> 8) & 0xFF, s & 0xFF);
      }
    };
  }
  return MakePictureImage(display, bitmap.width, bitmap.height, bmp::FormatOfBits(bitmap.bits),
                          source);
}

// ---- JPEG ---------------------------------------------------------------

// Decodes with the JPEG bridge and lays the buffer out like a 24-bit BMP
// (rows padded to 4 bytes, bottom row first, blue-green-red) before drawing.
KrnImage* ReadFileToJpgImage(Display* display, const char* path, Colormap colormap) {
  unsigned int width = 0, height = 0;
  std::unique_ptr<unsigned char, FreeDeleter> rgb(JpegFileToRGB(path, &width, &height));
  if (!rgb) return nullptr;
  unsigned int rowSize = 0;
  std::unique_ptr<unsigned char, FreeDeleter> bgr(
      MakeDwordAlignedBuf(rgb.get(), width, height, &rowSize));
  rgb.reset();
  if (!bgr || !VertFlipBuf(bgr.get(), rowSize, height) ||
      !BGRFromRGB(bgr.get(), width, rowSize, height))
    return nullptr;
  PixelMaker pixelOf(display, colormap);
  RowSource source = [&](int row, unsigned long* out) {
    const unsigned char* p = bgr.get() + size_t(rowSize) * row;
    for (unsigned int x = 0; x < width; ++x, p += 3) out[x] = pixelOf(p[2], p[1], p[0]);
  };
  return MakePictureImage(display, static_cast<int>(width), static_cast<int>(height),
                          KRN_IMAGE_JPEG, source);
}

bool EndsWith(const std::string& name, const char* suffix) {
  size_t n = strlen(suffix);
  return name.size() >= n && name.compare(name.size() - n, n, suffix) == 0;
}

// ---- drawing -------------------------------------------------------------

// Readies the image's GC for a copy whose source origin lands at (ox, oy):
// clip origin there, the mask as clip (when withMask), copy function and the
// background colour as foreground and background.
void PrepareGC(Display* display, KrnImage* image, int ox, int oy, bool withMask) {
  XSetClipOrigin(display, image->gc, ox, oy);
  if (withMask) XSetClipMask(display, image->gc, image->mask ? image->mask : None);
  XSetFunction(display, image->gc, GXcopy);
  XSetForeground(display, image->gc, g_korrin.setColors[KRN_SC_BACK]);
  XSetBackground(display, image->gc, g_korrin.setColors[KRN_SC_BACK]);
}

bool CanDraw(Display* display, KrnImage* image) {
  return display && image && image->gc;
}

}  // namespace

// Format id of a file by its name's ending; BMP files by their header.
int krnCheckImageFormat(const char* path) {
  if (!path) return KRN_IMAGE_NONE;
  std::string name(path);
  if (EndsWith(name, ".bmp") || EndsWith(name, ".BMP")) {
    File file(fopen(path, "rb"));
    if (!file) return KRN_IMAGE_NONE;
    uint8_t header[bmp::kHeaderBytes];
    size_t got = fread(header, 1, sizeof header, file.get());
    bmp::FileHeader fileHeader;
    bmp::InfoHeader info;
    if (!bmp::ReadHeader(header, got, &fileHeader, &info) || info.compression != 0)
      return KRN_IMAGE_NONE;
    return bmp::FormatOfBits(info.bitCount);
  }
  if (EndsWith(name, ".jpg") || EndsWith(name, ".JPG") || EndsWith(name, ".jpeg") ||
      EndsWith(name, ".JPEG"))
    return KRN_IMAGE_JPEG;
  return KRN_IMAGE_XPM;
}

// Loads a picture file of the given format id: a new record, or null after
// one message.
KrnImage* krnLoadImage(Display* display, const char* path, Colormap colormap, int format) {
  if (!display) return nullptr;
  switch (format) {
    case KRN_IMAGE_BMP1:
    case KRN_IMAGE_BMP4:
    case KRN_IMAGE_BMP8:
    case KRN_IMAGE_BMP24:
    case KRN_IMAGE_BMP:
      return ReadFileToBmpImage(display, path, colormap);
    case KRN_IMAGE_XPM:
      if (path) return ReadXpm(display, path, nullptr, path);
      fprintf(stderr, "Error: Can't read file (%s) [%s].\n", "(null)",
              XpmStatusName(XpmOpenFailed));
      return nullptr;
    case KRN_IMAGE_JPEG:
      return ReadFileToJpgImage(display, path, colormap);
    default:
      fputs("Error: This Image format is not support. sorry...\n", stderr);
      return nullptr;
  }
}

// Builds an image from in-memory XPM data (the colour map is not used).
KrnImage* krnLoadImageFromData(Display* display, const char* const* data, Colormap) {
  if (!display) return nullptr;
  if (!data) {
    fprintf(stderr, "Error: Can't read data (%s) [%s].\n", "null", XpmStatusName(XpmFileInvalid));
    fflush(stderr);
    return nullptr;
  }
  return ReadXpm(display, nullptr, data, DataLabel(data));
}

// Frees the pixmap, mask and GC of an image and the record; 1.
int krnFreeImage(Display* display, KrnImage* image) {
  if (!image) return 1;
  if (display) {
    if (image->pixmap) XFreePixmap(display, image->pixmap);
    if (image->mask) XFreePixmap(display, image->mask);
    if (image->gc) XFreeGC(display, image->gc);
  }
  free(image);
  return 1;
}

// A new opaque pixmap: the masked image over the background colour; 0 for
// a null image or one without mask.  The caller owns the pixmap.
Pixmap krnCreateMaskImage(Display* display, KrnImage* image) {
  if (!CanDraw(display, image) || !image->mask) return 0;
  Pixmap pixmap =
      XCreatePixmap(display, Root(display), image->width, image->height, ScreenDepth(display));
  if (!pixmap) return 0;
  PrepareGC(display, image, 0, 0, false);
  XSetClipMask(display, image->gc, None);
  XFillRectangle(display, pixmap, image->gc, 0, 0, image->width, image->height);
  XSetClipMask(display, image->gc, image->mask);
  XCopyArea(display, image->pixmap, pixmap, image->gc, 0, 0, image->width, image->height, 0, 0);
  return pixmap;
}

// Copies part of an image with the given GC, or with the image's own one
// prepared as krnDrawImage does when gc is null.
int krnDrawImageEx(Display* display, Drawable d, GC gc, int x, int y, KrnImage* image, int sx,
                   int sy, int width, int height) {
  if (!CanDraw(display, image)) return 0;
  if (!gc) {
    PrepareGC(display, image, x - sx, y - sy, true);
    gc = image->gc;
  }
  if (width > 0 && height > 0)
    XCopyArea(display, image->pixmap, d, gc, sx, sy, width, height, x, y);
  return 1;
}

// Draws the whole image at (x, y) through its mask.
int krnDrawIcon(Display* display, Drawable d, int x, int y, KrnImage* image) {
  if (!CanDraw(display, image)) return 0;
  return krnDrawImage(display, d, x, y, image, 0, 0, image->width, image->height);
}

// Draws the part (sx, sy, width, height) of the image at (x, y) through its
// mask.
int krnDrawImage(Display* display, Drawable d, int x, int y, KrnImage* image, int sx, int sy,
                 int width, int height) {
  return krnDrawImageEx(display, d, nullptr, x, y, image, sx, sy, width, height);
}

// As krnDrawImage, limited to the clip rectangle.
int krnDrawImageRRg(Display* display, Drawable d, KrnRect clip, int x, int y, KrnImage* image,
                    int sx, int sy, int width, int height) {
  if (!CanDraw(display, image)) return 0;
  KrnRect in = krnGetInRect(krnSetRect(x, y, width, height), clip);
  PrepareGC(display, image, x - sx, y - sy, true);
  if (krnIsEmptyRect(in)) return 1;
  XCopyArea(display, image->pixmap, d, image->gc, sx + in.x - x, sy + in.y - y, in.width, in.height,
            in.x, in.y);
  return 1;
}

// As krnDrawImage, clipped to the region (relative to the image's origin)
// instead of the mask; a null region leaves the GC's clip as it was.
int krnDrawImageRg(Display* display, Drawable d, Region region, int x, int y, KrnImage* image,
                   int sx, int sy, int width, int height) {
  if (!CanDraw(display, image)) return 0;
  // XSetRegion resets the clip origin, so the origin is set after it.
  if (region) XSetRegion(display, image->gc, region);
  PrepareGC(display, image, x - sx, y - sy, false);
  if (width > 0 && height > 0)
    XCopyArea(display, image->pixmap, d, image->gc, sx, sy, width, height, x, y);
  return 1;
}
