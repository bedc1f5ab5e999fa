// Timings of the multi-line editor on a 1.9 MB EUC-JP text of short lines
// and long paragraphs that wrap: setting the whole text; one character, one
// BackSpace and one Return inside an 8 KB paragraph in the middle, each with
// its drawing (the display is synced every time so the server's work
// counts too); one PageDown; the editor's heap for the text; and the time
// from a key press sent through XTEST to the first change of the editor's
// pixels, with the event loop running in a separate process at Interval 35.
// Runs on a private Xvfb with a private HOME, never on the caller's display.
#include <benchmark/benchmark.h>
#include <korrin.h>

#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "controls/inputmltwnd_model.h"

namespace {

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
std::string Piece(Lcg& r) {
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
void AppendLine(std::string& text, Lcg& r, size_t size) {
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
std::string MakeText(int* middle) {
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

struct Session {
  PrivateServer server;
  char home[32] = "/tmp/krnbench.XXXXXX";
  Display* display = nullptr;
  KrnWindow* editor = nullptr;
  int middle = 0;
  std::string text = MakeText(&middle);

  Session() {
    if (server.name().empty() || !mkdtemp(home)) return;
    setenv("DISPLAY", server.name().c_str(), 1);
    setenv("HOME", home, 1);
    setenv("LANG", "ja_JP.eucJP", 1);
    setenv("LC_ALL", "ja_JP.eucJP", 1);
    setenv("XMODIFIERS", "@im=none", 1);
    char prog[] = "bench_inputmltwnd";
    char* argv[] = {prog, nullptr};
    display = krnOpenDisplay(1, argv);
    if (!display) return;
    editor = krnCreateWindow_InputMltWnd(display, nullptr, krnSetRect(0, 0, 640, 480), "bench",
                                         text.data(), static_cast<int>(text.size()), 0);
    XSync(display, False);
  }
  ~Session() {
    if (display) krnCloseDisplay(display);
    std::string rm = std::string("rm -rf '") + home + "'";
    if (system(rm.c_str()) != 0) fprintf(stderr, "could not remove %s\n", home);
  }
  // A key press through the editor's procedure, as the event loop delivers it.
  void Key(KeySym sym) {
    XEvent ev{};
    ev.xkey.type = KeyPress;
    ev.xkey.display = display;
    ev.xkey.window = editor->win;
    ev.xkey.root = DefaultRootWindow(display);
    ev.xkey.keycode = XKeysymToKeycode(display, sym);
    ev.xkey.same_screen = True;
    krnCallWndProc(display, editor, &ev, 0);
    XSync(display, False);
  }
  void CaretToMiddle() {
    krnSetCaretPos_InputMltWnd(editor, middle);
    XSync(display, False);
  }
  void Reset() {
    krnSetText_InputMltWnd(editor, text.data(), static_cast<int>(text.size()));
    CaretToMiddle();
  }
};

Session* g_session = nullptr;

bool Ready(benchmark::State& state) {
  if (g_session && g_session->editor) return true;
  state.SkipWithError("no private X server or no editor");
  return false;
}

void BM_SetText(benchmark::State& state) {
  if (!Ready(state)) return;
  Session& s = *g_session;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        krnSetText_InputMltWnd(s.editor, s.text.data(), static_cast<int>(s.text.size())));
    XSync(s.display, False);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(s.text.size()));
  state.counters["lines"] = krnGetLines_InputMltWnd(s.editor);
}
BENCHMARK(BM_SetText)->Unit(benchmark::kMillisecond);

// One key inside the 8 KB paragraph, 200 times from the same start.
void KeyInTheParagraph(benchmark::State& state, KeySym sym) {
  if (!Ready(state)) return;
  Session& s = *g_session;
  s.Reset();
  for (auto _ : state) s.Key(sym);
}

void BM_TypeInTheParagraph(benchmark::State& state) {
  KeyInTheParagraph(state, XK_x);
}
BENCHMARK(BM_TypeInTheParagraph)->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_BackSpaceInTheParagraph(benchmark::State& state) {
  KeyInTheParagraph(state, XK_BackSpace);
}
BENCHMARK(BM_BackSpaceInTheParagraph)->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_ReturnInTheParagraph(benchmark::State& state) {
  KeyInTheParagraph(state, XK_Return);
}
BENCHMARK(BM_ReturnInTheParagraph)->Unit(benchmark::kMillisecond)->Iterations(200);

// Bytes the process has taken from the heap (small blocks and mapped ones).
size_t HeapInUse() {
  struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

// The editor's own heap for the text: what setting the text added to an
// editor holding one newline, and the same after 200 typed characters.
void BM_Heap(benchmark::State& state) {
  if (!Ready(state)) return;
  Session& s = *g_session;
  size_t empty = 0, loaded = 0, typed = 0;
  for (auto _ : state) {
    krnSetText_InputMltWnd(s.editor, "\n", 1);
    malloc_trim(0);
    empty = HeapInUse();
    s.Reset();
    loaded = HeapInUse();
    for (int i = 0; i < 200; i++) s.Key(XK_x);
    typed = HeapInUse();
  }
  double size = static_cast<double>(s.text.size());
  state.counters["loaded_MB"] = static_cast<double>(loaded - empty) / 1e6;
  state.counters["loaded_x_text"] = static_cast<double>(loaded - empty) / size;
  state.counters["typed_x_text"] = static_cast<double>(typed - empty) / size;
}
BENCHMARK(BM_Heap)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PageDown(benchmark::State& state) {
  if (!Ready(state)) return;
  Session& s = *g_session;
  krnSetText_InputMltWnd(s.editor, s.text.data(), static_cast<int>(s.text.size()));
  int lines = krnGetLines_InputMltWnd(s.editor);
  int page = krnGetLinesOfPage_InputMltWnd(s.editor);
  for (auto _ : state) {
    if (krnGetPos_InputMltWnd(s.editor) + 2 * page >= lines) {
      state.PauseTiming();
      krnSetPos_InputMltWnd(s.editor, 0);
      XSync(s.display, False);
      state.ResumeTiming();
    }
    s.Key(XK_Next);
  }
}
BENCHMARK(BM_PageDown)->Unit(benchmark::kMicrosecond);

// ---- undo, redo, find and replace ----

// The benchmark text with `word` after `count` of its spaces, spread over
// it, and `tail` before the final newline.
std::string WithWords(const std::string& text, const std::string& word, int count,
                      const std::string& tail) {
  int spaces = static_cast<int>(std::count(text.begin(), text.end(), ' '));
  int every = count > 0 && spaces / count > 0 ? spaces / count : 1, seen = 0, placed = 0;
  std::string out;
  out.reserve(text.size() + word.size() * static_cast<size_t>(count) + tail.size());
  for (size_t i = 0; i + 1 < text.size(); i++) {
    out += text[i];
    if (text[i] == ' ' && seen++ % every == 0 && placed < count) {
      out += word;
      placed++;
    }
  }
  return out + tail + "\n";
}

// A string found only at the very end, searched from the start.
void BM_FindAtTheEnd(benchmark::State& state) {
  if (!Ready(state)) return;
  Session& s = *g_session;
  std::string text = WithWords(s.text, "", 0, "QuelmoNeedle");
  krnSetText_InputMltWnd(s.editor, text.data(), static_cast<int>(text.size()));
  for (auto _ : state) {
    state.PauseTiming();
    krnSetCaretPos_InputMltWnd(s.editor, 0);
    XSync(s.display, False);
    state.ResumeTiming();
    if (krnFind_InputMltWnd(s.editor, "quelmoneedle", 0) != KRN_FOUND)
      return state.SkipWithError("not found");
    XSync(s.display, False);
  }
}
BENCHMARK(BM_FindAtTheEnd)->Unit(benchmark::kMillisecond)->Iterations(50);

// Replace all of a 3-byte word that occurs 10,000 times, with the
// re-wrapping and the drawing; undone again between the runs.
void BM_ReplaceAll10000(benchmark::State& state) {
  if (!Ready(state)) return;
  Session& s = *g_session;
  std::string text = WithWords(s.text, "QQQ", 10000, "");
  krnSetText_InputMltWnd(s.editor, text.data(), static_cast<int>(text.size()));
  for (auto _ : state) {
    int n = krnReplaceAll_InputMltWnd(s.editor, "QQQ", "xyz", KRN_FIND_MATCHCASE);
    XSync(s.display, False);
    if (n != 10000) return state.SkipWithError("not 10000 matches");
    state.PauseTiming();
    krnUndo_InputMltWnd(s.editor);
    XSync(s.display, False);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReplaceAll10000)->Unit(benchmark::kMillisecond)->Iterations(20);

// One undo or redo of a typed word in the 8 KB paragraph (CPU time).
void BM_UndoRedoStep(benchmark::State& state) {
  if (!Ready(state)) return;
  Session& s = *g_session;
  s.Reset();
  for (KeySym k : {XK_w, XK_o, XK_r, XK_d}) s.Key(k);
  bool undo = true;
  for (auto _ : state) {
    if (!(undo ? krnUndo_InputMltWnd(s.editor) : krnRedo_InputMltWnd(s.editor)))
      return state.SkipWithError("no step");
    undo = !undo;
  }
  XSync(s.display, False);
}
BENCHMARK(BM_UndoRedoStep)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// The history's own memory after 10,000 typed characters, the caret put
// elsewhere every 100 characters (100 steps), and the heap it took.
void BM_HistoryAfterTypedChars(benchmark::State& state) {
  if (!Ready(state)) return;
  Session& s = *g_session;
  size_t history = 0, heap = 0;
  for (auto _ : state) {
    s.Reset();
    malloc_trim(0);
    size_t before = HeapInUse();
    for (int i = 0; i < 10000; i++) {
      if (i % 100 == 0) krnSetCaretPos_InputMltWnd(s.editor, s.middle + i);
      s.Key(i % 7 == 6 ? XK_space : XK_x);
    }
    history = mlt::UndoBytes(static_cast<InputMltWndData*>(s.editor->option));
    heap = HeapInUse() - before;
  }
  state.counters["history_KB"] = static_cast<double>(history) / 1024;
  state.counters["heap_KB"] = static_cast<double>(heap) / 1024;
}
BENCHMARK(BM_HistoryAfterTypedChars)->Unit(benchmark::kMillisecond)->Iterations(1);

double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Waits up to `seconds` for a DamageNotify; true when one came.
bool WaitDamage(Display* dpy, int damageEvent, double seconds) {
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

// The editor in a process of its own (this program run again with
// --editor-process FD) running the event loop at Interval 35; its X window
// id comes back through the pipe FD.
int EditorProcess(int fd) {
  int middle = 0;
  std::string text = MakeText(&middle);
  char prog[] = "bench_editor";
  char* argv[] = {prog, nullptr};
  Display* display = krnOpenDisplay(1, argv);
  if (!display) return 1;
  g_korrin.interval = 35;
  KrnWindow* editor =
      krnCreateWindow_InputMltWnd(display, nullptr, krnSetRect(0, 0, 640, 480), "latency",
                                  text.data(), static_cast<int>(text.size()), 0);
  krnSetCaretPos_InputMltWnd(editor, middle);
  XSync(display, False);
  unsigned long id = editor->win;
  if (write(fd, &id, sizeof id) != sizeof id) return 1;
  close(fd);
  krnMainLoop(display, nullptr);
  return 0;
}

std::string g_self;  // this program's path, for the editor process

pid_t StartEditorProcess(int fd) {
  pid_t pid = fork();
  if (pid != 0) return pid;
  std::string f = std::to_string(fd);
  execl(g_self.c_str(), g_self.c_str(), "--editor-process", f.c_str(), (char*)nullptr);
  _exit(127);
}

// Key press (XTEST) to the first change of the editor's pixels (XDamage),
// median over 200 keys typed at irregular moments of the loop's turn.
void BM_KeyToPixels(benchmark::State& state) {
  if (!Ready(state)) return;
  Session& s = *g_session;
  std::vector<double> ms;
  for (auto _ : state) {
    int fds[2];
    if (pipe(fds) != 0) return state.SkipWithError("pipe");
    pid_t child = StartEditorProcess(fds[1]);
    close(fds[1]);
    unsigned long id = 0;
    bool started = read(fds[0], &id, sizeof id) == sizeof id;
    close(fds[0]);
    Display* dpy = XOpenDisplay(s.server.name().c_str());
    int damageEvent = 0, damageError = 0, x, y, z, w;
    if (!started || !dpy || !XDamageQueryExtension(dpy, &damageEvent, &damageError) ||
        !XTestQueryExtension(dpy, &x, &y, &z, &w)) {
      state.SkipWithError("no editor process, XDamage or XTEST");
    } else {
      Window win = id;
      XWindowAttributes a{};
      while (XGetWindowAttributes(dpy, win, &a) && a.map_state != IsViewable) usleep(1000);
      Damage damage = XDamageCreate(dpy, win, XDamageReportNonEmpty);
      XSetInputFocus(dpy, win, RevertToParent, CurrentTime);
      KeyCode key = XKeysymToKeycode(dpy, XK_x);
      Lcg r;
      for (int i = 0; i < 200; i++) {
        while (WaitDamage(dpy, damageEvent, 0.2)) XDamageSubtract(dpy, damage, None, None);
        usleep(static_cast<useconds_t>(r.Next(35000)));  // any moment of the turn
        XDamageSubtract(dpy, damage, None, None);
        XSync(dpy, False);
        double t0 = Now();
        XTestFakeKeyEvent(dpy, key, True, CurrentTime);
        XFlush(dpy);
        if (WaitDamage(dpy, damageEvent, 2.0)) ms.push_back((Now() - t0) * 1e3);
        XTestFakeKeyEvent(dpy, key, False, CurrentTime);
        XFlush(dpy);
      }
      XDamageDestroy(dpy, damage);
    }
    if (dpy) XCloseDisplay(dpy);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
  }
  std::sort(ms.begin(), ms.end());
  if (ms.empty()) return;
  state.counters["keys"] = static_cast<double>(ms.size());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p90_ms"] = ms[ms.size() * 9 / 10];
}
BENCHMARK(BM_KeyToPixels)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--editor-process") return EditorProcess(atoi(argv[2]));
  g_self = argv[0];
  benchmark::Initialize(&argc, argv);
  g_session = new Session();
  benchmark::RunSpecifiedBenchmarks();
  delete g_session;
  benchmark::Shutdown();
  return 0;
}
