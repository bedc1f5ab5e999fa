// Emergency save: when the session ends under the editor (the X server goes
// away, or the program gets SIGTERM or SIGHUP), a modified text is written
// to NAME.save beside its file (quelmo.save in the home directory for an
// untitled text, or when its own directory refuses), never over an existing
// file, and the program ends with a non-zero status.  A signal only sets a
// flag; the main window's timer event, which every loop of the toolkit
// sends (modal dialogs included) at once when a signal cuts its wait short,
// acts on it.  Xlib calls the I/O error
// handler once the connection is gone: the handler must not return and
// can make no X call, so it reads the text from the editor's memory.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "quelmo.h"

namespace {

volatile sig_atomic_t g_signal = 0;  // the signal that asked the program to end

void OnSignal(int signal) {
  g_signal = signal;
}

// Creates base.save, or base.1.save, base.2.save ... when that exists: a
// new file only, never one that is there already.  -1 on failure.
int CreateNew(const std::string& base, std::string* chosen) {
  for (int n = 0; n < 1000; n++) {
    std::string name = base + (n ? "." + std::to_string(n) : "") + ".save";
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      *chosen = name;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

// Writes the bytes to a new file named after base; false when any step failed.
bool WriteNew(const std::string& base, const std::string& bytes, std::string* chosen) {
  int fd = CreateNew(base, chosen);
  if (fd < 0) return false;
  const char* p = bytes.data();
  size_t left = bytes.size();
  bool ok = true;
  while (ok && left > 0) {
    ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) p += n, left -= size_t(n);
  }
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok) unlink(chosen->c_str());
  return ok;
}

std::string HomeBase() {
  const char* home = getenv("HOME");
  return std::string(home && *home ? home : ".") + "/quelmo";
}

// Saves a modified text, says where it went, and ends the program.
[[noreturn]] void SaveAndExit(const char* reason, int status) {
  KrnWindow* box = krnGetWindow("InputBox");
  const char* text = krnGetText_InputBox(box);
  if (text && krnIsUpdate_InputBox(box) == 1) {
    std::string bytes = FileFromText(text, static_cast<size_t>(krnGetLength_InputBox(box)));
    std::string chosen;
    if ((g_cFileName[0] && WriteNew(g_cFileName, bytes, &chosen)) ||
        WriteNew(HomeBase(), bytes, &chosen))
      fprintf(stderr, "Error: %s: the unsaved text was saved in %s\n", reason, chosen.c_str());
    else
      fprintf(stderr, "Error: %s: the unsaved text could not be saved (%s)\n", reason,
              strerror(errno));
  }
  _exit(status);
}

int OnIOError(Display*) {
  SaveAndExit("the X connection was lost", 1);
}

}  // namespace

// Installs the handlers: SIGTERM and SIGHUP set the flag, the main window's
// timer event reads it, and a lost X connection saves at once.
void InstallEmergencySave(KrnWindow* main) {
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_handler = OnSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  // A write to a server that went away must fail with EPIPE, so that Xlib
  // calls the handler below, instead of killing the program unsaved.
  signal(SIGPIPE, SIG_IGN);
  XSetIOErrorHandler(OnIOError);
  krnSetTimerEvent(main, KRN_TIMER_LAZY);
}

// Acts on a signal that arrived since the last turn: the text is saved and
// the program ends with 128 + the signal's number, as a shell reports it.
void CheckEmergencySave() {
  int signal = g_signal;
  if (signal) SaveAndExit(signal == SIGTERM ? "SIGTERM" : "SIGHUP", 128 + signal);
}
