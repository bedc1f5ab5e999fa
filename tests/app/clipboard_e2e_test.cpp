// Copy and paste between the real quelmo and other X clients on a private
// server: xclip reads what quelmo copied and selected, owns what quelmo
// pastes (small texts, Japanese, characters without a JIS X 0208
// counterpart, texts large enough for INCR), and a client of the test owns
// the clipboard without ever answering.  Contents are checked against
// iconv's conversion and the bytes quelmo saves.
#include <xdriver.h>
#include <xharness.h>
#include <xquelmo.h>

#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <string>
#include <vector>

KRN_X_ENVIRONMENT(24, false);

namespace {

using krntest::Driver;
using krntest::Quelmo;
using krntest::Run;

struct Pad {
  Driver drv;
  Window main = 0, box = 0, editor = 0;
  Pad() { drv.d = XOpenDisplay(krntest::DisplayName().c_str()); }
  ~Pad() {
    if (drv.d) XCloseDisplay(drv.d);
  }
  bool Open() {
    return drv.d && (main = drv.MainWindow()) && (box = drv.Child(main, "InputBox")) &&
           (editor = drv.Child(box, "krnInputMltWnd_InputBox"));
  }
  void Ctrl(KeySym key) { drv.Key(editor, key, {XK_Control_L}); }
  Window Starting(const std::string& prefix) {
    return drv.Wait(DefaultRootWindow(drv.d),
                    [&](const std::string& t) { return t.compare(0, prefix.size(), prefix) == 0; });
  }
  // Saves the text as dir/name through the save dialog.
  bool SaveAs(const std::string& name) {
    Ctrl(XK_s);
    Window dialog = Starting("Save Dialog - ");
    if (!dialog) return false;
    // the name field may hold the last name (End walks the file list)
    drv.Type(dialog, std::vector<KeySym>(20, XK_Delete));
    drv.Type(dialog, std::vector<KeySym>(20, XK_BackSpace));
    drv.Type(dialog, name);
    drv.Key(dialog, XK_Return);
    return true;
  }
};

// What another client reads from a selection (the target xclip asks for
// when none is named is UTF8_STRING).
std::string ReadSelection(const std::string& selection, const std::string& target = "") {
  std::string t = target.empty() ? "" : " -t " + target;
  return Run("timeout 20 xclip -o -selection " + selection + t + " 2>/dev/null");
}

// Another client takes the selection with the file's bytes and serves them;
// returns once the server has made it the owner (xclip may send its request
// after its command has returned).
void OwnSelection(const std::string& selection, const std::string& file) {
  Display* d = XOpenDisplay(krntest::DisplayName().c_str());
  Atom atom = XInternAtom(d, selection == "primary" ? "PRIMARY" : "CLIPBOARD", False);
  Window before = XGetSelectionOwner(d, atom);
  Run("xclip -i -selection " + selection + " < '" + file + "' >/dev/null 2>&1");
  krntest::WaitFor([&] { return XGetSelectionOwner(d, atom) != before; }, 20000);
  XCloseDisplay(d);
}

bool WaitFile(Driver& drv, const std::string& path, const std::string& want) {
  return drv.Until([&] { return krntest::ReadFile(path) == want; }, 20000);
}

std::string Iconv(const std::string& from, const std::string& to, const std::string& file) {
  return Run("iconv -f " + from + " -t " + to + " '" + file + "'");
}

// Lines of mixed text in EUC-JP up to about size bytes.
std::string EucText(size_t size) {
  const std::string line = "line \xa4\xa2\xa4\xa4\xa4\xa6 \xb4\xc1\xbb\xfa kanji 0123456789\n";
  std::string text;
  while (text.size() + line.size() <= size) text += line;
  return text;
}

// EUC-JP text as compound text in the ja_JP.eucJP locale.
std::string CompoundText(const std::string& euc) {
  std::string out;
  bool wide = false;
  for (size_t i = 0; i < euc.size(); i++) {
    unsigned char c = static_cast<unsigned char>(euc[i]);
    if ((c >= 0xA1) != wide) out += (wide = c >= 0xA1) ? "\x1b$(B" : "\x1b(B";
    out += static_cast<char>(c & 0x7F);
  }
  if (wide) out += "\x1b(B";
  return out;
}

TEST(Clipboard, CopiedTextReadsAsUtf8EqualToIconvAndSelectionIsPrimary) {
  krntest::TempDir dir;
  const std::string memo =
      "memo \xc6\xfc\xcb\xdc\xb8\xec\n\xa4\xab\xa4\xca \xa5\xab\xa5\xca ASCII ~!\n";
  krntest::WriteFile(dir.file("memo.txt"), memo);
  Quelmo q(dir, {"memo.txt"});
  Pad p;
  ASSERT_TRUE(p.Open());
  std::string utf8 = Iconv("EUC-JP", "UTF-8", dir.file("memo.txt"));
  ASSERT_FALSE(utf8.empty());
  p.Ctrl(XK_x);  // select all: the selection is PRIMARY
  ASSERT_TRUE(p.drv.Until([&] { return ReadSelection("primary") == utf8; }));
  p.Ctrl(XK_y);
  EXPECT_TRUE(p.drv.Until([&] { return ReadSelection("clipboard") == utf8; }));
  std::string targets = ReadSelection("clipboard", "TARGETS");
  for (const char* t : {"TARGETS", "UTF8_STRING", "COMPOUND_TEXT", "STRING", "TEXT"})
    EXPECT_NE(targets.find(t), std::string::npos) << t << " not offered: " << targets;
  // COMPOUND_TEXT carries the same characters: JIS X 0208 runs designated
  // into GL between escape sequences.
  EXPECT_EQ(ReadSelection("clipboard", "COMPOUND_TEXT"), CompoundText(memo));
  // Requests are answered while modal dialogs run their loops: the help
  // dialog its own, the about dialog a nested main loop.
  struct {
    KeySym key;
    const char* title;
  } dialogs[] = {{XK_h, "Quelmo Help"}, {XK_a, "Quelmo About"}};
  for (const auto& d : dialogs) {
    p.Ctrl(d.key);
    ASSERT_TRUE(p.drv.FindTarget(d.title));
    EXPECT_EQ(ReadSelection("clipboard"), utf8) << "while " << d.title << " runs";
    p.drv.Key(p.drv.target, XK_Return);
    ASSERT_TRUE(p.drv.WaitGone(d.title));
  }
  p.Ctrl(XK_q);
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

TEST(Clipboard, TheWholeLargestTextTravelsOutInPieces) {
  krntest::TempDir dir;
  krntest::WriteFile(dir.file("big.txt"), EucText(2000000));
  Quelmo q(dir, {"big.txt"});
  Pad p;
  ASSERT_TRUE(p.Open());
  krntest::WriteFile(dir.file("want"), Iconv("EUC-JP", "UTF-8", dir.file("big.txt")));
  ASSERT_GT(krntest::ReadFile(dir.file("want")).size(), 2000000u);
  p.Ctrl(XK_x);
  p.Ctrl(XK_y);
  EXPECT_TRUE(p.drv.Until(
      [&] {
        krntest::Run("timeout 30 xclip -o -selection clipboard > '" + dir.file("got") +
                     "' 2>/dev/null");
        return krntest::ReadFile(dir.file("got")) == krntest::ReadFile(dir.file("want"));
      },
      30000));
}

// What another client owns, pasted with Control+E and saved by quelmo.
TEST(Clipboard, PastesWhatAnotherClientOwnsInTheWorkingCode) {
  std::string big;
  for (int i = 0; big.size() < 1100000; i++)
    big += "\xe6\xbc\xa2\xe5\xad\x97 row " + std::to_string(i) + " \xe3\x81\x8b\xe3\x81\xaa\n";
  struct {
    const char* what;
    std::string utf8;
    std::string euc;  // empty: iconv's conversion
  } table[] = {
      {"ascii", "plain ascii text ~{}", ""},
      {"japanese", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e \xe3\x81\x8b\xe3\x81\xaa", ""},
      {"outside JIS X 0208",
       "a\xf0\x9f\x98\x80"
       "b\xe2\x82\xac"
       "c",
       "a\xa2\xae"
       "b\xa2\xae"
       "c"},
      {"1 MB through INCR", big, ""},
  };
  for (const auto& c : table) {
    SCOPED_TRACE(c.what);
    krntest::TempDir dir;
    krntest::WriteFile(dir.file("in"), c.utf8);
    std::string euc = c.euc.empty() ? Iconv("UTF-8", "EUC-JP", dir.file("in")) : c.euc;
    ASSERT_FALSE(euc.empty());
    OwnSelection("clipboard", dir.file("in"));
    Quelmo q(dir, {});
    Pad p;
    ASSERT_TRUE(p.Open());
    p.Ctrl(XK_e);
    ASSERT_TRUE(p.SaveAs("out.txt"));
    EXPECT_TRUE(WaitFile(p.drv, dir.file("out.txt"), euc + "\n"))
        << krntest::ReadFile(dir.file("out.txt")).size() << " bytes saved";
  }
}

TEST(Clipboard, PrimaryBothWaysAndLosingItKeepsTheText) {
  krntest::TempDir dir;
  Quelmo q(dir, {});
  Pad p;
  ASSERT_TRUE(p.Open());
  p.drv.Type(p.editor, "alpha beta");
  // a double click on "alpha" selects it: other programs read it
  p.drv.Click(p.editor, 12, 8, 2);
  ASSERT_TRUE(p.drv.Until([&] { return ReadSelection("primary") == "alpha"; }));
  // another program selects: quelmo loses PRIMARY, its text stays, and the
  // middle button pastes the other program's selection at the pointer
  krntest::WriteFile(dir.file("sel"), "XY ");
  OwnSelection("primary", dir.file("sel"));
  p.drv.Click(p.editor, 1, 8, 1, 2);
  ASSERT_TRUE(p.SaveAs("out.txt"));
  EXPECT_TRUE(WaitFile(p.drv, dir.file("out.txt"), "XY alpha beta\n"))
      << krntest::ReadFile(dir.file("out.txt"));
  // Copy, then another program takes the clipboard: Paste brings its text
  p.Ctrl(XK_x);
  p.Ctrl(XK_y);
  ASSERT_TRUE(p.drv.Until([&] { return ReadSelection("clipboard") == "XY alpha beta\n"; }));
  krntest::WriteFile(dir.file("clip"), "new");
  OwnSelection("clipboard", dir.file("clip"));
  p.Ctrl(XK_e);  // replaces the selected whole text
  ASSERT_TRUE(p.SaveAs("out2.txt"));
  EXPECT_TRUE(WaitFile(p.drv, dir.file("out2.txt"), "new"))
      << krntest::ReadFile(dir.file("out2.txt"));
}

TEST(Clipboard, AnOwnerThatNeverAnswersDoesNotHangThePaste) {
  krntest::TempDir dir;
  Display* silent = XOpenDisplay(krntest::DisplayName().c_str());
  ASSERT_NE(silent, nullptr);
  Window w = XCreateSimpleWindow(silent, DefaultRootWindow(silent), 0, 0, 1, 1, 0, 0, 0);
  Atom clipboard = XInternAtom(silent, "CLIPBOARD", False);
  XSetSelectionOwner(silent, clipboard, w, CurrentTime);
  XSync(silent, False);
  Quelmo q(dir, {});
  Pad p;
  ASSERT_TRUE(p.Open());
  p.Ctrl(XK_e);  // the silent owner's requests are never read
  p.drv.Type(p.editor, "z");
  ASSERT_TRUE(p.SaveAs("out.txt"));
  EXPECT_TRUE(WaitFile(p.drv, dir.file("out.txt"), "z\n"));
  XCloseDisplay(silent);
}

TEST(Clipboard, TextDraggedOverInTheHelpIsPrimary) {
  krntest::TempDir dir;
  Quelmo q(dir, {});
  Pad p;
  ASSERT_TRUE(p.Open());
  p.Ctrl(XK_h);
  ASSERT_TRUE(p.drv.FindTarget("Quelmo Help"));
  Window text = p.drv.Child(p.drv.target, "_krnText_TextBox");
  ASSERT_NE(text, 0u);
  // along the second row: the start of the help's title line
  p.drv.Press(text, 5, 20);
  p.drv.Move(text, 120, 20);
  p.drv.Move(text, 200, 20);
  p.drv.Release();
  const std::string title = "     - Korrin Memo Pad (Text Editor) Ver00.10 Help -";
  std::string got;
  EXPECT_TRUE(p.drv.Until([&] {
    got = ReadSelection("primary");
    return got.size() > 10 && title.compare(0, got.size(), got) == 0;
  })) << got;
  p.drv.Key(p.drv.target, XK_Return);
}

TEST(Clipboard, TheFileNameFieldPastesAndOwnsPrimary) {
  krntest::TempDir dir;
  krntest::WriteFile(dir.file("sel"), "pasted.txt");
  OwnSelection("primary", dir.file("sel"));
  Quelmo q(dir, {});
  Pad p;
  ASSERT_TRUE(p.Open());
  p.drv.Type(p.editor, "text");
  p.Ctrl(XK_s);
  Window dialog = p.Starting("Save Dialog - ");
  ASSERT_NE(dialog, 0u);
  Window field = p.drv.Child(dialog, "_krnPath_krnFileDlg");
  ASSERT_NE(field, 0u);
  p.drv.Click(field, 5, 5, 1, 2);
  // the pasted name selected by a double click is PRIMARY again
  p.drv.Click(field, 10, 5, 2);
  EXPECT_TRUE(p.drv.Until([&] { return ReadSelection("primary") == "pasted.txt"; }));
  p.drv.Key(dialog, XK_Return);
  EXPECT_TRUE(WaitFile(p.drv, dir.file("pasted.txt"), "text\n"));
}

}  // namespace
