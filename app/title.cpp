// The main window's title and the status line's modified mark: the title
// names the current file ("memo.txt - Quelmo"), and a leading "* " on the
// status line tells that the text has changes not yet saved.  Both follow
// the text once per loop turn, whoever changed the file name, the status
// or the text.
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <string>

#include "quelmo.h"

namespace {

const char kAppTitle[] = "Quelmo";
const char kMark[] = "* ";

// The file name the title shows now (the title is set when it changes).
std::string g_titled = "\x01";  // never a file name: the first turn sets it

}  // namespace

std::string TitleOf(const char* fileName) {
  if (!fileName || !fileName[0]) return kAppTitle;
  const char* base = strrchr(fileName, '/');
  base = base && base[1] ? base + 1 : fileName;
  return std::string(base) + " - " + kAppTitle;
}

std::string MarkedStatus(const char* status, bool modified) {
  std::string text = status ? status : "";
  bool marked = text.compare(0, sizeof kMark - 1, kMark) == 0;
  if (modified && !marked) return kMark + text;
  if (!modified && marked) return text.substr(sizeof kMark - 1);
  return text;
}

// The main window's idle callback: title and mark brought up to date.
int OnIdle_Main(KrnWindow* main) {
  if (g_titled != g_cFileName) {
    g_titled = g_cFileName;
    krnSetTitle(main, TitleOf(g_cFileName).c_str());
  }
  KrnWindow* bar = krnGetWindow("MenuBar");
  const char* status = krnGetStatus_MenuBar(bar);
  if (!status) return 1;
  bool modified = krnIsUpdate_InputBox(krnGetWindow("InputBox")) == 1;
  bool marked = strncmp(status, kMark, sizeof kMark - 1) == 0;
  if (modified != marked) krnSetStatus_MenuBar(bar, MarkedStatus(status, modified).c_str());
  return 1;
}

// A name on the command line that names no file yet starts an empty,
// unmodified text under that name: the first save creates the file.
// 1 when that is so, 0 when the file is to be loaded.
int StartNewFile(const char* path) {
  struct stat st;
  if (!path || !path[0] || stat(path, &st) == 0 || errno != ENOENT) return 0;
  char status[256];
  snprintf(status, sizeof status, "New file [%s]", path);
  krnSetStatus_MenuBar(krnGetWindow("MenuBar"), status);
  return 1;
}
