// Example: a read-only text box and an editor in an input box.  Type in the
// editor below; "Show" copies what you typed into the text box above, which
// wraps it to its width and scrolls it.  "Copy" puts the editor's selection
// on the X clipboard and "Paste" inserts the clipboard's text, whichever
// program copied it; the middle button pastes the primary selection.
// Closing the window ends the event loop.
#include <korrin.h>

#include <string>

namespace {

// The input box's text is its own (not NUL-terminated); copy it by length.
int OnShow(KrnWindow*, int, long, long) {
  KrnWindow* editor = krnGetWindow("Editor");
  const char* text = krnGetText_InputBox(editor);
  std::string copy(text ? text : "", text ? krnGetLength_InputBox(editor) : 0);
  krnSetText_TextBox(krnGetWindow("Viewer"), copy.c_str());
  return 1;
}

// The X clipboard: Copy owns it with the selected text, Paste asks its
// owner (quelmo, a terminal, a browser) for the text.
int OnCopy(KrnWindow*, int, long, long) {
  krnCopyText_InputBox(krnGetWindow("Editor"));
  return 1;
}

int OnPaste(KrnWindow*, int, long, long) {
  krnPasteText_InputBox(krnGetWindow("Editor"), nullptr);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Display* display = krnOpenDisplay(argc, argv);
  if (!display) return 1;
  KrnWindow* main =
      krnCreateWindow(display, nullptr, krnSetRect(0, 0, 400, 330), 1, "Text example", nullptr);
  if (!main) {
    krnCloseDisplay(display);
    return 1;
  }
  krnCreateWindow_TextBox(display, main, krnSetRect(10, 10, 380, 110), "Viewer",
                          "A text box shows a read-only text, wrapped to its width.\n"
                          "Type in the editor below, then press Show.");
  krnCreateWindow_Button(display, main, krnSetRect(10, 128, 80, 26), "Show", nullptr, OnShow);
  krnCreateWindow_Button(display, main, krnSetRect(100, 128, 80, 26), "Copy", nullptr, OnCopy);
  krnCreateWindow_Button(display, main, krnSetRect(190, 128, 80, 26), "Paste", nullptr, OnPaste);
  const char kStart[] = "Edit me.\nThe input box is a multi-line editor with a scroll bar.\n";
  krnCreateWindow_InputBox(display, main, krnSetRect(10, 162, 380, 158), "Editor", kStart,
                           sizeof kStart - 1, 0);

  krnCenteringWnd(display, nullptr, main);
  krnMainLoop(display, main);
  krnDestroyWindow(display, main);
  krnCloseDisplay(display);
  return 0;
}
