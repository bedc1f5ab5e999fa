// Loading and saving the memo pad's one text file.  Each moves the whole
// file at once between the disk and the input box "InputBox", labels its
// character code in the status line of "MenuBar", records the current file
// name (as an absolute path, so that the file dialog's changes of directory
// never redirect a save) and reports every failure in a dialog over
// "Quelmo".  A save replaces the file through a temporary file, and asks
// first when another program changed the file since it was read.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

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
// "Another program changed this file!! May it be overwritten?"
#define JA_CHANGED                                                                               \
  "\xc2\xbe\xa4\xce\xa5\xd7\xa5\xed\xa5\xb0\xa5\xe9\xa5\xe0\xa4\xac\xa4\xb3\xa4\xce\xa5\xd5\xa5" \
  "\xa1\xa5"                                                                                     \
  "\xa4\xa5\xeb\xa4\xf2\xca\xd1\xb9\xb9\xa4\xb7\xa4\xde\xa4\xb7\xa4\xbf!! "                      \
  "\xbe\xe5\xbd\xf1\xa4\xad\xa4\xb7"                                                             \
  "\xa4\xc6\xa4\xe8\xa4\xa4\xa4\xc7\xa4\xb9\xa4\xab?"

const char kNotExist[] = "This file(%s) is not exist.\n" JA_CANT_OPEN;
const char kNoMemory[] = "Error: Can't allocate memory(%s).\n" JA_CANT_OPEN;
const char kTooLarge[] = "This file(%s) is too large.\n" JA_TOO_LARGE;
const char kCantWrite[] = "Can't write file(%s).\n" JA_CANT_WRITE;
const char kCantSave[] = "Error: Can't save file(%s).\n" JA_CANT_WRITE;
const char kChanged[] = "This file(%s) was changed by another program. Over write it?\n" JA_CHANGED;

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

// What the current file looked like on disk when it was last loaded or
// saved: a later difference means another program wrote it meanwhile.
struct DiskStamp {
  bool known;
  dev_t device;
  ino_t inode;
  off_t size;
  timespec modified;
};
DiskStamp g_disk;
// The current file's name as the user gave it (relative or absolute).
std::string g_givenName;

DiskStamp StampOf(const struct stat& st) {
  return DiskStamp{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

bool SameStamp(const DiskStamp& a, const DiskStamp& b) {
  return a.device == b.device && a.inode == b.inode && a.size == b.size &&
         a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
}

int Ask(const char* format, const char* path) {
  char message[256];
  snprintf(message, sizeof message, format, path);
  return krnMessageDialog(g_korrin.display, krnGetWindow("Quelmo"), "Warning", message,
                          kQuestionStyle);
}

void ShowError(const char* format, const char* path) {
  char message[256];
  snprintf(message, sizeof message, format, path);
  krnMessageDialog(g_korrin.display, krnGetWindow("Quelmo"), "Error", message, kErrorStyle);
}

// The path as seen from the current directory, made absolute; as given
// when the current directory cannot be told.
std::string AbsolutePath(const char* path) {
  if (!path[0] || path[0] == '/') return path;
  std::vector<char> dir(4096);
  while (!getcwd(dir.data(), dir.size())) {
    if (errno != ERANGE || dir.size() > (1u << 20)) return path;
    dir.resize(dir.size() * 2);
  }
  std::string absolute = dir.data();
  if (absolute.empty() || absolute.back() != '/') absolute += '/';
  return absolute + path;
}

// Records the current file name (given: as the user typed it) and what the
// file looks like now.  A name too long for it is not cut (a cut name is
// another file, which Save as would then propose): the text is left
// untitled instead.
void SetFileName(const char* given) {
  std::string path = AbsolutePath(given);
  size_t length = path.size();
  if (length >= sizeof g_cFileName) length = 0;
  memcpy(g_cFileName, path.data(), length);
  g_cFileName[length] = '\0';
  struct stat st;
  g_disk = length && stat(g_cFileName, &st) == 0 ? StampOf(st) : DiskStamp{};
  g_givenName = length ? given : "";
}

// A whole open file of about `expected` bytes, read into one malloc'd,
// NUL-terminated buffer; *size gets its length.  Null when a read fails (*failed) or
// memory runs out.
char* ReadWhole(FILE* f, size_t expected, size_t* size, bool* failed) {
  size_t capacity = expected + 1, n = 0;
  char* bytes = static_cast<char*>(malloc(capacity + 1));
  *failed = false;
  while (bytes) {
    n += fread(bytes + n, 1, capacity - n, f);
    if (n < capacity) break;
    char* grown = static_cast<char*>(realloc(bytes, 2 * capacity + 1));
    if (!grown) free(bytes);
    bytes = grown;
    capacity *= 2;
  }
  if (bytes && ferror(f)) {
    free(bytes);
    bytes = nullptr;
    *failed = true;
  }
  if (!bytes) return nullptr;
  bytes[n] = '\0';
  *size = n;
  return bytes;
}

// True when the save may go on: a name that is not the current file's, or
// the current file as it was loaded or saved, or the user's yes.
bool MayWriteOver(const std::string& name, const char* shown) {
  if (!g_disk.known || name != g_cFileName) return true;
  struct stat st;
  if (stat(name.c_str(), &st) != 0 || SameStamp(StampOf(st), g_disk)) return true;
  return Ask(kChanged, shown) == KRN_OK;
}

// Every way a load ends.
enum LoadResult { kNoPath, kMissing, kRefused, kRefusedLarge, kOutOfMemory, kLoaded };

LoadResult Load(const char* path) {
  if (!path || !*path) return kNoPath;
  struct stat st;
  FILE* f = fopen(path, "r");
  if (!f || fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
    bool missing = !f && errno == ENOENT;
    if (f) fclose(f);
    ShowError(kNotExist, path);
    return missing ? kMissing : kRefused;
  }
  FileCloser closer{f};
  WaitCursor wait(krnGetWindow("Quelmo"));
  // Every line feed may have lost a carriage return: only a file larger
  // than that can be refused unread.
  if (st.st_size > 2 * (kMaxTextBytes + 1)) {
    ShowError(kTooLarge, path);
    return kRefusedLarge;
  }
  size_t size = 0;
  bool failed;
  std::unique_ptr<char, decltype(&free)> raw(
      ReadWhole(f, static_cast<size_t>(st.st_size), &size, &failed), free);
  if (!raw) {
    ShowError(failed ? kNotExist : kNoMemory, path);
    return failed ? kRefused : kOutOfMemory;
  }
  // Line ends are mended in a copy only when the file has carriage returns.
  std::string lines;
  const char* view = raw.get();
  size_t viewSize = size;
  if (memchr(view, '\r', size)) {
    lines = TextFromFile(view, size);
    view = lines.data();
    viewSize = lines.size();
  }
  KrnTextCode decoded;
  if (!krnDecodeText(view, static_cast<int>(viewSize), g_korrin.charCode, &decoded)) {
    ShowError(kNoMemory, path);
    return kOutOfMemory;
  }
  std::unique_ptr<char, decltype(&free)> converted(decoded.text, free);
  // A text that needed no conversion goes to the editor from the bytes
  // already held, so that loading keeps the text in memory twice at most.
  const char* text = decoded.text;
  if (static_cast<size_t>(decoded.length) == viewSize && memcmp(text, view, viewSize) == 0) {
    converted.reset();
    decoded.text = nullptr;
    text = view;
  }
  // The limit is on the text less its final newline, which the editor
  // adds when it is missing: every text saved within it opens again.
  int body = decoded.length - (decoded.length > 0 && text[decoded.length - 1] == '\n');
  if (body > kMaxTextBytes) {
    ShowError(kTooLarge, path);
    return kRefusedLarge;
  }
  if (krnSetText_InputBox(krnGetWindow("InputBox"), text, decoded.length) < 0) {
    ShowError(kNoMemory, path);
    return kOutOfMemory;
  }
  SetFileName(path);
  TakeFileCode(decoded, static_cast<long>(size), path);
  return kLoaded;
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

// A file's bytes with every line end made a line feed (a carriage return
// before a line feed is dropped, a lone one becomes a line feed, so that
// lines never merge); all other bytes, NULs included, are kept.  The code
// conversion to the working code comes after.
std::string TextFromFile(const char* bytes, size_t size) {
  std::string text;
  text.reserve(size);
  for (size_t i = 0; i < size; i++) {
    if (bytes[i] != '\r') {
      text += bytes[i];
    } else if (i + 1 >= size || bytes[i + 1] != '\n') {
      text += '\n';
    }
  }
  return text;
}

// The bytes of the editor's text in its file's code, without any X call
// or dialog (the emergency save uses it too): when that code cannot hold
// every character, the text's own bytes, so that none is lost.
std::string FileFromText(const char* text, size_t length) {
  char* bytes = nullptr;
  int n = 0;
  int lost = krnEncodeText(text, static_cast<int>(length), g_korrin.charCode, g_fileCode.save,
                           g_fileCode.bom, &bytes, &n);
  std::string out =
      lost == 0 ? std::string(bytes, static_cast<size_t>(n)) : std::string(text, length);
  free(bytes);
  return out;
}

// The name Save as proposes: the current name as the user gave it while it
// still names the same file from the current directory (which the file
// dialog may have changed), else its absolute path.
std::string ProposedName() {
  if (!g_givenName.empty() && AbsolutePath(g_givenName.c_str()) == g_cFileName) return g_givenName;
  return g_cFileName;
}

// Loads path into the input box.  0 for an empty path or a file that cannot
// be read (after its dialog), 1 otherwise.  A file that is refused leaves
// text, name, status and modified flag as they were.
int TakeInText(const char* path) {
  LoadResult result = Load(path);
  return result == kNoPath || result == kMissing || result == kRefused ? 0 : 1;
}

// Loads the file named on the command line.  A name that does not exist
// yet stays the current name, for a new text; a file that exists but is
// refused (a directory, unreadable, too large) leaves the text untitled, so
// that a save never proposes to write over it.
int TakeInFirstText(const char* path) {
  std::string name = path ? path : "";
  SetFileName("");
  LoadResult result = Load(name.c_str());
  if (result == kMissing) SetFileName(name.c_str());
  return result == kLoaded || result == kRefusedLarge || result == kOutOfMemory;
}

// Saves the input box's text to path, replacing the file safely.  0 for an
// empty path, a save the user called off, or when the bytes did not all
// reach the file (after its dialog; the text stays modified and name and
// status stay as they were), 1 otherwise.
int TakeOutText(const char* path) {
  if (!path || !*path) return 0;
  if (!MaySave(path)) return 0;
  KrnWindow* box = krnGetWindow("InputBox");
  const char* text = krnGetText_InputBox(box);
  char* bytes = nullptr;
  long length = 0;
  int encoded =
      text ? EncodeForSaving(text, krnGetLength_InputBox(box), path, &bytes, &length) : -1;
  if (encoded == 0) return 0;
  if (encoded < 0) {
    ShowError(kCantSave, path);
    return 1;
  }
  std::unique_ptr<char, decltype(&free)> owned(bytes, free);
  std::string name = AbsolutePath(path);
  if (!MayWriteOver(name, path)) return 0;
  WaitCursor wait(krnGetWindow("Quelmo"));
  if (!krnReplaceFile(name.c_str(), bytes, length)) {
    ShowError(kCantWrite, path);
    return 0;
  }
  TakeSavedCode(bytes, length, path);
  krnSetUpdateFlag_InputBox(box, 0);
  SetFileName(path);
  return 1;
}
