/*
 * xim.cpp - X input method support: one input method per process (opened
 * when the IM setting is on), an input context per text-entry window that
 * asks for one, the pre-edit spot and status area that follow the caret.
 * Without an input method every call here fails softly and text entry falls
 * back to plain key lookup.  Start at krnOpenIM_XIM and krnAttachIM.
 */
#include <algorithm>
#include <langinfo.h>
#include <locale.h>
#include <stdio.h>
#include <string.h>

#include <new>
#include <string>

#include "core/korrin_internal.h"
#include "support/charcode.h"

namespace {

// Over the spot first, then root-window style; 0 ends the list.
const XIMStyle kWantedStyles[] = {XIMPreeditPosition | XIMStatusNothing,
                                  XIMPreeditNothing | XIMStatusNothing, 0};

// Client data of the input-method callbacks.
char kClientData[] = "korrin im callback dummy";

XIM s_im = nullptr;    // the toolkit's own input method, also in g_korrin.im
int s_reRegister = 0;  // the server went away: an instantiate callback is due

// The X library frees every context of an input method when the method
// is closed or its server goes away.  Windows still holding one of them
// lose it here, so that key lookup and window destruction never touch a
// freed context; they go on with plain key lookup.
void ForgetContextsOf(XIM im) {
  if (!im || !g_krnKorrinManager) return;
  for (KrnWindow** w = g_krnKorrinManager; *w; ++w) {
    if (!(*w)->ic || XIMOfIC((*w)->ic) != im) continue;
    (*w)->ic = nullptr;
    (*w)->imStyle = 0;
  }
}

void OnIMInstantiate(Display* display, XPointer clientData, XPointer) {
  XUnregisterIMInstantiateCallback(display, nullptr, nullptr, nullptr, OnIMInstantiate, clientData);
}

// The server of the input method went away: forget it, so that new windows
// get no context from it and closing does not touch it.  The library frees
// its contexts right after this call, so the windows drop theirs too.
void OnIMServerDestroy(XIM im, XPointer, XPointer) {
  if (im != s_im) return;
  ForgetContextsOf(im);
  s_im = nullptr;
  g_korrin.im = nullptr;
  s_reRegister = 1;
}

// A nested attribute list of foreground, background and (when there is
// one) the font set, with the spot location first when spot is given.
XVaNestedList ColorsAndFonts(XPoint* spot, unsigned long fg, unsigned long bg, XFontSet fontSet) {
  if (spot && fontSet) {
    return XVaCreateNestedList(0, XNSpotLocation, spot, XNForeground, fg, XNBackground, bg,
                               XNFontSet, fontSet, nullptr);
  }
  if (spot) {
    return XVaCreateNestedList(0, XNSpotLocation, spot, XNForeground, fg, XNBackground, bg,
                               nullptr);
  }
  if (fontSet) {
    return XVaCreateNestedList(0, XNForeground, fg, XNBackground, bg, XNFontSet, fontSet, nullptr);
  }
  return XVaCreateNestedList(0, XNForeground, fg, XNBackground, bg, nullptr);
}

// Hands ic to the window, selecting the events the input method filters.
// 1, or 0 when the context cannot tell them.
int UseIC(KrnWindow* window, XIC ic, XIMStyle style) {
  unsigned long filterEvents = 0;
  char* failed = XGetICValues(ic, XNFilterEvents, &filterEvents, nullptr);
  if (failed) {
    fprintf(stderr, "Error: Attach IC - XGetICValues() failed: '%s'\n", failed);
    return 0;
  }
  XSelectInput(g_korrin.display, window->win, KRN_EVENT_MASK | long(filterEvents));
  if (window->ic && window->ic != ic) XDestroyIC(window->ic);
  window->ic = ic;
  window->imStyle = style;
  return 1;
}

// UTF-8 locales tried for the input method when the current one is served
// by no server (C.UTF-8 is in few servers' lists).
const char* const kUtf8Locales[] = {"ja_JP.UTF-8", "ja_JP.utf8", "en_US.UTF-8"};

// Opens the display's default input method.  A server lists the locales it
// serves by name, and a UTF-8 locale is often not among them by its own
// name; every UTF-8 locale hands over the same UTF-8 text, so the method is
// opened under one the server knows, and the locale's character type stays
// that one.  Null when none opens.
XIM OpenDefaultIM(Display* display) {
  XIM im = XOpenIM(display, nullptr, nullptr, nullptr);
  if (im || krnLocaleCode_XIM() != KRN_CODE_UTF8) return im;
  const char* current = setlocale(LC_CTYPE, nullptr);
  std::string old = current ? current : "";
  for (const char* name : kUtf8Locales) {
    if (old == name || !setlocale(LC_CTYPE, name)) continue;
    if (XSupportsLocale() && XSetLocaleModifiers("") &&
        (im = XOpenIM(display, nullptr, nullptr, nullptr)))
      return im;
  }
  setlocale(LC_CTYPE, old.c_str());
  XSetLocaleModifiers("");
  return nullptr;
}

}  // namespace

int krnLocaleCode_XIM(void) {
  const char* codeset = nl_langinfo(CODESET);
  if (!codeset) return KRN_CODE_BINARY;
  if (strcmp(codeset, "UTF-8") == 0) return KRN_CODE_UTF8;
  if (strcmp(codeset, "EUC-JP") == 0) return KRN_CODE_EUC;
  if (strcmp(codeset, "SHIFT_JIS") == 0 || strcmp(codeset, "SJIS") == 0) return KRN_CODE_SJIS;
  return KRN_CODE_BINARY;
}

// Text from the input method is in the locale's code and is converted from
// it; plain key lookup gives single bytes of no known code, whose code is
// guessed as before.
int krnTypedToWorkingCode(char* buffer, int n, int room, int fromInputMethod) {
  unsigned char* bytes = reinterpret_cast<unsigned char*>(buffer);
  int working = g_korrin.charCode;
  int source = fromInputMethod ? krnLocaleCode_XIM() : KRN_CODE_BINARY;
  bool converts = (working == KRN_CODE_EUC || working == KRN_CODE_SJIS) &&
                  source != KRN_CODE_BINARY && source != working;
  // Plain key lookup types Latin-1: its bytes above 0x7F become the working
  // code's character (or 〓), never a lone byte that would pair with the
  // text's next one.
  bool latin1 = !fromInputMethod && (working == KRN_CODE_EUC || working == KRN_CODE_SJIS) &&
                std::any_of(bytes, bytes + n, [](unsigned char b) { return b > 0x7F; });
  if (!converts && !latin1) {
    krnToConvCharCode(bytes, n, krnCheckCharCode(bytes, n), working);
    return n;
  }
  try {
    std::string out;
    if (latin1) {
      std::string utf8;
      for (int i = 0; i < n; i++) {
        if (bytes[i] > 0x7F) utf8 += static_cast<char>(0xC0 | bytes[i] >> 6);
        utf8 += static_cast<char>(bytes[i] > 0x7F ? 0x80 | (bytes[i] & 0x3F) : bytes[i]);
      }
      charcode::FromUtf8(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size(), working,
                         out);
    } else {
      charcode::Convert(bytes, static_cast<size_t>(n), source, working, out);
    }
    if (out.size() >= static_cast<size_t>(room)) return -1;
    memcpy(buffer, out.data(), out.size());
    buffer[out.size()] = '\0';
    return static_cast<int>(out.size());
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

// Sets the locale of every category (empty name: from the environment) and
// the X locale modifiers (from XMODIFIERS).  1, or 0 with a message.
int krnLocale_XIM(const char* locale) {
  if (!setlocale(LC_ALL, locale ? locale : "")) {
    fputs("Error: IM - can't set locale\n", stderr);
    return 0;
  }
  if (!XSetLocaleModifiers("")) {
    fputs("Error: IM - can't set locale modifiers\n", stderr);
    return 0;
  }
  return 1;
}

// Opens the display's default input method once; later calls return the
// same one.  Null when none can be opened.
XIM krnOpenIM_XIM(Display* display) {
  if (s_im) return s_im;
  if (!display) return nullptr;
  XIM im = OpenDefaultIM(display);
  if (!im) {
    fputs("Warning: Open XIM - can't open IM.\n", stderr);
    XRegisterIMInstantiateCallback(display, nullptr, nullptr, nullptr, OnIMInstantiate,
                                   kClientData);
    s_reRegister = 0;
    return nullptr;
  }
  XIMCallback destroy;
  destroy.client_data = kClientData;
  destroy.callback = OnIMServerDestroy;
  char* failed = XSetIMValues(im, XNDestroyCallback, &destroy, nullptr);
  if (failed) fprintf(stderr, "Warning: Open XIM - XSetIMValues failed: '%s'\n", failed);
  s_im = im;
  g_korrin.im = im;
  return im;
}

// Closes the toolkit's own input method: 1, else 0 (another or none).
// Closing frees its contexts, so windows that still hold one drop it.
int krnCloseIM_XIM(XIM im) {
  if (!im || im != s_im) return 0;
  ForgetContextsOf(im);
  XCloseIM(im);
  s_im = nullptr;
  g_korrin.im = nullptr;
  return 1;
}

// The first style of the 0-terminated wanted list that im supports, or 0.
XIMStyle krnSelectStyle_XIM(XIM im, const XIMStyle* wanted) {
  if (!im || !wanted) return 0;
  XIMStyles* styles = nullptr;
  char* failed = XGetIMValues(im, XNQueryInputStyle, &styles, nullptr);
  if (failed || !styles) {
    fprintf(stderr, "Error: XIM Style - XGetIMValues() failed: '%s'\n",
            failed ? failed : XNQueryInputStyle);
    return 0;
  }
  XIMStyle chosen = 0;
  for (const XIMStyle* w = wanted; *w && !chosen; w++) {
    for (int i = 0; i < styles->count_styles; i++) {
      if (styles->supported_styles[i] == *w) chosen = *w;
    }
  }
  XFree(styles);
  return chosen;
}

// A new input context for the window in the given style, its pre-edit at
// (0, 0); null when im or style is missing or the context cannot be made.
XIC krnCreateIC_XIM(KrnWindow* window, XIM im, XIMStyle style, XFontSet fontSet,
                    unsigned long foreground, unsigned long background) {
  if (!im || !style) {
    fputs("Error: XIM - IM is invalid.\n", stderr);
    return nullptr;
  }
  if (!window) return nullptr;
  XPoint spot = {0, 0};
  XVaNestedList preedit = ColorsAndFonts(&spot, foreground, background, fontSet);
  XVaNestedList status = ColorsAndFonts(nullptr, foreground, background, fontSet);
  XIC ic = XCreateIC(im, XNInputStyle, style, XNClientWindow, window->win, XNPreeditAttributes,
                     preedit, XNStatusAttributes, status, nullptr);
  XFree(preedit);
  XFree(status);
  return ic;
}

void krnDestroyIC_XIM(XIC ic) {
  if (ic) XDestroyIC(ic);
}

// Gives the window an input context: ic as given (style 0), or a new one
// in the best style the input method offers.  The window owns it from now
// on.  1, or 0 without an input method or context.
int krnAttachIM(KrnWindow* window, XIC ic) {
  if (!window || !krnIsOpenIM_XIM()) return 0;
  XIMStyle style = 0;
  bool created = false;
  if (!ic) {
    style = krnSelectStyle_XIM(g_korrin.im, kWantedStyles);
    if (style) {
      ic = krnCreateIC_XIM(window, g_korrin.im, style, g_korrin.fontSet, window->foreFontColor,
                           window->backFontColor);
      created = ic != nullptr;
    }
  }
  if (!ic) {
    fputs("Error: Attach IC - can't create IC.\n", stderr);
    return 0;
  }
  if (UseIC(window, ic, style)) return 1;
  if (created) XDestroyIC(ic);
  return 0;
}

// Takes the window's context away (destroying it when destroy is 1) and
// selects the plain event mask again.  0 for a null window.
int krnDetachIM(KrnWindow* window, int destroy) {
  if (!window) return 0;
  if (g_korrin.display && window->win) XSelectInput(g_korrin.display, window->win, KRN_EVENT_MASK);
  if (destroy == 1 && window->ic) XDestroyIC(window->ic);
  window->ic = nullptr;
  window->imStyle = 0;
  return 1;
}

int krnSetFocusIC_XIM(KrnWindow* window) {
  if (!window || !window->ic) return 0;
  XSetICValues(window->ic, XNFocusWindow, window->win, nullptr);
  XSetICFocus(window->ic);
  return 1;
}

int krnUnsetFocusIC_XIM(KrnWindow* window) {
  if (!window || !window->ic) return 0;
  XUnsetICFocus(window->ic);
  return 1;
}

// Moves the pre-edit spot to a point of the window; only contexts that
// draw their pre-edit at a position have one (else 0, nothing sent).
int krnMovePreedit_XIM(KrnWindow* window, XPoint spot) {
  if (!window || !window->ic || !(window->imStyle & XIMPreeditPosition)) return 0;
  XVaNestedList list = XVaCreateNestedList(0, XNSpotLocation, &spot, nullptr);
  XSetICValues(window->ic, XNPreeditAttributes, list, nullptr);
  XFree(list);
  return 1;
}

// Places the status area at rect's position, sized as the input method
// needs (rect's size proposed); only for styles with a status area.
int krnSetStatusArea_XIM(KrnWindow* window, KrnRect rect) {
  if (!window || !window->ic || !(window->imStyle & XIMStatusArea)) return 0;
  XRectangle area = {0, 0, rect.width, rect.height};
  XVaNestedList list = XVaCreateNestedList(0, XNAreaNeeded, &area, nullptr);
  XSetICValues(window->ic, XNStatusAttributes, list, nullptr);
  XFree(list);

  XRectangle* needed = nullptr;
  list = XVaCreateNestedList(0, XNAreaNeeded, &needed, nullptr);
  char* failed = XGetICValues(window->ic, XNStatusAttributes, list, nullptr);
  XFree(list);
  if (failed) fprintf(stderr, "Error: XIM - status attribute error '%s'\n", failed);
  if (!failed && needed) area = *needed;
  if (needed) XFree(needed);

  area.x = rect.x;
  area.y = rect.y;
  list = XVaCreateNestedList(0, XNArea, &area, nullptr);
  XSetICValues(window->ic, XNStatusAttributes, list, nullptr);
  XFree(list);
  return 1;
}

XIM krnGetIM_XIM(void) {
  return g_korrin.im;
}

int krnIsOpenIM_XIM(void) {
  return g_korrin.im != nullptr;
}
