// Small X helpers shared by the toolkit's modules: the width callbacks that
// feed the glyph walker with real font metrics, and a one-rectangle region.
#ifndef KRN_SUPPORT_XMEASURE_H
#define KRN_SUPPORT_XMEASURE_H

#include <korrin.h>

namespace krnx {

// The fonts a measurement uses: the single-byte font for single bytes and
// the double-byte font (JIS-indexed) for pairs.
struct FontPair {
  XFontStruct* single;
  XFontStruct* kanji;
};

inline int SingleWidth(void* context, unsigned char byte) {
  char c = static_cast<char>(byte);
  return XTextWidth(static_cast<FontPair*>(context)->single, &c, 1);
}

inline int PairWidth(void* context, unsigned char row, unsigned char cell) {
  XChar2b c{row, cell};
  return XTextWidth16(static_cast<FontPair*>(context)->kanji, &c, 1);
}

// Drawing reads the bytes in the code detected from them, unless a code is
// given: the editor's rows are in the working code, whatever they look like.
constexpr int kDetectCode = -1;

// The text controls' tab stops (every eight space widths from the left
// edge of a row, charcode::MeasureFrom) on the X side.
// Draws like krnDrawNTextRRg with the session's fonts, except that a tab
// shows no glyph (opaque text still fills its cell) and reaches the next
// stop counted from tabOrigin, the x of its row's left edge.
int DrawTabbedText(Display* display, Drawable d, KrnRect clip, unsigned long foreground,
                   unsigned long background, int x, int y, const unsigned char* bytes, int length,
                   int tabOrigin, int code = kDetectCode);
// count lines in one colour, each drawn as krnDrawLineRRg draws it, under
// one clip set up once.  1, or 0 when there is nowhere to draw.
int DrawLinesRRg(Display* display, Drawable d, KrnRect clip, unsigned long pixel,
                 const KrnRect* lines, int count);

// Rows of transparent text in one colour under one clip, drawn as
// DrawTabbedText with KRN_TRANSPARENT draws them, with the shared text GCs
// set up once for all rows (a repaint of several lines) instead of once
// per row; they are left reset when it goes.  While one lives, nothing
// else may draw with gcText or gcTextKanji.
class TextRows {
 public:
  TextRows(Display* display, Drawable d, KrnRect clip, unsigned long foreground);
  ~TextRows();
  TextRows(const TextRows&) = delete;
  TextRows& operator=(const TextRows&) = delete;
  // 1, or 0 when there is nothing to draw or nowhere to.
  int Draw(int x, int y, const unsigned char* bytes, int length, int tabOrigin,
           int code = kDetectCode);

 private:
  Display* display_;
  Drawable d_;
  KrnRect clip_;
  unsigned long foreground_;
  bool ready_ = false;
};

// Width of length bytes in the session's fonts (the code detected from
// them, as krnTextNWidth) when the first starts x pixels right of its
// row's left edge.
int TabbedWidth(const unsigned char* bytes, int length, int x);

// A region holding one rectangle; the caller destroys it.
inline Region RectRegion(KrnRect rect) {
  Region region = XCreateRegion();
  if (region) XUnionRectWithRegion(&rect, region, region);
  return region;
}

}  // namespace krnx

#endif
