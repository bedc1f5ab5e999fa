// The character code of the memo pad's file.  The editor works in the code
// the CharCode setting names (EUC-JP or Shift_JIS); a file in UTF-8 or in
// the other of the two is converted when loaded and back when saved.  A file
// that would not come back byte for byte is shown read-only (lock mode held
// on, 〓 for what has no counterpart) and never saved.  The "Code" sub-menu
// shows and changes the code the text will be saved in; the status line
// names it.
#include <stdio.h>
#include <stdlib.h>

#include "quelmo.h"

FileCode g_fileCode = {KRN_CODE_EUC, KRN_CODE_ASCII, 0, 0, 0};

namespace {

#define JA_READ_ONLY                                                                             \
  "\xa4\xb3\xa4\xce\xa5\xd5\xa5\xa1\xa5\xa4\xa5\xeb\xa4\xcb\xa4\xcf\xca\xd4\xbd\xb8\xa4\xc7\xa4" \
  "\xad\xa4\xca\xa4\xa4\xca\xb8\xbb\xfa\xa4\xac\xa4\xa2\xa4\xea\xa4\xde\xa4\xb9(\xa2\xae)\xa1"   \
  "\xa3\xc6\xc9\xa4\xdf\xb9\xfe\xa4\xdf\xc0\xec\xcd\xd1\xa4\xc7\xb3\xab\xa4\xad\xa4\xde\xa4\xb9"
#define JA_NOT_SAVED                                                                             \
  "\xbc\xba\xa4\xef\xa4\xec\xa4\xeb\xca\xb8\xbb\xfa\xa4\xac\xa4\xa2\xa4\xeb\xa4\xbf\xa4\xe1\xa1" \
  "\xa2\xa4\xb3\xa4\xce\xa5\xc6\xa5\xad\xa5\xb9\xa5\xc8\xa4\xcf\xca\xdd\xc2\xb8\xa4\xc7\xa4\xad" \
  "\xa4\xde\xa4\xbb\xa4\xf3"
#define JA_CODE_LOSES                                                                            \
  "\xa4\xb3\xa4\xce\xca\xb8\xbb\xfa\xa5\xb3\xa1\xbc\xa5\xc9\xa4\xc7\xa4\xcf\xbc\xba\xa4\xef\xa4" \
  "\xec\xa4\xeb\xca\xb8\xbb\xfa\xa4\xac\xa4\xa2\xa4\xeb\xa4\xbf\xa4\xe1\xca\xdd\xc2\xb8\xa4\xc7" \
  "\xa4\xad\xa4\xde\xa4\xbb\xa4\xf3"

const char kReadOnly[] =
    "This file(%s) has characters that can't be edited.\nIt is opened read-only.\n" JA_READ_ONLY;
const char kNotSaved[] =
    "This text(%s) can't be saved: its file has characters that would be lost.\n" JA_NOT_SAVED;
const char kCodeLoses[] =
    "Can't save file(%s) in this code: some characters would be lost.\n" JA_CODE_LOSES;

constexpr int kWarningStyle = KRN_MB_WARNING | KRN_MB_OK;

// The "Code" sub-menu's items in order.
const int kCodes[] = {KRN_CODE_EUC, KRN_CODE_SJIS, KRN_CODE_UTF8};

void Show(const char* title, const char* format, const char* path, int style) {
  char message[512];
  snprintf(message, sizeof message, format, path);
  krnMessageDialog(g_korrin.display, krnGetWindow("Quelmo"), title, message, style);
}

// A text that is no longer read-only gives the lock back to the user.
void SetReadOnly(int readOnly) {
  if (readOnly) SetLockMode(1);
  if (!readOnly && g_fileCode.readOnly) SetLockMode(0);
  g_fileCode.readOnly = readOnly;
}

// The code a text of the given code is saved in: its own, or for ASCII and
// binary files (never converted) the new-file code and the working code.
int SaveCodeOf(int code) {
  if (code == KRN_CODE_EUC || code == KRN_CODE_SJIS || code == KRN_CODE_UTF8) return code;
  return code == KRN_CODE_ASCII ? g_korrin.newFileCode : g_korrin.charCode;
}

}  // namespace

void ShowCodeChecks() {
  KrnWindow* menu = krnGetWindow("MenuCodeWnd");
  for (int i = 0; i < static_cast<int>(sizeof kCodes / sizeof kCodes[0]); i++)
    krnSetCheck_Menu(menu, i, kCodes[i] == g_fileCode.save);
}

void ShowFileStatus(const char* path) {
  char status[512];  // room for the longest current name
  snprintf(status, sizeof status, "%ld bytes [%s] - %s", g_fileCode.bytes, path,
           CodeLabel(g_fileCode.shown));
  krnSetStatus_MenuBar(krnGetWindow("MenuBar"), status);
}

void TakeFileCode(const KrnTextCode& decoded, long bytes, const char* path) {
  g_fileCode.save = SaveCodeOf(decoded.code);
  g_fileCode.shown = decoded.code;
  g_fileCode.bom = decoded.bom;
  g_fileCode.bytes = bytes;
  SetReadOnly(decoded.lossy);
  ShowCodeChecks();
  ShowFileStatus(path);
  if (decoded.lossy) Show("Warning", kReadOnly, path, kWarningStyle);
}

void StartNewFileCode() {
  g_fileCode.save = g_korrin.newFileCode;
  g_fileCode.shown = g_korrin.newFileCode;
  g_fileCode.bom = 0;
  SetReadOnly(0);
  ShowCodeChecks();
}

bool MaySave(const char* path) {
  if (!g_fileCode.readOnly) return true;
  Show("Error", kNotSaved, path, kErrorStyle);
  return false;
}

int EncodeForSaving(const char* text, long length, const char* path, char** bytes, long* n) {
  int size = 0;
  int lost = krnEncodeText(text, static_cast<int>(length), g_korrin.charCode, g_fileCode.save,
                           g_fileCode.bom, bytes, &size);
  *n = size;
  if (lost == 0) return 1;
  free(*bytes);
  *bytes = nullptr;
  if (lost < 0) return -1;
  Show("Error", kCodeLoses, path, kErrorStyle);
  return 0;
}

void TakeSavedCode(const char* bytes, long length, const char* path) {
  int written =
      krnDetectCharCode(reinterpret_cast<const unsigned char*>(bytes), static_cast<int>(length));
  bool plain = written == KRN_CODE_ASCII || written == KRN_CODE_BINARY;
  g_fileCode.shown = plain ? written : g_fileCode.save;
  g_fileCode.bytes = length;
  ShowFileStatus(path);
}

// A row of the "Code" sub-menu: the text will be saved in that code.  The
// text counts as modified, so that the change is not lost unsaved.
int OnMenuCode(KrnWindow*, int, long value, long) {
  if (value < 0 || value >= static_cast<long>(sizeof kCodes / sizeof kCodes[0])) return 1;
  int code = kCodes[value];
  if (g_fileCode.readOnly || code == g_fileCode.save) return 1;
  g_fileCode.save = code;
  g_fileCode.shown = code;
  krnSetUpdateFlag_InputBox(krnGetWindow("InputBox"), 1);
  ShowCodeChecks();
  ShowFileStatus(ProposedName().c_str());
  return 1;
}
