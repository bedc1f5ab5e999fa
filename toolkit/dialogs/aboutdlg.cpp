// aboutdlg.cpp - the about dialog: an application's version text in a small
// modal window, over an optional wallpaper image, in a chosen colour and
// outlined, with an optional picture at the left and a centred OK button.
// It runs krnMainLoop on its own window until OK, Space, Return or the
// window manager's close ends it.
#include <string.h>

#include "core/korrin_internal.h"
#include "dialogs/dialog_model.h"

namespace {

constexpr const char* kTextName = "_krnText_About";
constexpr const char* kOkCaption = " O K ";

// Where the dialog was when it last closed: it reopens there, at its first
// size.
KrnRect g_lastPlace = {KRN_PLACE_CENTRED, KRN_PLACE_CENTRED, dlg::kAboutWidth, dlg::kAboutHeight};

// The dialog's private record (its option); both images stay the caller's.
struct AboutData {
  KrnImage* picture;    // drawn at the left, or null
  KrnImage* wallpaper;  // behind the text, or null
};

AboutData* Data(KrnWindow* dialog) {
  return dialog ? static_cast<AboutData*>(dialog->option) : nullptr;
}

KrnRect RectOf(const dlg::Box& b) {
  return krnSetRect(b.x, b.y, b.width > 0 ? b.width : 1, b.height > 0 ? b.height : 1);
}

dlg::AboutLayout LayoutOf(const KrnWindow* dialog, const AboutData* d) {
  const KrnImage* p = d ? d->picture : nullptr;
  return dlg::AboutLayoutOf(dialog->rect.width, dialog->rect.height, p ? p->width : 0,
                            p ? p->height : 0);
}

// Clears the buffer, puts the picture in it and copies it out.
void Draw(Display* display, KrnWindow* dialog) {
  krnClearWindow(display, dialog, 1);
  AboutData* d = Data(dialog);
  if (d && d->picture) {
    dlg::AboutLayout l = LayoutOf(dialog, d);
    krnDrawIcon(display, krnGetDraw(dialog), l.pictureX, l.pictureY, d->picture);
  }
  krnRedrawWindow(display, dialog);
}

// Follows a resize: the text window is found by its kind, the button by its
// caption.
void Relayout(KrnWindow* dialog) {
  dlg::AboutLayout l = LayoutOf(dialog, Data(dialog));
  for (int i = 0; KrnWindow* child = krnGetChildWindowFromIndex(dialog, i); i++) {
    if (child->windowKind == KRN_KIND_TEXTWND)
      krnMoveResizeWindow(child, RectOf(l.text));
    else if (child->windowKind == KRN_KIND_BUTTON && child->name &&
             strcmp(child->name, kOkCaption) == 0)
      krnMoveResizeWindow(child, RectOf(l.ok));
  }
}

int OnKeyEvent(KrnWindow*, XEvent*, KeySym key) {
  return key == XK_space || key == XK_Return || key == XK_Escape ? KRN_QUIT : 1;
}

int OnOKButton(KrnWindow*, int code, long, long) {
  return code == KRN_OK ? KRN_QUIT : 1;
}

KrnWindow* CreateWindow_AboutDlg(Display* display, KrnRect rect, const char* title,
                                 KrnImage* picture, KrnImage* wallpaper) {
  KrnWindow* dialog = krnCreateWindowEx(display, nullptr, rect, 1, title, WndProc_AboutDlg, 0);
  if (!dialog) return nullptr;
  AboutData* d = static_cast<AboutData*>(krnAlloc(sizeof(AboutData)));
  if (!d) {
    krnDestroyWindow(display, dialog);
    return nullptr;
  }
  d->picture = picture;
  d->wallpaper = wallpaper;
  krnSetOption(dialog, d);
  krnSetRedrawBuffer(dialog, 1);
  return dialog;
}

}  // namespace

// The dialog's procedure: draws on mapping and on request, lays the
// children out after a resize; a child's destruction is not the dialog's.
int WndProc_AboutDlg(Display* display, KrnWindow* dialog, XEvent* event) {
  if (!dialog || !event) return 0;
  int result = dialog->result;
  switch (event->type) {
    case DestroyNotify:
      if (event->xdestroywindow.window != dialog->win) return 1;
      break;
    case MapNotify:
      if (event->xmap.window == dialog->win) Draw(display, dialog);
      break;
    case KRN_EV_REDRAW:
      Draw(display, dialog);
      break;
    case ConfigureNotify:
      if (event->xconfigure.window == dialog->win && krnIsWindowResized(dialog)) {
        Relayout(dialog);
        Draw(display, dialog);
      }
      break;
  }
  return result;
}

// Shows the version text until the user closes the dialog; always KRN_OK.
int krnAboutDialog(Display* display, KrnWindow* parent, const char* title, const char* text,
                   KrnImage* picture, KrnImage* wallpaper, unsigned long textColor) {
  if (!display) return KRN_OK;
  KrnRect at = krnSetRect(50, 50, dlg::kAboutWidth, dlg::kAboutHeight);
  KrnWindow* dialog = CreateWindow_AboutDlg(display, at, title ? title : "", picture, wallpaper);
  if (!dialog) return KRN_OK;
  krnSetMinMaxSize(dialog, dlg::kAboutWidth, dlg::kAboutHeight, g_korrin.screenWidth,
                   g_korrin.screenHeight);
  krnSetKeyEventCallback(dialog, OnKeyEvent);
  dlg::AboutLayout l = LayoutOf(dialog, Data(dialog));
  const char* shown = text ? text : "";
  KrnWindow* textWnd = krnCreateWindow_TextWnd(display, dialog, RectOf(l.text), kTextName, shown,
                                               static_cast<int>(strlen(shown)));
  if (textWnd) {
    if (wallpaper) krnSetWallPaper(display, textWnd, wallpaper);
    krnSetForeFontColor(display, textWnd, textColor);
    krnSetOutLine_TextWnd(textWnd, 1);
  }
  krnCreateWindow_Button(display, dialog, RectOf(l.ok), kOkCaption, nullptr, OnOKButton);
  g_lastPlace.width = dlg::kAboutWidth;
  g_lastPlace.height = dlg::kAboutHeight;
  krnShowDialog(display, dialog, parent, &g_lastPlace);
  krnMainLoop(display, dialog);
  krnCloseDialog(display, dialog, parent, CheckKrnPointer(dialog) ? &g_lastPlace : nullptr);
  return KRN_OK;
}
