// The selection module against real peers on a private server: xclip reads
// what the toolkit owns while its loop runs and takes selections away, a
// forked client plays a clipboard manager for SAVE_TARGETS, and a client
// that never answers bounds the wait of a paste.  The mouse-button table
// for pasting is checked without a server.
#include <xharness.h>

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "controls/textentry.h"

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;

// Runs a command in the background, its output into a file, while the
// toolkit's loop serves our selections; the output once the command ended.
std::string ReadWhilePumping(const std::string& command, const krntest::TempDir& dir) {
  std::string out = dir.file("out"), done = dir.file("done");
  krntest::Run("(" + command + " > '" + out + "' 2>/dev/null; touch '" + done +
               "') >/dev/null 2>&1 &");
  krntest::PumpUntil([&] { return access(done.c_str(), F_OK) == 0; }, 20000);
  return krntest::ReadFile(out);
}

TEST(Selection, OwnedTextIsServedInUtf8AndLostToAnotherOwner) {
  krntest::TempDir dir;
  const std::string euc = "copy \xa4\xb3\xa4\xd4\xa1\xbc \xb4\xc1\xbb\xfa\n";
  krntest::WriteFile(dir.file("euc"), euc);
  ASSERT_EQ(krnSetSelectionText(KRN_SEL_CLIPBOARD, euc.c_str(), -1, 0), 1);
  EXPECT_EQ(krnIsSelectionOwner(KRN_SEL_CLIPBOARD), 1);
  EXPECT_EQ(ReadWhilePumping("timeout 10 xclip -o -selection clipboard", dir),
            krntest::Run("iconv -f EUC-JP -t UTF-8 '" + dir.file("euc") + "'"));
  // our own text comes back without asking the server
  int length = 0;
  char* text = krnGetSelectionText(KRN_SEL_CLIPBOARD, &length);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(text, length), euc);
  free(text);
  // another owner: only the ownership goes, and its text is pasted
  krntest::WriteFile(dir.file("other"), "\xe3\x81\x82 other");
  krntest::Run("xclip -i -selection clipboard < '" + dir.file("other") + "' >/dev/null 2>&1");
  EXPECT_TRUE(krntest::PumpUntil([] { return !krnIsSelectionOwner(KRN_SEL_CLIPBOARD); }));
  text = krnGetSelectionText(KRN_SEL_CLIPBOARD, &length);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(text, length), "\xa4\xa2 other");
  free(text);
}

TEST(Selection, COMPOUND_TEXTAndSTRINGAreAskedWhenUTF8IsRefused) {
  krntest::TempDir dir;
  struct {
    const char* target;
    std::string data;
    std::string euc;
  } table[] = {
      {"COMPOUND_TEXT", "ab \x1b$(B$\"$$\x1b(B cd", "ab \xa4\xa2\xa4\xa4 cd"},
      {"STRING", "caf\xe9 x", "caf\xa2\xae x"},  // é has no JIS X 0208 cell
  };
  for (const auto& c : table) {
    SCOPED_TRACE(c.target);
    krntest::WriteFile(dir.file("in"), c.data);
    Atom primary = XInternAtom(Dpy(), "PRIMARY", False);
    Window before = XGetSelectionOwner(Dpy(), primary);
    krntest::Run(std::string("xclip -i -selection primary -t ") + c.target + " < '" +
                 dir.file("in") + "' >/dev/null 2>&1");
    // xclip may send its request after its command has returned
    ASSERT_TRUE(krntest::WaitFor([&] { return XGetSelectionOwner(Dpy(), primary) != before; }));
    int length = 0;
    char* text = krnGetSelectionText(KRN_SEL_PRIMARY, &length);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text, length), c.euc);
    free(text);
  }
}

TEST(Selection, AnOwnerThatNeverAnswersEndsTheWaitWithNothing) {
  Display* silent = XOpenDisplay(krntest::DisplayName().c_str());
  ASSERT_NE(silent, nullptr);
  Window w = XCreateSimpleWindow(silent, DefaultRootWindow(silent), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(silent, XInternAtom(silent, "CLIPBOARD", False), w, CurrentTime);
  XSync(silent, False);
  krntest::Pump();
  auto start = std::chrono::steady_clock::now();
  int length = 5;
  EXPECT_EQ(krnGetSelectionText(KRN_SEL_CLIPBOARD, &length), nullptr);
  EXPECT_EQ(length, 0);
  // not a speed target: a paste that waited for ever would never get here
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  XCloseDisplay(silent);
}

// A clipboard manager in a child process: owns CLIPBOARD_MANAGER, and on
// SAVE_TARGETS takes the CLIPBOARD text as UTF8_STRING into a file, then
// confirms.
void RunManager(const std::string& file, const std::string& ready) {
  Display* d = XOpenDisplay(krntest::DisplayName().c_str());
  if (!d) _exit(2);
  Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  Atom manager = XInternAtom(d, "CLIPBOARD_MANAGER", False);
  Atom save = XInternAtom(d, "SAVE_TARGETS", False);
  Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom prop = XInternAtom(d, "KEPT", False);
  XSetSelectionOwner(d, manager, w, CurrentTime);
  XSync(d, False);
  krntest::WriteFile(ready, "");
  alarm(20);
  for (;;) {
    XEvent e;
    XNextEvent(d, &e);
    if (e.type != SelectionRequest || e.xselectionrequest.target != save) continue;
    XSelectionRequestEvent request = e.xselectionrequest;
    XConvertSelection(d, XInternAtom(d, "CLIPBOARD", False), utf8, prop, w, CurrentTime);
    do XNextEvent(d, &e);
    while (e.type != SelectionNotify);
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* value = nullptr;
    XGetWindowProperty(d, w, prop, 0, 1 << 20, True, AnyPropertyType, &type, &format, &n, &after,
                       &value);
    krntest::WriteFile(file, std::string(reinterpret_cast<char*>(value), n));
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.property = request.property;
    reply.time = request.time;
    XChangeProperty(d, request.requestor, request.property, XA_ATOM, 32, PropModeReplace, nullptr,
                    0);
    XSendEvent(d, request.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
    XSync(d, False);
    _exit(0);
  }
}

TEST(Selection, AClipboardManagerTakesTheClipboardOver) {
  krntest::TempDir dir;
  std::string kept = dir.file("kept"), ready = dir.file("ready");
  EXPECT_EQ(krnSaveClipboard(Dpy()), 0) << "no manager runs";
  pid_t pid = fork();
  if (pid == 0) RunManager(kept, ready);
  ASSERT_TRUE(krntest::WaitFor([&] { return access(ready.c_str(), F_OK) == 0; }));
  ASSERT_EQ(krnSetSelectionText(KRN_SEL_CLIPBOARD, "kept \xa4\xa2", -1, 0), 1);
  EXPECT_EQ(krnSaveClipboard(Dpy()), 1);
  int status = -1;
  waitpid(pid, &status, 0);
  EXPECT_EQ(krntest::ReadFile(kept), "kept \xe3\x81\x82");
}

// Shift+Right in the editor selects, and the selection is PRIMARY at once;
// another owner takes PRIMARY away without touching the editor's text or
// selection.
TEST(Selection, ShiftKeysMakePrimaryAndLosingItKeepsTheEditorsText) {
  krntest::TempDir dir;
  KrnWindow* ed = krnCreateWindow_InputMltWnd(Dpy(), nullptr, krnSetRect(0, 0, 200, 100), "ed",
                                              "\xa4\xa2"
                                              "bc\n",
                                              5, 0);
  ASSERT_NE(ed, nullptr);
  for (Time t : {1000, 2000}) {
    XEvent key = krntest::KeyEvent(ed->win, XK_Right, ShiftMask, t);
    WndProc_InputMltWnd(Dpy(), ed, &key);
  }
  int length = 0;
  char* text = krnGetSelectionText(KRN_SEL_PRIMARY, &length);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(text, length),
            "\xa4\xa2"
            "b");
  free(text);
  EXPECT_EQ(krnIsSelectionOwner(KRN_SEL_PRIMARY), 1);
  krntest::WriteFile(dir.file("other"), "other");
  krntest::Run("xclip -i -selection primary < '" + dir.file("other") + "' >/dev/null 2>&1");
  EXPECT_TRUE(krntest::PumpUntil([] { return !krnIsSelectionOwner(KRN_SEL_PRIMARY); }));
  EXPECT_EQ(std::string(krnGetText_InputMltWnd(ed)),
            "\xa4\xa2"
            "bc\n");
  EXPECT_EQ(std::string(krnGetSelectText_InputMltWnd(ed)),
            "\xa4\xa2"
            "b");
  krnDestroyWindow(Dpy(), ed);
}

TEST(Selection, ThePasteButtonIsTheMiddleOneUnlessTheSettingsUseIt) {
  struct {
    int rightHand, mouseButton;
    unsigned int select, paste;
  } table[] = {
      {1, 3, Button1, Button2}, {1, 2, Button1, Button3}, {1, 1, Button1, Button2},
      {0, 3, Button3, Button2}, {0, 2, Button2, Button3}, {0, 1, Button1, Button2},
  };
  for (const auto& c : table) {
    EXPECT_EQ(textentry::PrimaryButton(c.rightHand, c.mouseButton), c.select)
        << c.rightHand << " " << c.mouseButton;
    EXPECT_EQ(textentry::PasteButton(c.rightHand, c.mouseButton), c.paste)
        << c.rightHand << " " << c.mouseButton;
  }
}

}  // namespace
