// The display session: the global toolkit record g_korrin, the registry of
// every live window record, the toolkit's command-line options and usage
// text, and the fixed order in which a session is opened and closed.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/korrin_internal.h"

KrnKorrin g_korrin;
KrnWindow** g_krnKorrinManager = nullptr;

namespace {

// The basic colours, allocated in this order into g_korrin.colors.
const unsigned char kBasicColors[KRN_NCOLORS][3] = {
    {0, 0, 0},     {255, 255, 255}, {255, 0, 0},     {0, 255, 0},  {0, 0, 255}, {255, 255, 0},
    {255, 0, 255}, {0, 255, 255},   {128, 128, 128}, {64, 64, 64}, {128, 0, 0}, {0, 128, 0},
    {0, 0, 128},   {128, 128, 0},   {128, 0, 128},   {0, 128, 128}};

const char* const kHelpOptions[] = {"-help", "--help", "--h", "--?", "-?", "-h"};

bool IsHelpOption(const char* arg) {
  for (const char* h : kHelpOptions)
    if (strcmp(arg, h) == 0) return true;
  return false;
}

// A display name too long for its field: kept so that opening can refuse
// it instead of quietly connecting to the default display.
const char* g_refusedDisplay = nullptr;

// Stores an option value in a fixed field; an over-long value is refused
// with a message rather than cut, since a cut display name or geometry would
// silently address something else.  Returns whether it was stored.
bool TakeOption(char* field, size_t size, const char* option, const char* value) {
  if (krnCopyFixed(field, size, value)) return true;
  fprintf(stderr, "Error: %s value too long (limit %zu characters).\n", option, size - 1);
  return false;
}

// The toolkit's usage text; the application prints its own part after it.
void usage(int flag) {
  fprintf(stderr, "*** Korrin(%s) Standard command ***\n", g_korrin.version);
  fprintf(stderr, "\n");
  if (!flag) return;
  fprintf(stderr, " Usage: %s [-display <name>] [-geometry <WxH+X+Y>] [-help]\n\n",
          g_korrin.programName);
  fprintf(stderr, " display <name> (or -d)     ... Name of the X server\n");
  fprintf(stderr, " geometry <WxH+X+Y> (or -g) ... Set window size & position\n");
  fprintf(stderr, "                                (size: WidthxHeight, position: +-X +-Y)\n");
  fprintf(stderr, " help(or -h, -?)            ... This message\n");
  fprintf(stderr, "\n");
  fprintf(stderr, "*** Application command ***\n\n");
}

}  // namespace

// The toolkit's usage text, for a program that prints it without opening a
// display (a help option, an unknown option).
int krnUsage(int flag) {
  if (!g_korrin.version[0]) snprintf(g_korrin.version, sizeof g_korrin.version, "%s", KRN_VERSION);
  usage(flag);
  return 1;
}

namespace {

void LoadStockImages(Display* display) {
  for (int i = 0; i < KRN_NIMAGES; i++)
    g_korrin.images[i] = krnStockImageData[i] ? krnLoadImageFromData(display, krnStockImageData[i],
                                                                     g_korrin.colormap)
                                              : nullptr;
  const KrnCursorData* cursors[KRN_NCURSORS] = {&res_curFinger, &res_curWait, &res_curIbeam};
  for (int i = 0; i < KRN_NCURSORS; i++) g_korrin.cursors[i] = krnLoadCursor(display, cursors[i]);
}

void FreeGC(Display* display, GC& gc) {
  if (gc) XFreeGC(display, gc);
  gc = nullptr;
}

// Destroys every window left: each top-level window takes its subtree along.
void DestroyAllWindows(Display* display) {
  if (!g_krnKorrinManager) return;
  int tops = 0;
  for (KrnWindow** p = g_krnKorrinManager; *p; p++)
    if (!(*p)->parent) tops++;
  for (int n = 0; n < tops && g_krnKorrinManager; n++) {
    KrnWindow* top = nullptr;
    for (KrnWindow** p = g_krnKorrinManager; *p; p++)
      if (!(*p)->parent) {
        top = *p;
        break;
      }
    if (!top) break;
    krnDestroyWindow(display, top);
  }
  free(g_krnKorrinManager);
  g_krnKorrinManager = nullptr;
}

}  // namespace

int krnCopyFixed(char* dst, size_t n, const char* src) {
  if (!dst || n == 0) return 0;
  size_t len = src ? strlen(src) : 0;
  if (len >= n) {
    dst[0] = '\0';
    return 0;
  }
  memcpy(dst, src ? src : "", len + 1);
  return 1;
}

// Reads the toolkit's own options; the application skips them again later.
int ArgInit(int argc, char** argv) {
  if (argc == 0 || !argv) return 0;
  const char* base = argv[0] ? strrchr(argv[0], '/') : nullptr;
  base = base ? base + 1 : (argv[0] ? argv[0] : "");
  if (!krnCopyFixed(g_korrin.programName, sizeof g_korrin.programName, base))
    // A base name that long is only shown in the usage text; cutting it is harmless.
    snprintf(g_korrin.programName, sizeof g_korrin.programName, "%s", base);
  for (int i = 1; i < argc; i++) {
    const char* a = argv[i];
    bool hasValue = i + 1 < argc;
    if ((!strcmp(a, "-display") || !strcmp(a, "-d")) && hasValue) {
      const char* name = argv[++i];
      g_refusedDisplay =
          TakeOption(g_korrin.displayName, sizeof g_korrin.displayName, a, name) ? nullptr : name;
    } else if ((!strcmp(a, "-geometry") || !strcmp(a, "-g")) && hasValue) {
      TakeOption(g_korrin.geometry, sizeof g_korrin.geometry, a, argv[++i]);
    } else if (IsHelpOption(a)) {
      usage(1);
    }
  }
  return 1;
}

// Opens the display and builds g_korrin; ends the process when the display
// cannot be opened.
Display* krnOpenDisplay(int argc, char** argv) {
  snprintf(g_korrin.version, sizeof g_korrin.version, "%s", KRN_VERSION);
  g_korrin.im = nullptr;
  g_korrin.programName[0] = g_korrin.displayName[0] = g_korrin.geometry[0] = '\0';
  ArgInit(argc, argv);
  if (g_refusedDisplay) {
    fprintf(stderr, "Error: [%s] can't open display.\n", g_refusedDisplay);
    exit(1);
  }

  Display* display = XOpenDisplay(g_korrin.displayName[0] ? g_korrin.displayName : nullptr);
  if (!display) {
    fprintf(stderr, "Error: [%s] can't open display.\n", g_korrin.displayName);
    exit(1);
  }
  krnInstallXErrorHandler();
  krnLocale_XIM("");
  krnInitKeyRepeat(display);

  Window root = RootWindow(display, 0);
  Window rootRet;
  int x, y;
  unsigned int width, height, border, depth;
  XGetGeometry(display, root, &rootRet, &x, &y, &width, &height, &border, &depth);
  Colormap colormap = DefaultColormap(display, 0);
  g_korrin.display = display;
  g_korrin.screenWidth = (int)width;
  g_korrin.screenHeight = (int)height;
  g_korrin.depth = depth;
  g_korrin.colormap = colormap;
  g_korrin.colorTable8 = depth == 8 ? krnConvertColormap(display, colormap) : nullptr;
  g_korrin.debugCallback = nullptr;
  g_korrin.selectedNames = nullptr;

  for (int i = 0; i < KRN_NCOLORS; i++)
    g_korrin.colors[i] =
        krnGetColor(display, colormap, kBasicColors[i][0], kBasicColors[i][1], kBasicColors[i][2]);
  LoadStockImages(display);
  g_korrin.nCursors = KRN_NCURSORS;
  g_korrin.nImages = KRN_NIMAGES;
  g_korrin.nColors = KRN_NCOLORS;
  g_korrin.nSetColors = KRN_NSETCOLORS;

  g_korrin.gc = XCreateGC(display, root, 0, nullptr);
  g_korrin.gcFill = XCreateGC(display, root, 0, nullptr);
  g_korrin.gcText = XCreateGC(display, root, 0, nullptr);
  g_korrin.gcTextKanji = XCreateGC(display, root, 0, nullptr);

  GetRCFileValue();
  if (g_korrin.useIM == 1) g_korrin.im = krnOpenIM_XIM(display);

  XSetForeground(display, g_korrin.gcFill, g_korrin.setColors[KRN_SC_BACK]);
  GC textGCs[2] = {g_korrin.gcText, g_korrin.gcTextKanji};
  XFontStruct* fonts[2] = {g_korrin.font, g_korrin.fontKanji};
  for (int i = 0; i < 2; i++) {
    XSetGraphicsExposures(display, textGCs[i], False);
    XSetForeground(display, textGCs[i], g_korrin.setColors[KRN_SC_FONT]);
    if (fonts[i]) XSetFont(display, textGCs[i], fonts[i]->fid);
  }
  XFlush(display);
  return display;
}

// Destroys every window and releases what krnOpenDisplay built.
int krnCloseDisplay(Display* display) {
  if (!display) return 0;
  // The clipboard outlives us in a clipboard manager, when one runs; the
  // windows are still there to be painted while it takes the text.
  krnSaveClipboard(display);
  FreeGC(display, g_korrin.gc);
  FreeGC(display, g_korrin.gcFill);
  FreeGC(display, g_korrin.gcText);
  FreeGC(display, g_korrin.gcTextKanji);

  if (g_korrin.wallImage) krnFreeImage(display, g_korrin.wallImage);
  g_korrin.wallImage = nullptr;
  for (int i = 0; i < g_korrin.nImages; i++) {
    if (g_korrin.images[i]) krnFreeImage(display, g_korrin.images[i]);
    g_korrin.images[i] = nullptr;
  }
  for (int i = 0; i < g_korrin.nCursors; i++) {
    if (g_korrin.cursors[i]) XFreeCursor(display, g_korrin.cursors[i]);
    g_korrin.cursors[i] = 0;
  }
  // The default colormap belongs to the server; freeing it is a no-op there.
  if (g_korrin.colormap) XFreeColormap(display, g_korrin.colormap);

  if (g_korrin.fontKanji && g_korrin.fontKanji != g_korrin.font)
    XFreeFont(display, g_korrin.fontKanji);
  if (g_korrin.font) XFreeFont(display, g_korrin.font);
  g_korrin.font = g_korrin.fontKanji = nullptr;
  if (g_korrin.fontSet) XFreeFontSet(display, g_korrin.fontSet);
  g_korrin.fontSet = nullptr;

  DestroyAllWindows(display);

  free(g_korrin.colorTable8);
  g_korrin.colorTable8 = nullptr;
  if (g_korrin.selectedNames) {
    for (char** p = g_korrin.selectedNames; *p; p++) free(*p);
    free(g_korrin.selectedNames);
    g_korrin.selectedNames = nullptr;
  }
  krnCloseSelections(display);
  XFlush(display);
  krnCloseIM_XIM(g_korrin.im);
  g_korrin.im = nullptr;
  XCloseDisplay(display);
  g_korrin.display = nullptr;
  return 1;
}

/* ---- registry ---------------------------------------------------------- */

// Number of records in a null-terminated list (0 for none).
int krnListCount(KrnWindow** list) {
  int n = 0;
  if (list)
    while (list[n]) n++;
  return n;
}

// Appends a record to a null-terminated list, growing it by one slot.
int krnListAppend(KrnWindow*** list, KrnWindow* window) {
  int n = krnListCount(*list);
  KrnWindow** grown = (KrnWindow**)realloc(*list, sizeof(KrnWindow*) * (n + 2));
  if (!grown) {
    fprintf(stderr, "Error: can't allocate memory\n");
    return 0;
  }
  grown[n] = window;
  grown[n + 1] = nullptr;
  *list = grown;
  return 1;
}

// Removes a record (its last occurrence) from a null-terminated list,
// keeping the order of the others; the only entry releases the list.
int krnListRemove(KrnWindow*** list, KrnWindow* window) {
  int n = krnListCount(*list);
  int index = -1;
  for (int i = 0; i < n; i++)
    if ((*list)[i] == window) index = i;
  if (index < 0) return 1;
  if (n == 1) {
    free(*list);
    *list = nullptr;
    return 1;
  }
  memmove(&(*list)[index], &(*list)[index + 1], sizeof(KrnWindow*) * (n - index));
  KrnWindow** shrunk = (KrnWindow**)realloc(*list, sizeof(KrnWindow*) * n);
  if (!shrunk) {
    // The entry is already gone and the list terminated; only the shrink failed.
    fprintf(stderr, "Error: can't allocate memory\n");
    return 0;
  }
  *list = shrunk;
  return 1;
}

int AddKorrinManager(KrnWindow* window) {
  return krnListAppend(&g_krnKorrinManager, window);
}

int DeleteKorrinManager(KrnWindow* window) {
  return krnListRemove(&g_krnKorrinManager, window);
}

int CheckKrnPointer(KrnWindow* window) {
  if (!g_krnKorrinManager || !window) return 0;
  for (KrnWindow** p = g_krnKorrinManager; *p; p++)
    if (*p == window) return 1;
  return 0;
}

// 1 when the X window belongs to the window or to any of its descendants.
int CheckChildWindow(KrnWindow* window, Window xwindow) {
  if (!window) return 0;
  if (window->win == xwindow) return 1;
  if (window->children)
    for (KrnWindow** c = window->children; *c; c++)
      if (CheckChildWindow(*c, xwindow)) return 1;
  return 0;
}
