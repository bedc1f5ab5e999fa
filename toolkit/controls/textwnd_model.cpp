// textwnd_model.cpp - wrapping a read-only text into lines.  The text's code
// is detected once; each character is measured as the glyph walker decodes
// it, so a two-byte character is never split between lines.  Lines break
// at blanks and beside two-byte characters, inside a word only when the
// word alone is wider than the line.
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
    if (charcode::IsBinaryByte(U(text)[i])) text[i] = '?';
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

namespace {

bool IsBlank(const charcode::Glyph& glyph) {
  return glyph.kind == charcode::kGlyphSingle && (glyph.first == ' ' || glyph.first == '\t');
}

// A line that must end before the character at pos (start < pos) ends at
// the last place in it where a line may break: after a blank or at either
// side of a two-byte character; a word longer than the line breaks at pos.
int CutPoint(int start, int pos, int lastBreak) {
  return lastBreak > start ? lastBreak : pos;
}

// A blank that does not fit hangs past the edge with the blanks after it,
// and with the line feed that follows them: the next line starts with what
// comes after them.
int AfterBlanks(const char* text, int length, int pos) {
  while (pos < length && (text[pos] == ' ' || text[pos] == '\t')) pos++;
  if (pos < length && text[pos] == '\n') pos++;
  return pos;
}

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
  int start = 0, width = 0, lastBreak = -1;
  for (int pos = 0; pos < length && !out.failed;) {
    if (hook.call && !hook.call(hook.context)) {
      out.Drop();
      return -1;
    }
    charcode::Glyph glyph = charcode::GlyphAt(U(text), length, pos, code);
    int w = charcode::AdvanceAt(meter, glyph, width);  // tab stops from the row's edge
    int next = -1, lineWidth = wrap;
    if (glyph.size == 1 && text[pos] == '\n') {
      next = pos + 1;
      lineWidth = width + w;
    } else if (width + w >= wrap && IsBlank(glyph)) {
      next = AfterBlanks(text, length, pos);
    } else if (width + w >= wrap && pos > start) {
      // what follows starts the next line; a two-byte character may begin one
      next = glyph.kind == charcode::kGlyphPair ? pos : CutPoint(start, pos, lastBreak);
    } else if (width + w >= wrap) {
      next = pos + glyph.size;  // wider than the window: a line of its own
      lineWidth = width + w;
    }
    if (next >= 0) {
      out.Add(text + start, next - start, lineWidth);
      start = pos = next;
      width = 0;
      lastBreak = -1;
      continue;
    }
    bool pair = glyph.kind == charcode::kGlyphPair;
    if (pair && pos > start) lastBreak = pos;
    width += w;
    pos += glyph.size;
    if (pair || IsBlank(glyph)) lastBreak = pos;
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
