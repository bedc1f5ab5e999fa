// Example: push buttons, a toggle button and the message dialog.  "Hello"
// shows an information message, "Ask" asks a question and shows the answer,
// and the toggle reports whether it is down; a text window shows what
// happened.  Closing the window ends the event loop.
#include <korrin.h>

#include <string.h>

namespace {

void Show(const char* text) {
  krnSetText_TextWnd(krnGetWindow("State"), text, static_cast<int>(strlen(text)));
}

KrnWindow* Main() {
  return krnGetWindow("Buttons example");
}

int OnHello(KrnWindow*, int, long, long) {
  krnMessageDialog(g_korrin.display, Main(), "Hello", "Hello from Korrin!",
                   KRN_MB_OK | KRN_MB_INFO);
  Show("The message was shown.");
  return 1;
}

int OnAsk(KrnWindow*, int, long, long) {
  int answer = krnMessageDialog(g_korrin.display, Main(), "Question", "Do you like buttons?",
                                KRN_MB_OK | KRN_MB_CANCEL | KRN_MB_QUESTION);
  Show(answer == KRN_OK ? "You answered OK." : "You answered Cancel.");
  return 1;
}

// A toggle button reports KRN_OK when it goes down and KRN_CANCEL when it
// comes up again.
int OnToggle(KrnWindow*, int code, long, long) {
  Show(code == KRN_OK ? "The toggle is down." : "The toggle is up.");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Display* display = krnOpenDisplay(argc, argv);
  if (!display) return 1;
  KrnWindow* main =
      krnCreateWindow(display, nullptr, krnSetRect(0, 0, 320, 130), 1, "Buttons example", nullptr);
  if (!main) {
    krnCloseDisplay(display);
    return 1;
  }
  krnCreateWindow_Button(display, main, krnSetRect(10, 10, 90, 28), "Hello", nullptr, OnHello);
  krnCreateWindow_Button(display, main, krnSetRect(115, 10, 90, 28), "Ask", nullptr, OnAsk);
  KrnWindow* toggle = krnCreateWindow_Button(display, main, krnSetRect(220, 10, 90, 28), "Toggle",
                                             nullptr, OnToggle);
  krnSetToggle_Button(toggle, 1);
  const char kText[] = "Press a button.";
  krnCreateWindow_TextWnd(display, main, krnSetRect(10, 50, 300, 70), "State", kText,
                          sizeof kText - 1);

  krnCenteringWnd(display, nullptr, main);
  krnMainLoop(display, main);
  krnDestroyWindow(display, main);
  krnCloseDisplay(display);
  return 0;
}
