/*
 * korrin.h - the public header of the Korrin window toolkit.
 *
 * Korrin keeps its own record for every X window (KrnWindow), runs a polling
 * event loop that dispatches X events and its own event codes to a window
 * procedure per window, and gives every window an off-screen redraw buffer.
 * Everything the application and the controls share is declared here: the
 * global toolkit record g_korrin, the window and image records, the code
 * tables and the krn* operations.  Operations return 1 for success and 0 for
 * failure (or a null / wrong-kind window); lookups return null.
 */
#ifndef KORRIN_H
#define KORRIN_H

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdint.h>

/* ------------------------------------------------------------------------ */
/* Codes                                                                    */
/* ------------------------------------------------------------------------ */

/* Toolkit events, sent with krnSendEvent; the XEvent's type holds the code. */
enum {
  KRN_EV_UPDATE = 100,  /* redraw what changed */
  KRN_EV_REDRAW = 101,  /* redraw the whole window */
  KRN_EV_TIMER = 102,   /* once per loop turn, to windows that asked */
  KRN_EV_DESTROY = 104, /* the window is being destroyed */
  KRN_EV_SCROLL_REPEAT = 5011
};

/* Results of procedures, callbacks and dialogs, and control notifications. */
enum {
  KRN_SCROLL_SET = 1,
  KRN_OK = 110,
  KRN_CANCEL = 120,
  KRN_QUIT = 130,
  KRN_DESTROYED = 140,
  KRN_SELECT = 150,
  KRN_DBLCLICK = 160,
  KRN_SCROLLED = 170,
  KRN_MENU_SELECT = 180,
  KRN_EDITED = 600,
  KRN_CARET_MOVED = 601
};

/* Window kinds (windowKind of the record). */
enum {
  KRN_KIND_TEXTWND = 10,
  KRN_KIND_TEXTBOX = 20,
  KRN_KIND_SCROLLBAR = 30,
  KRN_KIND_BUTTON = 40,
  KRN_KIND_MENU = 50,
  KRN_KIND_MENUBAR = 60,
  KRN_KIND_TOOLBAR = 70,
  KRN_KIND_LISTBOX = 80,
  KRN_KIND_LISTWND = 90,
  KRN_KIND_MSGDLG = 100,
  KRN_KIND_INPUTWND = 110,
  KRN_KIND_INPUTBOX = 120,
  KRN_KIND_INPUTMLTWND = 130,
  KRN_KIND_SELECTBTN = 140,
  KRN_KIND_WINDOW = 1000
};

/* Character codes. */
enum {
  KRN_CODE_BINARY = 0,
  KRN_CODE_ASCII = 1,
  KRN_CODE_JIS = 2,
  KRN_CODE_SJIS = 3,
  KRN_CODE_EUC = 4,
  KRN_CODE_UTF8 = 5 /* files only: the toolkit edits in EUC-JP or Shift_JIS */
};

/* Position classes of krnCheckChar. */
enum { KRN_CHAR_NONE = 0, KRN_CHAR_SINGLE = 1, KRN_CHAR_LEAD = 2, KRN_CHAR_TRAIL = 18 };

/* Image format ids. */
enum {
  KRN_IMAGE_NONE = 0,
  KRN_IMAGE_BMP1 = 1,
  KRN_IMAGE_BMP4 = 2,
  KRN_IMAGE_BMP8 = 3,
  KRN_IMAGE_BMP24 = 4,
  KRN_IMAGE_BMP = 5,
  KRN_IMAGE_XPM = 6,
  KRN_IMAGE_JPEG = 7
};

/* Every window is selected for these events (16416895). */
#define KRN_EVENT_MASK                                                                        \
  (KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | EnterWindowMask |    \
   LeaveWindowMask | PointerMotionMask | ExposureMask | StructureNotifyMask |                 \
   SubstructureNotifyMask | SubstructureRedirectMask | FocusChangeMask | PropertyChangeMask | \
   ColormapChangeMask)

#define KRN_VERSION "Ver01.02"
#define KRN_NCURSORS 3
#define KRN_NIMAGES 21
#define KRN_NCOLORS 16
#define KRN_NSETCOLORS 9

/* Slots of g_korrin.images. */
enum {
  KRN_IMG_ARROWUP,
  KRN_IMG_ARROWDW,
  KRN_IMG_ARROWLT,
  KRN_IMG_ARROWRT,
  KRN_IMG_UPFOLDER,
  KRN_IMG_FOLDER,
  KRN_IMG_SAVE,
  KRN_IMG_SAVEAS,
  KRN_IMG_FILE,
  KRN_IMG_QUIT,
  KRN_IMG_CHECK,
  KRN_IMG_LINK,
  KRN_IMG_QUESTION,
  KRN_IMG_ATTENTION,
  KRN_IMG_ERROR,
  KRN_IMG_WARNING,
  KRN_IMG_INFO,
  KRN_IMG_KORRIN,
  KRN_IMG_LOGO,
  KRN_IMG_LOGOMONO,
  KRN_IMG_VANTRO
};

/* Slots of g_korrin.cursors. */
enum { KRN_CURSOR_FINGER = 0, KRN_CURSOR_WAIT = 1, KRN_CURSOR_IBEAM = 2 };

/* Slots of g_korrin.colors (the basic colours). */
enum {
  KRN_BLACK,
  KRN_WHITE,
  KRN_RED,
  KRN_GREEN,
  KRN_BLUE,
  KRN_YELLOW,
  KRN_MAGENTA,
  KRN_CYAN,
  KRN_GREY,
  KRN_DARKGREY,
  KRN_DARKRED,
  KRN_DARKGREEN,
  KRN_DARKBLUE,
  KRN_OLIVE,
  KRN_PURPLE,
  KRN_TEAL
};

/* Slots of g_korrin.setColors (colours from the settings). */
enum {
  KRN_SC_BACK = 0,      /* BackColor */
  KRN_SC_BORDER = 1,    /* BorderColor */
  KRN_SC_FONT = 2,      /* FontColor */
  KRN_SC_BACKFONT = 3,  /* FontColor shade 3 */
  KRN_SC_PAPER = 4,     /* PaperColor */
  KRN_SC_BACKLIGHT = 5, /* BackColor shade 1 */
  KRN_SC_BACKDARK = 6,  /* BackColor shade 2 */
  KRN_SC_ACTION = 7,    /* ActionColor */
  KRN_SC_BACKFACE = 8   /* BackColor shade 0 */
};

/* ------------------------------------------------------------------------ */
/* Records                                                                  */
/* ------------------------------------------------------------------------ */

/* A rectangle: XRectangle's layout (x, y signed 16-bit; width, height
 * unsigned 16-bit), passed by value; right and bottom edges exclusive.
 * Where an operation takes a "position and size" it takes one rectangle. */
typedef XRectangle KrnRect;

struct KrnWindow;
struct KrnImage;

typedef int (*KrnWndProc)(Display* display, KrnWindow* window, XEvent* event);
typedef int (*KrnEventCallback)(KrnWindow* window, int code, long value, long extra);
typedef int (*KrnKeyEventCallback)(KrnWindow* window, XEvent* event, KeySym key);
typedef int (*KrnWindowCallback)(KrnWindow* window);
typedef int (*KrnDebugCallback)(Display* display, KrnWindow* window, XEvent* event);
typedef void (*KrnDestructCallback)(void);

/* An image: a server-side pixmap with an optional 1-bit mask. */
typedef struct KrnImage {
  Pixmap pixmap; /* the picture, at the screen's depth */
  Pixmap mask;   /* opaque pixels; 0 when the whole picture is opaque */
  GC gc;         /* the image's own GC (function copy) */
  int width;
  int height;
  int format; /* KRN_IMAGE_* */
} KrnImage;

/* Built-in cursor bitmaps. */
typedef struct KrnCursorData {
  int width, height;
  int xHot, yHot;
  const unsigned char* source; /* X bitmap rows, least significant bit leftmost */
  const unsigned char* mask;
} KrnCursorData;

/* The record of one toolkit window. */
typedef struct KrnWindow {
  Window win;                                   /* the X window */
  Window parentWin;                             /* X window it was created in */
  Atom wmDeleteWindow;                          /* "WM_DELETE_WINDOW" */
  Pixmap draw;                                  /* the redraw buffer */
  XRectangle rect;                              /* current position and size */
  XRectangle drawRect;                          /* creation position; redraw buffer size */
  XRectangle autoRedrawArea;                    /* part copied by auto redraw; empty = all */
  unsigned long borderColor;                    /* border pixel */
  unsigned long backColor;                      /* background pixel */
  unsigned long foreFontColor;                  /* text pixel */
  unsigned long backFontColor;                  /* text background pixel */
  KrnImage* wallPaper;                          /* background image, not owned */
  Pixmap wallPaperPixmap;                       /* owned opaque copy of a masked wallpaper */
  GC gc;                                        /* owned GC, foreground = back colour */
  Time keyPressTime;                            /* X time of the last accepted key press */
  Time buttonPressTime;                         /* X time of the last button press */
  Time motionTime;                              /* X time of the last motion */
  unsigned int lastDrawStamp;                   /* draw stamp at the last auto redraw */
  unsigned int drawStamp;                       /* stamp set by krnGetDraw */
  int windowKind;                               /* KRN_KIND_* */
  int result;                                   /* carried-in result of the current dispatch */
  int shown;                                    /* 1 after MapNotify, 0 after UnmapNotify */
  int timerEvent;                               /* KRN_TIMER_ mode of KRN_EV_TIMER */
  int custom;                                   /* only the own procedure runs, for every event */
  int redrawBuffer;                             /* Expose is served from the buffer */
  int allEvent;                                 /* own procedure also sees others' events */
  int defaultWndProcEvent;                      /* default procedure runs first */
  int resized;                                  /* last ConfigureNotify changed the size */
  int autoRedraw;                               /* copy the buffer after a dispatch that drew */
  int minWidth, minHeight, maxWidth, maxHeight; /* window-manager size limits */
  Cursor defaultCursor;                         /* 0 = inherited */
  XIC ic;                                       /* attached input context */
  unsigned long imStyle;                        /* its input style */
  char* name;                                   /* owned name and caption */
  KrnWndProc wndProc;                           /* the window's procedure */
  KrnEventCallback eventCallback;               /* owner's notification callback */
  KrnKeyEventCallback keyEventCallback;         /* key handler of a top-level window */
  KrnWindowCallback idlingCallback;             /* once per loop turn */
  KrnWindowCallback updateWindowCallback;       /* on the parent's ConfigureNotify */
  struct KrnWindow* parent;                     /* null for a top-level window */
  struct KrnWindow** children;                  /* owned, null-terminated, creation order */
  struct KrnWindow* contextMenu;                /* popup menu opened on this window */
  long linkWindow;                              /* kept for the application */
  void* option;                                 /* owned private data of a control */
  KrnDestructCallback destructCallBack;         /* called while destroyed */
  struct KrnWindow* focusWindow; /* top level: the control its keys go to; null = none */
  int takeFocus;                 /* top level: ask for the input focus once viewable */
} KrnWindow;

/* The global toolkit record. */
typedef struct KrnKorrin {
  char version[32];
  Display* display;
  XIM im;
  GC gc; /* base GC: default values, root window */
  int screenWidth;
  int screenHeight;
  unsigned int depth;
  Colormap colormap;
  Cursor cursors[KRN_NCURSORS];
  KrnImage* images[KRN_NIMAGES];
  unsigned long colors[KRN_NCOLORS];
  int* colorTable8;
  int nCursors;
  int nImages;
  int nColors;
  KrnDebugCallback debugCallback;
  char** selectedNames;
  int interval;
  int doubleClickTime;
  int mouseButtons;
  int mouseRightHand;
  int tenKey;
  int charCode;
  int useIM;
  int newFileCode; /* code of a new text's file: KRN_CODE_EUC, _SJIS or _UTF8 */
  unsigned long setColors[KRN_NSETCOLORS];
  char setColorNames[KRN_NSETCOLORS][50];
  KrnImage* wallImage;
  XFontStruct* font;
  XFontStruct* fontKanji;
  XFontSet fontSet;
  int nSetColors;
  char programName[80];
  char displayName[32];
  char geometry[80];
  GC gcFill;
  GC gcText;
  GC gcTextKanji;
  int undoSize; /* UndoSize: KB of undo history per editor */
} KrnKorrin;

extern KrnKorrin g_korrin;
extern KrnWindow** g_krnKorrinManager;

/* ------------------------------------------------------------------------ */
/* Display session and registry                                             */
/* ------------------------------------------------------------------------ */

Display* krnOpenDisplay(int argc, char** argv);
int krnCloseDisplay(Display* display);
int ArgInit(int argc, char** argv);
int krnUsage(int flag);
int AddKorrinManager(KrnWindow* window);
int DeleteKorrinManager(KrnWindow* window);
int CheckKrnPointer(KrnWindow* window);
int CheckChildWindow(KrnWindow* window, Window xwindow);

/* ------------------------------------------------------------------------ */
/* Window records                                                           */
/* ------------------------------------------------------------------------ */

KrnWindow* krnCreateWindow(Display* display, KrnWindow* parent, KrnRect rect,
                           unsigned int borderWidth, const char* name, KrnWndProc proc);
KrnWindow* krnCreateWindowEx(Display* display, KrnWindow* parent, KrnRect rect,
                             unsigned int borderWidth, const char* name, KrnWndProc proc, int show);
int krnDestroyWindow(Display* display, KrnWindow* window);
int AddChildWindow(KrnWindow* parent, KrnWindow* window);
int DeleteChildWindow(KrnWindow* parent, KrnWindow* window);

int krnSetCaption(KrnWindow* window, const char* caption);
int krnSetBackColor(Display* display, KrnWindow* window, unsigned long pixel);
int krnSetWallPaper(Display* display, KrnWindow* window, KrnImage* image);
int krnSetBorderColor(Display* display, KrnWindow* window, unsigned long pixel);
int krnSetForeFontColor(Display* display, KrnWindow* window, unsigned long pixel);
int krnSetBackFontColor(Display* display, KrnWindow* window, unsigned long pixel);
int krnSetWindowKind(KrnWindow* window, int kind);
int krnSetOption(KrnWindow* window, void* data);
/* Timer modes: KRN_TIMER_ON wakes the loop for every tick (once per
   Interval); KRN_TIMER_LAZY takes only the ticks of a loop awake anyway
   (another window's ticks, input) and one at once when a signal cuts the
   loop's wait short; with no window asking, an idle loop sleeps until input. */
enum { KRN_TIMER_OFF = 0, KRN_TIMER_ON = 1, KRN_TIMER_LAZY = 2 };
int krnSetTimerEvent(KrnWindow* window, int on);
int krnSetDefaultCursor(KrnWindow* window, Cursor cursor);
int krnSetMinMaxSize(KrnWindow* window, int minWidth, int minHeight, int maxWidth, int maxHeight);
int krnSetDestructCallBack(KrnWindow* window, KrnDestructCallback function);
int krnSetWindowColormap(KrnWindow* window, Colormap colormap);
int krnShowWindow(KrnWindow* window, int on);
int krnSetWndProc(KrnWindow* window, KrnWndProc proc);
int krnSetEventCallback(KrnWindow* window, KrnEventCallback function);
int krnSetKeyEventCallback(KrnWindow* window, KrnKeyEventCallback function);
int krnSetIdolingCallback(KrnWindow* window, KrnWindowCallback function);
int krnSetUpdateWindowCallback(KrnWindow* window, KrnWindowCallback function);
int krnSetDebugCallback(KrnDebugCallback function);
int krnSetCustom(KrnWindow* window, int on);
int krnSetRedrawBuffer(KrnWindow* window, int on);
int krnSetAllEvent(KrnWindow* window, int on);
int krnSetDefaultWndProcEvent(KrnWindow* window, int on);
int krnMoveResizeWindow(KrnWindow* window, KrnRect rect);
int krnRaiseWindow(KrnWindow* window);
int krnSetContextMenu(KrnWindow* window, KrnWindow* menu);
int krnSetLinkWindow(KrnWindow* window, long value);
int krnSetKeyPressTime(KrnWindow* window, Time time);
int krnSetButtonPressTime(KrnWindow* window, Time time);
int krnSetMotionTime(KrnWindow* window, Time time);
int krnSetAutoRedraw(KrnWindow* window, int on);
int krnSetAutoRedrawArea(KrnWindow* window, KrnRect rect);
int krnCallEventCallback(KrnWindow* window, int code, long value, long extra);

int krnCheckShowWindow(KrnWindow* window);
Window krnGetXWindow(KrnWindow* window);
Window krnGetWin(KrnWindow* window);
KrnWindow* krnGetParentWindow(KrnWindow* window);
int krnIsWindowResized(KrnWindow* window);
Pixmap krnGetDraw(KrnWindow* window);

KrnWindow* krnGetWindow(const char* name);
KrnWindow* krnGetWindowFromXWindow(Window xwindow);
KrnWindow* krnGetWindowFromIndex(int index);
int krnGetTotalWindows(void);
KrnWindow* krnGetChildWindow(KrnWindow* window, const char* name);
KrnWindow* krnGetChildWindowFromXWindow(KrnWindow* window, Window xwindow);
KrnWindow* krnGetChildWindowFromIndex(KrnWindow* window, int index);
int krnGetTotalChildWindows(KrnWindow* window);
KrnWindow* krnGetTopWindow(KrnWindow* window);

/* ------------------------------------------------------------------------ */
/* Event loop and dispatch                                                  */
/* ------------------------------------------------------------------------ */

int krnMainLoop(Display* display, KrnWindow* window);
int krnCallWndProc(Display* display, KrnWindow* window, XEvent* event, int propagate);
int krnSendEvent(KrnWindow* window, int code);
int krnCheckEvent(Display* display, KrnWindow* window);
int krnTimerEvent(void);
int krnHookEvent(Display* display, KrnWindow* window);
long krnGetKey(KrnWindow* window, XEvent* event);
/* Lines one notch of the mouse wheel scrolls: -3 for a press of button 4
   (up), 3 for button 5 (down), 0 for any other event. */
#define KRN_WHEEL_LINES 3
int krnGetWheelLines(const XEvent* event);
char* krnGetString(KrnWindow* window, XEvent* event, int* length);
int krnFlush(Display* display);
int krnCenteringWnd(Display* display, KrnWindow* reference, KrnWindow* window);
KrnRect krnGetScreenCoordinate(KrnWindow* window, KrnRect rect);
int krnFixWindow(Display* display, KrnWindow* window, int fix);

/* ------------------------------------------------------------------------ */
/* Keyboard focus and dialogs under a window manager                        */
/* ------------------------------------------------------------------------ */

/* The focused control of a top-level window receives every key event that
   reaches the window's tree, wherever the pointer is.  Controls that take
   text make themselves focused when clicked, and the first one created in a
   top-level window is focused from the start. */
int krnSetFocusWindow(KrnWindow* window);
/* Sets only the title the window manager shows (in the locale's code); the
   window's name, under which krnGetWindow finds it, stays. */
int krnSetTitle(KrnWindow* window, const char* title);
KrnWindow* krnGetFocusWindow(KrnWindow* window);
/* Shows a dialog for its owner: transient for the owner's top-level window,
   given the input focus once mapped, centred over the owner (place null, or
   x or y KRN_PLACE_CENTRED) or put at *place (the screen position of its
   client area, and its size, as krnCloseDialog keeps them). */
#define KRN_PLACE_CENTRED (-10)
int krnShowDialog(Display* display, KrnWindow* dialog, KrnWindow* owner, const KrnRect* place);
/* Destroys a dialog (if still there), keeping its screen place in *place
   when place is not null, and gives the keyboard back to the owner. */
int krnCloseDialog(Display* display, KrnWindow* dialog, KrnWindow* owner, KrnRect* place);

/* ------------------------------------------------------------------------ */
/* X selections: the clipboard and the primary selection                    */
/* ------------------------------------------------------------------------ */

/* The two selections the controls use: PRIMARY follows the last selected
 * text, CLIPBOARD the last Copy or Cut.  Texts cross in the working code
 * (the CharCode setting); other programs see UTF8_STRING, COMPOUND_TEXT,
 * STRING or TEXT. */
#define KRN_SEL_PRIMARY 0
#define KRN_SEL_CLIPBOARD 1

/* Takes ownership with a copy of text (length -1: up to the NUL); time is
 * the server time of the causing event, 0 for the last input event's.
 * 1 when owned. */
int krnSetSelectionText(int selection, const char* text, int length, Time time);
int krnIsSelectionOwner(int selection);
/* The text in the working code, a new NUL-terminated buffer to free(), its
 * length in *length: our own text when we own it, else the owner's answer
 * (waited for at most about 2 seconds while paint events are served).
 * Null when nobody owns it, the owner refuses or does not answer. */
char* krnGetSelectionText(int selection, int* length);
int krnClearSelection(int selection);
/* The server time of the last key, button, motion or crossing event. */
Time krnGetEventTime(void);
/* Hands CLIPBOARD to a running clipboard manager (SAVE_TARGETS); called by
 * krnCloseDisplay.  1 when the manager confirmed. */
int krnSaveClipboard(Display* display);

/* ------------------------------------------------------------------------ */
/* Default window procedure and redraw buffer                               */
/* ------------------------------------------------------------------------ */

int krnWndProc_Default(Display* display, KrnWindow* window, XEvent* event);
int UpdateWindow(KrnWindow* window, XEvent* event);
int AutoRedraw(Display* display, KrnWindow* window);
int ClearWindowForDWndProc(Display* display, KrnWindow* window, Drawable drawable, KrnRect rect);

int krnClearWindowEx(Display* display, KrnWindow* window, GC gc, Region region, KrnRect rect,
                     int toBuffer);
int krnClearWindow(Display* display, KrnWindow* window, int toBuffer);
int krnClearWindowRg(Display* display, KrnWindow* window, Region region, int toBuffer);
int krnClearWindowRRg(Display* display, KrnWindow* window, KrnRect clip, int toBuffer);
int krnClearRectWindow(Display* display, KrnWindow* window, KrnRect rect, int toBuffer);
int krnClearRectWindowRg(Display* display, KrnWindow* window, Region region, KrnRect rect,
                         int toBuffer);
int krnClearRectWindowRRg(Display* display, KrnWindow* window, KrnRect clip, KrnRect rect,
                          int toBuffer);

int krnRedrawWindowEx(Display* display, KrnWindow* window, GC gc, KrnRect rect);
int krnRedrawWindow(Display* display, KrnWindow* window);
int krnRedrawWindowRg(Display* display, KrnWindow* window, Region region);
int krnRedrawWindowRRg(Display* display, KrnWindow* window, KrnRect clip);
int krnRedrawRectWindow(Display* display, KrnWindow* window, KrnRect rect);
int krnRedrawRectWindowRg(Display* display, KrnWindow* window, Region region, KrnRect rect);
int krnRedrawRectWindowRRg(Display* display, KrnWindow* window, KrnRect clip, KrnRect rect);

int krnCopyWindowEx(Display* display, KrnWindow* window, GC gc, KrnRect rect, int dx, int dy,
                    int target);
int krnCopyWindow(Display* display, KrnWindow* window, KrnRect rect, int dx, int dy, int target);
int krnCopyWindowRg(Display* display, KrnWindow* window, Region region, KrnRect rect, int dx,
                    int dy, int target);
int krnCopyWindowRRg(Display* display, KrnWindow* window, KrnRect clip, KrnRect rect, int dx,
                     int dy, int target);

/* ------------------------------------------------------------------------ */
/* Input method                                                             */
/* ------------------------------------------------------------------------ */

int krnLocale_XIM(const char* locale);
XIM krnOpenIM_XIM(Display* display);
int krnCloseIM_XIM(XIM im);
XIMStyle krnSelectStyle_XIM(XIM im, const XIMStyle* wanted);
XIC krnCreateIC_XIM(KrnWindow* window, XIM im, XIMStyle style, XFontSet fontSet,
                    unsigned long foreground, unsigned long background);
void krnDestroyIC_XIM(XIC ic);
int krnAttachIM(KrnWindow* window, XIC ic);
int krnDetachIM(KrnWindow* window, int destroy);
int krnSetFocusIC_XIM(KrnWindow* window);
int krnUnsetFocusIC_XIM(KrnWindow* window);
int krnMovePreedit_XIM(KrnWindow* window, XPoint spot);
int krnSetStatusArea_XIM(KrnWindow* window, KrnRect rect);
XIM krnGetIM_XIM(void);
int krnIsOpenIM_XIM(void);

/* ------------------------------------------------------------------------ */
/* Settings                                                                 */
/* ------------------------------------------------------------------------ */

int GetRCFileValue(void);
XFontSet CreateFontSet(Display* display, const char* baseNameList);

/* ------------------------------------------------------------------------ */
/* Resource file store                                                      */
/* ------------------------------------------------------------------------ */

int krnGetRCFileValue(const char* path, const char* group, const char* key, char* value);
int krnSetRCFileValue(const char* path, const char* group, const char* key, const char* value);
int krnSpaceCut(char* string);
/* Replaces a file's whole contents through a temporary file and a rename. */
int krnReplaceFile(const char* path, const char* data, long size);

/* ------------------------------------------------------------------------ */
/* Character codes, keys and text metrics                                   */
/* ------------------------------------------------------------------------ */

int krnCheckCharCode(const unsigned char* bytes, int length);
int krnToConvCharCode(unsigned char* buffer, int length, int source, int destination);
int krnCheckChar(const unsigned char* string, int position);
int krnIsWideCharCode(unsigned char first, unsigned char second);
/* UTF-8 and the working codes (KRN_CODE_EUC, KRN_CODE_SJIS): a new
 * NUL-terminated buffer from krnAlloc in *result (free it with free()), its
 * length in *resultLength; length -1 reads up to the NUL.  Bytes below 0x80
 * stay ASCII; a character without a counterpart becomes one U+3013 (〓).
 * Returns how many did, or -1 (and *result null) when memory runs out or,
 * for krnConvFromUTF8, the code is neither EUC-JP nor Shift_JIS. */
int krnConvToUTF8(const char* text, int length, int code, char** result, int* resultLength);
int krnConvFromUTF8(const char* text, int length, int code, char** result, int* resultLength);
/* The code of a whole text in one pass: KRN_CODE_BINARY (a control byte),
 * _ASCII, _UTF8 (valid UTF-8 with a byte above 0x7F), _EUC or _SJIS (by
 * which the bytes are valid in; EUC-JP when both). */
int krnDetectCharCode(const unsigned char* bytes, int length);
/* A text file's bytes in the working code (KRN_CODE_EUC or _SJIS): a file
 * in UTF-8 or the other code is converted, a UTF-8 byte-order mark taken
 * off and noted; others are copied.  lossy is 1 when converting the text
 * back would not give the file's bytes (the text then holds 〓 for what had
 * no counterpart): such a text must not be saved.  text is a new buffer from
 * krnAlloc (free it with free()).  1, or 0 when memory runs out. */
#ifndef KRN_TEXTCODE_DEFINED
#define KRN_TEXTCODE_DEFINED
typedef struct KrnTextCode {
  char* text;
  int length;
  int code;
  int bom;
  int lossy;
} KrnTextCode;
#endif
int krnDecodeText(const char* bytes, int length, int working, KrnTextCode* out);
/* The editor's text (in the working code) for a file of the given code,
 * with the byte-order mark when bom is 1 and the code is UTF-8; a new buffer
 * as above.  How many characters had no counterpart (became 〓), or -1. */
int krnEncodeText(const char* text, int length, int working, int code, int bom, char** result,
                  int* resultLength);
int krnFontNWidth(XFontStruct* font, XFontStruct* fontKanji, const unsigned char* bytes,
                  int length);
int krnTextNWidth(const unsigned char* bytes, int length);
int krnTextWidth(const unsigned char* string);
int krnGetCharHeight(XFontStruct* font);
int krnGetShiftState(XKeyEvent event);
int krnGetShiftKey(XKeyEvent event);
int krnGetCtrlState(XKeyEvent event);
int krnGetAltState(XKeyEvent event);
KeySym krnConvertTenKeyCode(XKeyEvent event);
int krnSleep(long usec);
int krnBell(void);

/* ------------------------------------------------------------------------ */
/* Colours and colour maps                                                  */
/* ------------------------------------------------------------------------ */

/* Shade types of krnGetAlterColor and krnGetAlterNamedColor. */
enum {
  KRN_SHADE_FACE = 0,    /* softened face colour */
  KRN_SHADE_LIGHT = 1,   /* light edge */
  KRN_SHADE_DARK = 2,    /* dark edge */
  KRN_SHADE_CONTRAST = 3 /* contrasting text or background */
};

/* First entry of the pixel table of krnConvertColormap (and first cell of
 * the cube of krnCreate8bppColormap): cube colour (ri, gi, bi), levels 0..5,
 * is at KRN_CUBE_BASE + 36 ri + 6 gi + bi. */
#define KRN_CUBE_BASE 40

unsigned long krnGetColor(Display* display, Colormap colormap, int red, int green, int blue);
unsigned long krnGetNamedColor(Display* display, Colormap colormap, const char* name);
int krnGetRGB(Display* display, Colormap colormap, unsigned long pixel, int* red, int* green,
              int* blue);
unsigned long krnGetAlterColor(Display* display, Colormap colormap, int red, int green, int blue,
                               int type);
unsigned long krnGetAlterNamedColor(Display* display, Colormap colormap, const char* name,
                                    int type);
int* krnConvertColormap(Display* display, Colormap colormap);
Colormap krnCopyColormap(Display* display, Colormap source);
Colormap krnCreate8bppColormap(Display* display);
int krnDumpColormap(Display* display, Colormap colormap);

/* ------------------------------------------------------------------------ */
/* Rectangles, geometry and object array                                    */
/* ------------------------------------------------------------------------ */

int krnSetRectangle(KrnRect* rect, int x, int y, int width, int height);
KrnRect krnSetRect(int x, int y, int width, int height);
KrnRect krnSetOffsetRect(KrnRect rect, int dx, int dy);
int krnIsEmptyRect(KrnRect rect);
int krnPointInRect(int x, int y, KrnRect rect);
KrnRect krnGetInRect(KrnRect a, KrnRect b);
int krnSetGeometry(KrnWindow* window, const char* geometry);
char* krnConvFullPath(char* path, int size);
int krnResetGC(GC gc);
void** krnGetStackWindowRect(KrnWindow* window);

void** krnNew_ObjArray(void);
void** krnAddItem_ObjArray(void** array, void* item, int index);
void** krnAddItemEx_ObjArray(void** array, int count, void* item, int index);
void** krnDelItem_ObjArray(void** array, int index);
void* krnGetItem_ObjArray(void** array, int index);
int krnGetTotal_ObjArray(void** array);
int krnFree_ObjArray(void** array);
void* krnAlloc(size_t size);

/* ------------------------------------------------------------------------ */
/* Images and cursors                                                       */
/* ------------------------------------------------------------------------ */

int krnCheckImageFormat(const char* path);
KrnImage* krnLoadImage(Display* display, const char* path, Colormap colormap, int format);
KrnImage* krnLoadImageFromData(Display* display, const char* const* data, Colormap colormap);
int krnFreeImage(Display* display, KrnImage* image);
Pixmap krnCreateMaskImage(Display* display, KrnImage* image);
Cursor krnLoadCursor(Display* display, const KrnCursorData* data);
int krnDrawIcon(Display* display, Drawable d, int x, int y, KrnImage* image);
int krnDrawImage(Display* display, Drawable d, int x, int y, KrnImage* image, int sx, int sy,
                 int width, int height);
int krnDrawImageRRg(Display* display, Drawable d, KrnRect clip, int x, int y, KrnImage* image,
                    int sx, int sy, int width, int height);
int krnDrawImageRg(Display* display, Drawable d, Region region, int x, int y, KrnImage* image,
                   int sx, int sy, int width, int height);
int krnDrawImageEx(Display* display, Drawable d, GC gc, int x, int y, KrnImage* image, int sx,
                   int sy, int width, int height);
int krnSetWaitCursor(Display* display, KrnWindow* window);
int krnSetNormalCursor(Display* display, KrnWindow* window);

extern const KrnCursorData res_curFinger;
extern const KrnCursorData res_curWait;
extern const KrnCursorData res_curIbeam;

/* The stock images' XPM data, in slot order (KRN_IMG_*). */
extern const char* const res_arrowUp[];
extern const char* const res_arrowDw[];
extern const char* const res_arrowLt[];
extern const char* const res_arrowRt[];
extern const char* const res_upfolder[];
extern const char* const res_folder[];
extern const char* const res_save[];
extern const char* const res_saveas[];
extern const char* const res_file[];
extern const char* const res_quit[];
extern const char* const res_check[];
extern const char* const res_link[];
extern const char* const res_question[];
extern const char* const res_attention[];
extern const char* const res_error[];
extern const char* const res_warning[];
extern const char* const res_info[];
extern const char* const res_korrin[];
extern const char* const res_logo[];
extern const char* const res_logomono[];
extern const char* const res_vantro[];

/* ------------------------------------------------------------------------ */
/* JPEG file bridge                                                         */
/* ------------------------------------------------------------------------ */

/* RGB buffers: width x height pixels of 3 bytes (red, green, blue), rows top
 * to bottom, no padding.  Aligned buffers pad each row to a multiple of 4
 * bytes.  Every buffer returned is malloc'ed and belongs to the caller. */
unsigned char* JpegFileToRGB(const char* path, unsigned int* width, unsigned int* height);
int GetJPGDimensions(const char* path, unsigned int* width, unsigned int* height);
int RGBToJpegFile(const char* path, const unsigned char* data, unsigned int width,
                  unsigned int height, int color, int quality);
unsigned char* MakeDwordAlignedBuf(const unsigned char* data, unsigned int width,
                                   unsigned int height, unsigned int* rowSize);
unsigned char* RGBFromDWORDAligned(const unsigned char* data, unsigned int width,
                                   unsigned int rowSize, unsigned int height);
int VertFlipBuf(unsigned char* data, unsigned int rowSize, unsigned int height);
int BGRFromRGB(unsigned char* data, unsigned int width, unsigned int rowSize, unsigned int height);
int MakeGrayScale(unsigned char* data, unsigned int width, unsigned int height);
int j_putRGBScanline(const unsigned char* row, int width, unsigned char* buffer, int rowIndex);
int j_putGrayScanlineToRGB(const unsigned char* row, int width, unsigned char* buffer,
                           int rowIndex);

/* ------------------------------------------------------------------------ */
/* Drawing primitives                                                       */
/* ------------------------------------------------------------------------ */

/* Frame types of krnDrawFrame; other values draw nothing. */
enum { KRN_FRAME_PLAIN = 1, KRN_FRAME_RAISED = 2, KRN_FRAME_SUNKEN = 3 };

/* Background pixel of the text functions that draws glyphs only. */
#define KRN_TRANSPARENT ((unsigned long)-1)

/* Shapes.  A line is a rectangle: from (x, y) to (x + width, y + height). */
int krnDraw3DRectangle(Display* display, Drawable d, KrnRect rect, int raised);
int krnDrawFrame(Display* display, Drawable d, KrnRect rect, int type);
int krnDrawLine(Display* display, Drawable d, unsigned long pixel, KrnRect line);
int krnDrawLineRg(Display* display, Drawable d, Region region, unsigned long pixel, KrnRect line);
int krnDrawLineRRg(Display* display, Drawable d, KrnRect clip, unsigned long pixel, KrnRect line);
int krnDrawLineEx(Display* display, Drawable d, GC gc, KrnRect line);
int krnDrawButton(Display* display, Drawable d, KrnRect rect, const char* caption, KrnImage* image,
                  int pressed);
int krnDrawIconButton(Display* display, Drawable d, KrnRect rect, KrnImage* image, int pressed);

/* Mixed single-byte / two-byte text; y is the top of the text row, null
 * fonts are the session's fonts, background KRN_TRANSPARENT draws glyphs
 * only.  1, or 0 when there is nothing to draw. */
int krnDrawText(Display* display, Drawable d, XFontStruct* font, XFontStruct* fontKanji,
                unsigned long foreground, unsigned long background, int x, int y,
                const unsigned char* string);
int krnDrawNText(Display* display, Drawable d, XFontStruct* font, XFontStruct* fontKanji,
                 unsigned long foreground, unsigned long background, int x, int y,
                 const unsigned char* bytes, int length);
int krnDrawTextRg(Display* display, Drawable d, Region region, XFontStruct* font,
                  XFontStruct* fontKanji, unsigned long foreground, unsigned long background, int x,
                  int y, const unsigned char* string);
int krnDrawNTextRg(Display* display, Drawable d, Region region, XFontStruct* font,
                   XFontStruct* fontKanji, unsigned long foreground, unsigned long background,
                   int x, int y, const unsigned char* bytes, int length);
int krnDrawTextRRg(Display* display, Drawable d, KrnRect clip, XFontStruct* font,
                   XFontStruct* fontKanji, unsigned long foreground, unsigned long background,
                   int x, int y, const unsigned char* string);
int krnDrawNTextRRg(Display* display, Drawable d, KrnRect clip, XFontStruct* font,
                    XFontStruct* fontKanji, unsigned long foreground, unsigned long background,
                    int x, int y, const unsigned char* bytes, int length);
int krnPrint(Drawable d, int x, int y, const char* string);
int krnDrawTextEx(Display* display, Drawable d, GC gc, XFontStruct* font, XFontStruct* fontKanji,
                  int x, int y, const unsigned char* bytes, int length);

/* ------------------------------------------------------------------------ */
/* Multi-line text editor (InputMltWnd)                                     */
/* ------------------------------------------------------------------------ */

/* The editor's private record (the window's option) and its display lines
 * are kept by the control; positions are byte offsets into its text. */
struct InputMltWndData;

/* Callback code after a resize re-wrapped the lines (ConfigureNotify). */
enum { KRN_EDITOR_RESIZED = ConfigureNotify };

/* Creates the editor (kind 130) with a copy of size bytes of text, carriage
 * returns dropped and a final newline added; foreignKeys 1 also edits with
 * key events addressed to other windows.  Null on failure. */
KrnWindow* krnCreateWindow_InputMltWnd(Display* display, KrnWindow* parent, KrnRect rect,
                                       const char* name, const char* text, int size,
                                       int foreignKeys);
int WndProc_InputMltWnd(Display* display, KrnWindow* window, XEvent* event);
int krnGetCaretPos_InputMltWnd(KrnWindow* window);
int krnSetCaretPos_InputMltWnd(KrnWindow* window, int position);
int krnGetLength_InputMltWnd(KrnWindow* window);
char* krnGetText_InputMltWnd(KrnWindow* window);
int krnSetText_InputMltWnd(KrnWindow* window, const char* data, int size);
int krnAddText_InputMltWnd(KrnWindow* window, const char* string);
char* krnGetSelectText_InputMltWnd(KrnWindow* window);
int krnSetSelectText_InputMltWnd(KrnWindow* window, int start, int end);
int krnDelSelectText_InputMltWnd(KrnWindow* window);
int krnCopyText_InputMltWnd(KrnWindow* window);
int krnCutText_InputMltWnd(KrnWindow* window);
int krnPasteText_InputMltWnd(KrnWindow* window, const char* string);
char* krnGetCopyText_InputMltWnd(KrnWindow* window);
int krnGetPos_InputMltWnd(KrnWindow* window);
int krnSetPos_InputMltWnd(KrnWindow* window, int line);
int krnGetLines_InputMltWnd(KrnWindow* window);
int krnGetLock_InputMltWnd(KrnWindow* window);
int krnSetLock_InputMltWnd(KrnWindow* window, int flag);
int krnSetHiDraw_InputMltWnd(KrnWindow* window, int flag);
int krnGetLinesOfPage_InputMltWnd(KrnWindow* window);
int krnSetEventCallback_InputMltWnd(KrnWindow* window, KrnEventCallback callback);
int krnIsUpdate_InputMltWnd(KrnWindow* window);
int krnSetUpdateFlag_InputMltWnd(KrnWindow* window, int flag);

/* Undo and redo: every change of the text is kept as a step (typed text,
 * BackSpace and Delete runs merge until the caret moves) in a history capped
 * by the UndoSize setting; krnSetText_InputMltWnd empties it, and
 * krnSetUpdateFlag_InputMltWnd(window, 0) marks the saved state, at which an
 * undo or redo clears the modified flag again.  1 when a step was undone or
 * redone (the callback then hears KRN_EDITED), 0 when there was none. */
int krnUndo_InputMltWnd(KrnWindow* window);
int krnRedo_InputMltWnd(KrnWindow* window);
int krnCanUndo_InputMltWnd(KrnWindow* window);
int krnCanRedo_InputMltWnd(KrnWindow* window);

/* Search flags and results.  A match never starts or ends inside a two-byte
 * character; without KRN_FIND_MATCHCASE ASCII letters match either case. */
enum { KRN_FIND_BACKWARD = 1, KRN_FIND_MATCHCASE = 2 };
enum { KRN_NOT_FOUND = 0, KRN_FOUND = 1, KRN_FOUND_WRAPPED = 2 };

/* Selects the next match (from the selection's end; backwards from its
 * start), wrapping around the text once, and scrolls it into view:
 * KRN_FOUND, KRN_FOUND_WRAPPED or KRN_NOT_FOUND. */
int krnFind_InputMltWnd(KrnWindow* window, const char* text, int flags);
/* Replaces the selection with `with` when it is a match of text: 1, else 0. */
int krnReplace_InputMltWnd(KrnWindow* window, const char* text, const char* with, int flags);
/* Replaces every match as one undo step: the count, or -1 on failure. */
int krnReplaceAll_InputMltWnd(KrnWindow* window, const char* text, const char* with, int flags);

/* ------------------------------------------------------------------------ */
/* Scroll bar                                                               */
/* ------------------------------------------------------------------------ */

/* A scroll bar keeps a position in steps over a content of max units, one
 * step being `step` units (the operations call it Min); a window length
 * shows length / step steps.  Callback codes: KRN_SCROLLED (a user move),
 * KRN_SCROLL_SET (krnSetPos_ScrollBar), ConfigureNotify (resized); the value
 * is the position. */
struct ScrollBarData;

KrnWindow* krnCreateWindow_VScrollBar(Display* display, KrnWindow* parent, KrnRect rect,
                                      const char* name, int pos, int max, int step,
                                      KrnEventCallback callback);
KrnWindow* krnCreateWindow_HScrollBar(Display* display, KrnWindow* parent, KrnRect rect,
                                      const char* name, int pos, int max, int step,
                                      KrnEventCallback callback);
int WndProc_VScroll(Display* display, KrnWindow* window, XEvent* event);
int WndProc_HScroll(Display* display, KrnWindow* window, XEvent* event);
int krnGetPos_ScrollBar(KrnWindow* window);
int krnSetPos_ScrollBar(KrnWindow* window, int position);
int krnGetMax_ScrollBar(KrnWindow* window);
int krnSetMax_ScrollBar(KrnWindow* window, int max);
int krnGetMin_ScrollBar(KrnWindow* window);
int krnSetMin_ScrollBar(KrnWindow* window, int step);
int krnGetHeight_ScrollBar(void);
int krnSetEventCallback_ScrollBar(KrnWindow* window, KrnEventCallback callback);

/* ------------------------------------------------------------------------ */
/* Input box                                                                */
/* ------------------------------------------------------------------------ */

/* The input box (kind 120): the multi-line editor ("krnInputMltWnd_InputBox",
 * child 0) with a vertical scroll bar ("krnScroll_InputBox", child 1) kept in
 * step; the operations forward to the editor and return 0 (-1 for
 * krnAddText_InputBox, null for the getters of text) for another window. */
KrnWindow* krnCreateWindow_InputBox(Display* display, KrnWindow* parent, KrnRect rect,
                                    const char* name, const char* text, int size, int foreignKeys);
int WndProc_InputBox(Display* display, KrnWindow* box, XEvent* event);
int krnGetCaretPos_InputBox(KrnWindow* box);
int krnSetCaretPos_InputBox(KrnWindow* box, int position);
int krnGetLength_InputBox(KrnWindow* box);
char* krnGetText_InputBox(KrnWindow* box);
int krnSetText_InputBox(KrnWindow* box, const char* data, int size);
int krnAddText_InputBox(KrnWindow* box, const char* string);
char* krnGetSelectText_InputBox(KrnWindow* box);
int krnSetSelectText_InputBox(KrnWindow* box, int start, int end);
int krnDelSelectText_InputBox(KrnWindow* box);
int krnCopyText_InputBox(KrnWindow* box);
int krnCutText_InputBox(KrnWindow* box);
int krnPasteText_InputBox(KrnWindow* box, const char* string);
char* krnGetCopyText_InputBox(KrnWindow* box);
int krnGetPos_InputBox(KrnWindow* box);
int krnSetPos_InputBox(KrnWindow* box, int line);
int krnGetLines_InputBox(KrnWindow* box);
int krnGetLock_InputBox(KrnWindow* box);
int krnSetLock_InputBox(KrnWindow* box, int flag);
int krnGetLinesOfPage_InputBox(KrnWindow* box);
int krnSetEventCallback_InputBox(KrnWindow* box, KrnEventCallback callback);
int krnIsUpdate_InputBox(KrnWindow* box);
int krnSetUpdateFlag_InputBox(KrnWindow* box, int flag);
KrnWindow* krnGetAttachInputWnd_InputBox(KrnWindow* box);
int krnUndo_InputBox(KrnWindow* box);
int krnRedo_InputBox(KrnWindow* box);
int krnCanUndo_InputBox(KrnWindow* box);
int krnCanRedo_InputBox(KrnWindow* box);
int krnFind_InputBox(KrnWindow* box, const char* text, int flags);
int krnReplace_InputBox(KrnWindow* box, const char* text, const char* with, int flags);
int krnReplaceAll_InputBox(KrnWindow* box, const char* text, const char* with, int flags);

/* ------------------------------------------------------------------------ */
/* Single-line input window (InputWnd)                                      */
/* ------------------------------------------------------------------------ */

/* The field's private record (the window's option); its text is a fixed
 * array of 1025 bytes, at most 1024 of them text. */
struct InputWndData;

/* Creates the field (kind 110) with a copy of text (null = empty; 1024
 * bytes or more leave it empty); foreignKeys 1 also edits with key events
 * addressed to other windows.  Null on failure. */
KrnWindow* krnCreateWindow_InputWnd(Display* display, KrnWindow* parent, KrnRect rect,
                                    const char* name, const char* text, int foreignKeys);
int WndProc_InputWnd(Display* display, KrnWindow* window, XEvent* event);
int krnGetCaretPos_InputWnd(KrnWindow* window);
int krnSetCaretPos_InputWnd(KrnWindow* window, int position);
char* krnGetText_InputWnd(KrnWindow* window);
int krnSetText_InputWnd(KrnWindow* window, const char* string);
char* krnGetSelectText_InputWnd(KrnWindow* window);
int krnSetSelectText_InputWnd(KrnWindow* window, int start, int end);
int krnAddText_InputWnd(KrnWindow* window, const char* string);
int krnDelSelectText_InputWnd(KrnWindow* window);
int krnCopyText_InputWnd(KrnWindow* window);
int krnCutText_InputWnd(KrnWindow* window);
int krnPasteText_InputWnd(KrnWindow* window, const char* string);
char* krnGetCopyText_InputWnd(KrnWindow* window);

/* ------------------------------------------------------------------------ */
/* Popup menu                                                               */
/* ------------------------------------------------------------------------ */

/* A hidden one-column menu (kind 50) in a child window of parent; items are
 * chosen by releasing the button over them.  An item's callback is called
 * as (menu, KRN_MENU_SELECT, row, 0) and its answer becomes the menu's
 * result (KRN_QUIT ends the loop).  An item with an empty caption is a
 * separator; link is a sub-menu opened beside the row.  Index -1 appends. */
KrnWindow* krnCreateWindow_Menu(Display* display, KrnWindow* parent, const char* name);
int WndProc_Menu(Display* display, KrnWindow* menu, XEvent* event);
int krnAddItem_Menu(KrnWindow* menu, const char* caption, KrnEventCallback callback, KrnImage* icon,
                    KrnWindow* link, int index);
int krnDeleteItem_Menu(KrnWindow* menu, int index);
int krnChangeItem_Menu(KrnWindow* menu, const char* caption, KrnEventCallback callback,
                       KrnImage* icon, KrnWindow* link, int index);
int krnSetCheck_Menu(KrnWindow* menu, int index, int check);
/* Shows the menu with its corner at (x, y) of its parent / hides it and
 * its sub-menus. */
int krnAttach_Menu(Display* display, KrnWindow* menu, int x, int y);
int krnDetach_Menu(Display* display, KrnWindow* menu);

/* ------------------------------------------------------------------------ */
/* Menu bar                                                                 */
/* ------------------------------------------------------------------------ */

/* The strip (kind 60) across the top of a top-level window with the
 * captions "Menu" and "?", which open menu0 and menu1 (either may be null),
 * and a status line right of them.  Null when the parent already has one. */
KrnWindow* krnCreateWindow_MenuBar(Display* display, KrnWindow* parent, const char* name,
                                   KrnWindow* menu0, KrnWindow* menu1, const char* status);
int WndProc_MenuBar(Display* display, KrnWindow* bar, XEvent* event);
/* Menu 0 for which 0, menu 1 for any other value. */
KrnWindow* krnGetMenuItem_MenuBar(KrnWindow* bar, int which);
int krnSetMenuItem_MenuBar(KrnWindow* bar, KrnWindow* menu, int which);
int krnSetStatus_MenuBar(KrnWindow* bar, const char* text);
const char* krnGetStatus_MenuBar(KrnWindow* bar);
/* The bar's height, the same for every bar (usable before one exists). */
int krnGetHeight_MenuBar(void);
/* Follows the parent's width; the core calls it on the parent's resize. */
int krnUpdateWindow_MenuBar(KrnWindow* bar);

/* ------------------------------------------------------------------------ */
/* Button                                                                   */
/* ------------------------------------------------------------------------ */

/* A push button (kind 40): caption and optional icon, raised when up and
 * sunken when down.  Its event callback is called as (button, code, down
 * state, 0): 110 for a click (or a toggle button switched on), 120 for a
 * toggle button switched off; the callback's 130 becomes the procedure's
 * answer, otherwise the code is. */
KrnWindow* krnCreateWindow_Button(Display* display, KrnWindow* parent, KrnRect rect,
                                  const char* caption, KrnImage* icon, KrnEventCallback callback);
int WndProc_Button(Display* display, KrnWindow* button, XEvent* event);
int krnGetButton_Button(KrnWindow* button);
int krnSetButton_Button(KrnWindow* button, int state);
int krnSetToggle_Button(KrnWindow* button, int toggle);
const char* krnGetCaption_Button(KrnWindow* button);
int krnSetCaption_Button(KrnWindow* button, const char* caption);
KrnImage* krnGetIcon_Button(KrnWindow* button);
int krnSetIcon_Button(KrnWindow* button, KrnImage* icon);
int krnSetEventCallback_Button(KrnWindow* button, KrnEventCallback callback);

/* ------------------------------------------------------------------------ */
/* Tool bar                                                                 */
/* ------------------------------------------------------------------------ */

/* A tool bar (kind 70): a row of buttons across the parent's top, below
 * its menu bar and the tool bars made before it, following its width.
 * Buttons are addressed by their place in the row (0 = leftmost). */
KrnWindow* krnCreateWindow_ToolBar(Display* display, KrnWindow* parent, const char* name);
int WndProc_ToolBar(Display* display, KrnWindow* bar, XEvent* event);
int krnAddButton_ToolBar(Display* display, KrnWindow* bar, const char* caption,
                         KrnEventCallback callback, KrnImage* icon, int index);
int krnDeleteButton_ToolBar(KrnWindow* bar, int index);
int krnChangeButton_ToolBar(Display* display, KrnWindow* bar, const char* caption,
                            KrnEventCallback callback, KrnImage* icon, int index);
int krnGetButton_ToolBar(KrnWindow* bar, int index);
int krnSetButton_ToolBar(KrnWindow* bar, int index, int state);
int krnSetToggle_ToolBar(KrnWindow* bar, int index, int toggle);
int krnGetHeight_ToolBar(void);
int krnUpdateWindow_ToolBar(KrnWindow* bar);
KrnWindow* krnGetAttachButtonWnd_ToolBar(KrnWindow* bar, int index);

/* ------------------------------------------------------------------------ */
/* Select button                                                            */
/* ------------------------------------------------------------------------ */

/* A select button (kind 140): a labelled group of mutually exclusive toggle
 * buttons in a row (horizontal 1) or a column.  Clicking a button that is up
 * pushes it down, raises the others and calls the group's callback as
 * (group, 150, index, 0). */
KrnWindow* krnCreateWindow_SelectButton(Display* display, KrnWindow* parent, KrnRect rect,
                                        const char* label, int horizontal,
                                        KrnEventCallback callback);
int WndProc_SelectButton(Display* display, KrnWindow* group, XEvent* event);
int krnAddButton_SelectButton(Display* display, KrnWindow* group, const char* caption,
                              KrnImage* icon, int index);
int krnDeleteButton_SelectButton(KrnWindow* group, int index);
int krnChangeButton_SelectButton(Display* display, KrnWindow* group, const char* caption,
                                 KrnImage* icon, int index);
int krnSelect_SelectButton(KrnWindow* group, int index);
int krnGetSelectIndex_SelectButton(KrnWindow* group);
KrnWindow* krnGetAttachButtonWnd_SelectButton(KrnWindow* group, int index);
int krnSetEventCallback_SelectButton(KrnWindow* group, KrnEventCallback callback);

/* ------------------------------------------------------------------------ */
/* List window and list box                                                 */
/* ------------------------------------------------------------------------ */

/* The list window's private record (the window's option). */
struct ListWndData;

/* List window (kind 90).  Its event callback gets (list, KRN_SELECT or
 * KRN_DBLCLICK, row, 0).  Indexes are rows from 0; -1 appends on adding and
 * means the last row on deleting. */
KrnWindow* krnCreateWindow_ListWnd(Display* display, KrnWindow* parent, KrnRect rect,
                                   const char* name);
int WndProc_ListWnd(Display* display, KrnWindow* window, XEvent* event);
int krnAddItem_ListWnd(Display* display, KrnWindow* list, const char* name, KrnImage* icon,
                       int index, int redraw);
int krnDeleteItem_ListWnd(KrnWindow* list, int index, int redraw);
int krnChangeItem_ListWnd(Display* display, KrnWindow* list, const char* name, KrnImage* icon,
                          int index);
int krnRedraw_ListWnd(KrnWindow* list);
int krnGetPos_ListWnd(KrnWindow* list);
int krnSetPos_ListWnd(KrnWindow* list, int position);
int krnKeySelect_ListWnd(KrnWindow* list, KeySym key);
int krnIsSelect_ListWnd(KrnWindow* list, int index);
int krnGetSelect_ListWnd(KrnWindow* list);
int krnSetSelect_ListWnd(KrnWindow* list, int index, int state);
int krnGetSelectCount_ListWnd(KrnWindow* list);
char* krnGetName_ListWnd(KrnWindow* list, int index);
int krnGetSize_ListWnd(KrnWindow* list);
int krnGetRowHeight_ListWnd(KrnWindow* list);
int krnSetSingle_ListWnd(KrnWindow* list, int single);
int krnSetEventCallback_ListWnd(KrnWindow* list, KrnEventCallback callback);

/* List box (kind 80): a list window "_krnList_ListBox" and a vertical scroll
 * bar "_krnScroll_ListBox" kept in step.  Its event callback gets the list's
 * reports as (box, code, row, 0).  The operations forward to the list. */
KrnWindow* krnCreateWindow_ListBox(Display* display, KrnWindow* parent, KrnRect rect,
                                   const char* name);
int WndProc_ListBox(Display* display, KrnWindow* window, XEvent* event);
int krnGetPos_ListBox(KrnWindow* box);
int krnSetPos_ListBox(KrnWindow* box, int position);
int krnAddItem_ListBox(Display* display, KrnWindow* box, const char* name, KrnImage* icon,
                       int index);
int krnDeleteItem_ListBox(KrnWindow* box, int index);
int krnChangeItem_ListBox(Display* display, KrnWindow* box, const char* name, KrnImage* icon,
                          int index);
int krnRedraw_ListBox(KrnWindow* box);
int krnKeySelect_ListBox(KrnWindow* box, KeySym key);
int krnIsSelect_ListBox(KrnWindow* box, int index);
int krnGetSelect_ListBox(KrnWindow* box);
int krnSetSelect_ListBox(KrnWindow* box, int index, int state);
int krnGetSelectCount_ListBox(KrnWindow* box);
char* krnGetName_ListBox(KrnWindow* box, int index);
int krnGetSize_ListBox(KrnWindow* box);
int krnSetSingle_ListBox(KrnWindow* box, int single);
int krnSetEventCallback_ListBox(KrnWindow* box, KrnEventCallback callback);
KrnWindow* krnGetAttachListWnd_ListBox(KrnWindow* box);

/* ------------------------------------------------------------------------ */
/* Text window and text box                                                 */
/* ------------------------------------------------------------------------ */

/* The text window (kind 10) shows a read-only text wrapped to its width
 * from a top line on; the text box (kind 20) is a text window with a
 * vertical scroll bar kept in step.  Lines are counted from 0. */
struct TextWndData;

KrnWindow* krnCreateWindow_TextWnd(Display* display, KrnWindow* parent, KrnRect rect,
                                   const char* name, const char* text, int length);
int WndProc_TextWnd(Display* display, KrnWindow* window, XEvent* event);
int krnGetLines_TextWnd(KrnWindow* window);
int krnGetPos_TextWnd(KrnWindow* window);
int krnSetPos_TextWnd(KrnWindow* window, int line);
char* krnGetText_TextWnd(KrnWindow* window);
int krnSetText_TextWnd(KrnWindow* window, const char* text, int length);
int krnSetOutLine_TextWnd(KrnWindow* window, int on);
int krnSetHiDraw_TextWnd(KrnWindow* window, int on);
int krnSetFrame_TextWnd(KrnWindow* window, int style);

KrnWindow* krnCreateWindow_TextBox(Display* display, KrnWindow* parent, KrnRect rect,
                                   const char* name, const char* text);
int WndProc_TextBox(Display* display, KrnWindow* box, XEvent* event);
int krnGetPos_TextBox(KrnWindow* box);
int krnSetPos_TextBox(KrnWindow* box, int line);
char* krnGetText_TextBox(KrnWindow* box);
int krnSetText_TextBox(KrnWindow* box, const char* text);
int krnGetLines_TextBox(KrnWindow* box);
int krnSetOutLine_TextBox(KrnWindow* box, int on);
int krnSetHiDraw_TextBox(KrnWindow* box, int on);
int krnSetFrame_TextBox(KrnWindow* box, int style);
KrnWindow* krnGetAttachTextWnd_TextBox(KrnWindow* box);

/* ------------------------------------------------------------------------ */
/* Message dialog                                                           */
/* ------------------------------------------------------------------------ */

/* Style bits of krnMessageDialog: buttons in the low nibble, the icon in
 * bits 4-7. */
enum {
  KRN_MB_OK = 0x01,
  KRN_MB_CANCEL = 0x02,
  KRN_MB_QUESTION = 0x10,
  KRN_MB_INFO = 0x20,
  KRN_MB_ATTENTION = 0x30,
  KRN_MB_WARNING = 0x40,
  KRN_MB_ERROR = 0x50
};

/* Shows a modal message window (kind 100) centred over parent (null: the
 * screen) and returns when it is answered: 110 for OK, Return or Space, 120
 * for Cancel (or the window manager's close when there is a Cancel button).
 * Input for other windows is discarded meanwhile; they still repaint. */
int krnMessageDialog(Display* display, KrnWindow* parent, const char* title, const char* message,
                     int style);

/* ------------------------------------------------------------------------ */
/* File dialog                                                              */
/* ------------------------------------------------------------------------ */

/* Modes of krnFileDialog (any mode other than KRN_FILE_OPEN saves) and the
 * least the caller's name buffer must hold: the path field's text (at most
 * 1024 bytes) and its terminating NUL.  Longer texts are never written. */
enum { KRN_FILE_OPEN = 500, KRN_FILE_SAVE = 501, KRN_FILE_NAME_SIZE = 1025 };

/* Lets the user pick a file name in a modal dialog listing the current
 * directory; navigating changes the process's current directory, and the
 * name handed back is relative to where the dialog ended.  buffer holds the
 * proposed name on entry and the confirmed one on return (empty after a
 * cancel); extensions is a null-terminated list such as ".txt" for the
 * "select" filter, or null.  110 when a name was confirmed, else 120. */
int krnFileDialog(Display* display, KrnWindow* parent, char* buffer, const char* const* extensions,
                  int mode);
/* Names of the rows selected when the last dialog was confirmed (as shown:
 * directories end in "/"); none after a cancel. */
int krnGetSelectFileCount_FileDialog(void);
char* krnGetSelectFileName_FileDialog(int index);

/* ------------------------------------------------------------------------ */
/* About dialog                                                             */
/* ------------------------------------------------------------------------ */

/* Shows text (outlined, in textColor, over wallpaper when given) with picture
 * at its left (may be null) and a centred OK button, centred over parent
 * (null: the screen); returns KRN_OK once the user has closed it.  The
 * images stay the caller's. */
int krnAboutDialog(Display* display, KrnWindow* parent, const char* title, const char* text,
                   KrnImage* picture, KrnImage* wallpaper, unsigned long textColor);
int WndProc_AboutDlg(Display* display, KrnWindow* dialog, XEvent* event);

/* ------------------------------------------------------------------------ */
/* Find dialog                                                              */
/* ------------------------------------------------------------------------ */

/* Codes the find dialog's callback hears: KRN_SEARCHED with the search's
 * result (KRN_FOUND, KRN_FOUND_WRAPPED, KRN_NOT_FOUND), KRN_REPLACED with
 * the number of matches replaced (-1: the text is locked). */
enum { KRN_SEARCHED = 610, KRN_REPLACED = 611 };

/* Opens the modeless find dialog over owner for target (a multi-line editor
 * or an input box), or raises the open one: a field for the text, one for
 * the replacement, Next, Previous, "Match case", Replace, Replace all (one
 * undo step) and Close; Return finds the next match, Shift+Return the one
 * before, Escape closes.  The dialog has no loop of its own: the
 * application's krnMainLoop must run over all top-level windows (null).
 * Returns the dialog, or null. */
KrnWindow* krnFindDialog(Display* display, KrnWindow* owner, KrnWindow* target,
                         KrnEventCallback callback);
int WndProc_FindDlg(Display* display, KrnWindow* dialog, XEvent* event);
/* Closes the dialog (null: whichever is open); 1, or 0 when none was. */
int krnCloseFindDialog(KrnWindow* dialog);
/* Repeats the last search made in the dialog (also after it was closed) on
 * target, forwards or with KRN_FIND_BACKWARD: its result, or -1 when there
 * was none. */
int krnFindAgain_FindDialog(KrnWindow* target, int flags);

/* ------------------------------------------------------------------------ */
/* Text dialog                                                              */
/* ------------------------------------------------------------------------ */

/* Shows a long text in a scrolling box with an OK button and its own loop;
 * the first time 600 x 400 centred on owner (null: the screen), later where
 * and as large as it was when it last closed.  Returns KRN_OK once closed. */
int krnTextDialog(Display* display, KrnWindow* owner, const char* title, const char* text);
KrnWindow* CreateWindow_TextDlg(Display* display, KrnWindow* parent, KrnRect rect,
                                const char* title);
int WndProc_TextDlg(Display* display, KrnWindow* window, XEvent* event);

#endif /* KORRIN_H */
