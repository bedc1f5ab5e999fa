// filedlg.cpp - the file dialog: krnFileDialog builds a top-level window
// with a path field, OK and Cancel, a list box of the current directory and
// a row of filter buttons, and runs the toolkit's loop on it until a name is
// confirmed or the dialog is cancelled.  Entering a directory changes the
// process's current directory.  One dialog at a time: its state is static,
// and so are the geometry, list position and filter it closed with, which
// the next call starts from.  The listing rules live in filedlg_model.cpp.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <X11/keysym.h>

#include <string>
#include <vector>

#include "core/korrin_internal.h"
#include "dialogs/filedlg_model.h"

namespace {

const char kDialogName[] = "File Dialog - ";
const char kPathName[] = "_krnPath_krnFileDlg";
const char kListName[] = "_krnListBox_krnFileDlg";
const char kOkCaption[] = " O K ";
const char kCancelCaption[] = "Cancel";
const char kFilterLabel[] = "Expansion:";
const char* const kFilterCaptions[] = {"all", "normal", "select"};
constexpr int kMinWidth = 280, kMinHeight = 350;
constexpr int kCentred = KRN_PLACE_CENTRED;  // a remembered x or y of this value: centre the dialog
constexpr int kNarrow = 250, kLow = 120;
constexpr int kWarningOk = KRN_MB_WARNING | KRN_MB_OK;
constexpr int kQuestionOkCancel = KRN_MB_QUESTION | KRN_MB_OK | KRN_MB_CANCEL;

// The state of the one open dialog.
struct FileDlgState {
  int mode;                          // KRN_FILE_OPEN, or any other value to save
  int filter;                        // fdlg::kAll, kNormal or kSelect
  int result;                        // KRN_OK or KRN_CANCEL
  KrnWindow* dialog;                 // the top-level window
  std::vector<fdlg::Entry> entries;  // the listing, in row order
  char currentDir[fdlg::kDirSize];   // the current directory as shown in the title
  char* nameBuffer;                  // the caller's buffer
  const char* const* extensions;     // the caller's list, or null
  int selectedCount;                 // names kept for krnGetSelectFileName_FileDialog
};
FileDlgState g_dlg;

// What the next dialog starts from: where and how it last closed.
struct LastState {
  KrnRect geometry;  // x or y kCentred: centre over the parent
  int listPos;       // top row of the list
  int filter;
};
LastState g_last = {{kCentred, kCentred, kMinWidth, kMinHeight}, 0, fdlg::kSelect};

/* ---- layout ----------------------------------------------------------------- */

struct Layout {
  KrnRect path, ok, cancel, list, filter;
};

Layout LayoutOf(int w, int h, int ch) {
  Layout l;
  l.path = krnSetRect(10, 5, w - 80, 20);
  l.ok = krnSetRect(w - 60, 5, 50, 20);
  l.cancel = krnSetRect(w - 60, 30, 50, 20);
  l.list = krnSetRect(10, 30, w - 82, h - ch - 50);
  l.filter = krnSetRect(10, h - ch - 15, w - 20, ch + 10);
  if (w < kNarrow) {
    l.path.width = 170;
    l.list.width = 168;
    l.ok.x = l.cancel.x = 190;
    l.filter.width = 170;
  }
  if (h < kLow) {
    l.list.height = static_cast<unsigned short>(70 - ch);
    l.filter.y = static_cast<short>(105 - ch);
  }
  return l;
}

KrnWindow* ChildOfKind(KrnWindow* dialog, int kind) {
  for (KrnWindow** c = dialog->children; c && *c; c++)
    if ((*c)->windowKind == kind) return *c;
  return nullptr;
}

KrnWindow* ButtonNamed(KrnWindow* dialog, const char* caption) {
  for (KrnWindow** c = dialog->children; c && *c; c++) {
    const char* now = krnGetCaption_Button(*c);
    if (now && strcmp(now, caption) == 0) return *c;
  }
  return nullptr;
}

KrnWindow* PathField() {
  return ChildOfKind(g_dlg.dialog, KRN_KIND_INPUTWND);
}

KrnWindow* ListBox() {
  return ChildOfKind(g_dlg.dialog, KRN_KIND_LISTBOX);
}

void Relayout(KrnWindow* dialog) {
  Layout l = LayoutOf(dialog->rect.width, dialog->rect.height, krnGetCharHeight(nullptr));
  krnMoveResizeWindow(ChildOfKind(dialog, KRN_KIND_INPUTWND), l.path);
  krnMoveResizeWindow(ButtonNamed(dialog, kOkCaption), l.ok);
  krnMoveResizeWindow(ButtonNamed(dialog, kCancelCaption), l.cancel);
  krnMoveResizeWindow(ChildOfKind(dialog, KRN_KIND_LISTBOX), l.list);
  krnMoveResizeWindow(ChildOfKind(dialog, KRN_KIND_SELECTBTN), l.filter);
}

/* ---- the listing ------------------------------------------------------------ */

KrnImage* IconOf(const fdlg::Entry& e) {
  if (e.name == "..") return g_korrin.images[KRN_IMG_UPFOLDER];
  return g_korrin.images[e.kind == fdlg::kDirectory ? KRN_IMG_FOLDER : KRN_IMG_FILE];
}

// Adds a row per entry; only the last add, through the box, repaints and
// sets the scroll bar.
void SetFileList(Display* display, KrnWindow* list, const std::vector<fdlg::Entry>& entries) {
  KrnWindow* rows = krnGetAttachListWnd_ListBox(list);
  size_t n = entries.size();
  for (size_t i = 0; i + 1 < n; i++)
    krnAddItem_ListWnd(display, rows, fdlg::RowText(entries[i]).c_str(), IconOf(entries[i]), -1, 0);
  if (n > 0)
    krnAddItem_ListBox(display, list, fdlg::RowText(entries[n - 1]).c_str(), IconOf(entries[n - 1]),
                       -1);
}

// Empties the list, repainting once at the end.  Deleting the rows also
// forgets the last clicked one, so a quick click in the new listing is not
// taken for a double click.
void ResetFileList(KrnWindow* list, int count) {
  KrnWindow* rows = krnGetAttachListWnd_ListBox(list);
  for (int i = 0; i < count - 1; i++) krnDeleteItem_ListWnd(rows, 0, 0);
  krnDeleteItem_ListBox(list, 0);
}

// Reads the current directory for the title.  When the system cannot tell
// it, it is worked out from the one before and the name entered.
void ReadCurrentDir(const std::string& entered) {
  std::string dir = fdlg::CurrentDir();
  if (dir.empty()) dir = fdlg::JoinPath(g_dlg.currentDir, entered);
  snprintf(g_dlg.currentDir, sizeof g_dlg.currentDir, "%s", fdlg::CutPath(dir).c_str());
}

void UpdateTitle() {
  std::string title = g_dlg.mode == KRN_FILE_OPEN ? "Open Dialog - " : "Save Dialog - ";
  krnSetCaption(g_dlg.dialog, (title + g_dlg.currentDir).c_str());
}

// Lists "." again after a directory or filter change; 130 (the dialog
// closes cancelled) when it cannot be read, else 1.  A directory removed
// while it is the current one is reported the same way but lists "../",
// so that the user can climb out of it.
int Relist(KrnWindow* list) {
  ResetFileList(list, krnGetSize_ListBox(list));
  std::vector<fdlg::Entry> entries;
  bool gone = false;
  if (!fdlg::GetFlist(".", g_dlg.extensions, g_dlg.filter, &entries, &gone)) {
    fprintf(stderr, "Error: Can't scan directroy.\n");
    g_dlg.entries.clear();
    g_dlg.result = KRN_CANCEL;
    return KRN_QUIT;
  }
  if (gone) fprintf(stderr, "Error: Can't scan directroy.\n");
  g_dlg.entries.swap(entries);
  SetFileList(g_korrin.display, list, g_dlg.entries);
  return 1;
}

/* ---- confirming --------------------------------------------------------------- */

// Copies a name into the caller's buffer, which holds KRN_FILE_NAME_SIZE
// bytes; a longer name leaves it empty.
void SetNameBuffer(const char* name) {
  krnCopyFixed(g_dlg.nameBuffer, KRN_FILE_NAME_SIZE, name ? name : "");
}

int EnterDirectory(KrnWindow* list, const std::string& name);

// The path field's name confirmed: the empty name is refused, the name of a
// directory (with or without a final "/") enters it, an existing file in
// save mode needs the user's yes, whether the filter lists it or not.  130
// ends the dialog with 110.
int Confirm() {
  Display* display = g_korrin.display;
  const char* text = krnGetText_InputWnd(PathField());
  SetNameBuffer(text);
  struct stat st;
  if (text && text[0] && stat(text, &st) == 0 && S_ISDIR(st.st_mode))
    return EnterDirectory(ListBox(), text);
  if (!text || !text[0]) {
    krnMessageDialog(display, g_dlg.dialog, "File Dialog",
                     "No file name.\nSelect or input file name.", kWarningOk);
    return 1;
  }
  if (g_dlg.mode != KRN_FILE_OPEN &&
      (fdlg::CheckFile(text, g_dlg.entries) || fdlg::FileExists(text))) {
    std::vector<char> message(strlen(text) + 64);
    snprintf(message.data(), message.size(), "This file(%s) exist. \nOver write it ?", text);
    if (krnMessageDialog(display, g_dlg.dialog, "File Save Dialog", message.data(),
                         kQuestionOkCancel) != KRN_OK)
      return 1;
  }
  g_dlg.result = KRN_OK;
  krnSetWaitCursor(display, g_dlg.dialog);
  return KRN_QUIT;
}

int Cancel() {
  SetNameBuffer("");
  g_dlg.result = KRN_CANCEL;
  return KRN_QUIT;
}

int OnButton(KrnWindow* button, int, long, long) {
  const char* caption = krnGetCaption_Button(button);
  if (!caption) return 1;
  if (strcmp(caption, kOkCaption) == 0) return Confirm();
  if (strcmp(caption, kCancelCaption) == 0) return Cancel();
  return 1;
}

// Return confirms the name, Escape cancels, and the list's keys (Up, Down,
// Prior, Next, Home, End) walk the rows, showing each name in the field:
// Return then opens a file or enters a directory, as a double click would.
int OnKeyEvent(KrnWindow*, XEvent*, KeySym key) {
  if (key == XK_Return || key == XK_KP_Enter) return Confirm();
  if (key == XK_Escape) return Cancel();
  int row = krnKeySelect_ListBox(ListBox(), key);
  if (row >= 0 && row < static_cast<int>(g_dlg.entries.size()))
    krnSetText_InputWnd(PathField(), g_dlg.entries[row].name.c_str());
  return 1;
}

/* ---- the list and the filter -------------------------------------------------- */

// Enters the directory: new listing, empty name, new title.
int EnterDirectory(KrnWindow* list, const std::string& name) {
  if (chdir(name.c_str()) != 0) perror("Warning: chdir");
  int answer = Relist(list);
  if (answer == KRN_QUIT) return answer;
  SetNameBuffer("");
  krnSetText_InputWnd(PathField(), "");
  ReadCurrentDir(name);
  UpdateTitle();
  return 1;
}

// The path field follows the click: the clicked file, or the first row
// still selected after a click that deselected it.
void ShowClickedFile(KrnWindow* list, int row) {
  const char* name = "";
  if (krnIsSelect_ListBox(list, row)) {
    name = g_dlg.entries[row].name.c_str();
  } else {
    for (size_t i = 0; i < g_dlg.entries.size(); i++)
      if (krnIsSelect_ListBox(list, static_cast<int>(i))) {
        name = g_dlg.entries[i].name.c_str();
        break;
      }
  }
  krnSetText_InputWnd(PathField(), name);
}

int OnListBox(KrnWindow* list, int code, long row, long) {
  if (row < 0 || row >= static_cast<long>(g_dlg.entries.size())) return 1;
  const fdlg::Entry entry = g_dlg.entries[row];
  bool directory = entry.kind == fdlg::kDirectory || entry.name == "..";
  if (code == KRN_SELECT) {
    SetNameBuffer(entry.name.c_str());
    if (directory) return EnterDirectory(list, entry.name);
    ShowClickedFile(list, static_cast<int>(row));
    return 1;
  }
  if (code == KRN_DBLCLICK && !directory) {
    ShowClickedFile(list, static_cast<int>(row));
    return Confirm();
  }
  return 1;
}

int OnSelBtn(KrnWindow*, int code, long index, long) {
  if (code != KRN_SELECT) return 1;
  g_dlg.filter = static_cast<int>(index);
  return Relist(ListBox());
}

/* ---- the dialog window ---------------------------------------------------------- */

int WndProc_FileDlg(Display*, KrnWindow* dialog, XEvent* event) {
  if (!dialog || !event) return 0;
  if (event->type == DestroyNotify && event->xdestroywindow.window != dialog->win) return 1;
  if (event->type == ConfigureNotify && event->xconfigure.window == dialog->win && dialog->resized)
    Relayout(dialog);
  return dialog->result;
}

// The filter buttons: "select" only with an extension list.
void AddFilterButtons(Display* display, KrnWindow* group) {
  int n = g_dlg.extensions ? 3 : 2;
  if (!g_dlg.extensions && g_last.filter == fdlg::kSelect) g_last.filter = fdlg::kNormal;
  for (int i = 0; i < n; i++)
    krnAddButton_SelectButton(display, group, kFilterCaptions[i], nullptr, -1);
  g_dlg.filter = g_last.filter;
  krnSelect_SelectButton(group, g_dlg.filter);
}

KrnWindow* CreateWindow_FileDlg(Display* display, KrnRect rect) {
  KrnWindow* dialog = krnCreateWindowEx(display, nullptr, rect, 1, kDialogName, WndProc_FileDlg, 0);
  if (!dialog) return nullptr;
  g_dlg.dialog = dialog;
  krnSetRedrawBuffer(dialog, 1);
  krnSetMinMaxSize(dialog, kMinWidth, kMinHeight, g_korrin.screenWidth, g_korrin.screenHeight);
  krnSetKeyEventCallback(dialog, OnKeyEvent);
  Layout l = LayoutOf(rect.width, rect.height, krnGetCharHeight(nullptr));
  // A proposed name too long for the field is not cut into another name.
  KrnWindow* path = krnCreateWindow_InputWnd(display, dialog, l.path, kPathName, nullptr, 1);
  if (strnlen(g_dlg.nameBuffer, KRN_FILE_NAME_SIZE) < KRN_FILE_NAME_SIZE - 1)
    krnSetText_InputWnd(path, g_dlg.nameBuffer);
  KrnWindow* ok = krnCreateWindow_Button(display, dialog, l.ok, kOkCaption, nullptr, OnButton);
  KrnWindow* cancel =
      krnCreateWindow_Button(display, dialog, l.cancel, kCancelCaption, nullptr, OnButton);
  KrnWindow* list = krnCreateWindow_ListBox(display, dialog, l.list, kListName);
  KrnWindow* group =
      krnCreateWindow_SelectButton(display, dialog, l.filter, kFilterLabel, 1, OnSelBtn);
  if (!path || !ok || !cancel || !list || !group) {
    krnDestroyWindow(display, dialog);
    return nullptr;
  }
  krnSetEventCallback_ListBox(list, OnListBox);
  AddFilterButtons(display, group);
  return dialog;
}

// Keeps the names of the selected rows for krnGetSelectFileName_FileDialog;
// nothing after a cancel, and nothing when a copy cannot be made.
void SetSelectFileList(KrnWindow* list, int result) {
  if (g_korrin.selectedNames) {
    for (char** p = g_korrin.selectedNames; *p; p++) free(*p);
    free(g_korrin.selectedNames);
    g_korrin.selectedNames = nullptr;
  }
  g_dlg.selectedCount = 0;
  int count = krnGetSelectCount_ListBox(list);
  if (result == KRN_CANCEL || count <= 0) return;
  char** names = static_cast<char**>(calloc(count + 1, sizeof(char*)));
  int kept = 0;
  for (int i = 0; names && i < krnGetSize_ListBox(list) && kept < count; i++) {
    if (!krnIsSelect_ListBox(list, i)) continue;
    const char* name = krnGetName_ListBox(list, i);
    names[kept] = strdup(name ? name : "");
    if (!names[kept]) {
      for (int k = 0; k < kept; k++) free(names[k]);
      free(names);
      return;
    }
    kept++;
  }
  if (!names) return;
  g_korrin.selectedNames = names;
  g_dlg.selectedCount = kept;
}

// Puts the dialog where the last one closed, or centres it.
void Place(Display* display, KrnWindow* parent, KrnWindow* dialog) {
  krnShowDialog(display, dialog, parent, &g_last.geometry);
}

// Ends the call: the parent's size released, the state remembered (only
// by a dialog that was shown: one that could not start leaves what the last
// good one remembered), the dialog gone.
int Finish(Display* display, KrnWindow* parent, int result, bool shown = true) {
  if (parent) krnFixWindow(display, parent, 0);
  if (g_dlg.dialog && CheckKrnPointer(g_dlg.dialog)) {
    if (shown) {
      g_last.listPos = krnGetPos_ListBox(ListBox());
      g_last.filter = g_dlg.filter;
    }
    krnCloseDialog(display, g_dlg.dialog, parent, shown ? &g_last.geometry : nullptr);
  }
  g_dlg.entries.clear();
  g_dlg.entries.shrink_to_fit();
  g_dlg.dialog = nullptr;
  return result;
}

}  // namespace

// Runs the dialog; 110 with the confirmed name in buffer, else 120 with the
// buffer emptied.  buffer must hold KRN_FILE_NAME_SIZE bytes.
int krnFileDialog(Display* display, KrnWindow* parent, char* buffer, const char* const* extensions,
                  int mode) {
  if (!display || !buffer || g_dlg.dialog) return KRN_CANCEL;
  g_dlg.mode = mode;
  g_dlg.result = KRN_CANCEL;
  g_dlg.nameBuffer = buffer;
  g_dlg.extensions = extensions;
  g_dlg.selectedCount = 0;
  g_dlg.currentDir[0] = '\0';
  ReadCurrentDir(".");
  if (parent) krnFixWindow(display, parent, 1);
  KrnRect rect = g_last.geometry;
  if (rect.x == kCentred || rect.y == kCentred) rect = krnSetRect(50, 50, kMinWidth, kMinHeight);
  if (!CreateWindow_FileDlg(display, rect)) {
    SetNameBuffer("");
    g_dlg.dialog = nullptr;
    return Finish(display, parent, KRN_CANCEL, false);
  }
  bool gone = false;
  if (!fdlg::GetFlist(".", extensions, g_dlg.filter, &g_dlg.entries, &gone) || gone) {
    fprintf(stderr, "Error: Can't scan directory.\n");
    SetNameBuffer("");
    return Finish(display, parent, KRN_CANCEL, false);
  }
  UpdateTitle();
  KrnWindow* list = ListBox();
  SetFileList(display, list, g_dlg.entries);
  krnSetPos_ListBox(list, g_last.listPos);
  Place(display, parent, g_dlg.dialog);
  krnMainLoop(display, g_dlg.dialog);
  if (g_dlg.result == KRN_OK)
    SetNameBuffer(krnGetText_InputWnd(PathField()));
  else
    SetNameBuffer("");
  SetSelectFileList(list, g_dlg.result);
  return Finish(display, parent, g_dlg.result);
}

int krnGetSelectFileCount_FileDialog(void) {
  return g_dlg.selectedCount;
}

char* krnGetSelectFileName_FileDialog(int index) {
  if (!g_korrin.selectedNames || index < 0 || index >= g_dlg.selectedCount) return nullptr;
  return g_korrin.selectedNames[index];
}
