// The file dialog on a private X server, in a scratch directory tree, worked
// by a forked driver with real pointer and key input (xdriver.h).  The
// listings are read in the test's process by the debug callback, which the
// dialog's loop calls after every event.
#include <xdriver.h>

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <X11/keysym.h>

#include <map>
#include <set>
#include <string>
#include <vector>

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Driver;
using Rows = std::vector<std::string>;
const char* const kExt[] = {".txt", ".TXT", ".c", ".h", nullptr};

std::map<int, Rows> g_rows;  // the listing last shown under each filter index
int Snap(Display*, KrnWindow*, XEvent*) {
  KrnWindow* list = krnGetWindow("_krnListBox_krnFileDlg");
  KrnWindow* group = krnGetWindow("Expansion:");
  if (!list || !group) return 1;
  Rows& rows = g_rows[krnGetSelectIndex_SelectButton(group)];
  rows.clear();
  for (int i = 0; i < krnGetSize_ListBox(list); i++) rows.push_back(krnGetName_ListBox(list, i));
  return 1;
}

const int kRowHeight = 16;  // the list's rows with the default 14-pixel fonts
bool ClickRow(Driver& d, Window dialog, int row, int times = 1) {
  Window list = d.Child(dialog, "_krnList_ListBox");
  if (list) d.Click(list, 30, 1 + row * kRowHeight + kRowHeight / 2, times);
  return list != 0;
}

// A scratch tree as the current directory, given back after each test.
class FileDialog : public ::testing::Test {
 protected:
  krntest::TempDir tmp;
  std::string root, saved;
  char buffer[KRN_FILE_NAME_SIZE] = "";
  const char* const* extensions = kExt;
  int status = -1;

  void SetUp() override {
    char here[PATH_MAX], real[PATH_MAX];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_NE(realpath(tmp.path().c_str(), real), nullptr);
    saved = here;
    root = real;
    for (const char* dir : {"docs", ".config"}) mkdir((root + "/" + dir).c_str(), 0700);
    for (const char* file :
         {"notes.TXT", "notes.Txt", "a.c", "Makefile", ".profile", "readme.txt", "docs/in.txt"})
      krntest::WriteFile(root + "/" + file, "x");
    ASSERT_EQ(symlink("/nonexistent/target", (root + "/broken.txt").c_str()), 0);
    ASSERT_EQ(chdir(root.c_str()), 0);
    ASSERT_EQ(krnGetCharHeight(nullptr), 14);
    g_rows.clear();
    g_korrin.debugCallback = Snap;
  }
  void TearDown() override {
    g_korrin.debugCallback = nullptr;
    EXPECT_EQ(chdir(saved.c_str()), 0);
    krntest::DrainEvents();
  }
  int Run(int mode, const std::function<int(Driver&)>& script) {
    return krntest::RunWithDriver(
        [&] { return krnFileDialog(Dpy(), nullptr, buffer, extensions, mode); }, script, &status);
  }
  Display* Dpy() { return krntest::Dpy(); }
  std::string Open() const { return "Open Dialog - " + root; }
};

std::set<std::string> Part(const Rows& rows, bool dirs) {
  std::set<std::string> out;
  for (size_t i = 1; i < rows.size(); i++)
    if ((rows[i].back() == '/') == dirs) out.insert(rows[i]);
  return out;
}

bool DirsFirst(const Rows& rows) {
  for (size_t i = 1; i < rows.size(); i++)
    if (rows[i].back() == '/' && rows[i - 1].back() != '/') return false;
  return !rows.empty() && rows[0] == "../";
}

TEST_F(FileDialog, FiltersShowWhatEachPromisesWithDotDotFirst) {
  int answer = Run(KRN_FILE_OPEN, [&](Driver& d) {
    Window dlg = d.Titled(Open());
    for (const char* filter : {"all", "normal", "select"})
      if (!d.ClickNamed(dlg, filter)) return 1;
    return d.ClickNamed(dlg, "Cancel") ? 0 : 2;
  });
  EXPECT_EQ(answer, KRN_CANCEL);
  EXPECT_EQ(status, 0);
  using S = std::set<std::string>;
  const S files = {"Makefile", "a.c", "broken.txt", "notes.TXT", "notes.Txt", "readme.txt"};
  S all = files;
  all.insert(".profile");
  struct Case {
    int filter;
    S dirs, files;
  } table[] = {{0, {".config/", "docs/"}, all},
               {1, {"docs/"}, files},
               {2, {"docs/"}, {"broken.txt", "notes.TXT", "readme.txt"}}};
  for (const Case& c : table) {
    EXPECT_TRUE(DirsFirst(g_rows[c.filter])) << c.filter;
    EXPECT_EQ(Part(g_rows[c.filter], true), c.dirs) << c.filter;
    EXPECT_EQ(Part(g_rows[c.filter], false), c.files) << c.filter;
  }
  // Without extensions the last used "select" becomes "normal" and is not offered.
  g_rows.clear();
  extensions = nullptr;
  answer = Run(KRN_FILE_OPEN, [&](Driver& d) {
    Window dlg = d.Titled(Open());
    bool offered = d.Find(dlg, [](const std::string& t) { return t == "select"; }) != 0;
    d.ClickNamed(dlg, "Cancel");
    return offered ? 1 : 0;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(g_rows.count(2), 0u);
  EXPECT_EQ(Part(g_rows[1], false), files);
}

// Under "select" the rows are "../", "docs/", "broken.txt", "notes.TXT" and
// "readme.txt"; the dangling link is a file, so clicking it enters nothing.
TEST_F(FileDialog, ClicksEnterAndClimbAndADoubleClickConfirms) {
  int answer = Run(KRN_FILE_OPEN, [&](Driver& d) {
    Window dlg = d.Titled(Open());
    if (!d.ClickNamed(dlg, "select") || !ClickRow(d, dlg, 2)) return 1;
    ClickRow(d, dlg, 1);
    if (!d.Titled(Open() + "/docs")) return 2;
    ClickRow(d, dlg, 0);
    if (!d.Titled(Open())) return 3;
    ClickRow(d, dlg, 3, 2);
    return 0;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(answer, KRN_OK);
  EXPECT_STREQ(buffer, "notes.TXT");
  ASSERT_EQ(krnGetSelectFileCount_FileDialog(), 1);
  EXPECT_STREQ(krnGetSelectFileName_FileDialog(0), "notes.TXT");
  EXPECT_EQ(krnGetSelectFileName_FileDialog(1), nullptr);
}

TEST_F(FileDialog, ReturnConfirmsATypedNameAndSaveAsksBeforeOverwriting) {
  // Opening a listed file asks nothing (a question would hang the dialog).
  int answer = Run(KRN_FILE_OPEN, [&](Driver& d) {
    Window dlg = d.Titled(Open());
    if (!d.ClickNamed(dlg, "select")) return 1;
    d.Type(dlg, "readme.txt");
    d.Type(dlg, std::vector<KeySym>{XK_Return});
    return 0;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(answer, KRN_OK);
  EXPECT_STREQ(buffer, "readme.txt");
  // Cancel on the question keeps the dialog and the name: Return asks again.
  buffer[0] = '\0';
  answer = Run(KRN_FILE_SAVE, [&](Driver& d) {
    Window dlg = d.Titled("Save Dialog - " + root);
    if (!d.ClickNamed(dlg, "select")) return 1;
    d.Type(dlg, "readme.txt");
    d.Type(dlg, std::vector<KeySym>{XK_Return});
    if (!d.ClickNamed(d.Titled("File Save Dialog"), "Cancel")) return 2;
    d.Type(dlg, std::vector<KeySym>{XK_Return});
    return d.ClickNamed(d.Titled("File Save Dialog"), " O K ") ? 0 : 3;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(answer, KRN_OK);
  EXPECT_STREQ(buffer, "readme.txt");
}

TEST_F(FileDialog, CancelAndCloseReturnEmptyAndTheNextCallOpensAsTheLastClosed) {
  snprintf(buffer, sizeof buffer, "proposed.txt");
  int answer = Run(KRN_FILE_OPEN, [&](Driver& d) {
    Window dlg = d.Titled(Open());
    if (!d.ClickNamed(dlg, "all")) return 1;
    XMoveWindow(d.d, dlg, 120, 90);
    XSync(d.d, False);
    Window cancel = d.Child(dlg, "Cancel");
    XRectangle before = d.Geometry(cancel);
    XResizeWindow(d.d, dlg, 400, 420);
    XSync(d.d, False);
    // The resize lays the buttons out again: click Cancel once it has moved.
    d.Until([&] { return d.Geometry(cancel).x != before.x; }, 3000);
    return d.ClickNamed(dlg, "Cancel") ? 0 : 2;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(answer, KRN_CANCEL);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(krnGetSelectFileCount_FileDialog(), 0);
  g_rows.clear();
  snprintf(buffer, sizeof buffer, "proposed.txt");
  answer = Run(KRN_FILE_OPEN, [&](Driver& d) {
    Window dlg = d.Titled(Open()), list = d.Child(dlg, "_krnListBox_krnFileDlg");
    XWindowAttributes a, la;
    if (!list || !XGetWindowAttributes(d.d, dlg, &a) || !XGetWindowAttributes(d.d, list, &la))
      return 1;
    d.Close(dlg);
    bool same = a.x == 120 && a.y == 90 && a.width == 400 && a.height == 420;
    return same && la.width == 400 - 82 ? 0 : 2;
  });
  EXPECT_EQ(status, 0) << "not opened where and as large as the last one closed";
  EXPECT_EQ(answer, KRN_CANCEL);
  EXPECT_STREQ(buffer, "");
  EXPECT_TRUE(Part(g_rows[0], true).count(".config/")) << "not opened with the last filter";
}

// A dialog that cannot list the directory it starts in (removed under it)
// returns at once and leaves where the last good dialog closed.
TEST_F(FileDialog, AFailedStartLeavesWhatTheLastDialogRemembered) {
  int answer = Run(KRN_FILE_OPEN, [&](Driver& d) {
    Window dlg = d.Titled(Open());
    XMoveWindow(d.d, dlg, 130, 70);
    XSync(d.d, False);
    d.Until([&] { return d.Geometry(dlg).x == 130; }, 3000);
    return d.ClickNamed(dlg, "Cancel") ? 0 : 1;
  });
  ASSERT_EQ(status, 0);
  ASSERT_EQ(answer, KRN_CANCEL);
  ASSERT_EQ(mkdir("doomed", 0700), 0);
  ASSERT_EQ(chdir("doomed"), 0);
  ASSERT_EQ(rmdir((root + "/doomed").c_str()), 0);
  snprintf(buffer, sizeof buffer, "kept.txt");
  answer = Run(KRN_FILE_OPEN, [&](Driver& d) {  // no dialog may open
    Window dlg = d.Wait(
        DefaultRootWindow(d.d),
        [](const std::string& t) { return t.rfind("Open Dialog - ", 0) == 0; }, 2000);
    if (dlg) d.Close(dlg);
    return dlg ? 1 : 0;
  });
  EXPECT_EQ(status, 0) << "a dialog opened on a directory it could not list";
  EXPECT_EQ(answer, KRN_CANCEL);
  EXPECT_STREQ(buffer, "");
  ASSERT_EQ(chdir(root.c_str()), 0);
  answer = Run(KRN_FILE_OPEN, [&](Driver& d) {
    Window dlg = d.Titled(Open());
    XWindowAttributes a;
    bool same = XGetWindowAttributes(d.d, dlg, &a) && a.x == 130 && a.y == 70;
    d.ClickNamed(dlg, "Cancel");
    return same ? 0 : 1;
  });
  EXPECT_EQ(status, 0) << "the failed start changed where the next dialog opens";
  EXPECT_EQ(answer, KRN_CANCEL);
}

// The directory shown is removed from outside: the next listing reports it
// and offers "../", which climbs out.
TEST_F(FileDialog, ARemovedDirectoryOffersDotDotToClimbOut) {
  std::string err;
  int answer = 0;
  {
    krntest::TempDir logs;
    std::string log = logs.file("err");
    fflush(stderr);
    int saved = dup(2);
    FILE* f = freopen(log.c_str(), "w", stderr);
    ASSERT_NE(f, nullptr);
    answer = Run(KRN_FILE_OPEN, [&](Driver& d) {
      Window dlg = d.Titled(Open());
      if (!d.ClickNamed(dlg, "normal") || !ClickRow(d, dlg, 1)) return 1;  // into docs/
      if (!d.Titled(Open() + "/docs")) return 2;
      if (system(("rm -rf '" + root + "/docs'").c_str()) != 0) return 3;
      Window rows = d.Child(dlg, "_krnList_ListBox");
      std::vector<unsigned long> before = d.Pixels(rows, 0, 0, 100, 40);
      if (!d.ClickNamed(dlg, "all")) return 4;  // lists the removed directory again
      if (!d.Until([&] { return d.Pixels(rows, 0, 0, 100, 40) != before; })) return 7;
      ClickRow(d, dlg, 0);
      if (!d.Titled(Open())) return 5;  // "../" was there and climbed out
      return d.ClickNamed(dlg, "Cancel") ? 0 : 6;
    });
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
    err = krntest::ReadFile(log);
  }
  EXPECT_EQ(status, 0);
  EXPECT_EQ(answer, KRN_CANCEL);
  EXPECT_NE(err.find("Error: Can't scan directroy."), std::string::npos) << err;
}

// A directory path longer than the 4096-byte buffer: the title shows its
// end, entering and leaving still work.  A proposed name longer than the
// path field is refused rather than cut: Return finds the field empty.
TEST_F(FileDialog, PathsBeyondTheBuffersAreCutOrRefused) {
  std::string name(200, 'd');
  for (int i = 0; i < 24; i++) {
    ASSERT_EQ(mkdir((name + std::to_string(i)).c_str(), 0700), 0);
    ASSERT_EQ(chdir((name + std::to_string(i)).c_str()), 0);
  }
  ASSERT_EQ(mkdir("last", 0700), 0);
  snprintf(buffer, sizeof buffer, "%s", std::string(KRN_FILE_NAME_SIZE - 1, 'x').c_str());
  auto endsIn = [](const std::string& end) {
    return [end](const std::string& t) {
      return t.rfind("Open Dialog - .../", 0) == 0 && t.size() < 14 + 4096 &&
             t.size() > end.size() && t.compare(t.size() - end.size(), end.size(), end) == 0;
    };
  };
  int answer = Run(KRN_FILE_OPEN, [&](Driver& d) {
    Window root = DefaultRootWindow(d.d), dlg = d.Wait(root, endsIn(name + "23"));
    if (!d.ClickNamed(dlg, "select") || !ClickRow(d, dlg, 1)) return 1;
    if (!d.Wait(root, endsIn(name + "23/last"))) return 2;
    ClickRow(d, dlg, 0, 2);  // climbs twice: the listing changed under the second click
    if (!d.Wait(root, endsIn(name + "22"))) return 3;
    d.Type(dlg, std::vector<KeySym>{XK_Return});
    if (!d.ClickNamed(d.Titled("File Dialog"), " O K ")) return 4;
    return d.ClickNamed(dlg, "Cancel") ? 0 : 5;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(answer, KRN_CANCEL);
  EXPECT_STREQ(buffer, "");
}

}  // namespace
