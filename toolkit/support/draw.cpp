// draw.cpp - the toolkit's drawing primitives: 3-D rectangles and frames in
// the shades of the background colour, lines, push-button faces and mixed
// single-byte / two-byte text.  Everything is drawn with the session's
// shared GCs (gcFill, gcText, gcTextKanji), which every primitive leaves
// reset, so callers may rely on their base state.  Placement arithmetic
// lives in drawlayout.cpp, free of X.
#include <korrin.h>

#include <climits>
#include <cstring>
#include <utility>
#include <vector>

#include "support/charcode.h"
#include "support/xmeasure.h"
#include "support/drawlayout.h"

namespace {

// Every GC component from function through dash list (not the arc mode).
constexpr unsigned long kAllGCComponents = 0x3FFFFF;

bool CanDraw(Display* display, Drawable d) {
  return display && d && g_korrin.gcFill && g_korrin.gcText && g_korrin.gcTextKanji;
}

unsigned long SetColor(int slot) {
  return g_korrin.setColors[slot];
}

// Holds gcFill reset while a primitive draws with it: reset on entry and
// again on every way out.
class FillGCScope {
 public:
  FillGCScope() { krnResetGC(g_korrin.gcFill); }
  ~FillGCScope() { krnResetGC(g_korrin.gcFill); }
  FillGCScope(const FillGCScope&) = delete;
  FillGCScope& operator=(const FillGCScope&) = delete;
  GC gc() const { return g_korrin.gcFill; }
};

void Edge(Display* display, Drawable d, GC gc, unsigned long pixel, int x1, int y1, int x2,
          int y2) {
  XSetForeground(display, gc, pixel);
  XDrawLine(display, d, gc, x1, y1, x2, y2);
}

// Puts the text GCs (and gcFill) into the caller's state; returns true for
// transparent text.  With a context its whole state (clip, colours,
// function) carries over and its graphics-exposures flag tells transparent
// from opaque; gcFill then fills the cells with the context's background.
bool PrepareTextGCs(Display* display, GC gc, const krnx::FontPair& fonts) {
  GC fill = g_korrin.gcFill, text = g_korrin.gcText, kanji = g_korrin.gcTextKanji;
  bool transparent = true;
  if (gc) {
    XGCValues values;
    values.graphics_exposures = True;
    XGetGCValues(display, gc, GCForeground | GCBackground | GCGraphicsExposures, &values);
    if (gc != fill) XCopyGC(display, gc, kAllGCComponents, fill);
    XCopyGC(display, gc, kAllGCComponents, text);
    XCopyGC(display, gc, kAllGCComponents, kanji);
    transparent = values.graphics_exposures != False;
    if (!transparent) XSetForeground(display, fill, values.background);
  } else {
    for (GC g : {text, kanji}) {
      XSetClipMask(display, g, None);
      XSetForeground(display, g, SetColor(KRN_SC_FONT));
    }
  }
  // The fonts are set in both cases: the text GCs' own fonts are those of
  // the base GC after any reset, not the ones the text is measured with.
  XSetFont(display, text, fonts.single->fid);
  XSetFont(display, kanji, fonts.kanji->fid);
  return transparent;
}

// Glyphs that go out in one request: consecutive characters of one font,
// each starting where the measured advance of the one before ends.  The
// server advances by the same font metrics that measured them, so every
// glyph lands where a request of its own would put it.  Runs stop outside
// 16-bit coordinates, where a lone character's x would be cut to 16 bits.
bool InShortRange(int x) {
  return x >= SHRT_MIN && x <= SHRT_MAX;
}
bool Continues(const drawlayout::PlacedGlyph& before, const drawlayout::PlacedGlyph& next) {
  return !next.blank && next.glyph.kind == before.glyph.kind && next.x == before.x + before.width &&
         InShortRange(before.x) && InShortRange(next.x);
}

// One text item of a request holds at most 254 characters; longer runs go
// out as several requests, keeping each request small.
constexpr size_t kMaxRun = 254;

// Draws the glyphs of placed[first, last), at most kMaxRun of them joined
// by Continues, with one XDrawString or XDrawString16 from the first one's
// x.
void DrawRun(Display* display, Drawable d, const std::vector<drawlayout::PlacedGlyph>& placed,
             size_t first, size_t last, int baseline) {
  const int x = placed[first].x, n = static_cast<int>(last - first);
  if (placed[first].glyph.kind == charcode::kGlyphPair) {
    XChar2b pairs[kMaxRun];
    for (int k = 0; k < n; k++)
      pairs[k] = {placed[first + k].glyph.first, placed[first + k].glyph.second};
    XDrawString16(display, d, g_korrin.gcTextKanji, x, baseline, pairs, n);
  } else {
    char bytes[kMaxRun];
    for (int k = 0; k < n; k++) bytes[k] = static_cast<char>(placed[first + k].glyph.first);
    XDrawString(display, d, g_korrin.gcText, x, baseline, bytes, n);
  }
}

// Places length bytes from x, the row's top at y, and draws them with the
// text GCs as they are set up: transparent text in runs of one font,
// opaque text cell by cell after filling each cell with gcFill.
void DrawRow(Display* display, Drawable d, const krnx::FontPair& fonts, bool transparent, int x,
             int y, const unsigned char* bytes, int length, int tabOrigin, int code) {
  if (code == krnx::kDetectCode) code = krnCheckCharCode(bytes, length);
  const drawlayout::TextRow row = drawlayout::RowOf({fonts.single->ascent, fonts.single->descent},
                                                    {fonts.kanji->ascent, fonts.kanji->descent});
  krnx::FontPair measured = fonts;
  const charcode::CharMeter meter{krnx::SingleWidth, krnx::PairWidth, &measured};
  const int baseline = y + row.baseline;
  const std::vector<drawlayout::PlacedGlyph> placed =
      drawlayout::PlaceGlyphs(meter, bytes, length, code, x, tabOrigin);
  for (size_t k = 0; k < placed.size();) {
    size_t end = k + 1;
    if (!transparent) {
      // Each cell is filled right before its glyph, so a glyph reaching
      // into the next cell is covered there by that cell's fill: opaque
      // text stays one character per request.
      if (placed[k].width > 0)
        XFillRectangle(display, d, g_korrin.gcFill, placed[k].x, y, placed[k].width, row.height);
    } else if (!placed[k].blank) {
      while (end < placed.size() && end - k < kMaxRun && Continues(placed[end - 1], placed[end]))
        end++;
    }
    if (!placed[k].blank) DrawRun(display, d, placed, k, end, baseline);
    k = end;
  }
}

// The common body of the text wrappers: colours and clip on gcFill, then
// the worker; gcFill is reset afterwards even when nothing was drawn.
int DrawGlyphs(Display* display, Drawable d, GC gc, XFontStruct* font, XFontStruct* fontKanji,
               int x, int y, const unsigned char* bytes, int length, int tabOrigin, int code);

int DrawTextWith(Display* display, Drawable d, Region region, XFontStruct* font,
                 XFontStruct* fontKanji, unsigned long foreground, unsigned long background, int x,
                 int y, const unsigned char* bytes, int length, int tabOrigin = drawlayout::kNoTabs,
                 int code = krnx::kDetectCode) {
  if (!CanDraw(display, d)) return 0;
  FillGCScope scope;
  GC gc = scope.gc();
  if (region) XSetRegion(display, gc, region);
  XSetForeground(display, gc, foreground);
  if (background == KRN_TRANSPARENT) {
    XSetGraphicsExposures(display, gc, True);
  } else {
    XSetGraphicsExposures(display, gc, False);
    XSetBackground(display, gc, background);
  }
  return DrawGlyphs(display, d, gc, font, fontKanji, x, y, bytes, length, tabOrigin, code);
}

int StringLength(const unsigned char* string) {
  return string ? static_cast<int>(strlen(reinterpret_cast<const char*>(string))) : 0;
}

}  // namespace

// Four edge lines around rect, covering width + 1 by height + 1 pixels:
// top and left in the light shade and bottom and right in the dark shade
// when raised is 1, the other way round (sunken) otherwise.  0 only when
// there is nowhere to draw.
int krnDraw3DRectangle(Display* display, Drawable d, KrnRect rect, int raised) {
  if (!CanDraw(display, d)) return 0;
  FillGCScope scope;
  unsigned long light = SetColor(KRN_SC_BACKLIGHT), dark = SetColor(KRN_SC_BACKDARK);
  if (raised != 1) std::swap(light, dark);
  const int left = rect.x, top = rect.y;
  const int right = rect.x + rect.width, bottom = rect.y + rect.height;
  Edge(display, d, scope.gc(), light, left, top, right, top);
  Edge(display, d, scope.gc(), light, left, top, left, bottom);
  Edge(display, d, scope.gc(), dark, left, bottom, right, bottom);
  Edge(display, d, scope.gc(), dark, right, top, right, bottom);
  return 1;
}

// A frame of the given type (KRN_FRAME_*); other types draw nothing.
int krnDrawFrame(Display* display, Drawable d, KrnRect rect, int type) {
  if (!CanDraw(display, d)) return 0;
  switch (type) {
    case KRN_FRAME_PLAIN: {
      FillGCScope scope;
      XSetForeground(display, scope.gc(), SetColor(KRN_SC_BORDER));
      XDrawRectangle(display, d, scope.gc(), rect.x, rect.y, rect.width, rect.height);
      return 1;
    }
    case KRN_FRAME_RAISED:
      return krnDraw3DRectangle(display, d, rect, 1);
    case KRN_FRAME_SUNKEN:
      return krnDraw3DRectangle(display, d, rect, 0);
    default:
      return 1;
  }
}

// Draws the line with the given GC, or with the border colour and line
// width 1 when gc is null; gcFill is left reset.
int krnDrawLineEx(Display* display, Drawable d, GC gc, KrnRect line) {
  if (!CanDraw(display, d)) return 0;
  if (!gc) {
    gc = g_korrin.gcFill;
    krnResetGC(gc);
    XSetForeground(display, gc, SetColor(KRN_SC_BORDER));
    XSetLineAttributes(display, gc, 1, LineSolid, CapButt, JoinMiter);
  }
  XDrawLine(display, d, gc, line.x, line.y, line.x + line.width, line.y + line.height);
  if (gc == g_korrin.gcFill) krnResetGC(gc);
  return 1;
}

int krnDrawLine(Display* display, Drawable d, unsigned long pixel, KrnRect line) {
  return krnDrawLineRg(display, d, nullptr, pixel, line);
}

// The line in that colour, clipped to the region when it is not null.
// krnDrawLineEx leaves gcFill reset after drawing with it.
int krnDrawLineRg(Display* display, Drawable d, Region region, unsigned long pixel, KrnRect line) {
  if (!CanDraw(display, d)) return 0;
  GC gc = g_korrin.gcFill;
  krnResetGC(gc);
  if (region) XSetRegion(display, gc, region);
  XSetForeground(display, gc, pixel);
  return krnDrawLineEx(display, d, gc, line);
}

// The line in that colour, clipped to the rectangle.  The line itself is
// drawn whole under the clip: cutting it to its intersection with the
// rectangle would tilt a slanted line, and the empty intersection of a
// line outside the rectangle would come out as a dot at the origin.
int krnDrawLineRRg(Display* display, Drawable d, KrnRect clip, unsigned long pixel, KrnRect line) {
  return krnx::DrawLinesRRg(display, d, clip, pixel, &line, 1);
}

namespace krnx {

// The lines drawn as krnDrawLineRRg draws each, with one clip and one
// colour set up for all of them.
int DrawLinesRRg(Display* display, Drawable d, KrnRect clip, unsigned long pixel,
                 const KrnRect* lines, int count) {
  if (!CanDraw(display, d)) return 0;
  Region region = RectRegion(clip);
  if (!region) return 0;
  GC gc = g_korrin.gcFill;
  krnResetGC(gc);
  XSetRegion(display, gc, region);
  XSetForeground(display, gc, pixel);
  for (int i = 0; i < count; i++)
    XDrawLine(display, d, gc, lines[i].x, lines[i].y, lines[i].x + lines[i].width,
              lines[i].y + lines[i].height);
  krnResetGC(gc);
  XDestroyRegion(region);
  return 1;
}

}  // namespace krnx

// A push-button face: image and caption centred side by side, the face
// filled and the content shifted by one pixel when pressed is 1, the frame
// raised when pressed is 0 and sunken otherwise.  The up face is not
// filled: the caller has painted the background.
int krnDrawButton(Display* display, Drawable d, KrnRect rect, const char* caption, KrnImage* image,
                  int pressed) {
  if (!CanDraw(display, d)) return 0;
  krnResetGC(g_korrin.gcFill);
  const unsigned char* text = reinterpret_cast<const unsigned char*>(caption);
  drawlayout::ButtonInput in{rect.x,
                             rect.y,
                             rect.width,
                             rect.height,
                             caption ? krnTextWidth(text) : 0,
                             krnGetCharHeight(nullptr),
                             image ? image->width : -1,
                             image ? image->height : 0,
                             pressed};
  drawlayout::ButtonFace face = drawlayout::ButtonFaceOf(in);
  if (face.fill) {
    FillGCScope scope;
    XSetForeground(display, scope.gc(), SetColor(KRN_SC_BACKFACE));
    XFillRectangle(display, d, scope.gc(), rect.x, rect.y, rect.width, rect.height);
  }
  if (image)
    krnDrawImage(display, d, face.imageX, face.imageY, image, 0, 0, image->width, image->height);
  if (caption && caption[0])
    krnDrawText(display, d, nullptr, nullptr, SetColor(KRN_SC_FONT), KRN_TRANSPARENT, face.captionX,
                face.captionY, text);
  return krnDraw3DRectangle(display, d, rect, face.raised ? 1 : 0);
}

// A button face with an image only, its corner at the rectangle's corner
// (one pixel further right and down when pressed is 1).
int krnDrawIconButton(Display* display, Drawable d, KrnRect rect, KrnImage* image, int pressed) {
  if (!CanDraw(display, d)) return 0;
  const int shift = pressed == 1 ? 1 : 0;
  if (pressed == 1) {
    FillGCScope scope;
    XSetForeground(display, scope.gc(), SetColor(KRN_SC_BACKFACE));
    XFillRectangle(display, d, scope.gc(), rect.x, rect.y, rect.width, rect.height);
  }
  if (image) krnDrawIcon(display, d, rect.x + shift, rect.y + shift, image);
  return krnDraw3DRectangle(display, d, rect, pressed == 0 ? 1 : 0);
}

int krnDrawText(Display* display, Drawable d, XFontStruct* font, XFontStruct* fontKanji,
                unsigned long foreground, unsigned long background, int x, int y,
                const unsigned char* string) {
  return DrawTextWith(display, d, nullptr, font, fontKanji, foreground, background, x, y, string,
                      StringLength(string));
}

int krnDrawNText(Display* display, Drawable d, XFontStruct* font, XFontStruct* fontKanji,
                 unsigned long foreground, unsigned long background, int x, int y,
                 const unsigned char* bytes, int length) {
  return DrawTextWith(display, d, nullptr, font, fontKanji, foreground, background, x, y, bytes,
                      length);
}

int krnDrawTextRg(Display* display, Drawable d, Region region, XFontStruct* font,
                  XFontStruct* fontKanji, unsigned long foreground, unsigned long background, int x,
                  int y, const unsigned char* string) {
  return DrawTextWith(display, d, region, font, fontKanji, foreground, background, x, y, string,
                      StringLength(string));
}

int krnDrawNTextRg(Display* display, Drawable d, Region region, XFontStruct* font,
                   XFontStruct* fontKanji, unsigned long foreground, unsigned long background,
                   int x, int y, const unsigned char* bytes, int length) {
  return DrawTextWith(display, d, region, font, fontKanji, foreground, background, x, y, bytes,
                      length);
}

int krnDrawTextRRg(Display* display, Drawable d, KrnRect clip, XFontStruct* font,
                   XFontStruct* fontKanji, unsigned long foreground, unsigned long background,
                   int x, int y, const unsigned char* string) {
  return krnDrawNTextRRg(display, d, clip, font, fontKanji, foreground, background, x, y, string,
                         StringLength(string));
}

int krnDrawNTextRRg(Display* display, Drawable d, KrnRect clip, XFontStruct* font,
                    XFontStruct* fontKanji, unsigned long foreground, unsigned long background,
                    int x, int y, const unsigned char* bytes, int length) {
  if (!CanDraw(display, d)) return 0;
  Region region = krnx::RectRegion(clip);
  if (!region) return 0;
  int result = DrawTextWith(display, d, region, font, fontKanji, foreground, background, x, y,
                            bytes, length);
  XDestroyRegion(region);
  return result;
}

// A string in the session's fonts and font colour, transparent, on the
// session's display.
int krnPrint(Drawable d, int x, int y, const char* string) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(string);
  return krnDrawNText(g_korrin.display, d, nullptr, nullptr, SetColor(KRN_SC_FONT), KRN_TRANSPARENT,
                      x, y, bytes, StringLength(bytes));
}

namespace {

// The worker behind krnDrawTextEx: draws length bytes from x, the row's top
// at y, single bytes with gcText and two-byte characters (as JIS) with
// gcTextKanji, transparent text in runs of one font.  Opaque text (a
// context with graphics exposures off) fills each character cell with the
// context's background first.  Tabs expand from tabOrigin unless it is
// kNoTabs.  gcText and gcTextKanji are left reset; gcFill, which took the
// context's state, is the caller's to reset.
int DrawGlyphs(Display* display, Drawable d, GC gc, XFontStruct* font, XFontStruct* fontKanji,
               int x, int y, const unsigned char* bytes, int length, int tabOrigin, int code) {
  krnx::FontPair fonts{font ? font : g_korrin.font, fontKanji ? fontKanji : g_korrin.fontKanji};
  if (!fonts.single || !bytes || length <= 0 || !CanDraw(display, d)) return 0;
  if (!fonts.kanji) fonts.kanji = fonts.single;

  const bool transparent = PrepareTextGCs(display, gc, fonts);
  DrawRow(display, d, fonts, transparent, x, y, bytes, length, tabOrigin, code);
  krnResetGC(g_korrin.gcText);
  krnResetGC(g_korrin.gcTextKanji);
  return 1;
}

}  // namespace

// Draws length bytes from x, the row's top at y, in the context's state (or
// the font colour, transparent, without one).  Null fonts are the
// session's.  1, or 0 when there is nothing to draw or nowhere to.
int krnDrawTextEx(Display* display, Drawable d, GC gc, XFontStruct* font, XFontStruct* fontKanji,
                  int x, int y, const unsigned char* bytes, int length) {
  if (!DrawGlyphs(display, d, gc, font, fontKanji, x, y, bytes, length, drawlayout::kNoTabs,
                  krnx::kDetectCode))
    return 0;
  krnResetGC(g_korrin.gcFill);
  return 1;
}

namespace krnx {

int DrawTabbedText(Display* display, Drawable d, KrnRect clip, unsigned long foreground,
                   unsigned long background, int x, int y, const unsigned char* bytes, int length,
                   int tabOrigin, int code) {
  if (!CanDraw(display, d)) return 0;
  Region region = RectRegion(clip);
  if (!region) return 0;
  int result = DrawTextWith(display, d, region, nullptr, nullptr, foreground, background, x, y,
                            bytes, length, tabOrigin, code);
  XDestroyRegion(region);
  return result;
}

// The text GCs take the state DrawTabbedText gives them for transparent
// text (the base state, the clip, the colour, graphics exposures on and
// the session's fonts) when the first row is drawn, and keep it until the
// end, where they are reset as after any text drawing.
TextRows::TextRows(Display* display, Drawable d, KrnRect clip, unsigned long foreground)
    : display_(display), d_(d), clip_(clip), foreground_(foreground) {}

TextRows::~TextRows() {
  if (!ready_) return;
  krnResetGC(g_korrin.gcText);
  krnResetGC(g_korrin.gcTextKanji);
}

int TextRows::Draw(int x, int y, const unsigned char* bytes, int length, int tabOrigin, int code) {
  FontPair fonts{g_korrin.font, g_korrin.fontKanji ? g_korrin.fontKanji : g_korrin.font};
  if (!CanDraw(display_, d_) || !fonts.single || !bytes || length <= 0) return 0;
  if (!ready_) {
    Region region = RectRegion(clip_);
    if (!region) return 0;
    {
      FillGCScope scope;
      XSetRegion(display_, scope.gc(), region);
      XSetForeground(display_, scope.gc(), foreground_);
      XSetGraphicsExposures(display_, scope.gc(), True);
      PrepareTextGCs(display_, scope.gc(), fonts);
    }
    XDestroyRegion(region);
    ready_ = true;
  }
  DrawRow(display_, d_, fonts, true, x, y, bytes, length, tabOrigin, code);
  return 1;
}

int TabbedWidth(const unsigned char* bytes, int length, int x) {
  FontPair fonts{g_korrin.font, g_korrin.fontKanji ? g_korrin.fontKanji : g_korrin.font};
  if (!fonts.single || !bytes || length <= 0) return 0;
  charcode::CharMeter meter{SingleWidth, PairWidth, &fonts};
  return charcode::MeasureFrom(meter, bytes, length, krnCheckCharCode(bytes, length), x);
}

}  // namespace krnx
