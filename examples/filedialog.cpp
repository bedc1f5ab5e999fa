// Example: the file dialog in open and in save mode.  "Open..." and
// "Save as..." each show the modal dialog (listing the current directory,
// filtered by the extensions below) and the text window shows the name
// chosen, or that the dialog was cancelled.  Nothing is read or written.
// Closing the window ends the event loop.
#include <korrin.h>

#include <stdio.h>
#include <string.h>

namespace {

const char* const kExtensions[] = {".txt", ".c", ".h", nullptr};

// Runs the dialog in mode with name as the proposal and shows the outcome.
int Ask(int mode, const char* proposal) {
  char name[KRN_FILE_NAME_SIZE];
  snprintf(name, sizeof name, "%s", proposal);
  int answer =
      krnFileDialog(g_korrin.display, krnGetWindow("File dialog example"), name, kExtensions, mode);
  char shown[KRN_FILE_NAME_SIZE + 32];
  if (answer == KRN_OK)
    snprintf(shown, sizeof shown, "%s: %s", mode == KRN_FILE_OPEN ? "Open" : "Save as", name);
  else
    snprintf(shown, sizeof shown, "Cancelled.");
  krnSetText_TextWnd(krnGetWindow("Chosen"), shown, static_cast<int>(strlen(shown)));
  return 1;
}

int OnOpen(KrnWindow*, int, long, long) {
  return Ask(KRN_FILE_OPEN, "");
}

int OnSave(KrnWindow*, int, long, long) {
  return Ask(KRN_FILE_SAVE, "untitled.txt");
}

}  // namespace

int main(int argc, char** argv) {
  Display* display = krnOpenDisplay(argc, argv);
  if (!display) return 1;
  KrnWindow* main = krnCreateWindow(display, nullptr, krnSetRect(0, 0, 340, 110), 1,
                                    "File dialog example", nullptr);
  if (!main) {
    krnCloseDisplay(display);
    return 1;
  }
  krnCreateWindow_Button(display, main, krnSetRect(10, 10, 100, 28), "Open...",
                         g_korrin.images[KRN_IMG_FOLDER], OnOpen);
  krnCreateWindow_Button(display, main, krnSetRect(120, 10, 100, 28), "Save as...",
                         g_korrin.images[KRN_IMG_SAVEAS], OnSave);
  const char kText[] = "No file chosen yet.";
  krnCreateWindow_TextWnd(display, main, krnSetRect(10, 50, 320, 50), "Chosen", kText,
                          sizeof kText - 1);

  krnCenteringWnd(display, nullptr, main);
  krnMainLoop(display, main);
  krnDestroyWindow(display, main);
  krnCloseDisplay(display);
  return 0;
}
