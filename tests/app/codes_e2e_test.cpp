// Files in UTF-8, EUC-JP and Shift_JIS through the real quelmo binary:
// opened, shown, typed into and saved back in their own code; files that
// cannot come back opened read-only; the "Code" sub-menu converting a file;
// round trips of files in every code.  iconv is the oracle for every
// conversion, and a file in the working code is the oracle for the pixels.
#include <xdriver.h>
#include <xharness.h>
#include <xquelmo.h>

#include <X11/keysym.h>

#include <algorithm>
#include <string>
#include <vector>

KRN_X_ENVIRONMENT(24, false);

namespace {

using krntest::Driver;
using krntest::Iconv;
using krntest::Quelmo;

// "日本語 text", half-width "ｱｲｳ" and a long line of kanji that wraps, in UTF-8.
const std::string kUtf8 =
    "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e text\n"
    "\xef\xbd\xb1\xef\xbd\xb2\xef\xbd\xb3\n"
    "\xe4\xba\x8b\xe6\x99\x82\xe8\x87\xaa\xe7\xa4\xbe\xe5\xae\x9f\xe8\x80\x85\xe8\xbb\x8a\xe5\xaf"
    "\xba\xe4\xba\x8b\xe6\x99\x82\xe8\x87\xaa\xe7\xa4\xbe\xe5\xae\x9f\xe8\x80\x85\xe8\xbb\x8a\xe5"
    "\xaf\xba\xe4\xba\x8b\xe6\x99\x82\xe8\x87\xaa\xe7\xa4\xbe\xe5\xae\x9f\xe8\x80\x85\xe8\xbb\x8a"
    "\xe5\xaf\xba\xe4\xba\x8b\xe6\x99\x82\xe8\x87\xaa\xe7\xa4\xbe\xe5\xae\x9f\xe8\x80\x85\n";

struct Session {
  Driver drv;
  Window main = 0, box = 0, editor = 0;
  Session() { drv.d = XOpenDisplay(krntest::DisplayName().c_str()); }
  ~Session() {
    if (drv.d) XCloseDisplay(drv.d);
  }
  bool Open() {
    return drv.d && (main = drv.MainWindow()) != 0 && (box = drv.Child(main, "InputBox")) != 0 &&
           (editor = drv.Child(box, "krnInputMltWnd_InputBox")) != 0;
  }
  void Ctrl(KeySym key) { drv.Key(editor, key, {XK_Control_L}); }
  // The rows below the first line, where the caret (at the text's start)
  // never is, whatever the focus; inside the frame, so that only paper and
  // text show: once text shows and they have stopped changing.
  std::vector<unsigned long> SettledText() {
    return drv.SettledPixels(editor, 4, 18, drv.Geometry(editor).width - 8, 80);
  }
  // Save as name through the dialog; true once the file holds something.
  bool SaveAs(const krntest::TempDir& dir, const std::string& name) {
    Ctrl(XK_s);
    Window dialog = drv.Wait(DefaultRootWindow(drv.d), [](const std::string& t) {
      return t.compare(0, 14, "Save Dialog - ") == 0;
    });
    if (!dialog) return false;
    for (int i = 0; i < 12; i++) drv.Key(dialog, XK_Delete);  // the proposed name
    drv.Type(dialog, name);
    drv.Key(dialog, XK_Return);
    return drv.Until([&] { return !krntest::ReadFile(dir.file(name)).empty(); });
  }
  void Quit() {
    Ctrl(XK_q);
    if (drv.Find(DefaultRootWindow(drv.d), [](const std::string& t) { return t == "Warning"; }))
      drv.Key(drv.Titled("Warning"), XK_Return);
  }
};

void WriteRc(const std::string& lines) {
  krntest::WriteFile(krntest::Home() + "/.krnrc", "[Korrin]\n" + lines);
}

// The editor's pixels for a file, in a quelmo of its own.
std::vector<unsigned long> ShownFor(const std::string& bytes) {
  krntest::TempDir dir;
  krntest::WriteFile(dir.file("shown.txt"), bytes);
  Quelmo q(dir, {"shown.txt"});
  Session s;
  if (!s.Open()) return {};
  std::vector<unsigned long> shown = s.SettledText();
  s.Quit();
  q.ExitStatus(10000);
  return shown;
}

TEST(Codes, AUtf8FileShowsAsInEucJpTakesTypingAndSavesAsUtf8) {
  WriteRc("");
  std::vector<unsigned long> euc = ShownFor(Iconv("EUC-JP", "UTF-8", kUtf8));
  ASSERT_FALSE(euc.empty());
  krntest::TempDir dir;
  krntest::WriteFile(dir.file("u.txt"), kUtf8);
  Quelmo q(dir, {"u.txt"});
  Session s;
  ASSERT_TRUE(s.Open());
  EXPECT_EQ(s.SettledText(), euc) << "the UTF-8 file is not shown as its EUC-JP twin";
  s.drv.Click(s.editor, 2, 5);  // the first line's start
  s.drv.Type(s.editor, "ab");
  ASSERT_TRUE(s.SaveAs(dir, "out.txt"));
  EXPECT_EQ(krntest::ReadFile(dir.file("out.txt")), "ab" + kUtf8);
  s.Quit();
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

// Rows are drawn in the working code: half-width katakana and kanji whose
// bytes could pass for the other code look the same under both.
TEST(Codes, AFileLooksTheSameInBothWorkingCodes) {
  WriteRc("CharCode=EUC\n");
  std::vector<unsigned long> euc = ShownFor(kUtf8);
  WriteRc("CharCode=SJIS\n");
  std::vector<unsigned long> sjis = ShownFor(kUtf8);
  ASSERT_FALSE(euc.empty());
  EXPECT_EQ(sjis, euc);
}

// A click anywhere in a line of two-byte characters and a typed letter keep
// every character whole in a file of the other code.
TEST(Codes, TypingIntoAFileOfTheOtherCodeKeepsEveryCharacterWhole) {
  const struct {
    const char* rc;
    const char* code;
  } cases[] = {{"CharCode=EUC\n", "SHIFT_JIS"}, {"CharCode=SJIS\n", "EUC-JP"}};
  for (const auto& c : cases) {
    WriteRc(c.rc);
    krntest::TempDir dir;
    std::string file = Iconv(c.code, "UTF-8", kUtf8);
    krntest::WriteFile(dir.file("f.txt"), file);
    Quelmo q(dir, {"f.txt"});
    Session s;
    ASSERT_TRUE(s.Open());
    s.drv.Click(s.editor, 25, 5);  // inside the second kanji
    s.drv.Type(s.editor, "x");
    s.drv.Key(s.editor, XK_Right);
    s.drv.Type(s.editor, "x");
    s.drv.Key(s.editor, XK_Left);
    s.drv.Key(s.editor, XK_Left);
    s.drv.Key(s.editor, XK_Left);
    s.drv.Type(s.editor, "x");
    ASSERT_TRUE(s.SaveAs(dir, "out.txt")) << c.code;
    std::string saved = Iconv("UTF-8", c.code, krntest::ReadFile(dir.file("out.txt")));
    std::string rest = saved;
    for (int i = 0; i < 3; i++) rest.erase(rest.find('x'), 1);
    EXPECT_EQ(rest, kUtf8) << c.code << ": " << saved;
    EXPECT_EQ(saved.size(), kUtf8.size() + 3) << c.code;
    s.Quit();
    EXPECT_EQ(q.ExitStatus(10000), 0);
  }
}

TEST(Codes, AFileWithAnEmojiOpensReadOnlyWithGetaAndRefusesToSave) {
  WriteRc("");
  std::vector<unsigned long> geta = ShownFor(
      "\na\xa2\xae"
      "z\n");  // a〓z in EUC-JP
  ASSERT_FALSE(geta.empty());
  krntest::TempDir dir;
  const std::string emoji = "\na\xf0\x9f\x98\x80z\n";
  krntest::WriteFile(dir.file("e.txt"), emoji);
  Quelmo q(dir, {"e.txt"});
  Session s;
  ASSERT_TRUE(s.drv.d);
  ASSERT_TRUE(s.drv.FindTarget("Warning")) << "no read-only message";
  s.drv.Key(s.drv.target, XK_Return);
  ASSERT_TRUE(s.drv.WaitGone("Warning"));
  ASSERT_TRUE(s.Open());
  EXPECT_EQ(s.SettledText(), geta) << "the emoji is not shown as one geta";
  // locked: letters type nothing, the lock key does not unlock, Save refuses
  s.drv.Type(s.editor, "b");
  s.Ctrl(XK_c);
  s.drv.Type(s.editor, "b");
  EXPECT_EQ(s.SettledText(), geta);
  s.Ctrl(XK_s);
  ASSERT_TRUE(s.drv.FindTarget("Error")) << "Save as was not refused";
  s.drv.Key(s.drv.target, XK_Return);
  ASSERT_TRUE(s.drv.WaitGone("Error"));
  EXPECT_EQ(
      s.drv.Find(DefaultRootWindow(s.drv.d),
                 [](const std::string& t) { return t.compare(0, 14, "Save Dialog - ") == 0; }),
      0u);
  s.Quit();
  EXPECT_EQ(q.ExitStatus(10000), 0);
  EXPECT_EQ(krntest::ReadFile(dir.file("e.txt")), emoji);
}

// The "Code" sub-menu of the context menu: row 9 of "MenuWnd".
void ChooseCode(Session& s, int row) {
  s.drv.Click(s.editor, 150, 150, 1, 3);
  Window menu = s.drv.Child(s.main, "MenuWnd");
  ASSERT_NE(menu, 0u);
  int height = s.drv.Geometry(menu).height;
  int rowHeight = (height - 10) / 16;  // sixteen rows, separators included
  s.drv.Move(menu, 30, 5 + 9 * rowHeight + rowHeight / 2);
  Window codes = s.drv.Child(s.main, "MenuCodeWnd");
  ASSERT_NE(codes, 0u);
  s.drv.Move(codes, 20, 5 + row * rowHeight + rowHeight / 2);
  s.drv.Click(codes, 20, 5 + row * rowHeight + rowHeight / 2);
  ASSERT_TRUE(s.drv.Until([&] { return !s.drv.Named(s.main, "MenuWnd"); }));
}

TEST(Codes, TheCodeMenuConvertsAFileToUtf8AndBackByteExact) {
  WriteRc("");
  krntest::TempDir dir;
  const std::string euc = Iconv("EUC-JP", "UTF-8", kUtf8);
  krntest::WriteFile(dir.file("e.txt"), euc);
  Quelmo q(dir, {"e.txt"});
  Session s;
  ASSERT_TRUE(s.Open());
  ChooseCode(s, 2);  // UTF-8
  ASSERT_TRUE(s.SaveAs(dir, "u.txt"));
  EXPECT_EQ(krntest::ReadFile(dir.file("u.txt")), kUtf8);
  ChooseCode(s, 1);  // Shift_JIS
  ASSERT_TRUE(s.SaveAs(dir, "s.txt"));
  EXPECT_EQ(krntest::ReadFile(dir.file("s.txt")), Iconv("SHIFT_JIS", "UTF-8", kUtf8));
  ChooseCode(s, 0);  // EUC-JP
  ASSERT_TRUE(s.SaveAs(dir, "back.txt"));
  EXPECT_EQ(krntest::ReadFile(dir.file("back.txt")), euc);
  s.Quit();
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

// Loading and saving unchanged keeps every byte, in each code, under both
// working codes; a UTF-8 file keeps its byte-order mark.
TEST(Codes, FilesInEveryCodeRoundTrip) {
  const std::string bom = "\xef\xbb\xbf" + kUtf8;
  const std::string files[] = {Iconv("EUC-JP", "UTF-8", kUtf8), Iconv("SHIFT_JIS", "UTF-8", kUtf8),
                               kUtf8, bom};
  for (const char* rc : {"CharCode=EUC\n", "CharCode=SJIS\n"}) {
    WriteRc(rc);
    for (const std::string& file : files) {
      krntest::TempDir dir;
      krntest::WriteFile(dir.file("f.txt"), file);
      Quelmo q(dir, {"f.txt"});
      Session s;
      ASSERT_TRUE(s.Open());
      ASSERT_TRUE(s.SaveAs(dir, "out.txt"));
      EXPECT_EQ(krntest::ReadFile(dir.file("out.txt")), file) << rc;
      s.Quit();
      EXPECT_EQ(q.ExitStatus(10000), 0);
    }
  }
}

}  // namespace
