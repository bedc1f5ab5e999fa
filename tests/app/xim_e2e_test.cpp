// Japanese input through a real input method server: uim-xim with the anthy
// converter on the private server, the real quelmo binary connected to it
// through XMODIFIERS, romaji typed with XTEST, converted, committed and saved.
// The saved file must hold the converted word at the caret's place, in the
// CharCode the user chose.
#include <xquelmo.h>
#include <xdriver.h>
#include <xharness.h>

#include <signal.h>
#include <stdio.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <string>
#include <vector>

KRN_X_ENVIRONMENT(24, false);

namespace {

using krntest::Driver;
using krntest::Quelmo;

bool HaveUimXim() {
  int status = 1;
  krntest::Run("command -v uim-xim >/dev/null 2>&1", &status);
  return status == 0;
}

// anthy as the input method of a fresh HOME; uim reads ~/.uim at start.
// Shift+space is uim's own default key that turns input on and off.
void WriteUimConfig() {
  krntest::WriteFile(krntest::Home() + "/.uim", "(define default-im-name 'anthy)\n");
}

// Whether the root window lists an input method server named name.
bool ServerListed(Display* d, const std::string& name) {
  Atom servers = XInternAtom(d, "XIM_SERVERS", False), type = 0;
  int format = 0;
  unsigned long n = 0, left = 0;
  unsigned char* data = nullptr;
  bool found = false;
  if (XGetWindowProperty(d, DefaultRootWindow(d), servers, 0, 1024, False, XA_ATOM, &type, &format,
                         &n, &left, &data) == Success &&
      data && format == 32) {
    for (unsigned long i = 0; i < n && !found; i++) {
      char* atomName = XGetAtomName(d, reinterpret_cast<Atom*>(data)[i]);
      found = atomName && name == atomName;
      if (atomName) XFree(atomName);
    }
  }
  if (data) XFree(data);
  return found;
}

// uim-xim running for one test on the private server.
class UimXim {
 public:
  UimXim() {
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (!freopen("/dev/null", "w", stderr) || !freopen("/dev/null", "w", stdout)) _exit(96);
      execlp("uim-xim", "uim-xim", static_cast<char*>(nullptr));
      _exit(97);
    }
  }
  ~UimXim() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  UimXim(const UimXim&) = delete;
  UimXim& operator=(const UimXim&) = delete;

 private:
  pid_t pid_ = -1;
};

struct Editor {
  Driver drv;
  Window main = 0, box = 0, editor = 0;
  Editor() { drv.d = XOpenDisplay(krntest::DisplayName().c_str()); }
  ~Editor() {
    if (drv.d) XCloseDisplay(drv.d);
  }
  bool Open() {
    return drv.d && (main = drv.MainWindow()) != 0 && (box = drv.Child(main, "InputBox")) != 0 &&
           (editor = drv.Child(box, "krnInputMltWnd_InputBox")) != 0;
  }
};

// Types "ab", then "nihongo" with the input method on, converts with space and
// commits with Return, turns the method off, types "cd" and saves as out.txt;
// returns what the file holds.  The method shows nothing to wait for between
// keys; the keys reach it in order through quelmo, so none is needed.
std::string TypeNihongoAndSave(const krntest::TempDir& dir) {
  Editor e;
  if (!e.Open()) return "<no editor>";
  e.drv.Click(e.editor, 100, 5);
  e.drv.Type(e.editor, "ab");
  e.drv.Key(e.editor, XK_space, {XK_Shift_L});  // the method on
  e.drv.Type(e.editor, "nihongo");
  e.drv.Key(e.editor, XK_space);                // convert
  e.drv.Key(e.editor, XK_Return);               // commit
  e.drv.Key(e.editor, XK_space, {XK_Shift_L});  // and off again
  e.drv.Type(e.editor, "cd");
  e.drv.Key(e.editor, XK_s, {XK_Control_L});
  Window dialog = e.drv.Wait(DefaultRootWindow(e.drv.d), [](const std::string& t) {
    return t.compare(0, 14, "Save Dialog - ") == 0;
  });
  if (!dialog) return "<no save dialog>";
  e.drv.Type(dialog, "out.txt");
  e.drv.Key(dialog, XK_Return);
  e.drv.Until([&] { return !krntest::ReadFile(dir.file("out.txt")).empty(); });
  e.drv.Key(e.editor, XK_q, {XK_Control_L});
  return krntest::ReadFile(dir.file("out.txt"));
}

// One uim-xim for the whole program, registered before the first test runs.
class Xim : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!HaveUimXim()) return;
    WriteUimConfig();
    Display* d = XOpenDisplay(krntest::DisplayName().c_str());
    if (!d) return;
    // a list left by an earlier server would pass for the new one's
    XDeleteProperty(d, DefaultRootWindow(d), XInternAtom(d, "XIM_SERVERS", False));
    XSync(d, False);
    uim_ = new UimXim();
    up_ = krntest::WaitFor([&] { return ServerListed(d, "@server=uim"); }, 10000);
    XCloseDisplay(d);
    setenv("XMODIFIERS", "@im=uim", 1);
  }
  static void TearDownTestSuite() {
    delete uim_;
    uim_ = nullptr;
  }
  void SetUp() override {
    if (!HaveUimXim()) GTEST_SKIP() << "uim-xim is not installed";
    ASSERT_TRUE(up_) << "uim-xim did not register on the server";
  }
  void TearDown() override { unlink((krntest::Home() + "/.krnrc").c_str()); }
  static UimXim* uim_;
  static bool up_;
};
UimXim* Xim::uim_ = nullptr;
bool Xim::up_ = false;

TEST_F(Xim, NihongoIsSavedAsEucJpAtTheCaret) {
  krntest::TempDir dir;
  Quelmo q(dir, {});
  EXPECT_EQ(TypeNihongoAndSave(dir),
            "ab\xc6\xfc\xcb\xdc\xb8\xec"
            "cd\n");
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

TEST_F(Xim, NihongoIsSavedAsShiftJisWithCharCodeSjis) {
  krntest::WriteFile(krntest::Home() + "/.krnrc", "[Korrin]\nCharCode=SJIS\n");
  krntest::TempDir dir;
  Quelmo q(dir, {});
  EXPECT_EQ(TypeNihongoAndSave(dir),
            "ab\x93\xfa\x96\x7b\x8c\xea"
            "cd\n");
  EXPECT_EQ(q.ExitStatus(10000), 0);
}

// The locale for the quelmo started while it lives; the test's own stays.
class Locale {
 public:
  explicit Locale(const char* name) : old_(getenv("LC_ALL") ? getenv("LC_ALL") : "") {
    setenv("LC_ALL", name, 1);
    setenv("LANG", name, 1);
  }
  ~Locale() {
    setenv("LC_ALL", old_.c_str(), 1);
    setenv("LANG", old_.c_str(), 1);
  }

 private:
  std::string old_;
};

// Under a UTF-8 locale the input method hands over UTF-8: converted into the
// working code, typed into a new text saved as UTF-8 (NewFileCode), in
// Japanese's own UTF-8 locale and in C.UTF-8, which few servers list.  Under
// ja_JP.eucJP the same text is converted from EUC-JP.
TEST_F(Xim, NihongoIsSavedAsUtf8UnderEveryLocale) {
  const char* const rcs[] = {"[Korrin]\nNewFileCode=UTF8\n",
                             "[Korrin]\nCharCode=SJIS\nNewFileCode=UTF8\n"};
  for (const char* locale : {"ja_JP.UTF-8", "C.UTF-8", "ja_JP.eucJP"}) {
    for (const char* rc : rcs) {
      krntest::WriteFile(krntest::Home() + "/.krnrc", rc);
      krntest::TempDir dir;
      Locale l(locale);
      Quelmo q(dir, {});
      EXPECT_EQ(TypeNihongoAndSave(dir),
                "ab\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e"
                "cd\n")
          << locale << " " << rc;
      EXPECT_EQ(q.ExitStatus(10000), 0);
    }
  }
}

}  // namespace
