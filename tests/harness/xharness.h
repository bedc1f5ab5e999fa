// Test harness: a private Xvfb per test program, a private HOME, the
// ja_JP.eucJP locale, an optional open toolkit session, and helpers to feed
// events and read pixels back.
#ifndef KRN_TEST_XHARNESS_H
#define KRN_TEST_XHARNESS_H

#include <gtest/gtest.h>
#include <korrin.h>

#include <functional>
#include <string>
#include <vector>

namespace krntest {

// One Xvfb server started with -displayfd, killed on destruction.
class XServer {
 public:
  XServer(int depth = 24, int width = 1024, int height = 768);
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  bool ok() const { return number_ >= 0; }
  std::string name() const { return ":" + std::to_string(number_); }

 private:
  int pid_ = -1;
  int number_ = -1;
};

// A fresh empty directory, removed with its contents on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Global environment: starts the server, points DISPLAY at it, gives the
// program a private empty HOME and the ja_JP.eucJP locale.  With
// openSession the toolkit's display is opened once for the whole program
// (tests reach it through Dpy()) and closed at the end.
class XEnvironment : public ::testing::Environment {
 public:
  XEnvironment(int depth, bool openSession) : depth_(depth), openSession_(openSession) {}
  void SetUp() override;
  void TearDown() override;

 private:
  int depth_;
  bool openSession_;
};

// Registers the environment for this test program; use once per file at
// namespace scope: KRN_X_ENVIRONMENT(24, true);
#define KRN_X_ENVIRONMENT(depth, session)                            \
  static ::testing::Environment* const krn_x_env_ [[maybe_unused]] = \
      ::testing::AddGlobalTestEnvironment(new ::krntest::XEnvironment(depth, session))

Display* Dpy();             // the open toolkit display
const std::string& Home();  // the private HOME
const std::string& DisplayName();

// Polls pred until true or timeout; returns pred's last answer.  Between
// polls it syncs with the server, so conditions that depend on the server
// having processed requests become visible.
bool WaitFor(const std::function<bool()>& pred, int timeoutMs = 5000);

// Runs one turn of the toolkit's loop over every top-level window (a small
// helper window ends it), after syncing with the server.
void Pump();
// Pumps until pred holds or the timeout passes; returns pred's last answer.
bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

// Waits until the X server reports the window as viewable.
bool WaitMapped(Window w, int timeoutMs = 5000);

// Reads one pixel of a drawable (window or pixmap).
unsigned long Pixel(Drawable d, int x, int y);
// Reads a rectangle of pixels, row by row.
std::vector<unsigned long> Pixels(Drawable d, int x, int y, int w, int h);

// One single-byte glyph as the server draws it with the session's font in
// fg on bg, in a cell as wide as the glyph and rowHeight high, its baseline
// where the toolkit's text rows put it: the reference for placed glyphs.
std::vector<unsigned long> GlyphPixels(Drawable like, char c, unsigned long fg, unsigned long bg,
                                       int rowHeight);

// Removes every queued event for the given window (0 = all) and returns how
// many were dropped.
int DrainEvents(Window w = 0);

// Builds a key event for a window from a keysym (the keycode the server maps
// it to) with the given modifier state and time.
XEvent KeyEvent(Window w, KeySym sym, unsigned int state = 0, Time time = 0, int type = KeyPress);

// Runs a command line through the shell and returns its standard output;
// status receives the exit status.
std::string Run(const std::string& command, int* status = nullptr);

// Limits the size of the files this process writes while it lives, with
// SIGXFSZ ignored: a longer write fails part way, as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(unsigned long bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  unsigned long oldLimit_;
};

// Reads a whole file (empty when missing).
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& data);

// glibc's iconv of a whole string, the oracle of the code conversions:
// "<not convertible>" (and *ok false) when iconv refuses any of it.
std::string Iconv(const char* to, const char* from, const std::string& in, bool* ok = nullptr);

}  // namespace krntest

#endif
