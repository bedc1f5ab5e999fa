// The memo pad's main window in the process, built as the program builds
// it: files loaded and saved with TakeInText/TakeOutText (the error dialogs
// answered by a forked driver with real key input), and the lock command
// with the keys that scroll in lock mode.
#include <xdriver.h>
#include <xharness.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <X11/keysym.h>

#include <string>

#include "controls/menu.h"
#include "quelmo.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;
using krntest::ReadFile;
using krntest::WriteFile;

// "Japanese" in EUC-JP and in Shift_JIS.
const std::string kEuc = "\xc6\xfc\xcb\xdc\xb8\xec";
const std::string kSjis = "\x93\xfa\x96\x7b\x8c\xea";

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(getcwd(oldDir_, sizeof oldDir_), oldDir_);
    ASSERT_EQ(chdir(dir_.path().c_str()), 0);
    g_cFileName[0] = '\0';
    main_ = CreateMainWindow(Dpy());
    ASSERT_NE(main_, nullptr);
    box_ = krnGetWindow("InputBox");
    krntest::Pump();
  }
  void TearDown() override {
    krnDestroyWindow(Dpy(), main_);
    free(g_pText);
    g_pText = nullptr;
    krntest::DrainEvents();
    ASSERT_EQ(chdir(oldDir_), 0);
  }
  // The current name the editor records for a file of the test's directory.
  std::string Abs(const std::string& name) { return std::string(Here()) + "/" + name; }
  std::string Here() {
    char here[4096];
    return getcwd(here, sizeof here) ? here : "";
  }
  std::string StatusLine() { return krnGetText_TextWnd(krnGetWindow("_krnStatus_MenuBar")); }
  std::string Text() { return krnGetText_InputBox(box_); }
  // Runs call while a driver waits for the "Error" dialog and answers it
  // with Return; true when the dialog was shown.
  bool ExpectError(const std::function<void()>& call) { return Answer("Error", true, call); }
  // Runs call while a driver answers the dialog titled title: OK with
  // Return, Cancel with the window manager's close; true when it was shown.
  bool Answer(const char* title, bool ok, const std::function<void()>& call) {
    int status = -1;
    krntest::DriveModal(
        title,
        [ok](krntest::Driver& d) {
          if (ok)
            d.Key(d.target, XK_Return);
          else
            d.Close();
          return 0;
        },
        [&] {
          call();
          return 0;
        },
        &status);
    return status == 0;
  }

  krntest::TempDir dir_;
  char oldDir_[4096];
  KrnWindow* main_ = nullptr;
  KrnWindow* box_ = nullptr;
};

TEST_F(MainWindow, LoadingLabelsTheCodeInTheStatusLine) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* status;
  } table[] = {
      {"memo.txt", kEuc + kEuc + "\n\n", "14 bytes [memo.txt] - EUC"},
      {"ascii.txt", "hello\n", "6 bytes [ascii.txt] - ASCII"},
      {"sjis.txt", kSjis + "\n", "7 bytes [sjis.txt] - ShiftJIS"},
      {"bin.dat", std::string("a\0b\x01\x02", 5), "5 bytes [bin.dat] - BINARY"},
      {"utf8.txt", "\xe6\x97\xa5\xe6\x9c\xac\n", "7 bytes [utf8.txt] - UTF-8"},
      {"kana.txt", "\x8e\xb1\x8e\xb2\n", "5 bytes [kana.txt] - EUC"},
  };
  for (const Case& c : table) {
    WriteFile(c.name, c.bytes);
    EXPECT_EQ(TakeInText(c.name), 1) << c.name;
    EXPECT_EQ(StatusLine(), c.status);
    EXPECT_EQ(g_cFileName, Abs(c.name));
    EXPECT_EQ(krnIsUpdate_InputBox(box_), 0) << c.name;
  }
  // exactly twelve bytes of EUC-JP text
  WriteFile("memo.txt", kEuc + kEuc);
  TakeInText("memo.txt");
  EXPECT_EQ(StatusLine(), "12 bytes [memo.txt] - EUC");
  EXPECT_EQ(Text(), kEuc + kEuc + "\n");
}

TEST_F(MainWindow, StartingWithoutANameKeepsTheWelcomeAndAnEmptyText) {
  EXPECT_EQ(TakeInText(""), 0);
  EXPECT_EQ(StatusLine(),
            "Welcome to quelmo!!!(\xa4\xa4\xa4\xe9\xa4\xc3\xa4\xb7\xa4\xe3\xa1\xbc\xa4\xa4)");
  EXPECT_EQ(krnGetLength_InputBox(box_), 1);
  EXPECT_STREQ(g_cFileName, "");
}

TEST_F(MainWindow, CarriageReturnsAreDroppedAndASaveWritesLineFeeds) {
  WriteFile("dos.txt", "one\r\ntwo\r\n");
  ASSERT_EQ(TakeInText("dos.txt"), 1);
  EXPECT_EQ(StatusLine(), "10 bytes [dos.txt] - ASCII");
  EXPECT_EQ(Text(), "one\ntwo\n");
  ASSERT_EQ(TakeOutText("dos.txt"), 1);
  EXPECT_EQ(ReadFile("dos.txt"), "one\ntwo\n");
  EXPECT_EQ(StatusLine(), "8 bytes [dos.txt] - ASCII");
}

// Every refused load leaves text, name, status and modified flag alone.
TEST_F(MainWindow, ARefusedLoadChangesNothing) {
  WriteFile("kept.txt", "kept\n");
  ASSERT_EQ(TakeInText("kept.txt"), 1);
  krnAddText_InputBox(box_, "x");
  krnSetUpdateFlag_InputBox(box_, 1);
  ASSERT_EQ(mkdir("adir", 0755), 0);
  WriteFile("big.txt", "");
  ASSERT_EQ(truncate("big.txt", kMaxTextBytes + 1), 0);
  struct Case {
    const char* path;
    int result;
  } table[] = {{"missing.txt", 0}, {"adir", 0}, {"big.txt", 1}};
  for (const Case& c : table) {
    std::string text = Text(), status = StatusLine();
    int result = -1;
    EXPECT_TRUE(ExpectError([&] { result = TakeInText(c.path); })) << c.path;
    EXPECT_EQ(result, c.result) << c.path;
    EXPECT_EQ(Text(), text) << c.path;
    EXPECT_EQ(StatusLine(), status) << c.path;
    EXPECT_EQ(g_cFileName, Abs("kept.txt")) << c.path;
    EXPECT_EQ(krnIsUpdate_InputBox(box_), 1) << c.path;
  }
}

// A save whose bytes do not reach the disk is reported, not taken as done.
TEST_F(MainWindow, AFailedWriteIsReportedAndKeepsTheTextModified) {
  WriteFile("kept.txt", "kept\n");
  ASSERT_EQ(TakeInText("kept.txt"), 1);
  krnAddText_InputBox(box_, "more");
  krnSetUpdateFlag_InputBox(box_, 1);
  std::string status = StatusLine();
  std::vector<std::string> targets = {"/dev/full", "nodir/x.txt"};
  if (geteuid() != 0) {
    ASSERT_EQ(mkdir("ro", 0555), 0);
    targets.push_back("ro/x.txt");
  }
  for (const std::string& path : targets) {
    int result = -1;
    EXPECT_TRUE(ExpectError([&] { result = TakeOutText(path.c_str()); })) << path;
    EXPECT_EQ(result, 0) << path;
    EXPECT_EQ(krnIsUpdate_InputBox(box_), 1) << path;
    EXPECT_EQ(g_cFileName, Abs("kept.txt")) << path;
    EXPECT_EQ(StatusLine(), status) << path;
  }
  EXPECT_EQ(ReadFile("kept.txt"), "kept\n");
}

// Lock and unlock: the menu's check mark, the tool bar's toggle and the
// status line follow the input box's lock.
TEST_F(MainWindow, LockTogglesCheckMarkButtonAndStatus) {
  KrnWindow* menu = krnGetWindow("MenuWnd");
  KrnWindow* tools = krnGetWindow("ToolBar");
  auto checked = [&] {
    return static_cast<MenuItem*>(static_cast<MenuData*>(menu->option)->items[8])->checked;
  };
  const std::string locked =
      "\xc6\xfe\xce\xcf\xa5\xed\xa5\xc3\xa5\xaf\xa4\xb5\xa4\xec\xa4\xc6\xa4\xde\xa4\xb9"
      "(jkhl\xa4\xc7\xa5\xb9\xa5\xaf\xa5\xed\xa1\xbc\xa5\xeb\xa4\xc7\xa4\xad\xa4\xde\xa4\xb9 - vi "
      "mode)";
  const std::string unlocked = "\xc6\xfe\xce\xcf\xa4\xc7\xa4\xad\xa4\xde\xa4\xb9";
  for (int lock : {1, 0, 1}) {
    EXPECT_EQ(OnMenuLock(nullptr, 0, 0, 0), 1);
    EXPECT_EQ(krnGetLock_InputBox(box_), lock);
    EXPECT_EQ(checked(), lock);
    EXPECT_EQ(krnGetButton_ToolBar(tools, 2), lock);
    EXPECT_EQ(StatusLine(), lock ? locked : unlocked);
  }
}

// The "Code" sub-menu's check marks and the status line name the code the
// text is saved in; choosing another marks the text modified.
TEST_F(MainWindow, TheCodeMenuShowsAndChangesTheSaveCode) {
  KrnWindow* codes = krnGetWindow("MenuCodeWnd");
  auto checks = [&] {
    std::string marks;
    for (int i = 0; i < 3; i++)
      marks += static_cast<MenuItem*>(static_cast<MenuData*>(codes->option)->items[i])->checked
                   ? '1'
                   : '0';
    return marks;
  };
  EXPECT_EQ(checks(), "100") << "a new text is saved in NewFileCode (EUC)";
  WriteFile("s.txt", kSjis + "\n");
  ASSERT_EQ(TakeInText("s.txt"), 1);
  EXPECT_EQ(checks(), "010");
  EXPECT_EQ(Text(), kEuc + "\n") << "Shift_JIS is edited in the working code";
  EXPECT_EQ(OnMenuCode(codes, KRN_MENU_SELECT, 2, 0), 1);
  EXPECT_EQ(checks(), "001");
  EXPECT_EQ(StatusLine(), "7 bytes [s.txt] - UTF-8");
  EXPECT_EQ(krnIsUpdate_InputBox(box_), 1);
  ASSERT_EQ(TakeOutText("u.txt"), 1);
  EXPECT_EQ(ReadFile("u.txt"), "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\n");
  EXPECT_EQ(StatusLine(), "10 bytes [u.txt] - UTF-8");
  OnMenuNew(nullptr, 0, 0, 0);
  EXPECT_EQ(checks(), "100");
}

// A file that would not come back is read-only: lock held, a warning on
// load, every save refused; New gives the lock back.
TEST_F(MainWindow, ALossyFileIsReadOnlyUntilANewText) {
  WriteFile("emoji.txt", "a\xf0\x9f\x98\x80\n");
  int status = -1;
  krntest::DriveModal(
      "Warning",
      [](krntest::Driver& d) {
        d.Key(d.target, XK_Return);
        return 0;
      },
      [&] { return TakeInText("emoji.txt"); }, &status);
  EXPECT_EQ(status, 0) << "no read-only message";
  EXPECT_EQ(Text(), "a\xa2\xae\n");
  EXPECT_EQ(krnGetLock_InputBox(box_), 1);
  OnMenuLock(nullptr, 0, 0, 0);
  EXPECT_EQ(krnGetLock_InputBox(box_), 1) << "the lock let go of a read-only text";
  EXPECT_TRUE(ExpectError([&] { EXPECT_EQ(TakeOutText("emoji.txt"), 0); }));
  EXPECT_TRUE(ExpectError([&] { EXPECT_EQ(OnMenuSave(nullptr, 0, 0, 0), 0); }));
  EXPECT_EQ(ReadFile("emoji.txt"), "a\xf0\x9f\x98\x80\n");
  OnMenuNew(nullptr, 0, 0, 0);
  EXPECT_EQ(krnGetLock_InputBox(box_), 0);
}

// In lock mode j and f scroll down one line until the last line is in view,
// k and d back up to the first; capitals and other letters do nothing.
TEST_F(MainWindow, LockModeKeysScrollWithinTheText) {
  std::string text;
  for (int i = 0; i < 60; i++) text += "line " + std::to_string(i) + "\n";
  WriteFile("long.txt", text);
  ASSERT_EQ(TakeInText("long.txt"), 1);
  OnMenuLock(nullptr, 0, 0, 0);
  auto press = [&](KeySym key, unsigned int state = 0) {
    XEvent ev = krntest::KeyEvent(main_->win, key, state);
    return OnKeyEvent(main_, &ev, key);
  };
  int total = krnGetLines_InputBox(box_), page = krnGetLinesOfPage_InputBox(box_);
  ASSERT_GT(total, page + 2);
  press(XK_J, ShiftMask);
  EXPECT_EQ(krnGetPos_InputBox(box_), 0);
  for (int i = 0; i < total; i++) press(i % 2 ? XK_j : XK_f);
  EXPECT_EQ(krnGetPos_InputBox(box_), total - page - 1) << "stops with the last line in view";
  for (int i = 0; i < total; i++) press(i % 2 ? XK_k : XK_d);
  EXPECT_EQ(krnGetPos_InputBox(box_), 0);
  press(XK_b);
  EXPECT_EQ(Text(), text) << "a letter typed while locked changes nothing";
  EXPECT_EQ(krnIsUpdate_InputBox(box_), 0);
}

// A path longer than the current-name buffer loads and saves, but leaves the
// text untitled rather than recording a cut name (another file).
TEST_F(MainWindow, AnOverlongPathIsNotRecordedCut) {
  std::string path;
  for (int i = 0; i < 6; i++) {
    path += std::string(200, 'a' + i);
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    path += "/";
  }
  path += "f.txt";
  WriteFile(path, "long\n");
  EXPECT_EQ(TakeInText(path.c_str()), 1);
  EXPECT_EQ(Text(), "long\n");
  EXPECT_STREQ(g_cFileName, "");
  EXPECT_EQ(TakeOutText(path.c_str()), 1);
  EXPECT_STREQ(g_cFileName, "");
}

// Loading and saving without an edit keeps every byte, except what loading
// changes on purpose: a carriage return before a line feed is dropped, a
// lone one becomes a line feed, a missing final newline is added.
TEST_F(MainWindow, ARoundTripKeepsEveryByte) {
  std::string binary;
  for (int b = 0; b < 256; b++)
    if (b != '\r') binary += static_cast<char>(b);
  const std::string nul("abc\0def\nghi\n", 12), utf16(
                                                    "\xff\xfe"
                                                    "a\0\n\0",
                                                    6);
  struct Case {
    const char* name;
    std::string in, out;
  } table[] = {
      {"nul.txt", nul, nul},
      {"utf16.txt", utf16, utf16 + "\n"},
      {"mac.txt", "mac one\rmac two\r", "mac one\nmac two\n"},
      {"dos.txt", "one\r\ntwo\r\n", "one\ntwo\n"},
      {"mixed.txt", "a\r\rb\r\nc", "a\n\nb\nc\n"},
      {"nofinal.txt", "last", "last\n"},
      {"empty.txt", "", "\n"},
      {"blank.txt", "\n\n", "\n\n"},
      {"euc.txt", kEuc + "\n" + kEuc + "\n", kEuc + "\n" + kEuc + "\n"},
      {"sjis.txt", kSjis + "\n", kSjis + "\n"},
      {"bin.dat", binary, binary + "\n"},
  };
  for (const Case& c : table) {
    WriteFile(c.name, c.in);
    ASSERT_EQ(TakeInText(c.name), 1) << c.name;
    ASSERT_EQ(TakeOutText(c.name), 1) << c.name;
    EXPECT_EQ(ReadFile(c.name), c.out) << c.name;
    EXPECT_EQ(StatusLine(),
              std::to_string(c.out.size()) + " bytes [" + c.name + "] - " +
                  CodeLabel(krnCheckCharCode(reinterpret_cast<const unsigned char*>(c.out.data()),
                                             static_cast<int>(c.out.size()))))
        << c.name;
  }
}

// A save that fails part way (the file-size limit stops the write) leaves
// the old file byte for byte and no temporary file behind.
TEST_F(MainWindow, AWriteThatFailsPartWayLeavesTheOldFileWhole) {
  WriteFile("kept.txt", "kept\n");
  ASSERT_EQ(TakeInText("kept.txt"), 1);
  krnAddText_InputBox(box_, std::string(100000, 'x').c_str());
  krnSetUpdateFlag_InputBox(box_, 1);
  int result = -1;
  bool shown = false;
  {
    krntest::FileSizeLimit limit(8192);
    shown = ExpectError([&] { result = TakeOutText("kept.txt"); });
  }
  EXPECT_TRUE(shown);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile("kept.txt"), "kept\n");
  EXPECT_EQ(krnIsUpdate_InputBox(box_), 1);
  int entries = 0;
  DIR* dir = opendir(".");
  while (dirent* e = readdir(dir)) entries += e->d_name[0] != '.' || strlen(e->d_name) > 2;
  closedir(dir);
  EXPECT_EQ(entries, 1) << "a temporary file was left behind";
}

// The name of a file the start-up refused is never the current name, so no
// save proposes to write over it; a name that does not exist yet is kept
// for the new text.
TEST_F(MainWindow, AFileRefusedAtStartIsNeverTheCurrentName) {
  WriteFile("big.log", "");
  ASSERT_EQ(truncate("big.log", 3 * kMaxTextBytes), 0);
  ASSERT_EQ(mkdir("adir", 0755), 0);
  struct Case {
    const char* path;
    std::string name;
  } table[] = {{"big.log", ""}, {"adir", ""}, {"new.txt", Abs("new.txt")}};
  for (const Case& c : table) {
    snprintf(g_cFileName, sizeof g_cFileName, "%s", c.path);
    EXPECT_TRUE(ExpectError([&] { TakeInFirstText(g_cFileName); })) << c.path;
    EXPECT_EQ(g_cFileName, c.name) << c.path;
  }
}

// Another program's change to the file since it was loaded is noticed before
// a save writes over it: Cancel keeps their file, OK writes ours.
TEST_F(MainWindow, ASaveOverAFileChangedOnDiskAsksFirst) {
  WriteFile("memo.txt", "mine\n");
  ASSERT_EQ(TakeInText("memo.txt"), 1);
  krnAddText_InputBox(box_, "more ");
  WriteFile("memo.txt", "theirs, and longer\n");
  int result = -1;
  EXPECT_TRUE(Answer("Warning", false, [&] { result = TakeOutText("memo.txt"); }));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile("memo.txt"), "theirs, and longer\n");
  EXPECT_EQ(krnIsUpdate_InputBox(box_), 1);
  EXPECT_TRUE(Answer("Warning", true, [&] { result = TakeOutText("memo.txt"); }));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ReadFile("memo.txt"), "more mine\n");
  // our own save is no change by another program
  EXPECT_EQ(TakeOutText("memo.txt"), 1);
}

// Save as proposes the name as it was given while it still names the same
// file from the current directory, and the absolute path once the file
// dialog moved elsewhere.
TEST_F(MainWindow, SaveAsProposesTheNameThatStillNamesTheFile) {
  WriteFile("memo.txt", "memo\n");
  ASSERT_EQ(mkdir("sub", 0755), 0);
  ASSERT_EQ(TakeInText("memo.txt"), 1);
  EXPECT_EQ(ProposedName(), "memo.txt");
  ASSERT_EQ(chdir("sub"), 0);
  EXPECT_EQ(ProposedName(), g_cFileName);
  EXPECT_EQ(ProposedName().rfind('/', 0), 0u);
}

// A text at the size limit without a final newline gains one on saving, and
// the saved file opens again.
TEST_F(MainWindow, ATextSavedAtTheSizeLimitOpensAgain) {
  std::string line(99, 'a');
  line += '\n';
  std::string text;
  while (text.size() < static_cast<size_t>(kMaxTextBytes)) text += line;
  text.resize(kMaxTextBytes);
  text.back() = 'z';
  WriteFile("limit.txt", text);
  ASSERT_EQ(TakeInText("limit.txt"), 1);
  ASSERT_EQ(TakeOutText("limit.txt"), 1);
  EXPECT_EQ(ReadFile("limit.txt"), text + "\n");
  krnSetStatus_MenuBar(krnGetWindow("MenuBar"), "before");
  ASSERT_EQ(TakeInText("limit.txt"), 1);
  EXPECT_EQ(StatusLine(), "2048001 bytes [limit.txt] - ASCII");
}

}  // namespace
