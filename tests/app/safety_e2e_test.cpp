// The real quelmo binary trusted with real files: saves that keep every
// byte, a file refused at start-up that no save can write over, a save that
// stays with its file when the open dialog changed directory, the emergency
// save when the X server goes away or a signal ends the program, and the
// whole window painted after a start-up error.
#include <xdriver.h>
#include <xharness.h>
#include <xquelmo.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <X11/keysym.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

KRN_X_ENVIRONMENT(24, false);

namespace {

using krntest::Driver;
using krntest::ReadFile;
using krntest::TempDir;
using krntest::WriteFile;

std::string QuelmoPath() {
  return getenv("KRN_QUELMO") ? getenv("KRN_QUELMO") : "quelmo";
}

// A quelmo on a display of our choosing, driven from a second client.
struct Memo {
  krntest::Process process;
  Driver drv;
  Window main = 0, editor = 0;
  Memo(const std::string& dir, const std::vector<std::string>& args, const std::string& display,
       const std::string& log = "")
      : process(dir, QuelmoPath(), args, log.c_str()) {
    drv.d = XOpenDisplay(display.c_str());
  }
  explicit Memo(const TempDir& dir, const std::vector<std::string>& args = {})
      : Memo(dir.path(), args, krntest::DisplayName()) {}
  ~Memo() {
    if (drv.d) XCloseDisplay(drv.d);
  }
  bool Open() {
    return drv.d && (main = drv.MainWindow()) != 0 &&
           (editor = drv.Child(drv.Child(main, "InputBox"), "krnInputMltWnd_InputBox")) != 0;
  }
  void Ctrl(KeySym key) { drv.Key(editor, key, {XK_Control_L}); }
  Window Starting(const std::string& prefix) {
    return drv.Wait(DefaultRootWindow(drv.d),
                    [&](const std::string& t) { return t.compare(0, prefix.size(), prefix) == 0; });
  }
  // Answers the dialog titled title with Return and waits until it is gone.
  bool Answer(const std::string& title) {
    if (!drv.FindTarget(title)) return false;
    drv.Key(drv.target, XK_Return);
    return drv.WaitGone(title);
  }
};

// Control+S and Return over a file with NULs asks before overwriting the
// existing file, then writes every byte of it.
TEST(Safety, SavingAFileWithNulsKeepsEveryByte) {
  TempDir dir;
  const std::string bytes("abc\0def\nghi\n", 12);
  WriteFile(dir.file("nul.txt"), bytes);
  WriteFile(dir.file("lead.txt"), std::string("\0\0x\n", 4));
  Memo m(dir, {"nul.txt"});
  ASSERT_TRUE(m.Open());
  m.Ctrl(XK_s);
  Window dialog = m.Starting("Save Dialog - ");
  ASSERT_NE(dialog, 0u);
  m.drv.Key(dialog, XK_Return);
  ASSERT_TRUE(m.Answer("File Save Dialog")) << "no question before overwriting";
  // the status line changes once the save is done; the bytes are all there
  ASSERT_TRUE(m.drv.Until([&] {
    struct stat st;
    return stat(dir.file("nul.txt").c_str(), &st) == 0 && st.st_ino != 0 &&
           ReadFile(dir.file("nul.txt")) == bytes;
  }));
  m.Ctrl(XK_q);  // saved and unmodified: Quit asks nothing
  EXPECT_EQ(m.process.ExitStatus(10000), 0);
  EXPECT_EQ(ReadFile(dir.file("nul.txt")), bytes);
}

// A file too large at start-up never becomes the current name: Control+S
// proposes no name, so Return cannot write over the log.
TEST(Safety, AFileRefusedAtStartUpIsNotProposedForSaving) {
  TempDir dir;
  std::string log(3000000, 'L');
  WriteFile(dir.file("big.log"), log);
  Memo m(dir, {"big.log"});
  ASSERT_TRUE(m.Open());
  ASSERT_TRUE(m.Answer("Error")) << "no too-large dialog";
  m.Ctrl(XK_s);
  Window dialog = m.Starting("Save Dialog - ");
  ASSERT_NE(dialog, 0u);
  m.drv.Key(dialog, XK_Return);
  EXPECT_TRUE(m.Answer("File Dialog")) << "a name was proposed";
  m.drv.Close(dialog);
  ASSERT_TRUE(m.drv.Until([&] {
    return m.drv.Find(DefaultRootWindow(m.drv.d),
                      [](const std::string& t) { return t.rfind("Save Dialog - ", 0) == 0; }) == 0;
  }));
  m.Ctrl(XK_q);
  EXPECT_EQ(m.process.ExitStatus(10000), 0);
  EXPECT_EQ(ReadFile(dir.file("big.log")), log);
}

// Save as asks before overwriting any existing file: one the filter does not
// list, and one named with its directory; Cancel keeps the dialog and the file.
TEST(Safety, SaveAsAsksBeforeOverwritingAnExistingFileTheListHides) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0755), 0);
  WriteFile(dir.file("keep.log"), "log\n");
  WriteFile(dir.file("sub/x.txt"), "x\n");
  Memo m(dir);
  ASSERT_TRUE(m.Open());
  m.drv.Click(m.editor, 2, 5);
  m.drv.Type(m.editor, "text");
  for (const char* name : {"keep.log", "sub/x.txt"}) {
    m.Ctrl(XK_s);
    Window dialog = m.Starting("Save Dialog - ");
    ASSERT_NE(dialog, 0u);
    m.drv.Type(dialog, name);
    m.drv.Key(dialog, XK_Return);
    ASSERT_TRUE(m.drv.FindTarget("File Save Dialog")) << name;
    m.drv.Close();  // Cancel
    ASSERT_TRUE(m.drv.WaitGone("File Save Dialog"));
    m.drv.Close(dialog);
    ASSERT_TRUE(m.drv.Until([&] {
      return m.drv.Find(DefaultRootWindow(m.drv.d), [](const std::string& t) {
        return t.rfind("Save Dialog - ", 0) == 0;
      }) == 0;
    }));
  }
  EXPECT_EQ(ReadFile(dir.file("keep.log")), "log\n");
  EXPECT_EQ(ReadFile(dir.file("sub/x.txt")), "x\n");
}

// The open dialog's "../" changes the directory; a later save still writes
// the file that was loaded, not one of that name in the parent.
TEST(Safety, ASaveAfterTheOpenDialogChangedDirectoryWritesTheLoadedFile) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.file("work").c_str(), 0755), 0);
  WriteFile(dir.file("work/notes.txt"), "notes\n");
  Memo m(dir.file("work"), {"notes.txt"}, krntest::DisplayName());
  ASSERT_TRUE(m.Open());
  m.drv.Click(m.editor, 2, 5);
  m.drv.Type(m.editor, "new ");
  m.Ctrl(XK_o);
  ASSERT_TRUE(m.Answer("Warning"));  // open over a modified text: OK
  Window open = m.Starting("Open Dialog - ");
  ASSERT_NE(open, 0u);
  Window list = m.drv.Child(open, "_krnList_ListBox");
  ASSERT_NE(list, 0u);
  m.drv.Click(list, 30, 9);  // row 0: "../"
  ASSERT_TRUE(m.drv.Until([&] { return m.Starting("Open Dialog - " + dir.path()) != 0; }))
      << "the dialog did not go up";
  ASSERT_TRUE(m.drv.ClickNamed(open, "Cancel"));
  ASSERT_TRUE(m.drv.Until([&] {
    return m.drv.Find(DefaultRootWindow(m.drv.d),
                      [](const std::string& t) { return t.rfind("Open Dialog - ", 0) == 0; }) == 0;
  }));
  m.Ctrl(XK_s);
  Window save = m.Starting("Save Dialog - ");
  ASSERT_NE(save, 0u);
  m.drv.Key(save, XK_Return);
  ASSERT_TRUE(m.Answer("File Save Dialog"));
  EXPECT_TRUE(m.drv.Until([&] { return ReadFile(dir.file("work/notes.txt")) == "new notes\n"; }))
      << ReadFile(dir.file("work/notes.txt"));
  EXPECT_EQ(access(dir.file("notes.txt").c_str(), F_OK), -1) << "written in the parent";
  m.Ctrl(XK_q);
  EXPECT_EQ(m.process.ExitStatus(10000), 0);
}

// Starts quelmo on its own server with a modified text in notes.txt; the
// test then ends the session in some way and reads what was saved.
struct Emergency {
  TempDir dir, logs;
  std::unique_ptr<krntest::XServer> server{new krntest::XServer};
  std::unique_ptr<Memo> memo;
  // Types one letter, then opens the help: once the help dialog is up the
  // letter has been handled, and the session ends under a modal loop.
  bool Start(bool titled = true) {
    WriteFile(dir.file("notes.txt"), "notes\n");
    WriteFile(dir.file("notes.txt.save"), "an older emergency\n");
    std::vector<std::string> args = {"-display", server->name()};
    if (titled) args.push_back("notes.txt");
    memo.reset(new Memo(dir.path(), args, server->name(), logs.file("stderr")));
    if (!memo->Open()) return false;
    memo->drv.Click(memo->editor, 2, 5);
    memo->drv.Type(memo->editor, "x");
    memo->Ctrl(XK_h);
    return memo->drv.FindTarget("Quelmo Help");
  }
};

TEST(Safety, LosingTheXServerSavesTheModifiedTextBesideTheFile) {
  Emergency e;
  ASSERT_TRUE(e.server->ok());
  ASSERT_TRUE(e.Start());
  XCloseDisplay(e.memo->drv.d);
  e.memo->drv.d = nullptr;
  e.server.reset();  // the X server goes away
  int status = e.memo->process.ExitStatus(20000);
  EXPECT_EQ(status, 1) << "-1: killed by a signal (SIGPIPE), -2: still running";
  EXPECT_EQ(ReadFile(e.dir.file("notes.txt.1.save")), "xnotes\n");
  EXPECT_EQ(ReadFile(e.dir.file("notes.txt.save")), "an older emergency\n");
  EXPECT_EQ(ReadFile(e.dir.file("notes.txt")), "notes\n");
  EXPECT_NE(ReadFile(e.logs.file("stderr")).find(e.dir.file("notes.txt.1.save")), std::string::npos)
      << ReadFile(e.logs.file("stderr"));
}

TEST(Safety, SigtermAndSighupSaveTheModifiedText) {
  for (int signal : {SIGTERM, SIGHUP}) {
    Emergency e;
    ASSERT_TRUE(e.server->ok());
    ASSERT_TRUE(e.Start()) << signal;
    e.memo->process.Signal(signal);
    EXPECT_EQ(e.memo->process.ExitStatus(20000), 128 + signal);
    EXPECT_EQ(ReadFile(e.dir.file("notes.txt.1.save")), "xnotes\n") << signal;
    EXPECT_NE(ReadFile(e.logs.file("stderr")).find(e.dir.file("notes.txt.1.save")),
              std::string::npos)
        << ReadFile(e.logs.file("stderr"));
  }
}

// An untitled text goes to quelmo.save in the home directory.
TEST(Safety, AnUntitledTextIsSavedInTheHomeDirectory) {
  Emergency e;
  ASSERT_TRUE(e.server->ok());
  ASSERT_TRUE(e.Start(false));
  e.memo->process.Signal(SIGTERM);
  EXPECT_EQ(e.memo->process.ExitStatus(20000), 128 + SIGTERM);
  EXPECT_EQ(ReadFile(krntest::Home() + "/quelmo.save"), "x\n");
}

// After the error dialog at start-up, the menu bar's captions and the
// scroll bar's arrows are painted: neither stays one blank colour.
TEST(Safety, AStartUpErrorLeavesTheWholeWindowPainted) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.file("adir").c_str(), 0755), 0);
  Memo m(dir, {"adir"});
  ASSERT_TRUE(m.Open());
  ASSERT_TRUE(m.Answer("Error"));
  Window bar = m.drv.Child(m.main, "MenuBar");
  Window scroll = m.drv.Child(m.drv.Child(m.main, "InputBox"), "krnScroll_InputBox");
  auto drawn = [&](Window w, int width, int height) {
    std::vector<unsigned long> p = m.drv.Pixels(w, 0, 0, width, height);
    return !p.empty() && std::count(p.begin(), p.end(), p[0]) != static_cast<long>(p.size());
  };
  EXPECT_TRUE(m.drv.Until([&] { return drawn(bar, 120, 16) && drawn(scroll, 16, 40); }, 5000));
  m.drv.Close(m.main);
  EXPECT_EQ(m.process.ExitStatus(10000), 0);
}

}  // namespace
