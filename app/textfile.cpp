// Loading and saving the memo pad's one text file.  Each moves the whole
// file at once between the disk and the input box "InputBox", labels its
// character code in the status line of "MenuBar", records the current file
// name and reports every failure in an error dialog over "Quelmo".
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <memory>

#include "quelmo.h"

namespace {

// Japanese second lines of the error messages (EUC-JP).
#define JA_CANT_OPEN                                                                             \
  "\xa4\xb3\xa4\xce\xa5\xd5\xa5\xa1\xa5\xa4\xa5\xeb\xa4\xcf\xb3\xab\xa4\xb1\xa4\xde\xa4\xbb\xa4" \
  "\xf3"
#define JA_TOO_LARGE                                                                         \
  "\xa4\xb3\xa4\xce\xa5\xd5\xa5\xa1\xa5\xa4\xa5\xeb\xa4\xcf\xc2\xe7\xa4\xad\xa4\xb9\xa4\xae" \
  "\xa4\xc6\xb3\xab\xa4\xb1\xa4\xde\xa4\xbb\xa4\xf3"
#define JA_CANT_WRITE                                                                            \
  "\xbd\xf1\xa4\xad\xb9\xfe\xa4\xdf\xbd\xd0\xcd\xe8\xa4\xde\xa4\xbb\xa4\xf3\xa4\xc7\xa4\xb7\xa4" \
  "\xbf"

const char kNotExist[] = "This file(%s) is not exist.\n" JA_CANT_OPEN;
const char kNoMemory[] = "Error: Can't allocate memory(%s).\n" JA_CANT_OPEN;
const char kTooLarge[] = "This file(%s) is too large.\n" JA_TOO_LARGE;
const char kCantWrite[] = "Can't write file(%s).\n" JA_CANT_WRITE;
const char kCantSave[] = "Error: Can't save file(%s).\n" JA_CANT_WRITE;

// A FILE closed when it leaves scope (unless closed on purpose before).
struct FileCloser {
  FILE* f;
  ~FileCloser() {
    if (f) fclose(f);
  }
};

// The main window's wait cursor while a file is open.
struct WaitCursor {
  KrnWindow* window;
  explicit WaitCursor(KrnWindow* w) : window(w) {
    if (window) krnSetWaitCursor(g_korrin.display, window);
  }
  ~WaitCursor() {
    if (window) krnSetNormalCursor(g_korrin.display, window);
  }
};

void ShowError(const char* format, const char* path) {
  char message[256];
  snprintf(message, sizeof message, format, path);
  krnMessageDialog(g_korrin.display, krnGetWindow("Quelmo"), "Error", message, kErrorStyle);
}

// Records the current file name.  A name too long for it is not cut (a cut
// name is another file, which Save as would then propose): the text is
// left untitled instead.
void SetFileName(const char* path) {
  size_t length = strlen(path);
  if (length >= sizeof g_cFileName) length = 0;
  memcpy(g_cFileName, path, length);
  g_cFileName[length] = '\0';
}

// Reads a whole regular file; null when it cannot be read or no memory is left.
// size receives the number of bytes actually read.
char* ReadWhole(FILE* f, long expected, long* size) {
  char* buffer = static_cast<char*>(malloc(static_cast<size_t>(expected) + 1));
  if (!buffer) return nullptr;
  size_t n = fread(buffer, 1, static_cast<size_t>(expected), f);
  if (ferror(f)) {
    free(buffer);
    return nullptr;
  }
  buffer[n] = '\0';
  *size = static_cast<long>(n);
  return buffer;
}

}  // namespace

// The label of a character code, for the status line.
const char* CodeLabel(int code) {
  switch (code) {
    case KRN_CODE_BINARY:
      return "BINARY";
    case KRN_CODE_SJIS:
      return "ShiftJIS";
    case KRN_CODE_EUC:
      return "EUC";
    case KRN_CODE_UTF8:
      return "UTF-8";
    default:
      return "ASCII";
  }
}

// Loads path into the input box.  0 for an empty path or a file that cannot
// be read (after its dialog), 1 otherwise.  A file that is refused leaves
// text, name, status and modified flag as they were.
int TakeInText(const char* path) {
  if (!path || !*path) return 0;
  struct stat st;
  FILE* f = fopen(path, "r");
  if (!f || fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
    if (f) fclose(f);
    ShowError(kNotExist, path);
    return 0;
  }
  FileCloser closer{f};
  WaitCursor wait(krnGetWindow("Quelmo"));
  // The limit holds for the text in the working code; a file in another
  // code may take up to twice the bytes (half-width katakana, UTF-8).
  if (st.st_size > 2 * kMaxTextBytes) {
    ShowError(kTooLarge, path);
    return 1;
  }
  long size = 0;
  char* buffer = ReadWhole(f, static_cast<long>(st.st_size), &size);
  if (!buffer) {
    if (ferror(f)) {
      ShowError(kNotExist, path);
      return 0;
    }
    ShowError(kNoMemory, path);
    return 1;
  }
  KrnTextCode decoded;
  if (!krnDecodeText(buffer, static_cast<int>(size), g_korrin.charCode, &decoded)) {
    free(buffer);
    ShowError(kNoMemory, path);
    return 1;
  }
  if (decoded.length > kMaxTextBytes) {
    free(decoded.text);
    free(buffer);
    ShowError(kTooLarge, path);
    return 1;
  }
  int set = krnSetText_InputBox(krnGetWindow("InputBox"), decoded.text, decoded.length);
  free(decoded.text);
  if (set < 0) {
    free(buffer);
    ShowError(kNoMemory, path);
    return 1;
  }
  free(g_pText);
  g_pText = buffer;
  SetFileName(path);
  TakeFileCode(decoded, size, path);
  return 1;
}

// Saves the input box's text to path.  0 for an empty path or when the bytes
// did not all reach the file (after its dialog; the text stays modified and
// name and status stay as they were), 1 otherwise.
int TakeOutText(const char* path) {
  if (!path || !*path) return 0;
  if (!MaySave(path)) return 0;
  KrnWindow* box = krnGetWindow("InputBox");
  // Take the text before opening: opening for writing truncates the file,
  // and a save without a text must leave it alone.
  const char* text = krnGetText_InputBox(box);
  char* bytes = nullptr;
  long length = 0;
  int encoded =
      text ? EncodeForSaving(text, static_cast<long>(strlen(text)), path, &bytes, &length) : -1;
  if (encoded == 0) return 0;
  if (encoded < 0) {
    ShowError(kCantSave, path);
    return 1;
  }
  std::unique_ptr<char, decltype(&free)> owned(bytes, free);
  FILE* f = fopen(path, "w");
  if (!f) {
    ShowError(kCantWrite, path);
    return 0;
  }
  WaitCursor wait(krnGetWindow("Quelmo"));
  size_t size = static_cast<size_t>(length);
  bool ok = fwrite(bytes, 1, size, f) == size;
  ok = fflush(f) == 0 && ok;
  ok = fclose(f) == 0 && ok;
  if (!ok) {
    ShowError(kCantWrite, path);
    return 0;
  }
  TakeSavedCode(bytes, length, path);
  krnSetUpdateFlag_InputBox(box, 0);
  SetFileName(path);
  return 1;
}
