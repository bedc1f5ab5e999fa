// textcode.cpp - a text file's bytes made ready for editing in the working
// code, and the editor's text made ready for its file again.  A file in
// another code (UTF-8, or the other of EUC-JP and Shift_JIS) is converted
// on the way in and back on the way out; it is editable only when that
// round trip gives exactly its bytes, so that no save can lose a character.
#include <cstring>
#include <new>
#include <string>

#include "support/charcode.h"
#include "support/textcode.h"

namespace {

using charcode::kEuc;
using charcode::kSjis;
using charcode::kUtf8;

const char kBom[] = "\xEF\xBB\xBF";  // UTF-8's byte-order mark
constexpr size_t kBomSize = 3;

const unsigned char* U(const char* s) {
  return reinterpret_cast<const unsigned char*>(s);
}

bool IsWorkingCode(int code) {
  return code == kEuc || code == kSjis;
}

// Whether text of the file's code is converted for the working code.
bool Converts(int working, int code) {
  return IsWorkingCode(working) && code != working && (IsWorkingCode(code) || code == kUtf8);
}

// A krnAlloc'd, NUL-terminated copy of s; null when memory runs out.
char* Copy(const char* s, size_t n) {
  char* copy = static_cast<char*>(krnAlloc(n + 1));
  if (!copy) return nullptr;
  if (n) memcpy(copy, s, n);
  copy[n] = '\0';
  return copy;
}

}  // namespace

int krnDecodeText(const char* bytes, int length, int working, KrnTextCode* out) {
  if (!out) return 0;
  *out = KrnTextCode{nullptr, 0, charcode::kAscii, 0, 0};
  if (!bytes || length < 0) length = 0;
  size_t n = static_cast<size_t>(length);
  out->code = charcode::DetectCode(U(bytes), n);
  if (out->code == kUtf8 && n >= kBomSize && memcmp(bytes, kBom, kBomSize) == 0) {
    out->bom = 1;
    bytes += kBomSize;
    n -= kBomSize;
  }
  try {
    std::string text, back;
    if (Converts(working, out->code)) {
      long lost = charcode::Convert(U(bytes), n, out->code, working, text);
      charcode::Convert(U(text.data()), text.size(), working, out->code, back);
      out->lossy = lost != 0 || back.size() != n || memcmp(back.data(), bytes, n) != 0;
    } else {
      text.assign(bytes ? bytes : "", n);
    }
    out->text = Copy(text.data(), text.size());
    out->length = static_cast<int>(text.size());
  } catch (const std::bad_alloc&) {
    out->text = nullptr;
  }
  return out->text ? 1 : 0;
}

int krnEncodeText(const char* text, int length, int working, int code, int bom, char** result,
                  int* resultLength) {
  if (!result) return -1;
  *result = nullptr;
  if (resultLength) *resultLength = 0;
  if (!text || length < 0) length = 0;
  try {
    std::string out;
    if (bom && code == kUtf8) out = kBom;
    long lost = 0;
    if (Converts(working, code))
      lost = charcode::Convert(U(text), static_cast<size_t>(length), working, code, out);
    else
      out.append(text ? text : "", static_cast<size_t>(length));
    *result = Copy(out.data(), out.size());
    if (!*result) return -1;
    if (resultLength) *resultLength = static_cast<int>(out.size());
    return lost > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(lost);
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

int krnDetectCharCode(const unsigned char* bytes, int length) {
  return charcode::DetectCode(bytes, length > 0 ? static_cast<size_t>(length) : 0);
}
