// The file dialog on a private X server, in a scratch directory tree.
// krnFileDialog runs its own loop, so each test forks a driver process with
// its own connection that finds the dialog by its title and works it with
// real pointer and key input (XTEST); the listings are read in the test's
// process by the debug callback, which the loop calls after every event.
#include <xharness.h>

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/keysym.h>
#ifdef KRN_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;

#ifdef KRN_HAVE_XTEST
const char* const kExt[] = {".txt", ".TXT", ".c", ".h", nullptr};

// The listing shown under each filter index, taken after every event.
std::map<int, std::vector<std::string>> g_rows;
int Snap(Display*, KrnWindow*, XEvent*) {
  KrnWindow* list = krnGetWindow("_krnListBox_krnFileDlg");
  KrnWindow* group = krnGetWindow("Expansion:");
  if (!list || !group) return 1;
  std::vector<std::string>& rows = g_rows[krnGetSelectIndex_SelectButton(group)];
  rows.clear();
  for (int i = 0; i < krnGetSize_ListBox(list); i++) rows.push_back(krnGetName_ListBox(list, i));
  return 1;
}

// The driver's side: its own connection, windows found by their titles.
struct Driver {
  Display* d;
  int rowHeight;

  Window Find(Window parent, const std::function<bool(const std::string&)>& match) {
    Window root, up, *kids = nullptr, found = 0;
    unsigned int n = 0;
    if (!XQueryTree(d, parent, &root, &up, &kids, &n)) return 0;
    for (unsigned int i = 0; i < n && !found; i++) {
      char* title = nullptr;
      XWindowAttributes a;
      if (XFetchName(d, kids[i], &title) && title && match(title) &&
          XGetWindowAttributes(d, kids[i], &a) && a.map_state == IsViewable)
        found = kids[i];
      if (title) XFree(title);
      if (!found) found = Find(kids[i], match);
    }
    if (kids) XFree(kids);
    return found;
  }
  Window Wait(Window parent, const std::function<bool(const std::string&)>& match) {
    for (int i = 0; i < 1000; i++) {
      if (Window w = Find(parent, match)) return w;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
  }
  Window Titled(const std::string& title) {
    return Wait(DefaultRootWindow(d), [&](const std::string& t) { return t == title; });
  }
  void Click(Window w, int x, int y, int times = 1) {
    int rx, ry;
    Window child;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), x, y, &rx, &ry, &child);
    XTestFakeMotionEvent(d, 0, rx, ry, 0);
    for (int i = 0; i < times; i++) {
      XTestFakeButtonEvent(d, 1, True, 0);
      XTestFakeButtonEvent(d, 1, False, 0);
    }
    XSync(d, False);
  }
  bool ClickNamed(Window top, const char* name) {
    Window w = Titled(name) && top ? Find(top, [&](const std::string& t) { return t == name; }) : 0;
    if (w) Click(w, 5, 5);
    return w != 0;
  }
  bool ClickRow(Window dialog, int row, int times = 1) {
    Window list = Find(dialog, [](const std::string& t) { return t == "_krnList_ListBox"; });
    if (list) Click(list, 30, 1 + row * rowHeight + rowHeight / 2, times);
    return list != 0;
  }
  // Keys go to the dialog; the server spaces them 60 ms apart, as a typist
  // would, so that none falls within the loop's key-repeat interval.
  void Type(Window dialog, const std::vector<KeySym>& keys) {
    XSetInputFocus(d, dialog, RevertToPointerRoot, CurrentTime);
    for (KeySym sym : keys) {
      KeyCode code = XKeysymToKeycode(d, sym);
      XTestFakeKeyEvent(d, code, True, 60);
      XTestFakeKeyEvent(d, code, False, 0);
    }
    XSync(d, False);
  }
  void Close(Window w) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    XSendEvent(d, w, False, NoEventMask, &ev);
    XSync(d, False);
  }
};

std::vector<KeySym> Keys(const std::string& text) {
  std::vector<KeySym> keys;
  for (char c : text) keys.push_back(c == '.' ? XK_period : static_cast<KeySym>(c));
  return keys;
}

// A scratch tree as the current directory, given back after each test.
class FileDialog : public ::testing::Test {
 protected:
  krntest::TempDir tmp;
  std::string root, saved;

  void SetUp() override {
    char here[PATH_MAX], real[PATH_MAX];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    saved = here;
    ASSERT_NE(realpath(tmp.path().c_str(), real), nullptr);
    root = real;
    for (const char* dir : {"docs", ".config"}) mkdir((root + "/" + dir).c_str(), 0700);
    for (const char* file :
         {"notes.TXT", "notes.Txt", "a.c", "Makefile", ".profile", "readme.txt", "docs/inner.txt"})
      krntest::WriteFile(root + "/" + file, "x");
    ASSERT_EQ(symlink("/nonexistent/target", (root + "/broken.txt").c_str()), 0);
    ASSERT_EQ(chdir(root.c_str()), 0);
    g_rows.clear();
    g_korrin.debugCallback = Snap;
  }
  void TearDown() override {
    g_korrin.debugCallback = nullptr;
    EXPECT_EQ(chdir(saved.c_str()), 0);
    krntest::DrainEvents();
  }

  // Runs the dialog while a forked driver runs script (exit status 0 = all
  // it checked held).  The alarm ends a dialog nobody answers.
  int Run(char* buffer, int mode, const char* const* ext, const std::function<int(Driver&)>& script,
          int* driverStatus) {
    XSync(Dpy(), False);
    int rh = std::max(krnGetCharHeight(nullptr), 16);
    pid_t pid = fork();
    if (pid == 0) {
      Driver drv{XOpenDisplay(krntest::DisplayName().c_str()), rh};
      _exit(drv.d ? script(drv) : 99);
    }
    alarm(60);
    int answer = krnFileDialog(Dpy(), nullptr, buffer, ext, mode);
    alarm(0);
    int status = 0;
    waitpid(pid, &status, 0);
    *driverStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return answer;
  }
  std::string Open() const { return "Open Dialog - " + root; }
};

std::set<std::string> Part(const std::vector<std::string>& rows, bool dirs) {
  std::set<std::string> out;
  for (size_t i = 1; i < rows.size(); i++)
    if ((rows[i].back() == '/') == dirs) out.insert(rows[i]);
  return out;
}

bool DirsFirst(const std::vector<std::string>& rows) {
  for (size_t i = 1; i < rows.size(); i++)
    if (rows[i].back() == '/' && rows[i - 1].back() != '/') return false;
  return !rows.empty() && rows[0] == "../";
}

TEST_F(FileDialog, FiltersShowWhatEachPromisesWithDotDotFirst) {
  char buffer[KRN_FILE_NAME_SIZE] = "";
  int status = -1;
  int answer = Run(
      buffer, KRN_FILE_OPEN, kExt,
      [&](Driver& d) {
        Window dlg = d.Titled(Open());
        for (const char* filter : {"all", "normal", "select"})
          if (!d.ClickNamed(dlg, filter)) return 1;
        return d.ClickNamed(dlg, "Cancel") ? 0 : 2;
      },
      &status);
  EXPECT_EQ(answer, KRN_CANCEL);
  EXPECT_EQ(status, 0);
  using S = std::set<std::string>;
  struct Case {
    int filter;
    S dirs, files;
  } table[] = {
      {0, S{".config/", "docs/"},
       S{".profile", "Makefile", "a.c", "broken.txt", "notes.TXT", "notes.Txt", "readme.txt"}},
      {1, S{"docs/"}, S{"Makefile", "a.c", "broken.txt", "notes.TXT", "notes.Txt", "readme.txt"}},
      {2, S{"docs/"}, S{"broken.txt", "notes.TXT", "readme.txt"}},
  };
  for (const Case& c : table) {
    const std::vector<std::string>& rows = g_rows[c.filter];
    EXPECT_TRUE(DirsFirst(rows)) << c.filter;
    EXPECT_EQ(Part(rows, true), c.dirs) << c.filter;
    EXPECT_EQ(Part(rows, false), c.files) << c.filter;
  }
  EXPECT_EQ(g_rows[2],
            (std::vector<std::string>{"../", "docs/", "broken.txt", "notes.TXT", "readme.txt"}));
}

// Under "select": "../", "docs/", "broken.txt", "notes.TXT", "readme.txt".
TEST_F(FileDialog, ClicksEnterAndClimbAndADoubleClickConfirms) {
  char buffer[KRN_FILE_NAME_SIZE] = "";
  int status = -1;
  int answer = Run(
      buffer, KRN_FILE_OPEN, kExt,
      [&](Driver& d) {
        Window dlg = d.Titled(Open());
        if (!dlg || !d.ClickNamed(dlg, "select")) return 1;
        d.ClickRow(dlg, 2);  // the dangling link: a file, not entered
        d.ClickRow(dlg, 1);
        if (!d.Titled(Open() + "/docs")) return 2;
        d.ClickRow(dlg, 0);
        if (!d.Titled(Open())) return 3;
        d.ClickRow(dlg, 3, 2);
        return 0;
      },
      &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(answer, KRN_OK);
  EXPECT_STREQ(buffer, "notes.TXT");
  ASSERT_EQ(krnGetSelectFileCount_FileDialog(), 1);
  EXPECT_STREQ(krnGetSelectFileName_FileDialog(0), "notes.TXT");
  EXPECT_EQ(krnGetSelectFileName_FileDialog(1), nullptr);
}

TEST_F(FileDialog, ReturnConfirmsATypedNameAndSaveAsksBeforeOverwriting) {
  char buffer[KRN_FILE_NAME_SIZE] = "";
  int status = -1;
  int answer = Run(
      buffer, KRN_FILE_OPEN, kExt,
      [&](Driver& d) {
        Window dlg = d.Titled(Open());
        d.Type(dlg, Keys("new.txt"));
        d.Type(dlg, {XK_Return});
        return dlg ? 0 : 1;
      },
      &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(answer, KRN_OK);
  EXPECT_STREQ(buffer, "new.txt");
  // Save: Cancel on the question keeps the dialog and the name; OK ends it.
  buffer[0] = '\0';
  answer = Run(
      buffer, KRN_FILE_SAVE, kExt,
      [&](Driver& d) {
        Window dlg = d.Titled("Save Dialog - " + root);
        if (!dlg || !d.ClickNamed(dlg, "select")) return 1;
        d.Type(dlg, Keys("readme.txt"));
        d.Type(dlg, {XK_Return});
        Window ask = d.Titled("File Save Dialog");
        if (!ask || !d.ClickNamed(ask, "Cancel")) return 2;
        d.Type(dlg, {XK_Return});
        ask = d.Titled("File Save Dialog");
        return ask && d.ClickNamed(ask, " O K ") ? 0 : 3;
      },
      &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(answer, KRN_OK);
  EXPECT_STREQ(buffer, "readme.txt");
}

TEST_F(FileDialog, CancelAndCloseReturnEmptyAndTheNextCallOpensAsTheLastClosed) {
  char buffer[KRN_FILE_NAME_SIZE] = "proposed.txt";
  int status = -1;
  int answer = Run(
      buffer, KRN_FILE_OPEN, kExt,
      [&](Driver& d) {
        Window dlg = d.Titled(Open());
        if (!dlg || !d.ClickNamed(dlg, "all")) return 1;
        XMoveWindow(d.d, dlg, 120, 90);
        XSync(d.d, False);
        XResizeWindow(d.d, dlg, 400, 420);
        d.ClickNamed(dlg, "Cancel");
        return 0;
      },
      &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(answer, KRN_CANCEL);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(krnGetSelectFileCount_FileDialog(), 0);
  g_rows.clear();
  snprintf(buffer, sizeof buffer, "proposed.txt");
  answer = Run(
      buffer, KRN_FILE_OPEN, kExt,
      [&](Driver& d) {
        Window dlg = d.Titled(Open());
        XWindowAttributes a;
        Window list =
            d.Wait(dlg, [](const std::string& t) { return t == "_krnListBox_krnFileDlg"; });
        XWindowAttributes la;
        if (!dlg || !list || !XGetWindowAttributes(d.d, dlg, &a) ||
            !XGetWindowAttributes(d.d, list, &la))
          return 1;
        d.Close(dlg);
        return a.x == 120 && a.y == 90 && a.width == 400 && a.height == 420 && la.width == 400 - 82
                   ? 0
                   : 2;
      },
      &status);
  EXPECT_EQ(status, 0) << "not opened where and as large as the last one closed";
  EXPECT_EQ(answer, KRN_CANCEL);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(g_rows.count(0), 1u) << "not opened with the last filter";
  EXPECT_TRUE(Part(g_rows[0], true).count(".config/"));
}

// A directory path longer than the 4096-byte buffer: the title shows its
// end, entering and leaving still work; a proposed name longer than the
// path field is refused rather than cut, so the field starts empty.
TEST_F(FileDialog, PathsBeyondTheBuffersAreCutOrRefused) {
  std::string name(200, 'd'), deep = root;
  for (int i = 0; i < 24; i++) {
    std::string level = name + std::to_string(i);
    ASSERT_EQ(mkdir(level.c_str(), 0700), 0);
    ASSERT_EQ(chdir(level.c_str()), 0);
  }
  ASSERT_EQ(mkdir("last", 0700), 0);
  char buffer[KRN_FILE_NAME_SIZE];
  snprintf(buffer, sizeof buffer, "%s", std::string(KRN_FILE_NAME_SIZE - 1, 'x').c_str());
  int status = -1;
  int answer = Run(
      buffer, KRN_FILE_OPEN, kExt,
      [&](Driver& d) {
        auto tail = [](const std::string& end) {
          return [end](const std::string& t) {
            return t.rfind("Open Dialog - .../", 0) == 0 && t.size() < 14 + 4096 &&
                   t.size() > end.size() && t.compare(t.size() - end.size(), end.size(), end) == 0;
          };
        };
        Window dlg = d.Wait(DefaultRootWindow(d.d), tail(name + "23"));
        if (!dlg || !d.ClickNamed(dlg, "select")) return 1;
        d.ClickRow(dlg, 1);
        if (!d.Wait(DefaultRootWindow(d.d), tail(name + "23/last"))) return 2;
        d.ClickRow(dlg, 0);
        d.ClickRow(dlg, 0);
        if (!d.Wait(DefaultRootWindow(d.d), tail(name + "22"))) return 3;
        d.Type(dlg, {XK_Return});  // the field is empty: a warning, not a name
        Window warn = d.Titled("File Dialog");
        if (!warn || !d.ClickNamed(warn, " O K ")) return 4;
        return d.ClickNamed(dlg, "Cancel") ? 0 : 5;
      },
      &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(answer, KRN_CANCEL);
  EXPECT_STREQ(buffer, "");
}

#else
TEST(FileDialog, NeedsXtest) {
  GTEST_SKIP() << "built without XTEST";
}
#endif

}  // namespace
