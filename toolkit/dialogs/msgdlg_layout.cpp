// msgdlg_layout.cpp - the message dialog's layout rules (see the header).
#include "dialogs/msgdlg_layout.h"

#include <climits>
#include <string>

#include "controls/textwnd_model.h"

namespace msgdlg {

bool HasOk(int style) {
  return (style & 0x01) != 0;
}

bool HasCancel(int style) {
  return (style & 0x02) != 0;
}

Layout LayoutOf(int style, int w, int h) {
  Layout l{{10, 5, w - 20, h - 40}, -1, -1, h - 30};
  int right = w - 70, left = w - 140;
  if (w < 260) {
    l.text.width = 240;
    right = 190;
    left = 120;
  }
  if (h < 75) {
    l.text.height = 35;
    l.buttonY = 45;
  }
  bool ok = HasOk(style), cancel = HasCancel(style);
  if (ok && cancel) {
    l.okX = left;
    l.cancelX = right;
  } else if (ok) {
    l.okX = right;
  } else if (cancel) {
    l.cancelX = right;
  }
  return l;
}

namespace {

// The text window spans the dialog but for 10 pixels on either side and
// 40 below it; it wraps 5 pixels short of its width and shows every whole
// row below its 2-pixel top margin, 1 pixel above its bottom.
constexpr int kTextMarginX = 20, kTextMarginY = 40, kWrapMargin = 5, kRowMargin = 3;

// Lines of message wrapped at `wrap` pixels and the widest of them; -1 when
// memory ran out.
int Wrapped(const std::string& message, int wrap, const charcode::CharMeter& meter, int* widest) {
  std::string text = message;  // wrapping may mask control bytes
  void** lines = nullptr;
  int n = twnd::WrapLines(&text[0], static_cast<int>(text.size()), wrap, meter,
                          twnd::Hook{nullptr, nullptr}, &lines);
  *widest = 0;
  for (int i = 0; i < n; i++) {
    int w = static_cast<const TextWndLine*>(lines[i])->lineWidth;
    if (w > *widest) *widest = w;
  }
  twnd::FreeLines(lines);
  return n;
}

int Clamp(int v, int low, int high) {
  return v > high ? (high > low ? high : low) : (v < low ? low : v);
}

}  // namespace

Size FitSize(const char* message, const charcode::CharMeter& meter, int lineHeight, int maxWidth,
             int maxHeight) {
  std::string text = message ? message : "";
  int widest = 0;
  if (Wrapped(text, INT_MAX / 2, meter, &widest) < 0) return Size{kWidth, kHeight};
  // A line fits while its width stays below the wrap limit.
  int width = Clamp(widest + 1 + kWrapMargin + kTextMarginX, kWidth, maxWidth);
  int lines = Wrapped(text, width - kTextMarginX - kWrapMargin, meter, &widest);
  if (lines < 0) return Size{width, kHeight};
  int height = Clamp(lines * lineHeight + kRowMargin + kTextMarginY, kHeight, maxHeight);
  return Size{width, height};
}

int IconY(int h) {
  return h <= 75 ? 45 : h - 30;
}

}  // namespace msgdlg
