/*
 * rcfile.cpp - the resource file store: line-oriented files of "[group]"
 * headers and "key=value" entries.  Every public call reads the whole file
 * into one buffer, looks up or edits it there and (for a set) writes it back;
 * nothing survives between calls.  An edit changes only the bytes it must:
 * remarks, blank lines and the order of other entries stay as they were.
 * No X here: the settings loader and the colour code build on this module.
 */
#include <korrin.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <climits>
#include <memory>
#include <string>

namespace {

constexpr int kLineBuffer = 1024;    // a line holds at most 1023 bytes before its line feed
constexpr int kPatternBuffer = 256;  // formatted headers, patterns and written entries
constexpr int kMaxGroup = kPatternBuffer - 4;     // "[%s]\n" fits 255 bytes
constexpr int kMaxKeyValue = kPatternBuffer - 3;  // "%s=%s\n" fits 255 bytes
const char kNoMemory[] = "Error: Can't allocate memory (rc file i/o libray).\n";
const char kNoMemoryEdit[] = "Error: Can't allocate memory (rc file i/o libray).";

char* g_pRCFileData = nullptr;  // the file's bytes during one public call
int g_nSize = 0;                // number of data bytes in the buffer
int g_nPos = 0;                 // next byte to read, or where an edit writes

// The last line GetRCLineChar read: where it starts and its full length,
// which may exceed what the line buffer holds.
int g_nLineStart = 0;
int g_nLineLength = 0;

struct FileCloser {
  void operator()(FILE* f) const { fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

int ByteCopy(char* destination, const char* source, int count) {
  if (count > 0) memmove(destination, source, size_t(count));
  return count;
}

// Resizes the buffer keeping its contents; null when out of memory, in which
// case the old buffer is still valid and unchanged.
char* ChangeSize(char* buffer, int size) {
  return static_cast<char*>(realloc(buffer, size_t(size > 0 ? size : 1)));
}

void FreeBuffer() {
  free(g_pRCFileData);
  g_pRCFileData = nullptr;
  g_nSize = 0;
  g_nPos = 0;
}

// Reads the file whole into the buffer: 1, or 0 when out of memory.
int LoadBuffer(FILE* file) {
  struct stat st;
  long long size = 0;
  if (fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode)) size = st.st_size;
  if (size >= INT_MAX - kPatternBuffer * 2) return 0;
  g_pRCFileData = static_cast<char*>(malloc(size_t(size) + 1));
  if (!g_pRCFileData) return 0;
  // A file that shrank since stat keeps only the bytes actually read.
  g_nSize = int(fread(g_pRCFileData, 1, size_t(size), file));
  g_nPos = 0;
  return 1;
}

int StartEmptyBuffer() {
  g_pRCFileData = static_cast<char*>(malloc(1));
  g_nSize = 0;
  g_nPos = 0;
  return g_pRCFileData != nullptr;
}

// Replaces the bytes [from, to) of the buffer by count bytes; the buffer is
// grown before the tail moves and shrunk after it, so a failed resize leaves
// the old contents whole.  1, or 0 when out of memory.
int Splice(int from, int to, const char* bytes, int count) {
  int newSize = g_nSize - (to - from) + count;
  if (newSize > g_nSize) {
    char* grown = ChangeSize(g_pRCFileData, newSize);
    if (!grown) {
      fputs(kNoMemoryEdit, stderr);
      return 0;
    }
    g_pRCFileData = grown;
  }
  ByteCopy(g_pRCFileData + from + count, g_pRCFileData + to, g_nSize - to);
  ByteCopy(g_pRCFileData + from, bytes, count);
  if (newSize < g_nSize) {
    char* shrunk = ChangeSize(g_pRCFileData, newSize);
    if (shrunk) g_pRCFileData = shrunk;  // else the larger block still holds the data
  }
  g_nSize = newSize;
  g_nPos = from + count;
  return 1;
}

bool StartsWith(const char* line, int length, const std::string& pattern) {
  return length >= int(pattern.size()) && memcmp(line, pattern.data(), pattern.size()) == 0;
}

// Reads the line at g_nPos into line (at most 1023 bytes kept, always
// terminated) and moves past its line feed.  1, or 0 when no line is left.
// Bytes after the last line feed form a line too: a file whose last header
// or entry has no line feed must read and edit like one that has it.
int GetRCLineChar(char* line) {
  line[0] = '\0';
  if (g_nPos >= g_nSize) return 0;
  const char* start = g_pRCFileData + g_nPos;
  const char* feed = static_cast<const char*>(memchr(start, '\n', size_t(g_nSize - g_nPos)));
  int length = feed ? int(feed - start) : g_nSize - g_nPos;
  int kept = length < kLineBuffer - 1 ? length : kLineBuffer - 1;
  memcpy(line, start, size_t(kept));
  line[kept] = '\0';
  g_nLineStart = g_nPos;
  g_nLineLength = length;
  g_nPos += feed ? length + 1 : length;
  return 1;
}

int SeekRCGroup(const char* group) {
  std::string pattern = std::string("[") + group + "]";
  char line[kLineBuffer];
  while (g_nPos < g_nSize && GetRCLineChar(line)) {
    if (StartsWith(line, g_nLineLength, pattern)) return 1;
  }
  return 0;
}

// Finds the key's entry in the group the cursor stands in.  A line longer
// than the line buffer does not fit the caller's value buffer: such an entry
// is reported as missing rather than cut short.
int GetRCKeyValue(const char* key, char* value) {
  std::string pattern = std::string(key) + "=";
  char line[kLineBuffer];
  while (g_nPos < g_nSize) {
    if (!GetRCLineChar(line)) return 0;
    if (StartsWith(line, g_nLineLength, pattern)) {
      if (g_nLineLength > kLineBuffer - 1) return 0;
      int length = g_nLineLength - int(pattern.size());
      memcpy(value, line + pattern.size(), size_t(length));
      value[length] = '\0';
      return 1;
    }
    if (line[0] == '[') return 0;
  }
  return 0;
}

// The insertion point for a new entry before limit: just past the line feed
// of the last line before limit that holds "=" or "]".  Index 0 is never
// examined; within a found group the header's "]" always lies after it.
int BackSearchString(int limit) {
  int i = limit - 1;
  while (i >= 1 && g_pRCFileData[i] != '=' && g_pRCFileData[i] != ']') i--;
  if (i < 1) {
    g_nPos = limit;
    return limit;
  }
  while (i < limit && g_pRCFileData[i] != '\n') i++;
  g_nPos = i < limit ? i + 1 : limit;
  return g_nPos;
}

// Inserts the entry at the insertion point; after a last line without a
// line feed one is added first, so that line keeps its bytes and the entry
// starts a line of its own.
int InsertRCKeyValue(int limit, const char* key, const char* value) {
  int point = BackSearchString(limit);
  std::string entry;
  if (point > 0 && g_pRCFileData[point - 1] != '\n') entry += '\n';
  entry += std::string(key) + "=" + value + "\n";
  return Splice(point, point, entry.data(), int(entry.size()));
}

// Replaces or inserts the entry in the group that SeekRCGroup found.
int SetRCKeyValue(const char* key, const char* value) {
  std::string pattern = std::string(key) + "=";
  char line[kLineBuffer];
  while (g_nPos < g_nSize) {
    if (!GetRCLineChar(line)) return 0;
    if (StartsWith(line, g_nLineLength, pattern)) {
      // Only the old value's bytes change; key, "=" and line feed stay.
      int from = g_nLineStart + int(pattern.size());
      int to = g_nLineStart + g_nLineLength;
      return Splice(from, to, value, int(strlen(value)));
    }
    if (line[0] == '[') return InsertRCKeyValue(g_nLineStart, key, value);
  }
  return InsertRCKeyValue(g_nSize, key, value);
}

// Appends a new group with its one entry at the end of the data.
int SetRCGroupKeyValue(const char* group, const char* key, const char* value) {
  std::string lines;
  if (g_nSize > 0 && g_pRCFileData[g_nSize - 1] != '\n') lines += '\n';
  lines += std::string("[") + group + "]\n" + key + "=" + value + "\n";
  return Splice(g_nSize, g_nSize, lines.data(), int(lines.size()));
}

// Names and values the store can format and read back whole.
bool FitsLimits(const char* group, const char* key, const char* value) {
  if (strlen(group) > size_t(kMaxGroup)) return false;
  size_t keyValue = strlen(key) + (value ? strlen(value) : 0);
  if (keyValue > size_t(kMaxKeyValue)) return false;
  // A line feed would split the header or entry and corrupt the group.
  if (strchr(group, '\n') || strchr(key, '\n') || (value && strchr(value, '\n'))) return false;
  // An entry line beginning with "[" reads as a header and ends the group;
  // a "]" in a group name makes its header read as a shorter name's; an
  // "=" in a key makes the entry read as another key's.
  if (key[0] == '[' || strchr(key, '=') || strchr(group, ']')) return false;
  return true;
}

}  // namespace

// Reads the value of key in group into value (trimmed of blanks and tabs at
// both ends): 1 when found, 0 otherwise (value is then left untouched).  The
// buffer needs room for 1023 bytes minus the key's length.
int krnGetRCFileValue(const char* path, const char* group, const char* key, char* value) {
  if (!path || !group || !key || !value || !FitsLimits(group, key, nullptr)) return 0;
  FilePtr file(fopen(path, "r"));
  if (!file) {
    fprintf(stderr, "Error: Can't open rc file (%s)\n", path);
    return 0;
  }
  if (!LoadBuffer(file.get())) {
    fputs(kNoMemory, stderr);
    FreeBuffer();
    return 0;
  }
  file.reset();
  int found = SeekRCGroup(group) && GetRCKeyValue(key, value);
  if (found) krnSpaceCut(value);
  FreeBuffer();
  return found;
}

namespace {

// Loads the file for an edit, or starts empty when it does not exist yet.
// 0 when it exists but cannot be read, or memory runs out.
int LoadForEdit(const char* path) {
  FilePtr file(fopen(path, "r"));
  if (!file) {
    if (errno != ENOENT) {
      // Rewriting a file that exists but cannot be read would lose it.
      fprintf(stderr, "Error: Can't open rc file (%s)\n", path);
      return 0;
    }
    fprintf(stderr, "Warring: Can't open rc file (%s). Create it.\n", path);
    if (StartEmptyBuffer()) return 1;
  } else if (LoadBuffer(file.get())) {
    return 1;
  }
  fputs(kNoMemory, stderr);
  FreeBuffer();
  return 0;
}

// Writes the buffer back safely: a failed write leaves the old file whole.
int WriteBuffer(const char* path) {
  if (krnReplaceFile(path, g_pRCFileData, g_nSize)) return 1;
  fprintf(stderr, "Error: Can't write rc file (%s)\n", path);
  return 0;
}

}  // namespace

// Stores value under key in group, creating the file, the group or the entry
// as needed, and writes the file back: 1 on success, 0 otherwise.  A failed
// edit leaves the file as it was.  The value is stored as given (untrimmed).
int krnSetRCFileValue(const char* path, const char* group, const char* key, const char* value) {
  if (!path || !group || !key || !value || !FitsLimits(group, key, value)) return 0;
  if (!LoadForEdit(path)) return 0;
  int result =
      SeekRCGroup(group) ? SetRCKeyValue(key, value) : SetRCGroupKeyValue(group, key, value);
  // Nothing changed when the edit failed: the file is not touched then.
  if (result) result = WriteBuffer(path);
  FreeBuffer();
  return result;
}

// Removes blanks and tabs at both ends of string, in place.  Always 1.
int krnSpaceCut(char* string) {
  if (!string) return 1;
  size_t start = strspn(string, " \t");
  size_t length = strlen(string + start);
  memmove(string, string + start, length + 1);
  while (length > 0 && (string[length - 1] == ' ' || string[length - 1] == '\t')) {
    string[--length] = '\0';
  }
  return 1;
}
