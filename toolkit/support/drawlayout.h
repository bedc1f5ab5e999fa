// drawlayout.h - where the drawing primitives put things, without X: the
// characters of a mixed single-byte / two-byte text with their x positions
// (measured through the same glyph walker as every text width), the text
// row's height and baseline, and the content of a push-button face.
#ifndef KRN_SUPPORT_DRAWLAYOUT_H
#define KRN_SUPPORT_DRAWLAYOUT_H

#include <climits>
#include <vector>

#include "support/charcode.h"

namespace drawlayout {

// One character of a text as it is drawn: a single byte of the single-byte
// font or one JIS character of the double-byte font.
struct PlacedGlyph {
  int x;                  // left edge of the character cell
  int width;              // advance of the character
  charcode::Glyph glyph;  // what is drawn (kind kGlyphSingle or kGlyphPair)
  bool blank;             // a tab: only its cell, no glyph
};

// tabOrigin of a text whose tabs are characters like any other.
constexpr int kNoTabs = INT_MIN;

// The characters drawn for length bytes of the detected code, placed one
// after another from x.  Control bytes of binary text become "?"; carriage
// returns in ASCII and Shift_JIS text are skipped without advancing; a lead
// byte without its second byte is dropped.  With a tabOrigin (the x of the
// row's left edge) a tab is blank and reaches the next tab stop counted
// from there.  Never reads past length.
std::vector<PlacedGlyph> PlaceGlyphs(const charcode::CharMeter& meter, const unsigned char* bytes,
                                     int length, int code, int x, int tabOrigin = kNoTabs);

// Vertical metrics of one text row drawn with two fonts.
struct FontMetrics {
  int ascent;
  int descent;
};
struct TextRow {
  int height;    // the taller font's ascent + descent
  int baseline;  // offset of the baseline below the row's top: the larger ascent
};
TextRow RowOf(FontMetrics single, FontMetrics kanji);

// Where a push button's content goes inside its rectangle.
struct ButtonFace {
  bool fill;    // pressed: the face is filled with the pressed colour
  bool raised;  // frame raised (up) or sunken (pressed)
  int imageX;   // image's top-left corner
  int imageY;
  int captionX;  // caption row's top-left corner
  int captionY;
};

// Input of ButtonFaceOf: the rectangle, the caption's width and row height,
// the image's size (imageWidth < 0: no image) and the pressed flag (only 1
// shifts and fills; any other non-zero value is drawn sunken as it is).
struct ButtonInput {
  int x, y, width, height;
  int captionWidth, captionHeight;
  int imageWidth, imageHeight;
  int pressed;
};
ButtonFace ButtonFaceOf(const ButtonInput& in);

}  // namespace drawlayout

#endif
