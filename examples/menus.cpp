// Example: a top-level window with a menu bar, a tool bar and status text.
// The menu bar's "Menu" caption opens the commands' popup menu and "?" a
// second one; the tool bar offers the same commands, and each command
// reports itself in the menu bar's status line.  Closing the window (or
// "Quit") ends the event loop.
#include <korrin.h>

namespace {

KrnWindow* StatusBar() {
  return krnGetWindow("MenuBar");
}

int OnHello(KrnWindow*, int, long, long) {
  krnSetStatus_MenuBar(StatusBar(), "Hello, world!");
  return 1;
}

int OnClear(KrnWindow*, int, long, long) {
  krnSetStatus_MenuBar(StatusBar(), "");
  return 1;
}

int OnAbout(KrnWindow*, int, long, long) {
  krnMessageDialog(g_korrin.display, krnGetWindow("Menus example"), "About",
                   "A menu bar, a tool bar and status text.", KRN_MB_OK | KRN_MB_INFO);
  return 1;
}

// The answer KRN_QUIT ends krnMainLoop.
int OnQuit(KrnWindow*, int, long, long) {
  return KRN_QUIT;
}

// One command: its caption, handler and icon (a slot of g_korrin.images or
// -1).  An empty caption makes a menu separator.
struct Command {
  const char* caption;
  KrnEventCallback handler;
  int image;
};

const Command kMenu[] = {
    {"Hello", OnHello, -1},
    {"Clear", OnClear, -1},
    {"", nullptr, -1},
    {"Quit", OnQuit, KRN_IMG_QUIT},
};
const Command kTools[] = {
    {"Hello", OnHello, -1},
    {"Clear", OnClear, -1},
    {"Quit", OnQuit, KRN_IMG_QUIT},
};

KrnImage* Icon(int slot) {
  return slot < 0 ? nullptr : g_korrin.images[slot];
}

}  // namespace

int main(int argc, char** argv) {
  Display* display = krnOpenDisplay(argc, argv);
  if (!display) return 1;
  int bars = krnGetHeight_MenuBar() + krnGetHeight_ToolBar();
  KrnWindow* main =
      krnCreateWindow(display, nullptr, krnSetRect(0, 0, 360, bars + 160), 1, "Menus example",
                      nullptr);  // null: the default procedure, which quits on close
  if (!main) {
    krnCloseDisplay(display);
    return 1;
  }

  KrnWindow* menu = krnCreateWindow_Menu(display, main, "CommandMenu");
  for (const Command& c : kMenu)
    krnAddItem_Menu(menu, c.caption, c.handler, Icon(c.image), nullptr, -1);
  KrnWindow* help = krnCreateWindow_Menu(display, main, "HelpMenu");
  krnAddItem_Menu(help, "About", OnAbout, nullptr, nullptr, -1);
  krnCreateWindow_MenuBar(display, main, "MenuBar", menu, help, "Ready");

  KrnWindow* tools = krnCreateWindow_ToolBar(display, main, "ToolBar");
  for (const Command& c : kTools)
    krnAddButton_ToolBar(display, tools, c.caption, c.handler, Icon(c.image), -1);

  // The rest of the window: a short text below the bars.
  const char kText[] = "Choose a command from the menus or the tool bar.";
  krnCreateWindow_TextWnd(display, main, krnSetRect(5, bars + 5, 350, 150), "Hint", kText,
                          sizeof kText - 1);

  krnCenteringWnd(display, nullptr, main);
  krnMainLoop(display, main);
  krnDestroyWindow(display, main);
  krnCloseDisplay(display);
  return 0;
}
