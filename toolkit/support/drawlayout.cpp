// drawlayout.cpp - placement arithmetic of the drawing primitives: the
// characters of a text run and their x positions, text row metrics and the
// push-button face.  No X here; draw.cpp turns the results into requests.
#include "support/drawlayout.h"

#include <algorithm>

namespace drawlayout {

namespace {

constexpr unsigned char kCarriageReturn = 0x0D;

// Carriage returns take no room in ASCII and Shift_JIS text; EUC-JP and
// binary text draw them as ordinary single bytes.
bool SkipsCarriageReturn(int code) {
  return code == charcode::kAscii || code == charcode::kSjis;
}

// Gap between a button's image and its caption.
constexpr int kImageCaptionGap = 3;

}  // namespace

std::vector<PlacedGlyph> PlaceGlyphs(const charcode::CharMeter& meter, const unsigned char* bytes,
                                     int length, int code, int x, int tabOrigin) {
  std::vector<PlacedGlyph> placed;
  if (!bytes || length <= 0) return placed;
  placed.reserve(static_cast<size_t>(length));
  const bool skipCR = SkipsCarriageReturn(code);
  for (int pos = 0; pos < length;) {
    if (skipCR && bytes[pos] == kCarriageReturn) {
      pos++;
      continue;
    }
    charcode::Glyph glyph = charcode::GlyphAt(bytes, length, pos, code);
    pos += glyph.size;
    if (glyph.kind == charcode::kGlyphNone) continue;
    bool tab = tabOrigin != kNoTabs && charcode::IsTab(glyph);
    int width =
        tab ? charcode::AdvanceAt(meter, glyph, x - tabOrigin) : charcode::GlyphWidth(meter, glyph);
    placed.push_back({x, width, glyph, tab});
    x += width;
  }
  return placed;
}

TextRow RowOf(FontMetrics single, FontMetrics kanji) {
  return {std::max(single.ascent + single.descent, kanji.ascent + kanji.descent),
          std::max(single.ascent, kanji.ascent)};
}

ButtonFace ButtonFaceOf(const ButtonInput& in) {
  const bool hasImage = in.imageWidth >= 0;
  int content = in.captionWidth, offset = 0;
  if (hasImage && in.captionWidth > 0) {
    content = in.imageWidth + kImageCaptionGap + in.captionWidth;
    offset = in.imageWidth + kImageCaptionGap;
  } else if (hasImage) {
    content = in.imageWidth;
  }
  const int shift = in.pressed == 1 ? 1 : 0;
  // Integer division truncates toward zero, so content wider than the
  // button overhangs both sides by about the same amount.
  const int left = in.x + shift + (in.width - content) / 2;
  ButtonFace face;
  face.fill = in.pressed == 1;
  face.raised = in.pressed == 0;
  face.imageX = left;
  face.imageY = in.y + shift + (in.height - in.imageHeight) / 2;
  face.captionX = left + offset;
  face.captionY = in.y + shift + (in.height - in.captionHeight) / 2;
  return face;
}

}  // namespace drawlayout
