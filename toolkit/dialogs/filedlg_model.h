// filedlg_model.h - the file dialog's listing without X: reading a directory
// (alphabetical, directories first), the three filters with ".." always on
// top, the rows' texts, finding a listed name, and the current directory
// path kept within a fixed buffer.  The dialog itself is filedlg.cpp.
#ifndef KRN_DIALOGS_FILEDLG_MODEL_H
#define KRN_DIALOGS_FILEDLG_MODEL_H

#include <stddef.h>

#include <string>
#include <vector>

namespace fdlg {

enum Kind { kDirectory, kFile };
enum Filter { kAll = 0, kNormal = 1, kSelect = 2 };

// One listed directory entry.
struct Entry {
  std::string name;  // as read from the directory
  Kind kind;         // an entry whose status cannot be read counts as a file
};

constexpr size_t kDirSize = 4096;     // bytes of the current-directory text, NUL included
constexpr size_t kMinNameLength = 5;  // the select filter shows only longer file names

// The listing of dir for the filter, in display order: ".." first, then the
// other directories, then the files, each group alphabetical; entries the
// filter hides are left out.  extensions is null-terminated (or null).
// ".." is always offered, except at "/", so that the user can climb out
// of any directory.  False when the directory cannot be read; *gone (when
// given) tells a directory removed while it is the current one, which
// lists ".." alone.
bool GetFlist(const char* dir, const char* const* extensions, int filter, std::vector<Entry>* out,
              bool* gone = nullptr);

// The filtering and ordering step alone, for names already read in
// alphabetical order with their kinds.
std::vector<Entry> Arrange(const std::vector<Entry>& sorted, const char* const* extensions,
                           int filter);

// The select filter's test for a file name.
bool ExtensionMatches(const std::string& name, const char* const* extensions);

// The text of a row: "../" for "..", "name/" for a directory, the name.
std::string RowText(const Entry& entry);

// True when some listed entry has exactly this name.
bool CheckFile(const std::string& name, const std::vector<Entry>& entries);

// True when name (relative to the current directory, or absolute) is an
// existing file other than a directory, listed or not.
bool FileExists(const std::string& name);

// Fits a path into a buffer of size bytes (NUL included): a longer one
// keeps its end after "...", cut at a "/" so that no character is split.
std::string CutPath(const std::string& path, size_t size = kDirSize);

// The directory reached from dir by entering name ("..": one level up),
// for when the system cannot tell the current directory.
std::string JoinPath(const std::string& dir, const std::string& name);

// The process's current directory of any length, or the empty text.
std::string CurrentDir();

}  // namespace fdlg

#endif
