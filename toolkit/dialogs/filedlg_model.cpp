// filedlg_model.cpp - the file dialog's listing and paths, without X.
#include "dialogs/filedlg_model.h"

#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fdlg {

namespace {

bool IsParent(const std::string& name) {
  return name == "..";
}

bool Hidden(const std::string& name, int filter) {
  if (IsParent(name)) return false;
  if (filter == kAll) return name == ".";
  return !name.empty() && name[0] == '.';
}

bool Shown(const Entry& e, const char* const* extensions, int filter) {
  if (Hidden(e.name, filter)) return false;
  if (filter != kSelect || e.kind == kDirectory || IsParent(e.name)) return true;
  return e.name.size() >= kMinNameLength && ExtensionMatches(e.name, extensions);
}

// The entry's kind through stat, which follows symbolic links.  A dangling
// link or an entry gone since the directory was read is a file: entering
// it as a directory could only fail.
Kind KindOf(const std::string& dir, const char* name) {
  std::string path = dir + "/" + name;
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return kDirectory;
  return kFile;
}

// True when dir is the root directory, whose ".." leads nowhere.
bool IsRoot(const char* dir) {
  struct stat here, root;
  return stat(dir, &here) == 0 && stat("/", &root) == 0 && here.st_dev == root.st_dev &&
         here.st_ino == root.st_ino;
}

}  // namespace

bool ExtensionMatches(const std::string& name, const char* const* extensions) {
  if (!extensions) return false;
  size_t dot = name.rfind('.');
  std::string ext = dot == std::string::npos || dot == 0 ? name : name.substr(dot);
  for (const char* const* e = extensions; *e; e++)
    if (ext == *e) return true;
  return false;
}

std::vector<Entry> Arrange(const std::vector<Entry>& sorted, const char* const* extensions,
                           int filter) {
  std::vector<Entry> out;
  for (const Entry& e : sorted)
    if (e.kind == kDirectory && Shown(e, extensions, filter)) out.push_back(e);
  for (const Entry& e : sorted)
    if (e.kind != kDirectory && Shown(e, extensions, filter)) out.push_back(e);
  // ".." trades places with whatever came first.
  for (size_t i = 1; i < out.size(); i++)
    if (IsParent(out[i].name)) {
      std::swap(out[0], out[i]);
      break;
    }
  return out;
}

bool GetFlist(const char* dir, const char* const* extensions, int filter, std::vector<Entry>* out,
              bool* gone) {
  struct dirent** names = nullptr;
  int n = scandir(dir, &names, nullptr, alphasort);
  if (n < 0) {
    fprintf(stderr, "Error: Can't scan directory.\n");
    return false;
  }
  std::vector<Entry> sorted;
  bool listsItself = false, listsParent = false;
  for (int i = 0; i < n; i++) {
    std::string name = names[i]->d_name;
    listsItself = listsItself || name == ".";
    listsParent = listsParent || IsParent(name);
    free(names[i]);
    if (IsParent(name) && IsRoot(dir)) continue;
    sorted.push_back(Entry{name, KindOf(dir, name.c_str())});
  }
  free(names);
  // A removed directory reads as empty, without even "." and "..".
  if (!listsParent && !IsRoot(dir)) sorted.insert(sorted.begin(), Entry{"..", kDirectory});
  if (gone) *gone = !listsItself;
  *out = Arrange(sorted, extensions, filter);
  return true;
}

std::string RowText(const Entry& entry) {
  return entry.kind == kDirectory || IsParent(entry.name) ? entry.name + "/" : entry.name;
}

bool CheckFile(const std::string& name, const std::vector<Entry>& entries) {
  for (const Entry& e : entries)
    if (e.name == name) return true;
  return false;
}

bool FileExists(const std::string& name) {
  struct stat st;
  return stat(name.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string CutPath(const std::string& path, size_t size) {
  if (size == 0) return std::string();
  if (path.size() < size) return path;
  static const char kMark[] = "...";
  size_t room = size - 1 - (sizeof kMark - 1);
  size_t slash = path.find('/', path.size() - room);
  if (slash == std::string::npos) return std::string();
  return kMark + path.substr(slash);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (name.empty() || name == ".") return dir;
  if (name == "..") {
    size_t slash = dir.rfind('/');
    if (slash == std::string::npos) return dir;
    return slash == 0 ? "/" : dir.substr(0, slash);
  }
  return dir == "/" ? dir + name : dir + "/" + name;
}

std::string CurrentDir() {
  std::vector<char> buffer(kDirSize);
  for (;;) {
    if (getcwd(buffer.data(), buffer.size())) return buffer.data();
    if (errno != ERANGE || buffer.size() > (1u << 24)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace fdlg
