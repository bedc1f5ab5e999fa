#include "xharness.h"

#include <fcntl.h>
#include <iconv.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace krntest {

namespace {
XServer* g_server = nullptr;
TempDir* g_home = nullptr;
Display* g_display = nullptr;
std::string g_displayName;

long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

XServer::XServer(int depth, int width, int height) {
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) {
    close(fds[0]);
    setpgid(0, 0);
    // The server ends with the test program, even one that crashed or was
    // killed before the destructor below could run.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(126);
    int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
      dup2(devnull, 1);
      dup2(devnull, 2);
    }
    std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
           "tcp", "-noreset", (char*)nullptr);
    _exit(127);
  }
  close(fds[1]);
  if (pid_ < 0) {
    close(fds[0]);
    return;
  }
  std::string digits;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') digits += c;
  close(fds[0]);
  if (!digits.empty()) number_ = atoi(digits.c_str());
}

XServer::~XServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status;
    waitpid(pid_, &status, 0);
  }
}

TempDir::TempDir() {
  char tmpl[] = "/tmp/krntest.XXXXXX";
  if (mkdtemp(tmpl)) path_ = tmpl;
}

TempDir::~TempDir() {
  if (!path_.empty()) {
    std::string cmd = "rm -rf '" + path_ + "'";
    if (system(cmd.c_str()) != 0) {
    }
  }
}

void XEnvironment::SetUp() {
  g_server = new XServer(depth_);
  ASSERT_TRUE(g_server->ok()) << "Xvfb did not start";
  g_displayName = g_server->name();
  setenv("DISPLAY", g_displayName.c_str(), 1);
  g_home = new TempDir();
  setenv("HOME", g_home->path().c_str(), 1);
  setenv("LANG", "ja_JP.eucJP", 1);
  setenv("LC_ALL", "ja_JP.eucJP", 1);
  setenv("XMODIFIERS", "@im=none", 1);
  if (openSession_) {
    std::string prog = "krntest";
    char* argv[] = {prog.data(), nullptr};
    g_display = krnOpenDisplay(1, argv);
    ASSERT_NE(g_display, nullptr);
  }
}

void XEnvironment::TearDown() {
  if (g_display) {
    krnCloseDisplay(g_display);
    g_display = nullptr;
  }
  delete g_home;
  g_home = nullptr;
  delete g_server;
  g_server = nullptr;
}

Display* Dpy() {
  return g_display;
}
const std::string& Home() {
  static std::string empty;
  return g_home ? g_home->path() : empty;
}
const std::string& DisplayName() {
  return g_displayName;
}

bool WaitFor(const std::function<bool()>& pred, int timeoutMs) {
  long end = NowMs() + timeoutMs;
  for (;;) {
    if (g_display) XSync(g_display, False);
    if (pred()) return true;
    if (NowMs() > end) return pred();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

namespace {
int EndTurn(KrnWindow*) {
  return KRN_QUIT;
}
}  // namespace

void Pump() {
  static KrnWindow* pump = nullptr;
  if (!pump || !CheckKrnPointer(pump)) {
    pump = krnCreateWindow(g_display, nullptr, krnSetRect(900, 700, 10, 10), 0, "pump", nullptr);
    krnSetIdolingCallback(pump, EndTurn);
  }
  XSync(g_display, False);
  krnMainLoop(g_display, nullptr);
}

bool PumpUntil(const std::function<bool()>& pred, int timeoutMs) {
  return WaitFor(
      [&] {
        Pump();
        return pred();
      },
      timeoutMs);
}

bool WaitMapped(Window w, int timeoutMs) {
  return WaitFor(
      [&] {
        XWindowAttributes a;
        return XGetWindowAttributes(g_display, w, &a) && a.map_state == IsViewable;
      },
      timeoutMs);
}

unsigned long Pixel(Drawable d, int x, int y) {
  XImage* img = XGetImage(g_display, d, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!img) return ~0UL;
  unsigned long p = XGetPixel(img, 0, 0);
  XDestroyImage(img);
  return p;
}

std::vector<unsigned long> Pixels(Drawable d, int x, int y, int w, int h) {
  std::vector<unsigned long> out;
  XImage* img = XGetImage(g_display, d, x, y, w, h, AllPlanes, ZPixmap);
  if (!img) return out;
  out.reserve(size_t(w) * h);
  for (int j = 0; j < h; j++)
    for (int i = 0; i < w; i++) out.push_back(XGetPixel(img, i, j));
  XDestroyImage(img);
  return out;
}

std::vector<unsigned long> GlyphPixels(Drawable like, char c, unsigned long fg, unsigned long bg,
                                       int rowHeight) {
  XFontStruct* font = g_korrin.font;
  int w = XTextWidth(font, &c, 1);
  int ascent = font->ascent;
  if (g_korrin.fontKanji && g_korrin.fontKanji->ascent > ascent)
    ascent = g_korrin.fontKanji->ascent;
  Pixmap ref = XCreatePixmap(g_display, like, w, rowHeight, g_korrin.depth);
  GC gc = XCreateGC(g_display, ref, 0, nullptr);
  XSetForeground(g_display, gc, bg);
  XFillRectangle(g_display, ref, gc, 0, 0, w, rowHeight);
  XSetForeground(g_display, gc, fg);
  XSetFont(g_display, gc, font->fid);
  XDrawString(g_display, ref, gc, 0, ascent, &c, 1);
  XSync(g_display, False);
  std::vector<unsigned long> pixels = Pixels(ref, 0, 0, w, rowHeight);
  XFreeGC(g_display, gc);
  XFreePixmap(g_display, ref);
  return pixels;
}

namespace {
Bool AnyEventFor(Display*, XEvent* ev, XPointer arg) {
  Window w = *(Window*)arg;
  return w == 0 || ev->xany.window == w;
}
}  // namespace

int DrainEvents(Window w) {
  XSync(g_display, False);
  int n = 0;
  XEvent ev;
  while (XCheckIfEvent(g_display, &ev, AnyEventFor, (XPointer)&w)) n++;
  return n;
}

XEvent KeyEvent(Window w, KeySym sym, unsigned int state, Time time, int type) {
  XEvent ev{};
  ev.xkey.type = type;
  ev.xkey.display = g_display;
  ev.xkey.window = w;
  ev.xkey.root = DefaultRootWindow(g_display);
  ev.xkey.time = time;
  ev.xkey.state = state;
  ev.xkey.keycode = XKeysymToKeycode(g_display, sym);
  ev.xkey.same_screen = True;
  return ev;
}

std::string Run(const std::string& command, int* status) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) {
    if (status) *status = -1;
    return out;
  }
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int st = pclose(p);
  if (status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return out;
}

FileSizeLimit::FileSizeLimit(unsigned long bytes) {
  rlimit limit;
  getrlimit(RLIMIT_FSIZE, &limit);
  oldLimit_ = limit.rlim_cur;
  limit.rlim_cur = bytes;
  signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
  rlimit limit;
  getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = oldLimit_;
  setrlimit(RLIMIT_FSIZE, &limit);
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream f(path, std::ios::binary);
  f << data;
}

std::string Iconv(const char* to, const char* from, const std::string& in, bool* ok) {
  bool done = false;
  std::string out(in.size() * 4 + 8, '\0');
  iconv_t cd = iconv_open(to, from);
  if (cd != reinterpret_cast<iconv_t>(-1)) {
    char* inp = const_cast<char*>(in.data());
    char* outp = &out[0];
    size_t inLeft = in.size(), outLeft = out.size();
    done = iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
    iconv_close(cd);
    out.resize(out.size() - outLeft);
  }
  if (ok) *ok = done;
  return done ? out : "<not convertible>";
}

}  // namespace krntest
