// Timings of the multi-line editor on a 2 MB EUC-JP text made of long
// wrapped paragraphs: setting the whole text, one character typed in the
// middle, one BackSpace there, and one PageDown, each with its drawing (the
// display is synced every time so the server's work counts too).  Runs on a
// private Xvfb with a private HOME, never on the caller's display.
#include <benchmark/benchmark.h>
#include <korrin.h>

#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

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

// About 2,000,000 bytes: paragraphs of some 2000 bytes mixing ASCII words
// and first-level kanji, each ending with a newline.
std::string MakeText() {
  std::string text;
  unsigned seed = 1;
  while (text.size() < 2000000) {
    for (int word = 0; word < 200; word++) {
      seed = seed * 1103515245u + 12345u;
      if (seed % 3 == 0) {
        for (int k = 0; k < 3; k++) {
          text += static_cast<char>(0xB0 + (seed >> 8) % 20);
          text += static_cast<char>(0xA1 + (seed >> 16) % 90 + k);
        }
      } else {
        text += "word";
      }
      text += ' ';
    }
    text += '\n';
  }
  text.resize(2000000);
  text.back() = '\n';
  return text;
}

struct Session {
  PrivateServer server;
  char home[32] = "/tmp/krnbench.XXXXXX";
  Display* display = nullptr;
  KrnWindow* editor = nullptr;
  std::string text = MakeText();

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
    krnSetCaretPos_InputMltWnd(editor, krnGetLength_InputMltWnd(editor) / 2);
    XSync(display, False);
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

void BM_TypeInTheMiddle(benchmark::State& state) {
  if (!Ready(state)) return;
  Session& s = *g_session;
  krnSetText_InputMltWnd(s.editor, s.text.data(), static_cast<int>(s.text.size()));
  s.CaretToMiddle();
  for (auto _ : state) s.Key(XK_x);
}
BENCHMARK(BM_TypeInTheMiddle)->Unit(benchmark::kMillisecond);

void BM_BackSpaceInTheMiddle(benchmark::State& state) {
  if (!Ready(state)) return;
  Session& s = *g_session;
  krnSetText_InputMltWnd(s.editor, s.text.data(), static_cast<int>(s.text.size()));
  s.CaretToMiddle();
  for (auto _ : state) s.Key(XK_BackSpace);
}
BENCHMARK(BM_BackSpaceInTheMiddle)->Unit(benchmark::kMillisecond);

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

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  g_session = new Session();
  benchmark::RunSpecifiedBenchmarks();
  delete g_session;
  benchmark::Shutdown();
  return 0;
}
