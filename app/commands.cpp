// The memo pad's ten commands and its keyboard: handlers shared by the two
// popup menus, the tool bar and OnKeyEvent, and the lock mode in which the
// text is read-only, every command answers to its bare letter and the
// home-row keys scroll line by line.
#include <stdio.h>
#include <stdlib.h>

#include "quelmo.h"
#include "res_help.h"
#include "res_images.h"

namespace {

#define JA_MODIFIED                                                                           \
  "\xca\xd4\xbd\xb8\xa4\xb5\xa4\xec\xa4\xc6\xa4\xa4\xa4\xde\xa4\xb9(\xca\xdd\xc2\xb8\xa4\xb5" \
  "\xa4\xec\xa4\xc6\xa4\xa4\xa4\xde\xa4\xbb\xa4\xf3)!! "

const char kNewQuestion[] =
    "Text Modified(not save)!! Do you want to clear text(new file)? (OK or Cancel)\n" JA_MODIFIED
    "\xa5\xc6\xa5\xad\xa5\xb9\xa5\xc8\xa4\xf2\xbd\xe9\xb4\xfc\xb2\xbd(\xbf\xb7\xa4\xb7\xa4\xa4\xa5"
    "\xd5\xa5\xa1\xa5\xa4\xa5\xeb\xa4\xcb)"
    "\xa4\xb7\xa4\xc6\xa4\xe8\xa4\xa4\xa4\xc7\xa4\xb9\xa4\xab?";
const char kOpenQuestion[] =
    "Text Modified(not save)!! Do you want to OPEN file? (OK or Cancel)\n" JA_MODIFIED
    "\xa5\xd5\xa5\xa1\xa5\xa4\xa5\xeb\xa4\xf2\xb3\xab\xa4\xa4\xa4\xc6\xa4\xe8\xa4\xa4\xa4\xc7\xa4"
    "\xb9\xa4\xab?";
const char kEmptyName[] =
    "Please entry file name.\n"
    "\xa5\xd5\xa5\xa1\xa5\xa4\xa5\xeb\xcc\xbe\xa4\xf2\xc6\xfe\xce\xcf\xa4\xb7\xa4\xc6\xa4\xaf\xa4"
    "\xc0\xa4\xb5\xa4\xa4";
const char kUnlocked[] = "\xc6\xfe\xce\xcf\xa4\xc7\xa4\xad\xa4\xde\xa4\xb9";
const char kLocked[] =
    "\xc6\xfe\xce\xcf\xa5\xed\xa5\xc3\xa5\xaf\xa4\xb5\xa4\xec\xa4\xc6\xa4\xde\xa4\xb9(jkhl\xa4\xc7"
    "\xa5\xb9\xa5\xaf\xa5\xed\xa1\xbc\xa5\xeb\xa4\xc7\xa4\xad\xa4\xde\xa4\xb9 - vi mode)";
// Status-line notes of searching and replacing.
const char kFound[] = "Found (\xb8\xab\xa4\xc4\xa4\xab\xa4\xea\xa4\xde\xa4\xb7\xa4\xbf)";
const char kNotFound[] = "Not found (\xb8\xab\xa4\xc4\xa4\xab\xa4\xea\xa4\xde\xa4\xbb\xa4\xf3)";
const char kWrapped[] =
    "Search wrapped around (\xc0\xde\xa4\xea\xca\xd6\xa4\xb7\xa4\xc6\xb8\xa1\xba\xf7\xa4\xb7"
    "\xa4\xde\xa4\xb7\xa4\xbf)";
const char kReplaced[] =
    "%d replaced (%d \xb8\xc4\xc3\xd6\xb4\xb9\xa4\xb7\xa4\xde\xa4\xb7\xa4\xbf)";
const char kLockedReplace[] =
    "Locked: nothing replaced (\xa5\xed\xa5\xc3\xa5\xaf\xc3\xe6\xa4\xcf\xc3\xd6\xb4\xb9\xa4\xc7"
    "\xa4\xad\xa4\xde\xa4\xbb\xa4\xf3)";
const char kAboutText[] =
    ">>> Korrin Memo Pad <<<\n- Ver00.10 since 2000.09 -\n- by the Korrin developers -\n";

constexpr int kNameSize = 4096;

// Extensions offered by the open and save dialogs.
const char* kExtensions[] = {".txt", ".TXT", ".c", ".h", nullptr};

// One command: its handler, its key and the key at the same place under the
// other hand, and whether the bare key runs it in lock mode too (f and j
// scroll there, and a locked text is not edited).  OnKeyEvent tries them in
// this order.
struct Command {
  KrnEventCallback handler;
  KeySym key;
  KeySym mirror;
  bool locked;
};

const Command kCommands[] = {
    {OnMenuNew, XK_n, XK_v, true},       {OnMenuOpen, XK_o, XK_w, true},
    {OnMenuSave, XK_s, XK_l, true},      {OnMenuCopy, XK_y, XK_t, true},
    {OnMenuPaste, XK_e, XK_i, true},     {OnMenuSelect, XK_x, XK_period, true},
    {OnMenuLock, XK_c, XK_comma, true},  {OnMenuQuit, XK_q, XK_p, true},
    {OnMenuHelp, XK_h, XK_g, true},      {OnMenuAbout, XK_a, XK_semicolon, true},
    {OnMenuUndo, XK_z, XK_slash, false}, {OnMenuRedo, XK_Z, XK_question, false},
    {OnMenuFind, XK_f, XK_j, false},
};

KrnWindow* Box() {
  return krnGetWindow("InputBox");
}

KrnWindow* Main() {
  return krnGetWindow("Quelmo");
}

// Asks before a command drops unsaved changes; true to go on.
bool MayDropChanges(const char* question) {
  if (krnIsUpdate_InputBox(Box()) != 1) return true;
  return krnMessageDialog(g_korrin.display, Main(), "Warning", question, kQuestionStyle) == KRN_OK;
}

// Moves the top line by delta in lock mode, keeping the last line in view.
void ScrollLine(int delta) {
  KrnWindow* box = Box();
  int pos = krnGetPos_InputBox(box);
  int page = krnGetLinesOfPage_InputBox(box);
  int total = krnGetLines_InputBox(box);
  if (delta > 0 && pos + 1 < total - page) krnSetPos_InputBox(box, pos + 1);
  if (delta < 0 && pos - 1 >= 0) krnSetPos_InputBox(box, pos - 1);
}

// The key's window belongs to the main window (not to the find dialog,
// whose keys the loop shows every top-level window).
bool InMainWindow(KrnWindow* target) {
  KrnWindow* top = krnGetTopWindow(target);
  return top && top == Main();
}

bool Locked() {
  return krnGetLock_InputBox(Box()) == 1;
}

// Shows on the status line what a search or a replace did.
int OnSearchResult(KrnWindow*, int code, long value, long) {
  char note[128];
  if (code == KRN_REPLACED && value < 0) {
    snprintf(note, sizeof note, "%s", kLockedReplace);
  } else if (code == KRN_REPLACED) {
    snprintf(note, sizeof note, kReplaced, static_cast<int>(value), static_cast<int>(value));
  } else {
    snprintf(note, sizeof note, "%s",
             value == KRN_FOUND           ? kFound
             : value == KRN_FOUND_WRAPPED ? kWrapped
                                          : kNotFound);
  }
  krnSetStatus_MenuBar(krnGetWindow("MenuBar"), note);
  return 1;
}

// Repeats the last search (F3, or n in lock mode); false when there was none.
bool FindAgain(int flags) {
  int found = krnFindAgain_FindDialog(Box(), flags);
  if (found < 0) return false;
  OnSearchResult(nullptr, KRN_SEARCHED, found, 0);
  return true;
}

// Keys beyond the command table: F3 and Shift+F3 repeat the last search; in
// lock mode / opens the find dialog and n and N repeat the search (n runs
// New as before until something was searched).  True when the key was used.
bool SearchKey(XEvent* event, KeySym key, bool locked) {
  bool shift = (event->xkey.state & ShiftMask) != 0;
  if (key == XK_F3) return FindAgain(shift ? KRN_FIND_BACKWARD : 0) || true;
  if (!locked || krnGetCtrlState(event->xkey) == 1) return false;
  if (key == XK_slash) return OnMenuFind(nullptr, 0, 0, 0) || true;
  if (key == XK_N) return FindAgain(KRN_FIND_BACKWARD) || true;
  return key == XK_n && FindAgain(0);
}

}  // namespace

int OnMenuNew(KrnWindow*, int, long, long) {
  if (!MayDropChanges(kNewQuestion)) return 0;
  krnSetText_InputBox(Box(), nullptr, 0);
  StartNewFileCode();
  return 1;
}

int OnMenuOpen(KrnWindow*, int, long, long) {
  if (!MayDropChanges(kOpenQuestion)) return 0;
  char name[kNameSize] = "";
  if (krnFileDialog(g_korrin.display, Main(), name, kExtensions, KRN_FILE_OPEN) != KRN_OK ||
      !name[0])
    return 0;
  TakeInText(name);
  return 1;
}

int OnMenuSave(KrnWindow*, int, long, long) {
  if (!MaySave(g_cFileName)) return 0;
  char name[kNameSize];
  snprintf(name, sizeof name, "%s", ProposedName().c_str());
  if (krnFileDialog(g_korrin.display, Main(), name, kExtensions, KRN_FILE_SAVE) != KRN_OK) return 0;
  if (!name[0]) {
    krnMessageDialog(g_korrin.display, Main(), "Error", kEmptyName, kErrorStyle);
    return 0;
  }
  TakeOutText(name);
  return 1;
}

int OnMenuCopy(KrnWindow*, int, long, long) {
  krnCopyText_InputBox(Box());
  return 1;
}

int OnMenuPaste(KrnWindow*, int, long, long) {
  krnPasteText_InputBox(Box(), nullptr);
  return 1;
}

int OnMenuSelect(KrnWindow*, int, long, long) {
  KrnWindow* box = Box();
  krnSetSelectText_InputBox(box, 0, krnGetLength_InputBox(box));
  return 1;
}

void SetLockMode(int lock) {
  krnSetCheck_Menu(krnGetWindow("MenuWnd"), kLockItem, lock);
  krnSetLock_InputBox(Box(), lock);
  krnSetButton_ToolBar(krnGetWindow("ToolBar"), kLockButton, lock);
}

// Toggles the lock; the menu's check mark, the tool bar's toggle and the
// status line follow.  A read-only text stays locked.
int OnMenuLock(KrnWindow*, int, long, long) {
  if (g_fileCode.readOnly) return 1;
  int lock = krnGetLock_InputBox(Box()) ? 0 : 1;
  SetLockMode(lock);
  krnSetStatus_MenuBar(krnGetWindow("MenuBar"), lock ? kLocked : kUnlocked);
  return 1;
}

int OnMenuQuit(KrnWindow*, int, long, long) {
  if (!MayDropChanges(kQuitQuestion)) return 1;
  free(g_pText);
  g_pText = nullptr;
  return KRN_QUIT;
}

// Undo and redo act on an unlocked text only; otherwise they do nothing.
int OnMenuUndo(KrnWindow*, int, long, long) {
  if (!Locked()) krnUndo_InputBox(Box());
  return 1;
}

int OnMenuRedo(KrnWindow*, int, long, long) {
  if (!Locked()) krnRedo_InputBox(Box());
  return 1;
}

// Opens the find dialog (or brings it up) over the main window.
int OnMenuFind(KrnWindow*, int, long, long) {
  krnFindDialog(g_korrin.display, Main(), Box(), OnSearchResult);
  return 1;
}

int OnMenuHelp(KrnWindow*, int, long, long) {
  krnTextDialog(g_korrin.display, Main(), "Quelmo Help", res_cHelp);
  return 1;
}

int OnMenuAbout(KrnWindow*, int, long, long) {
  Display* display = g_korrin.display;
  KrnImage* icon = krnLoadImageFromData(display, res_quelmo, g_korrin.colormap);
  KrnImage* logo = krnLoadImageFromData(display, res_logomono, g_korrin.colormap);
  krnAboutDialog(display, Main(), "Quelmo About", kAboutText, icon, logo,
                 g_korrin.colors[KRN_BLUE]);
  krnFreeImage(display, icon);
  krnFreeImage(display, logo);
  return 1;
}

// The main window's key handler: with Control, or in lock mode without it,
// a command's key or mirror key runs it; in lock mode f/j and d/k scroll.
int OnKeyEvent(KrnWindow* target, XEvent* event, KeySym key) {
  if (!InMainWindow(target)) return 1;
  int control = krnGetCtrlState(event->xkey);
  bool locked = Locked();
  int result = 1;
  if (SearchKey(event, key, locked)) return 1;
  if (locked || control == 1) {
    for (const Command& c : kCommands) {
      if (key != c.key && key != c.mirror) continue;
      if (control != 1 && !c.locked) continue;
      int r = c.handler(nullptr, 0, 0, 0);
      if (c.handler == OnMenuQuit) result = r;
    }
  }
  if (locked && (key == XK_f || key == XK_j)) ScrollLine(1);
  if (locked && (key == XK_d || key == XK_k)) ScrollLine(-1);
  return result;
}
