// The memo pad's main window "Quelmo": the input box with its two popup
// menus, the menu bar and the tool bar.  MainLoop builds it, loads the file
// named on the command line, runs the event loop until a command or a
// confirmed close answers quit, and tears it down.
#include <stdlib.h>

#include <algorithm>

#include "quelmo.h"

char* g_pText = nullptr;

namespace {

constexpr int kWidth = 392;     // main window width at creation
constexpr int kHeight = 462;    // its height less menu bar and tool bar
constexpr int kBoxWidth = 380;  // input box at creation
constexpr int kBoxHeight = 450;
constexpr int kMarginLeft = 5;  // around the input box
constexpr int kMarginRight = 7;
constexpr int kMarginBottom = 7;

#define JA_WELCOME "\xa4\xa4\xa4\xe9\xa4\xc3\xa4\xb7\xa4\xe3\xa1\xbc\xa4\xa4"
const char kWelcome[] = "Welcome to quelmo!!!(" JA_WELCOME ")";

// One row of a popup menu or the tool bar; an empty caption is a separator.
struct Item {
  const char* caption;
  KrnEventCallback handler;
  int image;  // slot of g_korrin.images, or -1
};

const Item kMainMenu[] = {
    {"New (ctrl+n)", OnMenuNew, KRN_IMG_FILE},
    {"Open (ctrl+o)", OnMenuOpen, KRN_IMG_FOLDER},
    {"Save as...(ctrl+s)", OnMenuSave, KRN_IMG_SAVEAS},
    {"", nullptr, -1},
    {"Copy (ctrl+y)", OnMenuCopy, -1},
    {"Paste (ctrl+e)", OnMenuPaste, -1},
    {"Select All (ctrl+x)", OnMenuSelect, -1},
    {"", nullptr, -1},
    {"Lock (ctrl+c)", OnMenuLock, -1},
    {"Code", nullptr, -1},
    {"", nullptr, -1},
    {"Undo (ctrl+z)", OnMenuUndo, -1},
    {"Redo (ctrl+shift+z)", OnMenuRedo, -1},
    {"Find... (ctrl+f)", OnMenuFind, -1},
    {"", nullptr, -1},
    {"Quit (ctrl+q)", OnMenuQuit, KRN_IMG_QUIT},
};

// The "Code" sub-menu: the code the text is saved in, checked.
const Item kCodeMenu[] = {
    {"EUC-JP", OnMenuCode, -1},
    {"Shift_JIS", OnMenuCode, -1},
    {"UTF-8", OnMenuCode, -1},
};

const Item kHelpMenu[] = {
    {"Help (ctrl+h)", OnMenuHelp, -1},
    {"About (ctrl+a)", OnMenuAbout, -1},
};

const Item kToolButtons[] = {
    {"Open", OnMenuOpen, KRN_IMG_FOLDER},
    {"Save", OnMenuSave, KRN_IMG_SAVEAS},
    {"Lock", OnMenuLock, -1},
    {"Exit", OnMenuQuit, -1},
};

KrnImage* Image(int slot) {
  return slot < 0 ? nullptr : g_korrin.images[slot];
}

template <size_t N>
KrnWindow* BuildMenu(Display* display, KrnWindow* parent, const char* name,
                     const Item (&items)[N]) {
  KrnWindow* menu = krnCreateWindow_Menu(display, parent, name);
  for (const Item& item : items)
    krnAddItem_Menu(menu, item.caption, item.handler, Image(item.image), nullptr, -1);
  return menu;
}

// Height taken by the menu bar and the tool bar above the input box.
int BarsHeight() {
  return krnGetHeight_MenuBar() + krnGetHeight_ToolBar();
}

// The input box's rectangle for a main window of the given size; at least
// one pixel each way in a window too small for the margins and bars, never
// a size that went negative.
KrnRect BoxRect(int width, int height) {
  int top = BarsHeight() + kMarginLeft;
  return krnSetRect(kMarginLeft, top, std::max(width - kMarginLeft - kMarginRight, 1),
                    std::max(height - top - kMarginBottom, 1));
}

#define JA_QUIT_OK                                                                               \
  "\xca\xd4\xbd\xb8\xa4\xb5\xa4\xec\xa4\xc6\xa4\xa4\xa4\xde\xa4\xb9(\xca\xdd\xc2\xb8\xa4\xb5"    \
  "\xa4\xec\xa4\xc6\xa4\xa4\xa4\xde\xa4\xbb\xa4\xf3)!! \xbd\xaa\xce\xbb\xa4\xb7\xa4\xc6\xa4\xe8" \
  "\xa4\xa4\xa4\xc7\xa4\xb9\xa4\xab?"

}  // namespace

const char kQuitQuestion[] = "Text Modified!! Quit OK?\n" JA_QUIT_OK;

int Draw_Main(Display*, KrnWindow*) {
  return 1;
}

int OnDebug(Display*, KrnWindow*, XEvent*) {
  return 1;
}

int WndProc_Main(Display* display, KrnWindow* window, XEvent* event) {
  int result = window->result;
  switch (event->type) {
    case Expose:
      if (event->xexpose.window == window->win && event->xexpose.count == 0)
        Draw_Main(display, window);
      break;
    case ConfigureNotify:
      if (event->xconfigure.window == window->win && krnIsWindowResized(window))
        krnMoveResizeWindow(krnGetWindow("InputBox"),
                            BoxRect(event->xconfigure.width, event->xconfigure.height));
      break;
    case ClientMessage:
      if (result == KRN_QUIT && krnIsUpdate_InputBox(krnGetWindow("InputBox")) == 1) {
        int answer = krnMessageDialog(display, krnGetWindow("Quelmo"), "Warning", kQuitQuestion,
                                      kQuestionStyle);
        return answer == KRN_OK ? KRN_QUIT : 1;
      }
      break;
    case KRN_EV_REDRAW:
      Draw_Main(display, window);
      break;
    case KRN_EV_TIMER:
      CheckEmergencySave();
      break;
  }
  return result;
}

// Builds the main window with its controls, centred and placed by the
// -geometry value, then shows it; null when the window itself cannot be created.
KrnWindow* CreateMainWindow(Display* display) {
  int bars = BarsHeight();
  // mapped only once placed: a window manager places a window when it is
  // first mapped, by the hints it has then
  KrnWindow* main = krnCreateWindowEx(display, nullptr, krnSetRect(0, 0, kWidth, kHeight + bars), 1,
                                      "Quelmo", WndProc_Main, 0);
  if (!main) return nullptr;
  krnSetMinMaxSize(main, kWidth / 2, (kHeight + bars) / 2, 2 * g_korrin.screenWidth,
                   2 * g_korrin.screenHeight);
  krnSetKeyEventCallback(main, OnKeyEvent);
  krnSetIdolingCallback(main, OnIdle_Main);
  krnSetDebugCallback(OnDebug);

  KrnWindow* box = krnCreateWindow_InputBox(
      display, main, krnSetRect(kMarginLeft, bars + kMarginLeft, kBoxWidth, kBoxHeight), "InputBox",
      g_pText, 0, 0);
  KrnWindow* menu = BuildMenu(display, main, "MenuWnd", kMainMenu);
  KrnWindow* codes = BuildMenu(display, main, "MenuCodeWnd", kCodeMenu);
  krnChangeItem_Menu(menu, kMainMenu[kCodeItem].caption, nullptr, nullptr, codes, kCodeItem);
  KrnWindow* help = BuildMenu(display, main, "MenuHelpWnd", kHelpMenu);
  krnCreateWindow_MenuBar(display, main, "MenuBar", menu, help, kWelcome);
  KrnWindow* tools = krnCreateWindow_ToolBar(display, main, "ToolBar");
  for (const Item& button : kToolButtons)
    krnAddButton_ToolBar(display, tools, button.caption, button.handler, Image(button.image), -1);
  krnSetToggle_ToolBar(tools, kLockButton, 1);
  krnSetContextMenu(box, menu);
  StartNewFileCode();

  krnCenteringWnd(display, nullptr, main);
  krnSetGeometry(main, g_korrin.geometry);
  krnShowWindow(main, 1);
  return main;
}

// Builds the main window, loads the file named on the command line and runs
// the event loop until a command or a confirmed close answers quit.
int MainLoop(Display* display) {
  g_pText = nullptr;
  KrnWindow* main = CreateMainWindow(display);
  if (!main) return 1;
  InstallEmergencySave(main);
  if (StartNewFile(g_cFileName)) {
    if (g_cFileName[0] != '/') krnConvFullPath(g_cFileName, sizeof g_cFileName);
  } else {
    TakeInFirstText(g_cFileName);
  }
  // Every top-level window takes part: the find dialog is one of them.
  krnMainLoop(display, nullptr);
  free(g_pText);
  g_pText = nullptr;
  krnCloseFindDialog(nullptr);
  krnDestroyWindow(display, main);
  return 1;
}
