// textwnd_model.cpp - wrapping a read-only text into lines.  The text's code
// is detected once; each character is measured as the glyph walker decodes
// it, so a two-byte character is never split between lines.
#include "controls/textwnd_model.h"

#include <stdlib.h>
#include <string.h>

#include <vector>

namespace twnd {

namespace {

const unsigned char* U(const char* s) {
  return reinterpret_cast<const unsigned char*>(s);
}

TextWndLine* NewLine(const char* bytes, int n, int width) {
  TextWndLine* line = static_cast<TextWndLine*>(malloc(sizeof(TextWndLine) + n + 1));
  if (!line) return nullptr;
  line->lineText = reinterpret_cast<char*>(line + 1);
  memcpy(line->lineText, bytes, n);
  line->lineText[n] = '\0';
  line->lineLength = n;
  line->lineWidth = width;
  return line;
}

// Control bytes other than tab, line feed, vertical tab, form feed and
// carriage return show as "?", in the stored text too.
void MaskControlBytes(char* text, int length) {
  for (int i = 0; i < length; i++) {
    unsigned char b = U(text)[i];
    if (b < 32 && (b < 9 || b > 13)) text[i] = '?';
  }
}

// Lines collected during the walk; they go into one object array at the end.
struct Collected {
  std::vector<TextWndLine*> lines;
  bool failed = false;

  void Add(const char* bytes, int n, int width) {
    if (failed) return;
    TextWndLine* line = NewLine(bytes, n, width);
    if (line) lines.push_back(line);
    failed = !line;
  }
  void Drop() {
    for (TextWndLine* line : lines) free(line);
    lines.clear();
  }
  void** Finish() {
    void** array = static_cast<void**>(malloc(sizeof(void*) * (lines.size() + 1)));
    if (!array) return nullptr;
    for (size_t i = 0; i < lines.size(); i++) array[i] = lines[i];
    array[lines.size()] = nullptr;
    return array;
  }
};

}  // namespace

int WrapLines(char* text, int length, int wrap, const charcode::CharMeter& meter, Hook hook,
              void*** outLines) {
  if (!text || length < 0) length = 0;
  int code = krnCheckCharCode(U(text), length);
  if (code == charcode::kBinary) {
    MaskControlBytes(text, length);
    code = charcode::kAscii;
  }
  Collected out;
  int start = 0, width = 0;
  for (int pos = 0; pos < length && !out.failed;) {
    if (hook.call && !hook.call(hook.context)) {
      out.Drop();
      return -1;
    }
    charcode::Glyph glyph = charcode::GlyphAt(U(text), length, pos, code);
    int w = charcode::GlyphWidth(meter, glyph);
    width += w;
    if (glyph.size == 1 && text[pos] == '\n') {
      out.Add(text + start, pos + 1 - start, width);
      start = pos + 1;
      width = 0;
    } else if (width >= wrap && pos > start) {
      out.Add(text + start, pos - start, wrap);  // the character starts the next line
      start = pos;
      width = 0;
      continue;
    } else if (width >= wrap) {
      out.Add(text + start, glyph.size, width);  // wider than the window: a line of its own
      start = pos + glyph.size;
      width = 0;
    }
    pos += glyph.size;
  }
  if (start < length) out.Add(text + start, length - start, width);
  void** array = out.failed ? nullptr : out.Finish();
  if (!array) {
    out.Drop();
    return -1;
  }
  *outLines = array;
  return static_cast<int>(out.lines.size());
}

void FreeLines(void** lines) {
  if (!lines) return;
  for (void** p = lines; *p; p++) free(*p);
  free(lines);
}

const TextWndLine* Line(const TextWndData* d, int index) {
  if (!d->lines || index < 0 || index >= d->nLines) return nullptr;
  return static_cast<const TextWndLine*>(d->lines[index]);
}

int LinesPerPage(int height, int lineHeight) {
  return lineHeight > 0 ? (height - 3) / lineHeight : 0;
}

}  // namespace twnd
