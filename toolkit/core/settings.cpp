/*
 * settings.cpp - the toolkit's settings: reads group "Korrin" of ~/.krnrc
 * through the resource file store, writes every missing key back with its
 * default (so the file documents all settings after the first run), and
 * turns the values into g_korrin's pixels, timing and input options, fonts,
 * font set and wallpaper.  Runs once, inside krnOpenDisplay.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <climits>
#include <string>

#include "core/korrin_internal.h"

namespace {

constexpr char kGroup[] = "Korrin";
constexpr size_t kValueLimit = 255;  // longest value taken (working buffer of 256)
constexpr int kReadBuffer = 1024;    // holds any value the store hands out

const char kDefaultFont[] = "-misc-*-*-*-*-*-14-*-*-*-*-*-jisx0201.1976-0";
const char kDefaultFontKanji[] = "-misc-*-*-*-*-*-14-*-*-*-*-*-*-0";
// The default Kanji pattern also matches single-byte fonts (JIS X 0201
// comes first on current servers); this one names the two-byte set.
const char kTwoByteFontKanji[] = "-misc-*-*-*-*-*-14-*-*-*-*-*-jisx0208.1983-0";
const char kLastResortFont[] = "fixed";

// The keys in the order they are read and appended.
enum SettingKey {
  kBackColor,
  kBorderColor,
  kFontColor,
  kPaperColor,
  kActionColor,
  kInterval,
  kDoubleClickTime,
  kMouseRightHand,
  kMouseButton,
  kTenKey,
  kCharCode,
  kIM,
  kFont,
  kFontKanji,
  kWallImage,
  kUndoSize,
  kNewFileCode,
  kSettingCount
};

struct Setting {
  const char* key;           // key in group "Korrin"
  const char* defaultValue;  // taken and written when the key is missing
};

const Setting kSettings[kSettingCount] = {
    {"BackColor", "DimGrey"},   {"BorderColor", "black"},
    {"FontColor", "grey"},      {"PaperColor", "DimGrey"},
    {"ActionColor", "blue"},    {"Interval", "35"},
    {"DoubleClickTime", "300"}, {"MouseRightHand", "TRUE"},
    {"MouseButton", "3"},       {"TenKey", "TRUE"},
    {"CharCode", "EUC"},        {"IM", "TRUE"},
    {"Font", kDefaultFont},     {"FontKanji", kDefaultFontKanji},
    {"WallImage", ""},          {"UndoSize", "4096"},
    {"NewFileCode", "EUC"},  // default: CharCode's code
};

// Colour settings: which slots of setColors take the colour itself and
// which take a shade of it (-1: none).
struct ColorSlots {
  SettingKey key;
  int plain;     // slot of the colour
  int shade[4];  // slot of shade type 0..3, or -1
};

const ColorSlots kColorSlots[] = {
    {kBackColor, KRN_SC_BACK, {KRN_SC_BACKFACE, KRN_SC_BACKLIGHT, KRN_SC_BACKDARK, -1}},
    {kBorderColor, KRN_SC_BORDER, {-1, -1, -1, -1}},
    {kFontColor, KRN_SC_FONT, {-1, -1, -1, KRN_SC_BACKFONT}},
    {kPaperColor, KRN_SC_PAPER, {-1, -1, -1, -1}},
    {kActionColor, KRN_SC_ACTION, {-1, -1, -1, -1}},
};

using Values = std::string[kSettingCount];

// Reads one key, or takes its default and writes it into the file.  A value
// longer than the working buffer is refused: cutting a font pattern, colour
// name or path would only give a wrong one.
std::string ReadSetting(const std::string& path, SettingKey key, const char* defaultValue) {
  const Setting& s = kSettings[key];
  char value[kReadBuffer];
  if (!krnGetRCFileValue(path.c_str(), kGroup, s.key, value)) {
    krnSetRCFileValue(path.c_str(), kGroup, s.key, defaultValue);
    return defaultValue;
  }
  if (strlen(value) > kValueLimit) {
    fprintf(stderr, "Warning: Korrin RC file - value of %s too long; using \"%s\".\n", s.key,
            defaultValue);
    return defaultValue;
  }
  return value;
}

// Leading decimal digits (with sign) as an int; 0 without digits.
int ParseInt(const std::string& value) {
  long v = strtol(value.c_str(), nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return int(v);
}

int ParseTrue(const std::string& value) {
  return value.compare(0, 4, "TRUE") == 0 ? 1 : 0;
}

int ParseCharCode(const std::string& value) {
  if (value.compare(0, 3, "EUC") == 0) return KRN_CODE_EUC;
  if (value.compare(0, 4, "SJIS") == 0) return KRN_CODE_SJIS;
  return KRN_CODE_ASCII;
}

// The code of a new text's file: EUC, SJIS or UTF8 (UTF-8 also taken), else
// the working code's.
int ParseNewFileCode(const std::string& value, int working) {
  if (value.compare(0, 4, "UTF8") == 0 || value.compare(0, 5, "UTF-8") == 0) return KRN_CODE_UTF8;
  if (value.compare(0, 3, "EUC") == 0 || value.compare(0, 4, "SJIS") == 0)
    return ParseCharCode(value);
  return working;
}

// NewFileCode's default names the working code, so that new texts are
// saved as before unless the user asks for another code.
const char* DefaultNewFileCode(const std::string& charCode) {
  return ParseCharCode(charCode) == KRN_CODE_SJIS ? "SJIS" : "EUC";
}

const char* DefaultOf(const Values& values, int key) {
  return key == kNewFileCode ? DefaultNewFileCode(values[kCharCode]) : kSettings[key].defaultValue;
}

void SetColors(Display* display, const Values& values) {
  Colormap cmap = g_korrin.colormap;
  for (const ColorSlots& c : kColorSlots) {
    std::string name = values[c.key];
    if (name.size() >= sizeof g_korrin.setColorNames[0]) {
      fprintf(stderr, "Warning: Korrin RC file - colour name of %s too long; using \"%s\".\n",
              kSettings[c.key].key, kSettings[c.key].defaultValue);
      name = kSettings[c.key].defaultValue;
    }
    // An unknown name would quietly give black (and captions drawn in the
    // back colour would vanish): the default colour is taken instead.
    XColor parsed;
    if (!XParseColor(display, cmap, name.c_str(), &parsed)) {
      fprintf(stderr, "Warning: Korrin RC file - unknown colour %s=%s; using \"%s\".\n",
              kSettings[c.key].key, name.c_str(), kSettings[c.key].defaultValue);
      name = kSettings[c.key].defaultValue;
    }
    g_korrin.setColors[c.plain] = krnGetNamedColor(display, cmap, name.c_str());
    krnCopyFixed(g_korrin.setColorNames[c.plain], sizeof g_korrin.setColorNames[0], name.c_str());
    for (int type = 0; type < 4; type++) {
      int slot = c.shade[type];
      if (slot < 0) continue;
      g_korrin.setColors[slot] = krnGetAlterNamedColor(display, cmap, name.c_str(), type);
      krnCopyFixed(g_korrin.setColorNames[slot], sizeof g_korrin.setColorNames[0], name.c_str());
    }
  }
}

// The single-byte font: the pattern, else the default, else the server's
// "fixed", so that text can always be measured and drawn.
XFontStruct* LoadFont(Display* display, const std::string& pattern) {
  XFontStruct* font = XLoadQueryFont(display, pattern.c_str());
  if (font) return font;
  const char* fallback = kDefaultFont;
  if (pattern != kDefaultFont) font = XLoadQueryFont(display, kDefaultFont);
  if (!font) {
    fallback = kLastResortFont;
    font = XLoadQueryFont(display, kLastResortFont);
  }
  if (font)
    fprintf(stderr, "Warning: Korrin RC file - Can't load font(%s) of Font; using \"%s\".\n",
            pattern.c_str(), fallback);
  else
    fprintf(stderr, "Error: Korrin RC file - Can't load font(%s) of Font, nor any other.\n",
            pattern.c_str());
  return font;
}

bool IsTwoByteFont(const XFontStruct* font) {
  return font->max_byte1 != 0;
}

// The double-byte font, or null when the pattern matches none.  A pattern
// that matches a single-byte font first is replaced by the two-byte set;
// the name actually loaded is returned in *loaded.
XFontStruct* LoadFontKanji(Display* display, const std::string& pattern, std::string* loaded) {
  XFontStruct* font = XLoadQueryFont(display, pattern.c_str());
  *loaded = pattern;
  if (!font || IsTwoByteFont(font)) return font;
  XFontStruct* twoByte = XLoadQueryFont(display, kTwoByteFontKanji);
  if (!twoByte) {
    fprintf(stderr, "Warning: Korrin RC file - Kanji font(%s) is a single-byte font.\n",
            pattern.c_str());
    return font;
  }
  XFreeFont(display, font);
  *loaded = kTwoByteFontKanji;
  return twoByte;
}

// Loads both fonts and the font set made of their names.
void SetFonts(Display* display, const Values& values, bool fromFile) {
  g_korrin.font = LoadFont(display, values[kFont]);
  std::string kanjiName;
  g_korrin.fontKanji = LoadFontKanji(display, values[kFontKanji], &kanjiName);
  if (!g_korrin.fontKanji) {
    if (fromFile) {
      fprintf(stderr,
              "Warning: Korrin RC file - Can't load Kanji font(%s) of FontKanji; using the Font "
              "font.\n",
              values[kFontKanji].c_str());
    } else {
      fputs("Warning: Can't load Kanji font; using the single-byte font.\n", stderr);
    }
    g_korrin.fontKanji = g_korrin.font;
    kanjiName = kDefaultFont;
  }
  std::string list = values[kFont] + "," + kanjiName;
  g_korrin.fontSet = CreateFontSet(display, list.c_str());
}

void SetWallImage(Display* display, const std::string& path) {
  g_korrin.wallImage = nullptr;
  if (path.empty()) return;
  int format = krnCheckImageFormat(path.c_str());
  g_korrin.wallImage = krnLoadImage(display, path.c_str(), g_korrin.colormap, format);
}

}  // namespace

// Reads every setting from ~/.krnrc (defaults without HOME, and for missing
// keys, which are written back) into g_korrin.  Needs g_korrin's display and
// colormap.  Always 1.
int GetRCFileValue(void) {
  Display* display = g_korrin.display;
  const char* home = getenv("HOME");
  Values values;
  if (home) {
    std::string path = std::string(home) + "/.krnrc";
    for (int k = 0; k < kSettingCount; k++)
      values[k] = ReadSetting(path, SettingKey(k), DefaultOf(values, k));
  } else {
    for (int k = 0; k < kSettingCount; k++) values[k] = DefaultOf(values, k);
  }

  SetColors(display, values);
  int interval = ParseInt(values[kInterval]);
  g_korrin.interval = interval > 0 ? interval : 1;
  g_korrin.doubleClickTime = ParseInt(values[kDoubleClickTime]);
  g_korrin.mouseRightHand = ParseTrue(values[kMouseRightHand]);
  g_korrin.mouseButtons = ParseInt(values[kMouseButton]);
  g_korrin.tenKey = ParseTrue(values[kTenKey]);
  g_korrin.charCode = ParseCharCode(values[kCharCode]);
  g_korrin.newFileCode = ParseNewFileCode(values[kNewFileCode], g_korrin.charCode);
  g_korrin.useIM = ParseTrue(values[kIM]);
  int undoSize = ParseInt(values[kUndoSize]);
  g_korrin.undoSize = undoSize > 0 ? undoSize : 0;
  SetFonts(display, values, home != nullptr);
  SetWallImage(display, values[kWallImage]);
  return 1;
}

// A font set for the current locale from a comma-separated list of base
// font names; character sets it lacks are reported but the set is used.
// Null when it cannot be created.
XFontSet CreateFontSet(Display* display, const char* baseNameList) {
  if (!display || !baseNameList) return nullptr;
  char** missing = nullptr;
  int missingCount = 0;
  char* defaultString = nullptr;
  XFontSet fontSet = XCreateFontSet(display, baseNameList, &missing, &missingCount, &defaultString);
  if (!fontSet) {
    fputs("Error: can't create font set.\n", stderr);
    if (missing) XFreeStringList(missing);
    return nullptr;
  }
  if (missingCount > 0) {
    fputs("Warning: can't load: ", stderr);
    for (int i = 0; i < missingCount; i++) fprintf(stderr, "%s ", missing[i]);
    fputs("\n", stderr);
    fprintf(stderr, "       : fs locale = '%s'\n", XLocaleOfFontSet(fontSet));
  }
  if (missing) XFreeStringList(missing);
  return fontSet;
}
