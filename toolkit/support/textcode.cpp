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

// Whether text in the working code converts back to exactly the file's n
// bytes in its code.
bool ComesBack(const std::string& text, int working, int code, const char* bytes, size_t n) {
  std::string back;
  charcode::Convert(U(text.data()), text.size(), working, code, back);
  return back.size() == n && memcmp(back.data(), bytes, n) == 0;
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

namespace {

// A UTF-8 file (or one with a byte-order mark and ASCII after it) converted
// in the same pass that tells it is one.  False for any other file.
bool DecodeUtf8File(const char* bytes, size_t n, int working, KrnTextCode* out) {
  int bom = n >= kBomSize && memcmp(bytes, kBom, kBomSize) == 0 ? 1 : 0;
  size_t skip = bom ? kBomSize : 0;
  std::string text;
  int form = charcode::kBinary;
  long lost = charcode::FileFromUtf8(U(bytes) + skip, n - skip, working, text, &form);
  if (form == charcode::kAscii && bom) text.assign(bytes + skip, n - skip);
  if (form != kUtf8 && !(form == charcode::kAscii && bom)) return false;
  out->code = kUtf8;
  out->bom = bom;
  out->lossy = lost != 0;
  out->text = Copy(text.data(), text.size());
  out->length = static_cast<int>(text.size());
  return true;
}

}  // namespace

int krnDecodeText(const char* bytes, int length, int working, KrnTextCode* out) {
  if (!out) return 0;
  *out = KrnTextCode{nullptr, 0, charcode::kAscii, 0, 0};
  if (!bytes || length < 0) length = 0;
  size_t n = static_cast<size_t>(length);
  try {
    // UTF-8, today's most common code, is told and converted in one pass.
    if (IsWorkingCode(working) && bytes && DecodeUtf8File(bytes, n, working, out))
      return out->text ? 1 : 0;
    out->code = charcode::DetectCode(U(bytes), n);
    if (!Converts(working, out->code)) {
      out->text = Copy(bytes ? bytes : "", n);
      out->length = static_cast<int>(n);
      return out->text ? 1 : 0;
    }
    std::string text;
    long lost = charcode::Convert(U(bytes), n, out->code, working, text);
    out->lossy = lost != 0 || !ComesBack(text, working, out->code, bytes, n);
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
