// Images on a private 24-bit server: BMP files made by ImageMagick and JPEG
// files load into pixmaps whose pixels equal ImageMagick's and djpeg's own
// decoding; damaged files are refused with one message each; XPM data keeps
// its mask; the drawing functions copy through masks, clip rectangles and
// regions; the event loop gets its turn while a picture loads.
#include <cstdio>
#include <string>
#include <vector>

#include "xharness.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;

std::string Shell(const std::string& command) {
  int status = 0;
  std::string out = krntest::Run(command, &status);
  EXPECT_EQ(status, 0) << command;
  return out;
}

// 0xRRGGBB pixels of raw RGB bytes.
std::vector<unsigned long> PixelsOfRgb(const std::string& rgb) {
  std::vector<unsigned long> pixels;
  for (size_t i = 0; i + 2 < rgb.size(); i += 3)
    pixels.push_back((static_cast<unsigned char>(rgb[i]) << 16) |
                     (static_cast<unsigned char>(rgb[i + 1]) << 8) |
                     static_cast<unsigned char>(rgb[i + 2]));
  return pixels;
}

std::vector<unsigned long> PixmapPixels(KrnImage* image) {
  return krntest::Pixels(image->pixmap, 0, 0, image->width, image->height);
}

struct ImageDeleter {
  void operator()(KrnImage* image) const { krnFreeImage(Dpy(), image); }
};
using ImagePtr = std::unique_ptr<KrnImage, ImageDeleter>;

class ImageTest : public ::testing::Test {
 protected:
  // Writes a picture through ImageMagick; source is a built-in pattern, opts
  // ends in a space or in an output format prefix such as "BMP3:".
  std::string Make(const std::string& name, const std::string& source, const std::string& opts) {
    std::string path = dir_.file(name);
    Shell("convert " + source + " " + opts + "'" + path + "'");
    return path;
  }
  // Loads a file expecting failure; returns what was printed.
  std::string LoadFails(const std::string& path, int format) {
    testing::internal::CaptureStderr();
    KrnImage* image = krnLoadImage(Dpy(), path.c_str(), g_korrin.colormap, format);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(image, nullptr) << path;
    krnFreeImage(Dpy(), image);
    return err;
  }
  krntest::TempDir dir_;
};

struct BmpCase {
  const char* name;
  const char* options;  // ImageMagick options selecting the layout
  int format;
};

const BmpCase kBmpCases[] = {
    {"one.bmp", "-monochrome BMP3:", KRN_IMAGE_BMP1},
    {"four.bmp", "-colors 16 -type Palette BMP3:", KRN_IMAGE_BMP4},
    {"eight.bmp", "-colors 200 -type Palette -compress None BMP3:", KRN_IMAGE_BMP8},
    {"true.bmp", "-type TrueColor BMP3:", KRN_IMAGE_BMP24},
    {"v5.bmp", "-type TrueColor BMP:", KRN_IMAGE_BMP24},  // 124-byte information header
};

// Each depth, at an odd width so that every row has padding, loads into the
// pixels ImageMagick decodes from the same file.
TEST_F(ImageTest, BmpPixelsEqualImageMagicksDecoding) {
  std::string source = "-size 37x13 plasma:fractal -seed 5";
  for (const BmpCase& c : kBmpCases) {
    SCOPED_TRACE(c.name);
    std::string path = dir_.file(c.name);
    Shell("convert " + source + " " + c.options + "'" + path + "'");
    EXPECT_EQ(krnCheckImageFormat(path.c_str()), c.format);
    ImagePtr image(krnLoadImage(Dpy(), path.c_str(), g_korrin.colormap, c.format));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 37);
    EXPECT_EQ(image->height, 13);
    EXPECT_EQ(image->format, c.format);
    EXPECT_EQ(image->mask, 0u);
    std::vector<unsigned long> expected =
        PixelsOfRgb(Shell("convert '" + path + "' -depth 8 rgb:-"));
    EXPECT_EQ(PixmapPixels(image.get()), expected);
  }
}

TEST_F(ImageTest, JpegPixelsEqualDjpeg) {
  std::string path = Make("photo.jpg", "-size 45x29 plasma:fractal -seed 9", "-quality 80 ");
  EXPECT_EQ(krnCheckImageFormat(path.c_str()), KRN_IMAGE_JPEG);
  ImagePtr image(krnLoadImage(Dpy(), path.c_str(), g_korrin.colormap, KRN_IMAGE_JPEG));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->format, KRN_IMAGE_JPEG);
  EXPECT_EQ(image->mask, 0u);
  std::string ppm = Shell("djpeg -ppm '" + path + "'");
  ASSERT_EQ(ppm.compare(0, 12, "P6\n45 29\n255"), 0);
  EXPECT_EQ(PixmapPixels(image.get()), PixelsOfRgb(ppm.substr(ppm.size() - 45 * 29 * 3)));
}

TEST_F(ImageTest, FormatIsDetectedByTheNamesEnding) {
  std::string bmp24 = Make(".bmp", "-size 3x2 xc:red", "-type TrueColor BMP3:");
  std::string bmpUpper = Make("PIC.BMP", "-size 3x2 xc:red", "-monochrome BMP3:");
  std::string rle = Make("rle.bmp", "-size 8x8 xc:red", "-colors 16 -compress RLE BMP3:");
  const struct {
    std::string path;
    int format;
  } cases[] = {
      {bmp24, KRN_IMAGE_BMP24},     {bmpUpper, KRN_IMAGE_BMP1},
      {rle, KRN_IMAGE_NONE},        {dir_.file("missing.bmp"), KRN_IMAGE_NONE},
      {bmp24 + "x", KRN_IMAGE_XPM}, {"picture.Bmp", KRN_IMAGE_XPM},
      {"a.JPEG", KRN_IMAGE_JPEG},   {"a.jpeg", KRN_IMAGE_JPEG},
      {"a.JPG", KRN_IMAGE_JPEG},    {".jpg", KRN_IMAGE_JPEG},
      {"a.jpe", KRN_IMAGE_XPM},     {"icon.xpm", KRN_IMAGE_XPM},
  };
  for (const auto& c : cases) EXPECT_EQ(krnCheckImageFormat(c.path.c_str()), c.format) << c.path;
}

// Writes a copy of a file with the 32-bit little-endian value v at offset at
// (or a 16-bit one when bytes is 2), or cut to a length.
std::string Patched(const std::string& data, size_t at, uint32_t v, int bytes = 4) {
  std::string out = data;
  for (int i = 0; i < bytes; ++i) out[at + i] = char(v >> (8 * i));
  return out;
}

// BMP files the reader refuses: one message each, no picture.  Under the
// sanitizers this also shows that no byte past the data is read and no
// allocation follows the sizes the header claims.
TEST_F(ImageTest, DamagedBmpFilesAreRefusedWithOneMessageEach) {
  std::string good = krntest::ReadFile(
      Make("good.bmp", "-size 5x4 plasma:fractal -seed 1", "-type TrueColor BMP3:"));
  std::string rle = krntest::ReadFile(
      Make("rle8.bmp", "-size 9x9 plasma:fractal -seed 2", "-colors 40 -compress RLE BMP3:"));
  std::string fields =
      krntest::ReadFile(Make("565.bmp", "-size 5x4 xc:red", "-define bmp:subtype=RGB565 BMP3:"));
  const std::string notBmp = "Error: This file is not Bitmap format (%s).\n";
  const std::string compressed = "Error: Compression file is no support (%s).\n";
  const std::string rgbquad = "Error: Can't allocate memory (rgbquad color).\n";
  const struct {
    const char* name;
    std::string data;
    std::string message;
  } cases[] = {
      {"empty.bmp", "", notBmp},
      {"text.bmp", "just some text, long enough to fill a header or two......", notBmp},
      {"header.bmp", good.substr(0, 40), notBmp},
      {"rows.bmp", good.substr(0, good.size() - 20), notBmp},
      {"rle8.bmp", rle, compressed},
      {"bitfields.bmp", fields, compressed},
      {"sixteen.bmp", Patched(Patched(fields, 30, 0), 28, 16, 2), rgbquad},
      {"thirtytwo.bmp", Patched(good, 28, 32, 2), notBmp},
      {"topdown.bmp", Patched(good, 22, uint32_t(-4)), notBmp},
      {"zerowidth.bmp", Patched(good, 18, 0), notBmp},
      {"zeroheight.bmp", Patched(good, 22, 0), notBmp},
      {"negwidth.bmp", Patched(good, 18, uint32_t(-5)), notBmp},
      {"wide.bmp", Patched(good, 18, 0x7FFFFFFF), notBmp},
      {"tall.bmp", Patched(good, 22, 0x10000000), notBmp},
      {"offset.bmp", Patched(good, 10, 0xFFFFFF00), notBmp},
      {"infosize.bmp", Patched(good, 14, 0x7FFFFFFF), notBmp},
      {"planes.bmp", Patched(good, 26, 3, 2), notBmp},
  };
  for (const auto& c : cases) {
    std::string path = dir_.file(c.name);
    krntest::WriteFile(path, c.data);
    std::string message = c.message;
    size_t hole = message.find("%s");
    if (hole != std::string::npos) message.replace(hole, 2, path);
    EXPECT_EQ(LoadFails(path, KRN_IMAGE_BMP), message) << c.name;
  }
  std::string missing = dir_.file("missing.bmp");
  EXPECT_EQ(LoadFails(missing, KRN_IMAGE_BMP24),
            "Error: Can't open Bitmap file (" + missing + ").\n");
}

TEST_F(ImageTest, OtherLoadFailuresNameTheirCause) {
  EXPECT_EQ(LoadFails("whatever", KRN_IMAGE_NONE),
            "Error: This Image format is not support. sorry...\n");
  EXPECT_EQ(LoadFails("whatever", 8), "Error: This Image format is not support. sorry...\n");
  std::string missingJpeg = dir_.file("missing.jpg");
  EXPECT_EQ(LoadFails(missingJpeg, KRN_IMAGE_JPEG),
            "Error : JPEG - Can't open " + missingJpeg + "\n");
  std::string missingXpm = dir_.file("missing.xpm");
  EXPECT_EQ(LoadFails(missingXpm, KRN_IMAGE_XPM),
            "Error: Can't read file (" + missingXpm + ") [XpmOpenFailed].\n");
  // An unknown colour name without a fallback key: libXpm cannot colour the
  // pixel and the load fails with its status name.
  std::string unknownColour = dir_.file("colour.xpm");
  krntest::WriteFile(unknownColour,
                     "/* XPM */\nstatic char *x[] = {\n\"2 1 2 1\",\n\". c red\",\n"
                     "\"# c no-such-colour-name\",\n\".#\"};\n");
  EXPECT_EQ(LoadFails(unknownColour, KRN_IMAGE_XPM),
            "Error: Can't read file (" + unknownColour + ") [XpmColorFailed].\n");
  std::string garbage = dir_.file("garbage.xpm");
  krntest::WriteFile(garbage, "no picture here\n");
  EXPECT_EQ(LoadFails(garbage, KRN_IMAGE_XPM),
            "Error: Can't read file (" + garbage + ") [XpmFileInvalid].\n");
}

const char* const kIcon[] = {
    "4 2 3 1", "  c None", ". c #FF0000", "x c #0000FF", " .x.", "xx  ",
};

// Fills a new 24-bit pixmap with one colour.
Pixmap FilledPixmap(int w, int h, unsigned long pixel) {
  Pixmap p = XCreatePixmap(Dpy(), RootWindow(Dpy(), 0), w, h, g_korrin.depth);
  GC gc = XCreateGC(Dpy(), p, 0, nullptr);
  XSetForeground(Dpy(), gc, pixel);
  XFillRectangle(Dpy(), p, gc, 0, 0, w, h);
  XFreeGC(Dpy(), gc);
  return p;
}

constexpr unsigned long R = 0xFF0000, B = 0x0000FF, G = 0x00FF00;

TEST_F(ImageTest, XpmDataKeepsItsTransparency) {
  ImagePtr icon(krnLoadImageFromData(Dpy(), kIcon, g_korrin.colormap));
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->width, 4);
  EXPECT_EQ(icon->height, 2);
  EXPECT_EQ(icon->format, KRN_IMAGE_XPM);
  ASSERT_NE(icon->mask, 0u);
  Pixmap target = FilledPixmap(6, 4, G);
  EXPECT_EQ(krnDrawIcon(Dpy(), target, 1, 1, icon.get()), 1);
  std::vector<unsigned long> expected = {G, G, G, G, G, G,  //
                                         G, G, R, B, R, G,  //
                                         G, B, B, G, G, G,  //
                                         G, G, G, G, G, G};
  EXPECT_EQ(krntest::Pixels(target, 0, 0, 6, 4), expected);

  // The opaque copy shows the background colour where the icon is clear.
  Pixmap opaque = krnCreateMaskImage(Dpy(), icon.get());
  ASSERT_NE(opaque, 0u);
  unsigned long back = g_korrin.setColors[KRN_SC_BACK];
  EXPECT_EQ(krntest::Pixels(opaque, 0, 0, 4, 2),
            (std::vector<unsigned long>{back, R, B, R, B, B, back, back}));
  XFreePixmap(Dpy(), opaque);
  XFreePixmap(Dpy(), target);
}

TEST_F(ImageTest, BadXpmDataIsReported) {
  const char* const junk[] = {"junk"};
  testing::internal::CaptureStderr();
  EXPECT_EQ(krnLoadImageFromData(Dpy(), junk, g_korrin.colormap), nullptr);
  EXPECT_EQ(krnLoadImageFromData(Dpy(), nullptr, g_korrin.colormap), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: Can't read data (junk) [XpmFileInvalid].\n"
            "Error: Can't read data (null) [XpmFileInvalid].\n");
}

// A 4 x 2 picture without mask: left column red, the rest blue.
ImagePtr Opaque() {
  const char* const data[] = {"4 2 2 1", ". c #FF0000", "x c #0000FF", ".xxx", ".xxx"};
  return ImagePtr(krnLoadImageFromData(Dpy(), data, g_korrin.colormap));
}

TEST_F(ImageTest, PartsAndClipRectangles) {
  ImagePtr image = Opaque();
  ASSERT_TRUE(image);
  EXPECT_EQ(image->mask, 0u);
  EXPECT_EQ(krnCreateMaskImage(Dpy(), image.get()), 0u);

  // Part (0, 0, 2, 2) at (1, 0).
  Pixmap target = FilledPixmap(4, 2, G);
  krnDrawImage(Dpy(), target, 1, 0, image.get(), 0, 0, 2, 2);
  EXPECT_EQ(krntest::Pixels(target, 0, 0, 4, 1), (std::vector<unsigned long>{G, R, B, G}));
  XFreePixmap(Dpy(), target);

  // A clip rectangle over the right half of the destination copies only the
  // right half of the source part.
  target = FilledPixmap(4, 2, G);
  krnDrawImageRRg(Dpy(), target, krnSetRect(2, 0, 2, 2), 0, 0, image.get(), 0, 0, 4, 2);
  EXPECT_EQ(krntest::Pixels(target, 0, 0, 4, 1), (std::vector<unsigned long>{G, G, B, B}));
  krnDrawImageRRg(Dpy(), target, krnSetRect(0, 0, 1, 2), 1, 0, image.get(), 0, 0, 2, 2);
  EXPECT_EQ(krntest::Pixels(target, 0, 0, 4, 1), (std::vector<unsigned long>{G, G, B, B}))
      << "clip outside the destination copies nothing";
  XFreePixmap(Dpy(), target);

  // A region relative to the image's origin replaces the mask as clip.
  target = FilledPixmap(6, 2, G);
  Region region = XCreateRegion();
  XRectangle r = {0, 0, 1, 1};
  XUnionRectWithRegion(&r, region, region);
  krnDrawImageRg(Dpy(), target, region, 2, 0, image.get(), 0, 0, 4, 2);
  XDestroyRegion(region);
  EXPECT_EQ(krntest::Pixels(target, 0, 0, 6, 2),
            (std::vector<unsigned long>{G, G, R, G, G, G, G, G, G, G, G, G}));
  XFreePixmap(Dpy(), target);

  // Null images draw nothing and say so.
  EXPECT_EQ(krnDrawIcon(Dpy(), target, 0, 0, nullptr), 0);
  EXPECT_EQ(krnDrawImageEx(Dpy(), target, nullptr, 0, 0, nullptr, 0, 0, 1, 1), 0);
  EXPECT_EQ(krnCreateMaskImage(Dpy(), nullptr), 0u);
  EXPECT_EQ(krnFreeImage(Dpy(), nullptr), 1);
}

// While a picture loads, the event loop handles one pending event before
// every second row: a 21-row picture takes 11 events off the queue.
TEST_F(ImageTest, LoadingGivesTheEventLoopItsTurnEveryOtherRow) {
  std::string path = Make("rows.bmp", "-size 3x21 xc:navy", "-type TrueColor BMP3:");
  Window w = XCreateSimpleWindow(Dpy(), RootWindow(Dpy(), 0), 0, 0, 10, 10, 0, 0, 0);
  XSync(Dpy(), False);
  krntest::DrainEvents();
  for (int i = 0; i < 30; ++i) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.format = 32;
    e.xclient.message_type = XInternAtom(Dpy(), "KRN_TEST_TICK", False);
    XSendEvent(Dpy(), w, False, 0, &e);
  }
  XSync(Dpy(), False);
  ASSERT_EQ(XEventsQueued(Dpy(), QueuedAlready), 30);
  ImagePtr image(krnLoadImage(Dpy(), path.c_str(), g_korrin.colormap, KRN_IMAGE_BMP24));
  ASSERT_TRUE(image);
  EXPECT_EQ(XEventsQueued(Dpy(), QueuedAlready), 30 - 11);
  krntest::DrainEvents();
  XDestroyWindow(Dpy(), w);
}

}  // namespace
