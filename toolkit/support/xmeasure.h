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

// A region holding one rectangle; the caller destroys it.
inline Region RectRegion(KrnRect rect) {
  Region region = XCreateRegion();
  if (region) XUnionRectWithRegion(&rect, region, region);
  return region;
}

}  // namespace krnx

#endif
