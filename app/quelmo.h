// The Korrin Memo Pad: shared state and entry points of the application.
#ifndef QUELMO_H
#define QUELMO_H

#include <korrin.h>

#include <string>

// The current file name: an absolute path of at most KRN_FILE_NAME_SIZE - 1
// bytes and the terminator, as long as the file dialog's name field.
extern char g_cFileName[KRN_FILE_NAME_SIZE];
// The raw bytes of the most recently loaded file, or null.
extern char* g_pText;

// Largest file the editor takes, in bytes.
constexpr long kMaxTextBytes = 2048000;
// Message dialog styles: question with OK and Cancel; error with OK.
constexpr int kQuestionStyle = 19;
constexpr int kErrorStyle = 81;
// Index of "Lock" in "MenuWnd" (separators counted) and of the tool bar's
// "Lock" toggle.
constexpr int kLockItem = 8;
constexpr int kLockButton = 2;
// "Text Modified!! Quit OK?" with its Japanese line.
extern const char kQuitQuestion[];

int argcheck(int argc, char** argv);
int arginit(int argc, char** argv);
void usage(int flag);

// Main window.
int MainLoop(Display* display);
KrnWindow* CreateMainWindow(Display* display);
int WndProc_Main(Display* display, KrnWindow* window, XEvent* event);
int Draw_Main(Display* display, KrnWindow* window);
int OnDebug(Display* display, KrnWindow* window, XEvent* event);

// The title ("memo.txt - Quelmo", or "Quelmo" untitled) and the status
// line with or without the leading "* " that marks a modified text.
std::string TitleOf(const char* fileName);
std::string MarkedStatus(const char* status, bool modified);
int OnIdle_Main(KrnWindow* main);
int StartNewFile(const char* path);

// Loading and saving.
const char* CodeLabel(int code);
int TakeInText(const char* path);
int TakeInFirstText(const char* path);
int TakeOutText(const char* path);
std::string ProposedName();
// The conversions between a file's bytes and the editor's text.
std::string TextFromFile(const char* bytes, size_t size);
std::string FileFromText(const char* text, size_t length);

// Emergency save when the session ends under the editor: X connection lost,
// SIGTERM or SIGHUP.
void InstallEmergencySave(KrnWindow* main);
void CheckEmergencySave();

// The code of the text's file (filecode.cpp).
struct FileCode {
  int save;      // code the text is saved in: KRN_CODE_EUC, _SJIS or _UTF8
  int shown;     // code named in the status line (ASCII or BINARY for such files)
  int bom;       // a UTF-8 file began with a byte-order mark: written back
  int readOnly;  // the file cannot be converted without loss: lock held, never saved
  long bytes;    // the file's size at the last load or save
};
extern FileCode g_fileCode;
// Index of "Code" in "MenuWnd"; its sub-menu "MenuCodeWnd".
constexpr int kCodeItem = 9;
void TakeFileCode(const KrnTextCode& decoded, long bytes, const char* path);
void StartNewFileCode();
void ShowCodeChecks();
void ShowFileStatus(const char* path);
bool MaySave(const char* path);
// The text in its file's code: 1 with a new buffer in *bytes (free()), 0
// after a dialog when characters would be lost, -1 without memory.
int EncodeForSaving(const char* text, long length, const char* path, char** bytes, long* n);
void TakeSavedCode(const char* bytes, long length, const char* path);
int OnMenuCode(KrnWindow* window, int code, long value, long extra);

// Commands: menu-item, tool-bar and key handlers.
int OnMenuNew(KrnWindow* window, int code, long value, long extra);
int OnMenuOpen(KrnWindow* window, int code, long value, long extra);
int OnMenuSave(KrnWindow* window, int code, long value, long extra);
int OnMenuCopy(KrnWindow* window, int code, long value, long extra);
int OnMenuPaste(KrnWindow* window, int code, long value, long extra);
int OnMenuSelect(KrnWindow* window, int code, long value, long extra);
int OnMenuLock(KrnWindow* window, int code, long value, long extra);
int OnMenuQuit(KrnWindow* window, int code, long value, long extra);
int OnMenuUndo(KrnWindow* window, int code, long value, long extra);
int OnMenuRedo(KrnWindow* window, int code, long value, long extra);
int OnMenuFind(KrnWindow* window, int code, long value, long extra);
int OnMenuHelp(KrnWindow* window, int code, long value, long extra);
int OnMenuAbout(KrnWindow* window, int code, long value, long extra);
int OnKeyEvent(KrnWindow* window, XEvent* event, KeySym key);
// Lock mode on or off with the menu's check mark and the tool bar's toggle.
void SetLockMode(int lock);

#endif
