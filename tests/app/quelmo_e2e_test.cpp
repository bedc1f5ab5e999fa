// The real quelmo binary as a user meets it: started with a file name on a
// private server, driven with XTEST keys and clicks, resized and closed
// through the window manager's protocol, watched from a second client.
#include <xdriver.h>
#include <xharness.h>
#include <xquelmo.h>

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <string.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

KRN_X_ENVIRONMENT(24, false);

namespace {

using krntest::Driver;

using krntest::Quelmo;

struct Session {
  Driver drv;
  Window main = 0, box = 0;
  Session() { drv.d = XOpenDisplay(krntest::DisplayName().c_str()); }
  ~Session() {
    if (drv.d) XCloseDisplay(drv.d);
  }
  bool Open() {
    return drv.d && (main = drv.MainWindow()) != 0 && (box = drv.Child(main, "InputBox")) != 0;
  }
};

TEST(Quelmo, AnUnmodifiedTextClosesAtOnceWithStatusZero) {
  krntest::TempDir dir;
  krntest::WriteFile(dir.file("memo.txt"), "\xc6\xfc\xcb\xdc\xb8\xec\xc6\xfc\xcb\xdc\xb8\xec");
  Quelmo q(dir, {"memo.txt"});
  Session s;
  ASSERT_TRUE(s.Open());
  s.drv.Close(s.main);
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

TEST(Quelmo, ClosingAModifiedTextAsksAndCancelKeepsItRunning) {
  krntest::TempDir dir;
  Quelmo q(dir, {});
  Session s;
  ASSERT_TRUE(s.Open());
  XRectangle box = s.drv.Geometry(s.box);
  s.drv.Click(s.box, box.width / 2, 40);
  // the last letters land right of the caret's first place
  auto shown = [&] { return s.drv.Pixels(s.box, 20, 0, 40, 20); };
  std::vector<unsigned long> before = shown();
  Window editor = s.drv.Child(s.box, "krnInputMltWnd_InputBox");
  ASSERT_NE(editor, 0u);
  s.drv.Type(editor, "typed");
  ASSERT_TRUE(s.drv.Until([&] { return shown() != before; })) << "the typed text is not shown";
  // the typed keys made the text modified: the close asks
  s.drv.Close(s.main);
  ASSERT_TRUE(s.drv.FindTarget("Warning")) << "exit status " << q.ExitStatus(0);
  s.drv.Close();  // the question's own close is its Cancel
  ASSERT_TRUE(s.drv.WaitGone("Warning"));
  EXPECT_EQ(q.ExitStatus(300), -2) << "Cancel ended the program";
  s.drv.Close(s.main);
  ASSERT_TRUE(s.drv.FindTarget("Warning"));
  s.drv.Key(s.drv.target, XK_Return);
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

TEST(Quelmo, TheInputBoxFollowsTheWindowAndTheHintsBoundIt) {
  krntest::TempDir dir;
  Quelmo q(dir, {});
  Session s;
  ASSERT_TRUE(s.Open());
  XRectangle main0 = s.drv.Geometry(s.main), box0 = s.drv.Geometry(s.box);
  EXPECT_EQ(main0.width, 392);
  EXPECT_EQ(box0.x, 5);
  EXPECT_EQ(box0.width, 380);
  EXPECT_EQ(box0.height, 450);
  int bars = main0.height - 462;
  EXPECT_EQ(box0.y, bars + 5);

  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(s.drv.d, s.main, &hints, &supplied));
  EXPECT_TRUE(hints.flags & PMinSize);
  EXPECT_EQ(hints.min_width, 196);
  EXPECT_EQ(hints.min_height, (462 + bars) / 2);
  EXPECT_EQ(hints.max_width, 2 * DisplayWidth(s.drv.d, 0));
  EXPECT_EQ(hints.max_height, 2 * DisplayHeight(s.drv.d, 0));

  const int steps[][2] = {{40, 25}, {-60, -100}, {300, 7}};
  for (const auto& step : steps) {
    XRectangle m = s.drv.Geometry(s.main), b = s.drv.Geometry(s.box);
    XResizeWindow(s.drv.d, s.main, m.width + step[0], m.height + step[1]);
    XSync(s.drv.d, False);
    EXPECT_TRUE(s.drv.Until([&] {
      XRectangle now = s.drv.Geometry(s.box);
      return now.width == b.width + step[0] && now.height == b.height + step[1];
    })) << "resize by "
        << step[0] << ", " << step[1];
  }
  s.drv.Close(s.main);
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

}  // namespace

namespace {

// The commands from the keyboard, as a user types them.
struct Keyboard : Session {
  Window editor = 0;
  bool OpenEditor() { return Open() && (editor = drv.Child(box, "krnInputMltWnd_InputBox")) != 0; }
  void Ctrl(KeySym key) { drv.Key(editor, key, {XK_Control_L}); }
  // A window whose title starts with prefix, anywhere on the screen.
  Window Starting(const std::string& prefix) {
    return drv.Wait(DefaultRootWindow(drv.d),
                    [&](const std::string& t) { return t.compare(0, prefix.size(), prefix) == 0; });
  }
  std::vector<unsigned long> Top() { return drv.Pixels(editor, 0, 0, 200, 30); }
  std::vector<unsigned long> SettledTop() { return drv.SettledPixels(editor, 0, 0, 200, 30); }
};

TEST(Quelmo, ControlSTypedNameAndReturnSaveExactlyTheText) {
  krntest::TempDir dir;
  Quelmo q(dir, {});
  Keyboard k;
  ASSERT_TRUE(k.OpenEditor());
  k.drv.Click(k.editor, 100, 5);
  k.drv.Type(k.editor, "hello memo");
  k.Ctrl(XK_s);
  Window dialog = k.Starting("Save Dialog - ");
  ASSERT_NE(dialog, 0u);
  k.drv.Type(dialog, "out.txt");
  k.drv.Key(dialog, XK_Return);
  ASSERT_TRUE(k.drv.Until([&] { return krntest::ReadFile(dir.file("out.txt")) == "hello memo\n"; }))
      << krntest::ReadFile(dir.file("out.txt"));
  k.Ctrl(XK_q);  // saved: Quit asks nothing
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

TEST(Quelmo, MirrorKeysRunTheSameCommands) {
  krntest::TempDir dir;
  Quelmo q(dir, {});
  Keyboard k;
  ASSERT_TRUE(k.OpenEditor());
  const struct {
    KeySym key;
    const char* title;
  } table[] = {{XK_l, "Save Dialog - "}, {XK_w, "Open Dialog - "}};
  for (const auto& c : table) {
    k.Ctrl(c.key);
    Window dialog = k.Starting(c.title);
    EXPECT_NE(dialog, 0u) << c.title;
    k.drv.Close(dialog);
    k.drv.Until([&] {
      return k.drv.Find(DefaultRootWindow(k.drv.d), [&](const std::string& t) {
        return t.compare(0, strlen(c.title), c.title) == 0;
      }) == 0;
    });
  }
  k.drv.Click(k.editor, 100, 5);
  k.drv.Type(k.editor, "x");
  k.Ctrl(XK_v);  // New on a modified text asks; its close is Cancel
  ASSERT_TRUE(k.drv.FindTarget("Warning"));
  k.drv.Close();
  ASSERT_TRUE(k.drv.WaitGone("Warning"));
  k.Ctrl(XK_p);  // Quit asks too; OK ends the program and writes nothing
  ASSERT_TRUE(k.drv.FindTarget("Warning"));
  k.drv.Key(k.drv.target, XK_Return);
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

TEST(Quelmo, LockModeScrollsWithLettersAndKeepsTheText) {
  krntest::TempDir dir;
  std::string text;
  for (int i = 0; i < 80; i++) text += "line " + std::to_string(i) + "\n";
  krntest::WriteFile(dir.file("long.txt"), text);
  Quelmo q(dir, {"long.txt"});
  Keyboard k;
  ASSERT_TRUE(k.OpenEditor());
  std::vector<unsigned long> first = k.SettledTop();
  k.Ctrl(XK_c);                 // lock
  k.drv.Type(k.editor, "bmz");  // letters that are no command
  k.drv.Key(k.editor, XK_j);
  ASSERT_TRUE(k.drv.Until([&] { return k.Top() != first; })) << "j did not scroll";
  std::vector<unsigned long> second = k.SettledTop();
  k.drv.Key(k.editor, XK_J, {XK_Shift_L});  // Shift+J does nothing
  k.drv.Key(k.editor, XK_k);
  ASSERT_TRUE(k.drv.Until([&] { return k.Top() == first; })) << "k did not scroll back";
  k.drv.Key(k.editor, XK_f);
  ASSERT_TRUE(k.drv.Until([&] { return k.Top() == second; })) << "f is not j's mirror";
  k.drv.Key(k.editor, XK_d);
  ASSERT_TRUE(k.drv.Until([&] { return k.Top() == first; }));
  // the letters typed while locked changed nothing: closing asks nothing
  k.Ctrl(XK_c);  // unlock
  k.drv.Close(k.main);
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

TEST(Quelmo, OpenHelpAndAboutFromTheKeyboard) {
  krntest::TempDir dir;
  krntest::WriteFile(dir.file("memo.txt"), "opened file\n");
  Quelmo q(dir, {});
  Keyboard k;
  ASSERT_TRUE(k.OpenEditor());
  std::vector<unsigned long> empty = k.Top();
  k.Ctrl(XK_o);
  Window open = k.Starting("Open Dialog - ");
  ASSERT_NE(open, 0u);
  k.drv.Type(open, "memo.txt");
  k.drv.Key(open, XK_Return);
  EXPECT_TRUE(k.drv.Until([&] { return k.Top() != empty; })) << "the opened text is not shown";

  // Help opens where it was closed the time before.
  k.Ctrl(XK_h);
  ASSERT_TRUE(k.drv.FindTarget("Quelmo Help"));
  XMoveWindow(k.drv.d, k.drv.target, 30, 40);
  XSync(k.drv.d, False);
  k.drv.Until([&] { return k.drv.Geometry(k.drv.target).x == 30; });
  k.drv.Key(k.drv.target, XK_Return);
  ASSERT_TRUE(k.drv.WaitGone("Quelmo Help"));
  k.Ctrl(XK_g);  // the mirror key
  ASSERT_TRUE(k.drv.FindTarget("Quelmo Help"));
  XRectangle again = k.drv.Geometry(k.drv.target);
  EXPECT_EQ(again.x, 30);
  EXPECT_EQ(again.y, 40);
  k.drv.Key(k.drv.target, XK_Return);
  ASSERT_TRUE(k.drv.WaitGone("Quelmo Help"));

  k.Ctrl(XK_a);
  ASSERT_TRUE(k.drv.FindTarget("Quelmo About"));
  k.drv.Key(k.drv.target, XK_Return);
  ASSERT_TRUE(k.drv.WaitGone("Quelmo About"));
  k.Ctrl(XK_q);  // nothing modified: Quit asks nothing
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

// Saves the text as name through Control+S (erasing the proposed name, the
// current one, first) and waits for the file.
bool SaveAs(Keyboard& k, const krntest::TempDir& dir, const std::string& name,
            const std::string& expect) {
  k.Ctrl(XK_s);
  Window dialog = k.Starting("Save Dialog - ");
  if (!dialog) return false;
  // the field holds the proposed name (End walks the file list)
  k.drv.Type(dialog, std::vector<KeySym>(12, XK_Delete));
  k.drv.Type(dialog, std::vector<KeySym>(12, XK_BackSpace));
  k.drv.Type(dialog, name);
  k.drv.Key(dialog, XK_Return);
  return k.drv.Until([&] { return krntest::ReadFile(dir.file(name)) == expect; });
}

TEST(Quelmo, ControlZAfterSelectAllAndALetterBringsTheTextBack) {
  krntest::TempDir dir;
  krntest::WriteFile(dir.file("memo.txt"), "keep me\n\xc6\xfc\xcb\xdc\n");
  Quelmo q(dir, {"memo.txt"});
  Keyboard k;
  ASSERT_TRUE(k.OpenEditor());
  k.Ctrl(XK_x);  // Select All
  k.drv.Type(k.editor, "q");
  ASSERT_TRUE(SaveAs(k, dir, "typed.txt", "q")) << krntest::ReadFile(dir.file("typed.txt"));
  k.Ctrl(XK_z);
  ASSERT_TRUE(SaveAs(k, dir, "undone.txt", "keep me\n\xc6\xfc\xcb\xdc\n"))
      << krntest::ReadFile(dir.file("undone.txt"));
  k.drv.Key(k.editor, XK_z, {XK_Control_L, XK_Shift_L});  // Redo
  ASSERT_TRUE(SaveAs(k, dir, "redone.txt", "q")) << krntest::ReadFile(dir.file("redone.txt"));
  k.Ctrl(XK_slash);  // the mirror keys: Undo leaves the saved "q" ...
  k.drv.Key(k.editor, XK_slash, {XK_Control_L, XK_Shift_L});  // ... and Redo comes back to it
  k.Ctrl(XK_q);                                               // unmodified again: Quit asks nothing
  EXPECT_EQ(q.ExitStatus(10000), 0);
  EXPECT_EQ(krntest::ReadFile(dir.file("memo.txt")), "keep me\n\xc6\xfc\xcb\xdc\n");
}

TEST(Quelmo, ControlFFindsAndLockModeSlashAndNSearchLikeAPager) {
  krntest::TempDir dir;
  krntest::WriteFile(dir.file("memo.txt"), "one Alpha two alpha three\n");
  Quelmo q(dir, {"memo.txt"});
  Keyboard k;
  ASSERT_TRUE(k.OpenEditor());
  k.Ctrl(XK_f);
  ASSERT_TRUE(k.drv.FindTarget("Find"));
  Window field = k.drv.Child(k.drv.target, "_krnFind_FindDlg");
  ASSERT_NE(field, 0u);
  k.drv.Type(field, "alpha");
  k.drv.Key(field, XK_Return);  // selects "Alpha" (either case)
  k.drv.Key(field, XK_Escape);
  ASSERT_TRUE(k.drv.WaitGone("Find"));
  k.drv.Type(k.editor, "X");  // typed over the selected match
  ASSERT_TRUE(SaveAs(k, dir, "first.txt", "one X two alpha three\n"));

  k.Ctrl(XK_c);  // lock: / opens the dialog, n repeats the search
  k.drv.Key(k.editor, XK_slash);
  ASSERT_TRUE(k.drv.FindTarget("Find"));
  field = k.drv.Child(k.drv.target, "_krnFind_FindDlg");
  k.drv.Key(field, XK_Escape);
  ASSERT_TRUE(k.drv.WaitGone("Find"));
  k.drv.Key(k.editor, XK_n);  // the last search: the second "alpha"
  k.Ctrl(XK_c);               // unlock
  k.drv.Type(k.editor, "Y");
  ASSERT_TRUE(SaveAs(k, dir, "second.txt", "one X two Y three\n"));
  k.Ctrl(XK_q);
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

}  // namespace
