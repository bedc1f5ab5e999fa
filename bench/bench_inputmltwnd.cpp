// Timings of the multi-line editor on a 1.9 MB EUC-JP text of short lines
// and long paragraphs that wrap: setting the whole text; one character, one
// BackSpace and one Return inside an 8 KB paragraph in the middle, and one
// character at the top, the middle and the end, each with its drawing (the display is synced every
// time so the server's work counts too); one PageDown; the editor's heap for the text; and the time
// from a key press sent through XTEST to the first change of the editor's
// pixels, with the event loop running in a separate process at Interval 35.
// Runs on a private Xvfb with a private HOME, never on the caller's display.
#include <benchmark/benchmark.h>
#include <korrin.h>

#include "bench_text.h"

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

using benchtext::Lcg;
using benchtext::MakeText;
using benchtext::Now;
using benchtext::PrivateServer;
using benchtext::WaitDamage;

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

// The benchmark text cut to 1.9 MB of UTF-8 at a line end, and the same text
// in the working code (EUC-JP).
struct LoadTexts {
  std::string utf8, euc;
  LoadTexts() {
    char* out = nullptr;
    int n = 0;
    const std::string& text = g_session->text;
    krnConvToUTF8(text.data(), static_cast<int>(text.size()), KRN_CODE_EUC, &out, &n);
    utf8.assign(out ? out : "", static_cast<size_t>(n));
    free(out);
    utf8.resize(std::min(utf8.size(), benchtext::kTextSize));
    utf8.resize(utf8.rfind('\n') + 1);
    krnConvFromUTF8(utf8.data(), static_cast<int>(utf8.size()), KRN_CODE_EUC, &out, &n);
    euc.assign(out ? out : "", static_cast<size_t>(n));
    free(out);
  }
};

// Loading as the memo pad does: the file's code told in one pass, a file in
// another code converted into the working code and checked to come back
// byte for byte, then the text set into the editor and wrapped.  CPU time.
void LoadFile(benchmark::State& state, const std::string& file) {
  Session& s = *g_session;
  for (auto _ : state) {
    KrnTextCode t;
    if (!krnDecodeText(file.data(), static_cast<int>(file.size()), KRN_CODE_EUC, &t) || t.lossy) {
      state.SkipWithError("the text did not convert");
      return;
    }
    krnSetText_InputMltWnd(s.editor, t.text, t.length);
    free(t.text);
    XSync(s.display, False);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(file.size()));
  state.counters["file_bytes"] = static_cast<double>(file.size());
}

const LoadTexts& Texts() {
  static const LoadTexts texts;
  return texts;
}

void BM_LoadWorkingCode(benchmark::State& state) {
  if (Ready(state)) LoadFile(state, Texts().euc);
}
BENCHMARK(BM_LoadWorkingCode)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_LoadUtf8(benchmark::State& state) {
  if (Ready(state)) LoadFile(state, Texts().utf8);
}
BENCHMARK(BM_LoadUtf8)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

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

// One typed character at the top, in the middle (the 8 KB paragraph) and
// at the end of the text, 300 times each from a fresh text: the editor's
// CPU per key, drawing and syncing included.  An edit at the top moves
// the most text after it.
void BM_TypeAt(benchmark::State& state) {
  if (!Ready(state)) return;
  Session& s = *g_session;
  s.Reset();
  const int places[] = {0, s.middle, static_cast<int>(s.text.size()) - 1};
  krnSetCaretPos_InputMltWnd(s.editor, places[state.range(0)]);
  XSync(s.display, False);
  for (auto _ : state) s.Key(XK_x);
  state.SetLabel(state.range(0) == 0 ? "top" : state.range(0) == 1 ? "middle" : "end");
}
BENCHMARK(BM_TypeAt)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(300);

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
