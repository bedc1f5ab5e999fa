// The event loop and dispatch on a private X server: propagation order and
// the quit code, nested modal loops, custom windows, the modal filter, the
// key-repeat throttle and the sending of toolkit events.
#include <xharness.h>

#include <dlfcn.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <X11/XKBlib.h>
#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

KRN_X_ENVIRONMENT(24, true);

// Every event offered to the input method passes through here on its way to
// the X library, so the tests can see which windows' events it was given.
static std::vector<Window> g_filtered;

extern "C" Bool XFilterEvent(XEvent* event, Window window) {
  using Real = Bool (*)(XEvent*, Window);
  static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "XFilterEvent"));
  g_filtered.push_back(event->xany.window);
  return real(event, window);
}

namespace {

using krntest::Dpy;

std::vector<std::string> g_log;

Atom MessageAtom(const char* name) {
  return XInternAtom(Dpy(), name, False);
}

// Queues a client message for the X window through the server.
void Post(Window w, const char* message) {
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w;
  ev.xclient.message_type = MessageAtom(message);
  ev.xclient.format = 8;
  XSendEvent(Dpy(), w, False, NoEventMask, &ev);
  XSync(Dpy(), False);
}

void Post(KrnWindow* w, const char* message) {
  Post(w->win, message);
}

std::string MessageName(XEvent* ev) {
  if (ev->type != ClientMessage || ev->xclient.format != 8) return "";
  char* name = XGetAtomName(Dpy(), ev->xclient.message_type);
  std::string s = name ? name : "";
  if (name) XFree(name);
  return s;
}

KrnWindow* Make(const char* name, KrnWindow* parent, KrnWndProc proc) {
  return krnCreateWindow(Dpy(), parent, krnSetRect(20, 20, 120, 90), 0, name, proc);
}

// Child procedure: logs every client message it sees; answers 130 to "STOP".
int ChildProc(Display*, KrnWindow* w, XEvent* ev) {
  std::string m = MessageName(ev);
  if (m.empty()) return w->result;
  g_log.push_back(std::string(w->name) + ":" + m);
  return m == "STOP" ? KRN_QUIT : 1;
}

class Loop : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    alarm(30);  // a loop that never ends fails the program instead of hanging
  }
  void TearDown() override {
    alarm(0);
    while (krnGetTotalWindows() > 0) krnDestroyWindow(Dpy(), krnGetWindowFromIndex(0));
    krntest::DrainEvents();
  }
};

TEST_F(Loop, QuitFromAChildStopsItsSiblingsButNotTheQueuedEvents) {
  KrnWindow* top = Make("top", nullptr, nullptr);
  KrnWindow* kids[3] = {Make("a", top, ChildProc), Make("b", top, ChildProc),
                        Make("c", top, ChildProc)};
  for (KrnWindow* k : kids) krnSetAllEvent(k, 1);
  XSync(Dpy(), False);
  Post(top, "STOP");
  Post(top, "AFTER");
  krnMainLoop(Dpy(), nullptr);
  // "STOP" ended at a, so b and c never saw it; "AFTER" was queued in the
  // same turn and still reached everyone before the loop ended.
  EXPECT_EQ(g_log, (std::vector<std::string>{"a:STOP", "a:AFTER", "b:AFTER", "c:AFTER"}));
}

KrnWindow* g_dialog = nullptr;

int DialogIdle(KrnWindow* w) {
  static int posted = 0;
  if (!posted++) Post(w, "END");
  return 1;
}

int DialogProc(Display*, KrnWindow* w, XEvent* ev) {
  if (MessageName(ev) == "END") {
    g_log.push_back("dialog:END");
    return KRN_QUIT;
  }
  return w->result;
}

int MainProc(Display* d, KrnWindow* w, XEvent* ev) {
  std::string m = MessageName(ev);
  if (m == "MODAL") {
    g_log.push_back("main:MODAL");
    krnMainLoop(d, g_dialog);
    g_log.push_back("main:modal-returned");
    Post(w, "QUIT");
    return 1;
  }
  if (m == "QUIT") {
    g_log.push_back("main:QUIT");
    return KRN_QUIT;
  }
  return w->result;
}

TEST_F(Loop, NestedModalLoopEndsOnlyItself) {
  KrnWindow* main = Make("main", nullptr, MainProc);
  g_dialog = Make("dialog", nullptr, DialogProc);
  krnSetIdolingCallback(g_dialog, DialogIdle);
  XSync(Dpy(), False);
  Post(main, "MODAL");
  krnMainLoop(Dpy(), main);
  EXPECT_EQ(g_log, (std::vector<std::string>{"main:MODAL", "dialog:END", "main:modal-returned",
                                             "main:QUIT"}));
}

int SelfDestroyingProc(Display* d, KrnWindow* w, XEvent* ev) {
  std::string m = MessageName(ev);
  if (!m.empty()) g_log.push_back("dialog:" + m);
  if (m == "DIE") {
    krnDestroyWindow(d, w);
    return 1;
  }
  return m.empty() ? w->result : 1;
}

TEST_F(Loop, ModalLoopEndsWhenItsWindowIsDestroyedWithEventsQueued) {
  KrnWindow* main = Make("main", nullptr, ChildProc);
  KrnWindow* dialog = Make("dialog", nullptr, SelfDestroyingProc);
  XSync(Dpy(), False);
  krntest::DrainEvents();
  Post(dialog, "DIE");
  Post(dialog, "MORE");
  Post(main, "LATER");
  EXPECT_EQ(krnMainLoop(Dpy(), dialog), 1);  // under AddressSanitizer: no use after free
  EXPECT_EQ(g_log, (std::vector<std::string>{"dialog:DIE"}));
  // What was queued behind stays for the outer loop.
  Post(main, "STOP");
  krnMainLoop(Dpy(), nullptr);
  EXPECT_EQ(g_log, (std::vector<std::string>{"dialog:DIE", "main:LATER", "main:STOP"}));
}

int g_customEvents = 0;
int CustomProc(Display*, KrnWindow* w, XEvent* ev) {
  if (MessageName(ev) == "HELLO") g_customEvents++;
  if (MessageName(ev) == "BYE") return KRN_QUIT;
  return w->result;
}

TEST_F(Loop, CustomWindowSeesOthersEventsWithoutDefaultHandling) {
  KrnWindow* other = Make("other", nullptr, nullptr);
  KrnWindow* custom = Make("custom", nullptr, CustomProc);
  krnSetCustom(custom, 1);
  ASSERT_TRUE(krntest::WaitMapped(custom->win));
  g_customEvents = 0;
  Post(other, "HELLO");
  Post(other, "BYE");
  krnMainLoop(Dpy(), nullptr);
  EXPECT_EQ(g_customEvents, 1);
  // Its own MapNotify went to the procedure only: the default procedure
  // would have marked it shown.
  EXPECT_EQ(custom->shown, 0);
  EXPECT_EQ(other->shown, 1);
}

int g_mainKeys = 0;
int KeyCountingProc(Display*, KrnWindow* w, XEvent* ev) {
  if (ev->type == KeyPress || ev->type == ButtonPress) g_mainKeys++;
  return w->result;
}

int EndAfterOneTurn(KrnWindow*) {
  return KRN_QUIT;
}

TEST_F(Loop, ModalLoopDiscardsOthersInputButPaintsTheirExposures) {
  KrnWindow* main = Make("main", nullptr, KeyCountingProc);
  krnSetRedrawBuffer(main, 1);
  KrnWindow* dialog =
      krnCreateWindow(Dpy(), nullptr, krnSetRect(400, 300, 60, 40), 0, "dlg", nullptr);
  krnSetIdolingCallback(dialog, EndAfterOneTurn);
  ASSERT_TRUE(krntest::WaitMapped(main->win) && krntest::WaitMapped(dialog->win));
  krntest::DrainEvents();
  // The main window's buffer holds red; its screen shows the background.
  GC gc = XCreateGC(Dpy(), main->draw, 0, nullptr);
  XSetForeground(Dpy(), gc, g_korrin.colors[KRN_RED]);
  XFillRectangle(Dpy(), main->draw, gc, 0, 0, 120, 90);
  XFreeGC(Dpy(), gc);
  XClearArea(Dpy(), main->win, 0, 0, 0, 0, True);  // exposes it
  XEvent key = krntest::KeyEvent(main->win, 'a', 0, 1000);
  XSendEvent(Dpy(), main->win, False, NoEventMask, &key);
  XEvent click{};
  click.xbutton.type = ButtonPress;
  click.xbutton.window = main->win;
  click.xbutton.button = Button1;
  click.xbutton.x = click.xbutton.y = 5;
  XSendEvent(Dpy(), main->win, False, NoEventMask, &click);
  XSync(Dpy(), False);
  g_mainKeys = 0;
  krnMainLoop(Dpy(), dialog);
  EXPECT_EQ(g_mainKeys, 0);
  EXPECT_EQ(krntest::Pixel(main->win, 60, 45), g_korrin.colors[KRN_RED]);
  XEvent left;  // the key press was consumed, not left queued
  EXPECT_FALSE(XCheckTypedWindowEvent(Dpy(), main->win, KeyPress, &left));
  EXPECT_FALSE(XCheckTypedWindowEvent(Dpy(), main->win, ButtonPress, &left));
}

TEST_F(Loop, KeyRepeatsCloserThanIntervalAreDropped) {
  KrnWindow* w = Make("keys", nullptr, nullptr);
  ASSERT_GE(g_korrin.interval, 2);
  Time t0 = 100000;
  // 'a' held: its repeats (presses without a release) are slowed to one per
  // Interval; other keys pressed meanwhile all arrive.
  XEvent first = krntest::KeyEvent(w->win, 'a', 0, t0);
  XEvent tooSoon = krntest::KeyEvent(w->win, 'a', 0, t0 + g_korrin.interval - 1);
  XEvent other = krntest::KeyEvent(w->win, 'b', 0, t0 + g_korrin.interval - 1);
  XEvent later = krntest::KeyEvent(w->win, 'a', 0, t0 + g_korrin.interval);
  EXPECT_EQ(krnGetKey(w, &first), 'a');
  EXPECT_EQ(krnGetKey(w, &first), 'a');  // the same press offered to a second window
  EXPECT_EQ(krnGetKey(w, &tooSoon), -1);
  EXPECT_EQ(krnGetKey(w, &other), 'b');
  EXPECT_EQ(krnGetKey(w, &later), 'a');  // measured from the last accepted press
  XEvent up = krntest::KeyEvent(w->win, 'a', 0, t0 + g_korrin.interval + 1, KeyRelease);
  XEvent again = krntest::KeyEvent(w->win, 'a', 0, t0 + g_korrin.interval + 2);
  EXPECT_EQ(krnGetKey(w, &up), 'a');
  EXPECT_EQ(krnGetKey(w, &again), 'a');  // released and pressed anew
  XEvent shifted = krntest::KeyEvent(w->win, 'a', ShiftMask, t0 + 10 * g_korrin.interval);
  EXPECT_EQ(krnGetKey(w, &shifted), 'A');
  XEvent notKey{};
  notKey.type = ButtonPress;
  EXPECT_EQ(krnGetKey(w, &notKey), -1);
  EXPECT_EQ(krnGetKey(nullptr, &first), -1);
}

#ifdef KRN_HAVE_XTEST
std::vector<KeySym> g_keys;
int g_heldPresses = 0;

int RecordKey(KrnWindow*, XEvent*, KeySym key) {
  g_keys.push_back(key);
  return 1;
}

int CountHeld(Display*, KrnWindow* w, XEvent* ev) {
  if (ev->type == KeyPress && XLookupKeysym(&ev->xkey, 0) == XK_r) g_heldPresses++;
  return w->result;
}

void FakeKey(KeySym sym, bool down, unsigned long delayMs = 0) {
  XTestFakeKeyEvent(Dpy(), XKeysymToKeycode(Dpy(), sym), down, delayMs);
}

void Tap(KeySym sym, unsigned long delayMs) {
  FakeKey(sym, true, delayMs);
  FakeKey(sym, false);
}

// Keys from the server as a program or a fast hand sends them: a chord all
// in one millisecond, letters 15 ms apart, Shift+Left three times at once.
// Only the auto-repeat of a held key is slowed.
TEST_F(Loop, QuickChordsAndLettersArriveWhileAHeldKeyIsThrottled) {
  KrnWindow* w = Make("typing", nullptr, CountHeld);
  krnSetKeyEventCallback(w, RecordKey);
  XMapWindow(Dpy(), w->win);
  ASSERT_TRUE(krntest::WaitMapped(w->win));
  XSetInputFocus(Dpy(), w->win, RevertToPointerRoot, CurrentTime);
  g_keys.clear();
  FakeKey(XK_Control_L, true);
  Tap(XK_s, 0);
  FakeKey(XK_Control_L, false);
  for (KeySym letter : {XK_a, XK_b, XK_c}) Tap(letter, 15);
  FakeKey(XK_Shift_L, true);
  for (int i = 0; i < 3; i++) Tap(XK_Left, 0);
  FakeKey(XK_Shift_L, false);
  const std::vector<KeySym> typed = {XK_Control_L, XK_s,    XK_a,    XK_b,   XK_c,
                                     XK_Shift_L,   XK_Left, XK_Left, XK_Left};
  ASSERT_TRUE(krntest::PumpUntil([&] { return g_keys.size() >= typed.size(); }));
  EXPECT_EQ(g_keys, typed);

  // Held for half a second with the server repeating every 10 ms.
  XkbSetAutoRepeatRate(Dpy(), XkbUseCoreKbd, 100, 10);
  g_keys.clear();
  g_heldPresses = 0;
  FakeKey(XK_r, true);
  krntest::PumpUntil([] { return g_heldPresses >= 40; });
  FakeKey(XK_r, false);
  XkbSetAutoRepeatRate(Dpy(), XkbUseCoreKbd, 660, 40);
  krntest::Pump();
  long delivered = std::count(g_keys.begin(), g_keys.end(), XK_r);
  EXPECT_GE(g_heldPresses, 40);
  EXPECT_GE(delivered, 2) << "the held key repeats";
  EXPECT_LT(delivered * 2, g_heldPresses) << "its repeats are slowed to one per Interval";
}
#endif

TEST_F(Loop, GetStringConvertsAndTerminates) {
  KrnWindow* w = Make("str", nullptr, nullptr);
  XEvent key = krntest::KeyEvent(w->win, 'x', 0, 5);
  int len = -1;
  char* s = krnGetString(w, &key, &len);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s, "x");
  EXPECT_EQ(len, 1);
  XEvent button{};
  button.type = ButtonPress;
  EXPECT_EQ(krnGetString(w, &button, &len), nullptr);
  EXPECT_EQ(len, 0);
}

TEST_F(Loop, DiscardedEventsOfUnknownWindowsReachTheInputMethod) {
  // Stands for the input method's own protocol window, which the toolkit
  // does not know: its messages carry the committed text.
  Window foreign = XCreateSimpleWindow(Dpy(), RootWindow(Dpy(), 0), 0, 0, 1, 1, 0, 0, 0);
  KrnWindow* top = Make("top", nullptr, ChildProc);
  auto offered = [&] {
    int n = 0;
    for (Window w : g_filtered) n += w == foreign;
    return n;
  };
  struct {
    const char* loop;
    KrnWindow* modal;
  } loops[] = {{"main loop", nullptr}, {"modal loop", top}};
  for (auto& l : loops) {
    krntest::DrainEvents();
    Post(foreign, "COMMIT");
    Post(top, "STOP");
    g_filtered.clear();
    krnMainLoop(Dpy(), l.modal);
    EXPECT_EQ(offered(), 1) << l.loop;
  }
  for (KrnWindow* modal : {(KrnWindow*)nullptr, top}) {
    krntest::DrainEvents();
    Post(foreign, "COMMIT");
    g_filtered.clear();
    while (XPending(Dpy())) krnHookEvent(Dpy(), modal);
    EXPECT_EQ(offered(), 1) << "hook " << (modal ? "with" : "without") << " a window";
  }
  XDestroyWindow(Dpy(), foreign);
}

int g_timerTicks = 0;
int TimerProc(Display*, KrnWindow* w, XEvent* ev) {
  if (ev->type == KRN_EV_TIMER) g_timerTicks++;
  return w->result;
}

TEST_F(Loop, SendEventAndTimerReachOnlyTheirWindow) {
  KrnWindow* parent = Make("parent", nullptr, TimerProc);
  KrnWindow* child = Make("child", parent, TimerProc);
  krnSetTimerEvent(parent, 1);
  g_timerTicks = 0;
  krnTimerEvent();
  EXPECT_EQ(g_timerTicks, 1);  // not propagated to the child
  krnSetTimerEvent(child, 1);
  krnTimerEvent();
  EXPECT_EQ(g_timerTicks, 3);
  EXPECT_EQ(krnSendEvent(nullptr, KRN_EV_REDRAW), 0);
  child->wndProc = nullptr;
  EXPECT_EQ(krnSendEvent(child, KRN_EV_REDRAW), 1);
  child->wndProc = TimerProc;
}

TEST_F(Loop, CenteringKeepsOffTheTopLeftCorner) {
  KrnWindow* ref = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 20, 20), 0, "ref", nullptr);
  KrnWindow* w = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 300, 200), 0, "w", nullptr);
  ASSERT_TRUE(krntest::WaitMapped(ref->win));
  EXPECT_EQ(krnCenteringWnd(Dpy(), ref, w), 1);
  EXPECT_EQ(w->rect.x, 4);
  EXPECT_EQ(w->rect.y, 16);
  EXPECT_EQ(krnCenteringWnd(Dpy(), nullptr, w), 1);
  EXPECT_EQ(w->rect.x, (1024 - 300) / 2);
  EXPECT_EQ(w->rect.y, (768 - 200) / 2);
  EXPECT_EQ(krnCenteringWnd(Dpy(), nullptr, nullptr), 0);
}

TEST_F(Loop, ScreenCoordinatesOfAChild) {
  KrnWindow* top = krnCreateWindow(Dpy(), nullptr, krnSetRect(100, 50, 300, 200), 0, "t", nullptr);
  KrnWindow* child = krnCreateWindow(Dpy(), top, krnSetRect(10, 20, 30, 40), 0, "c", nullptr);
  ASSERT_TRUE(krntest::WaitMapped(child->win));
  // The window's stored position counts, whatever position is passed in.
  for (KrnRect passed : {child->rect, krnSetRect(0, 0, 30, 40), krnSetRect(7, 9, 5, 6)}) {
    KrnRect s = krnGetScreenCoordinate(child, passed);
    EXPECT_EQ(s.x, 110);
    EXPECT_EQ(s.y, 70);
    EXPECT_EQ(s.width, passed.width);
    EXPECT_EQ(s.height, passed.height);
    KrnRect same = krnGetScreenCoordinate(top, passed);
    EXPECT_EQ(same.x, 100);
    EXPECT_EQ(same.y, 50);
  }
  KrnRect none = krnGetScreenCoordinate(nullptr, krnSetRect(7, 9, 5, 6));
  EXPECT_EQ(none.x, 7);
}

// A second client's connection: what it sends reaches the loop's
// connection through the server, possibly while the loop waits.
struct Outside {
  Display* display = XOpenDisplay(DisplayString(Dpy()));
  ~Outside() { XCloseDisplay(display); }
  void Send(Window target) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = target;
    ev.xclient.message_type = XInternAtom(display, "FROM_OUTSIDE", False);
    ev.xclient.format = 8;
    XSendEvent(display, target, False, NoEventMask, &ev);
    XFlush(display);
  }
};

struct LoopCounts {
  int ticks = 0, turns = 0, messages = 0, ticksAtMessage = -1;
  int quitAtTicks = 0;  // 0: quit once the message came
  Outside* outside = nullptr;
  Window target = 0;
} g_counts;

int CountingProc(Display*, KrnWindow* w, XEvent* ev) {
  if (ev->type == KRN_EV_TIMER) g_counts.ticks++;
  if (MessageName(ev) == "FROM_OUTSIDE" && g_counts.messages++ == 0)
    g_counts.ticksAtMessage = g_counts.ticks;
  return w->result;
}

int CountTurns(KrnWindow*) {
  LoopCounts& c = g_counts;
  c.turns++;
  // Right after the first tick the loop is about to wait for the second:
  // a message sent now must be handled before it.
  // While counting to a number of ticks, every turn sends a message.
  if (c.outside && (c.quitAtTicks || (c.ticks == 1 && c.messages == 0))) c.outside->Send(c.target);
  bool done = c.quitAtTicks ? c.ticks >= c.quitAtTicks : c.messages > 0;
  return done ? KRN_QUIT : 1;
}

// A message sent from outside while the loop waits is handled before the
// next tick; ticks keep their Interval while messages stream in; an idle
// loop turns once per tick.
TEST_F(Loop, InputWakesTheLoopAndTicksKeepTheirRate) {
  int interval = g_korrin.interval;
  Outside outside;
  KrnWindow* w = Make("waking", nullptr, CountingProc);
  krnSetIdolingCallback(w, CountTurns);
  krnSetTimerEvent(w, 1);
  ASSERT_TRUE(krntest::WaitMapped(w->win));
  krntest::DrainEvents();
  g_korrin.interval = 1000;  // a message would wait this long in a loop that sleeps
  g_counts = LoopCounts{0, 0, 0, -1, 0, &outside, w->win};
  krnMainLoop(Dpy(), nullptr);
  EXPECT_EQ(g_counts.ticksAtMessage, 1);  // handled before the second tick
  g_korrin.interval = 40;
  g_counts = LoopCounts{0, 0, 0, -1, 5, nullptr, w->win};
  krnMainLoop(Dpy(), nullptr);
  EXPECT_LE(g_counts.turns, 5 + 2);
  g_counts = LoopCounts{0, 0, 0, -1, 10, &outside, w->win};
  auto start = std::chrono::steady_clock::now();
  krnMainLoop(Dpy(), nullptr);
  auto elapsed = std::chrono::steady_clock::now() - start;
  g_korrin.interval = interval;
  EXPECT_GT(g_counts.messages, 4 * g_counts.ticks);  // a turn for every message
  EXPECT_GE(elapsed, std::chrono::milliseconds((g_counts.ticks - 1) * 40));
}

std::atomic<int> g_sleepTicks{0}, g_sleepTurns{0};

int SleepProc(Display*, KrnWindow* w, XEvent* ev) {
  if (ev->type == KRN_EV_TIMER) g_sleepTicks++;
  return MessageName(ev) == "FROM_OUTSIDE" ? KRN_QUIT : w->result;
}

int CountSleepTurns(KrnWindow*) {
  g_sleepTurns++;
  return 1;
}

// With no window wanting every tick (a lazy one, a scroll bar not held) an
// idle loop sleeps until input instead of turning once per Interval; a
// signal cuts the sleep short with a tick for the lazy window at once.
TEST_F(Loop, AnIdleLoopSleepsUntilInputAndASignalBringsALazyTick) {
  struct sigaction action {
  }, old{};
  action.sa_handler = [](int) {};
  sigemptyset(&action.sa_mask);
  sigaction(SIGUSR1, &action, &old);
  int interval = g_korrin.interval;
  g_korrin.interval = 10;  // a loop that ticked would turn about 30 times below
  KrnWindow* w = Make("sleeper", nullptr, SleepProc);
  KrnWindow* bar =
      krnCreateWindow_VScrollBar(Dpy(), w, krnSetRect(0, 0, 16, 80), "bar", 0, 100, 1, nullptr);
  ASSERT_NE(bar, nullptr);
  krnSetIdolingCallback(w, CountSleepTurns);
  krnSetTimerEvent(w, KRN_TIMER_LAZY);
  ASSERT_TRUE(krntest::WaitMapped(bar->win));
  XSync(Dpy(), False);
  while (XPending(Dpy())) krnHookEvent(Dpy(), nullptr);  // the bar's first paint
  g_sleepTicks = 0;
  g_sleepTurns = 0;
  Outside outside;
  pthread_t loop = pthread_self();
  int turnsAsleep = -1, ticksAsleep = -1;
  bool signalTicked = false;
  std::thread other([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    turnsAsleep = g_sleepTurns;
    ticksAsleep = g_sleepTicks;
    pthread_kill(loop, SIGUSR1);
    for (int waited = 0; waited < 2000 && !signalTicked; waited += 5) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      signalTicked = g_sleepTicks > ticksAsleep;
    }
    outside.Send(w->win);
  });
  krnMainLoop(Dpy(), nullptr);
  other.join();
  g_korrin.interval = interval;
  sigaction(SIGUSR1, &old, nullptr);
  EXPECT_LE(turnsAsleep, 4) << "the idle loop kept waking";
  EXPECT_LE(ticksAsleep, 1);
  EXPECT_TRUE(signalTicked) << "the signal brought no tick";
}

}  // namespace
