// bench_text.h - what the benchmarks share: a private Xvfb for the run,
// the 1.9 MB EUC-JP benchmark text (the same bytes on every run) and the
// wait for a window's pixels to change (XDamage).
#ifndef KRN_BENCH_TEXT_H
#define KRN_BENCH_TEXT_H

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>

namespace benchtext {

// A private X server for the run, killed at exit.
class PrivateServer {
 public:
  PrivateServer() {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      int devnull = open("/dev/null", O_RDWR);
      if (devnull >= 0) {
        dup2(devnull, 1);
        dup2(devnull, 2);
      }
      std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
             "tcp", (char*)nullptr);
      _exit(127);
    }
    close(fds[1]);
    std::string digits;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') digits += c;
    close(fds[0]);
    if (!digits.empty()) name_ = ":" + digits;
  }
  ~PrivateServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// A deterministic pseudo-random source (the same text on every run).
struct Lcg {
  unsigned seed = 1;
  unsigned Next(unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % n;
  }
};

// One piece of running text: an ASCII word with its space, or a run of
// one to four first-level kanji (EUC-JP).
inline std::string Piece(Lcg& r) {
  std::string p;
  if (r.Next(3) == 0) {
    int n = 3 + static_cast<int>(r.Next(6));
    for (int k = 0; k < n; k++) p += static_cast<char>('a' + r.Next(26));
    p += ' ';
  } else {
    int n = 1 + static_cast<int>(r.Next(4));
    for (int k = 0; k < n; k++) {
      p += static_cast<char>(0xB0 + r.Next(20));
      p += static_cast<char>(0xA1 + r.Next(90));
    }
  }
  return p;
}

// Appends about `size` bytes of running text (never more) and a newline.
inline void AppendLine(std::string& text, Lcg& r, size_t size) {
  size_t end = text.size() + size;
  for (;;) {
    std::string p = Piece(r);
    if (text.size() + p.size() > end) break;
    text += p;
  }
  while (text.size() < end) text += 'z';
  text += '\n';
}

constexpr size_t kTextSize = 1900000;
constexpr size_t kBigParagraph = 8192;

// The benchmark text: lines of 20 to 200 bytes and, every 20 to 60 lines, a
// paragraph of 2 to 8 KB without a line feed; the paragraph that crosses
// the middle is exactly 8 KB.  *middle is a character start half-way
// through that paragraph.
inline std::string MakeText(int* middle) {
  std::string text;
  Lcg r;
  bool placed = false;
  while (text.size() < kTextSize) {
    int lines = 20 + static_cast<int>(r.Next(41));
    for (int i = 0; i < lines; i++) AppendLine(text, r, 20 + r.Next(181));
    if (!placed && text.size() >= kTextSize / 2) {
      size_t start = text.size();
      AppendLine(text, r, kBigParagraph - 1);
      size_t m = start;  // pieces are ASCII bytes and kanji pairs
      while (m < start + kBigParagraph / 2)
        m += static_cast<unsigned char>(text[m]) >= 0xA1 ? 2 : 1;
      *middle = static_cast<int>(m);
      placed = true;
    } else {
      AppendLine(text, r, 2048 + r.Next(6145));
    }
  }
  text.resize(kTextSize);
  // the cut may split a kanji: end the text with a plain byte and a newline
  text[kTextSize - 2] = 'z';
  text.back() = '\n';
  return text;
}

inline double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Waits up to `seconds` for a DamageNotify; true when one came.
inline bool WaitDamage(Display* dpy, int damageEvent, double seconds) {
  double end = Now() + seconds;
  for (;;) {
    while (XPending(dpy)) {
      XEvent ev;
      XNextEvent(dpy, &ev);
      if (ev.type == damageEvent + XDamageNotify) return true;
    }
    double left = end - Now();
    if (left <= 0) return false;
    fd_set fds;
    FD_ZERO(&fds);
    FD_SET(ConnectionNumber(dpy), &fds);
    timeval tv{static_cast<time_t>(left), static_cast<suseconds_t>((left - (long)left) * 1e6)};
    select(ConnectionNumber(dpy) + 1, &fds, nullptr, nullptr, &tv);
  }
}

}  // namespace benchtext

#endif
