/*
 * jpeg.cpp - the bridge between the toolkit and libjpeg.
 *
 * Decodes a JPEG file into a packed 24-bit RGB buffer, reads its size,
 * encodes an RGB buffer into a colour or grey JPEG file, and converts
 * buffers so that the image loader can treat a decoded picture like a
 * 24-bit BMP (rows padded to 4 bytes, bottom row first, blue-green-red).
 *
 * libjpeg reports fatal errors by calling an exit routine that must not
 * return; ours jumps back to the bridge function that started the work.
 * Functions that set a jump target hold only plain C objects, so the jump
 * skips no destructor.
 */
#include <korrin.h>

#include <climits>
#include <cstdint>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

// Largest decoded picture accepted, in bytes of RGB data.  A header may
// claim up to 65500 x 65500 pixels (12 GB); refusing such sizes up front
// keeps a hostile or damaged file from exhausting memory.
constexpr size_t kMaxRgbBytes = size_t(512) << 20;

// libjpeg's standard error manager extended by the jump target.
struct KrnJpegError {
  jpeg_error_mgr pub;
  jmp_buf target;
};

// Fatal libjpeg error: report it and return to the bridge function.
[[noreturn]] void my_error_exit(j_common_ptr object) {
  char text[JMSG_LENGTH_MAX];
  (*object->err->format_message)(object, text);
  fprintf(stderr, "Error: JPEG - Fatal (%s)\n", text);
  KrnJpegError* error = reinterpret_cast<KrnJpegError*>(object->err);
  longjmp(error->target, 1);
}

// libjpeg's warnings (damaged data it can decode around) in the toolkit's
// diagnostic form.
void OutputMessage(j_common_ptr object) {
  char text[JMSG_LENGTH_MAX];
  (*object->err->format_message)(object, text);
  fprintf(stderr, "Warning: JPEG - %s\n", text);
}

void InstallErrorManager(KrnJpegError* error, j_common_ptr object) {
  object->err = jpeg_std_error(&error->pub);
  error->pub.error_exit = my_error_exit;
  error->pub.output_message = OutputMessage;
}

// Size of a row padded to a multiple of 4 bytes.  Computed in 64 bits: a
// 16-bit row size would wrap for pictures wider than 2730 pixels.
size_t AlignedRowSize(unsigned int width) {
  return ((size_t(width) * 24 + 31) >> 5) << 2;
}

// CMYK as libjpeg returns it (inverted, the Adobe convention) to RGB.
int j_putCmykScanlineToRGB(const unsigned char* row, int width, unsigned char* buffer,
                           int rowIndex) {
  unsigned char* out = buffer + size_t(width) * 3 * rowIndex;
  for (int x = 0; x < width; ++x, row += 4) {
    unsigned int k = row[3];
    for (int c = 0; c < 3; ++c) *out++ = static_cast<unsigned char>((row[c] * k + 127) / 255);
  }
  return width;
}

// Stores the scanline just read at its row of the RGB buffer.
void StoreScanline(const jpeg_decompress_struct& info, const unsigned char* row,
                   unsigned char* buffer) {
  int width = static_cast<int>(info.output_width);
  int index = static_cast<int>(info.output_scanline) - 1;
  switch (info.output_components) {
    case 3:
      j_putRGBScanline(row, width, buffer, index);
      break;
    case 1:
      j_putGrayScanlineToRGB(row, width, buffer, index);
      break;
    case 4:
      j_putCmykScanlineToRGB(row, width, buffer, index);
      break;
    default:
      break;  // the buffer was zeroed: such rows stay black
  }
}

// Allocates count x size bytes; reports and gives null when the product
// overflows or memory runs out.
unsigned char* AllocateOrReport(size_t count, size_t size) {
  size_t bytes = 0;
  unsigned char* data = nullptr;
  if (!__builtin_mul_overflow(count, size, &bytes))
    data = static_cast<unsigned char*>(malloc(bytes ? bytes : 1));
  if (!data) fputs("Error: JPEG - Can't allocate memory.\n", stderr);
  return data;
}

}  // namespace

// Copies one decoded RGB row into row rowIndex of the buffer.
int j_putRGBScanline(const unsigned char* row, int width, unsigned char* buffer, int rowIndex) {
  size_t rowBytes = size_t(width) * 3;
  memcpy(buffer + rowBytes * rowIndex, row, rowBytes);
  return width;
}

// Copies one decoded grey row into row rowIndex, each grey byte three times.
int j_putGrayScanlineToRGB(const unsigned char* row, int width, unsigned char* buffer,
                           int rowIndex) {
  unsigned char* out = buffer + size_t(width) * 3 * rowIndex;
  for (int x = 0; x < width; ++x) {
    *out++ = row[x];
    *out++ = row[x];
    *out++ = row[x];
  }
  return width;
}

// Decodes a JPEG file into a new RGB buffer; null (width and height 0) on
// failure, after one message.
unsigned char* JpegFileToRGB(const char* path, unsigned int* width, unsigned int* height) {
  *width = 0;
  *height = 0;
  FILE* file = path ? fopen(path, "rb") : nullptr;
  if (!file) {
    fprintf(stderr, "Error : JPEG - Can't open %s\n", path ? path : "(null)");
    return nullptr;
  }
  jpeg_decompress_struct info;
  KrnJpegError error;
  unsigned char* volatile buffer = nullptr;
  InstallErrorManager(&error, reinterpret_cast<j_common_ptr>(&info));
  if (setjmp(error.target)) {
    jpeg_destroy_decompress(&info);
    fclose(file);
    free(buffer);
    *width = 0;
    *height = 0;
    return nullptr;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);

  size_t bytes = size_t(info.output_width) * 3 * info.output_height;
  if (bytes <= kMaxRgbBytes) buffer = static_cast<unsigned char*>(calloc(bytes ? bytes : 1, 1));
  if (!buffer) {
    fputs("Error: JPEG - Out of memory\n", stderr);
    jpeg_destroy_decompress(&info);
    fclose(file);
    return nullptr;
  }
  *width = info.output_width;
  *height = info.output_height;
  JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                             info.output_width * info.output_components, 1);
  while (info.output_scanline < info.output_height) {
    jpeg_read_scanlines(&info, row, 1);
    StoreScanline(info, row[0], buffer);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  fclose(file);
  return buffer;
}

// Reads the image size from a JPEG file's header: 1, or 0 on failure.
int GetJPGDimensions(const char* path, unsigned int* width, unsigned int* height) {
  FILE* file = path ? fopen(path, "rb") : nullptr;
  if (!file) {
    fprintf(stderr, "Error: JPEG - Can't open %s\n", path ? path : "(null)");
    return 0;
  }
  jpeg_decompress_struct info;
  KrnJpegError error;
  InstallErrorManager(&error, reinterpret_cast<j_common_ptr>(&info));
  if (setjmp(error.target)) {
    jpeg_destroy_decompress(&info);
    fclose(file);
    return 0;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  *width = info.image_width;
  *height = info.image_height;
  jpeg_destroy_decompress(&info);
  fclose(file);
  return 1;
}

namespace {

// Grey copy of a packed RGB buffer: (red + green + blue) / 3 per pixel.
unsigned char* MakeGrayBuffer(const unsigned char* data, unsigned int width, unsigned int height) {
  size_t pixels = size_t(width) * height;
  unsigned char* grey = AllocateOrReport(width, height);
  if (!grey) return nullptr;
  for (size_t i = 0; i < pixels; ++i, data += 3) grey[i] = (data[0] + data[1] + data[2]) / 3;
  return grey;
}

}  // namespace

// Writes an RGB buffer as a JPEG file, in colour or (color 0) in grey: 1 when
// the file was written, else 0.
int RGBToJpegFile(const char* path, const unsigned char* data, unsigned int width,
                  unsigned int height, int color, int quality) {
  if (!path || !data || width == 0 || height == 0) return 0;
  unsigned char* volatile grey = nullptr;
  if (!color && !(grey = MakeGrayBuffer(data, width, height))) return 0;

  jpeg_compress_struct info;
  KrnJpegError error;
  FILE* volatile file = nullptr;
  InstallErrorManager(&error, reinterpret_cast<j_common_ptr>(&info));
  if (setjmp(error.target)) {
    jpeg_destroy_compress(&info);
    if (file) fclose(file);
    free(grey);
    return 0;
  }
  jpeg_create_compress(&info);
  file = fopen(path, "wb");
  if (!file) {
    fprintf(stderr, "Error: JPEG - Can't open %s\n", path);
    jpeg_destroy_compress(&info);
    free(grey);
    return 0;
  }
  jpeg_stdio_dest(&info, file);
  info.image_width = width;
  info.image_height = height;
  info.input_components = color ? 3 : 1;
  info.in_color_space = color ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  const unsigned char* rows = color ? data : grey;
  size_t rowBytes = size_t(width) * info.input_components;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rows + rowBytes * info.next_scanline);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  fclose(file);
  jpeg_destroy_compress(&info);
  free(grey);
  return 1;
}

// New copy of a packed RGB buffer with every row padded to 4 bytes; the row
// size is stored in rowSize.  Padding bytes are zero.
unsigned char* MakeDwordAlignedBuf(const unsigned char* data, unsigned int width,
                                   unsigned int height, unsigned int* rowSize) {
  if (!data) return nullptr;
  size_t stride = AlignedRowSize(width);  // beyond 32 bits the product overflows: refused
  unsigned char* aligned = AllocateOrReport(stride <= UINT_MAX ? stride : SIZE_MAX, height);
  if (!aligned) return nullptr;
  size_t rowBytes = size_t(width) * 3;
  for (unsigned int y = 0; y < height; ++y) {
    unsigned char* out = aligned + stride * y;
    memcpy(out, data + rowBytes * y, rowBytes);
    memset(out + rowBytes, 0, stride - rowBytes);
  }
  if (rowSize) *rowSize = static_cast<unsigned int>(stride);
  return aligned;
}

// New packed RGB buffer from an aligned one.
unsigned char* RGBFromDWORDAligned(const unsigned char* data, unsigned int width,
                                   unsigned int rowSize, unsigned int height) {
  if (!data) return nullptr;
  size_t rowBytes = size_t(width) * 3;
  if (rowSize < rowBytes) return nullptr;
  unsigned char* packed = AllocateOrReport(rowBytes, height);
  if (!packed) return nullptr;
  for (unsigned int y = 0; y < height; ++y)
    memcpy(packed + rowBytes * y, data + size_t(rowSize) * y, rowBytes);
  return packed;
}

// Turns the rows of a buffer upside down in place: 1, or 0 for null data.
int VertFlipBuf(unsigned char* data, unsigned int rowSize, unsigned int height) {
  if (!data) return 0;
  unsigned char* scratch = AllocateOrReport(rowSize, 1);
  if (!scratch) return 0;
  for (unsigned int top = 0, bottom = height; top + 1 < bottom; ++top, --bottom) {
    unsigned char* a = data + size_t(rowSize) * top;
    unsigned char* b = data + size_t(rowSize) * (bottom - 1);
    memcpy(scratch, a, rowSize);
    memcpy(a, b, rowSize);
    memcpy(b, scratch, rowSize);
  }
  free(scratch);
  return 1;
}

// Swaps the first and third byte of every pixel in place (RGB <-> BGR).
int BGRFromRGB(unsigned char* data, unsigned int width, unsigned int rowSize, unsigned int height) {
  if (!data) return 0;
  for (unsigned int y = 0; y < height; ++y) {
    unsigned char* p = data + size_t(rowSize) * y;
    for (unsigned int x = 0; x < width; ++x, p += 3) {
      unsigned char red = p[0];
      p[0] = p[2];
      p[2] = red;
    }
  }
  return 1;
}

// Replaces every pixel of a packed RGB buffer by its grey value.
int MakeGrayScale(unsigned char* data, unsigned int width, unsigned int height) {
  if (!data) return 0;
  size_t pixels = size_t(width) * height;
  for (size_t i = 0; i < pixels; ++i, data += 3) {
    unsigned char grey = static_cast<unsigned char>((data[0] + data[1] + data[2]) / 3);
    data[0] = data[1] = data[2] = grey;
  }
  return 1;
}
