// Settings from ~/.krnrc: each case opens the toolkit in a forked child with
// its own HOME and resource file, checks g_korrin there, and the parent
// checks the file afterwards.
#include <gtest/gtest.h>
#include <korrin.h>

#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <functional>
#include <iostream>
#include <string>

#include "xharness.h"

KRN_X_ENVIRONMENT(24, false);

namespace {

const std::string kDefaultFile =
    "[Korrin]\n"
    "BackColor=DimGrey\n"
    "BorderColor=black\n"
    "FontColor=grey\n"
    "PaperColor=DimGrey\n"
    "ActionColor=blue\n"
    "Interval=35\n"
    "DoubleClickTime=300\n"
    "MouseRightHand=TRUE\n"
    "MouseButton=3\n"
    "TenKey=TRUE\n"
    "CharCode=EUC\n"
    "IM=TRUE\n"
    "Font=-misc-*-*-*-*-*-14-*-*-*-*-*-jisx0201.1976-0\n"
    "FontKanji=-misc-*-*-*-*-*-14-*-*-*-*-*-*-0\n"
    "WallImage=\n"
    "UndoSize=4096\n"
    "NewFileCode=EUC\n";

// Compares in the child; prints what differs on standard error.
template <typename T>
bool Same(const char* what, const T& expect, const T& actual) {
  if (expect == actual) return true;
  std::cerr << what << ": expected " << expect << ", got " << actual << "\n";
  return false;
}

unsigned long RGBPixel(int r, int g, int b) {
  return (unsigned long)(r << 16 | g << 8 | b);  // the 24-bit TrueColor layout
}

// Replaces the value of key in a resource file's text.
std::string WithValue(std::string data, const std::string& key, const std::string& value) {
  size_t at = data.find("\n" + key + "=") + key.size() + 2;
  return data.replace(at, data.find('\n', at) - at, value);
}

// Opens the toolkit with HOME (unset when null) and runs check; exits 0
// when it holds.  Runs inside EXPECT_EXIT, so in a forked child.
void OpenAndCheck(const char* home, const std::function<bool()>& check) {
  if (home) {
    setenv("HOME", home, 1);
  } else {
    unsetenv("HOME");
  }
  char prog[] = "settings_test";
  char* argv[] = {prog, nullptr};
  Display* display = krnOpenDisplay(1, argv);
  bool ok = check();
  krnCloseDisplay(display);
  exit(ok ? 0 : 1);
}

bool DefaultValues() {
  bool ok = Same("interval", 35, g_korrin.interval);
  ok &= Same("doubleClickTime", 300, g_korrin.doubleClickTime);
  ok &= Same("mouseRightHand", 1, g_korrin.mouseRightHand);
  ok &= Same("mouseButtons", 3, g_korrin.mouseButtons);
  ok &= Same("tenKey", 1, g_korrin.tenKey);
  ok &= Same("charCode", int(KRN_CODE_EUC), g_korrin.charCode);
  ok &= Same("useIM", 1, g_korrin.useIM);
  ok &= Same("undoSize", 4096, g_korrin.undoSize);
  ok &= Same("back", RGBPixel(105, 105, 105), g_korrin.setColors[KRN_SC_BACK]);
  ok &= Same("border", RGBPixel(0, 0, 0), g_korrin.setColors[KRN_SC_BORDER]);
  ok &= Same("font", RGBPixel(190, 190, 190), g_korrin.setColors[KRN_SC_FONT]);
  ok &= Same("backFont", RGBPixel(62, 62, 62), g_korrin.setColors[KRN_SC_BACKFONT]);
  ok &= Same("paper", RGBPixel(105, 105, 105), g_korrin.setColors[KRN_SC_PAPER]);
  ok &= Same("light", RGBPixel(197, 197, 197), g_korrin.setColors[KRN_SC_BACKLIGHT]);
  ok &= Same("dark", RGBPixel(52, 52, 52), g_korrin.setColors[KRN_SC_BACKDARK]);
  ok &= Same("action", RGBPixel(0, 0, 255), g_korrin.setColors[KRN_SC_ACTION]);
  ok &= Same("face", RGBPixel(122, 122, 122), g_korrin.setColors[KRN_SC_BACKFACE]);
  const char* names[KRN_NSETCOLORS] = {"DimGrey", "black",   "grey", "grey",   "DimGrey",
                                       "DimGrey", "DimGrey", "blue", "DimGrey"};
  for (int i = 0; i < KRN_NSETCOLORS; i++) {
    ok &= Same("name", std::string(names[i]), std::string(g_korrin.setColorNames[i]));
  }
  ok &= Same("wallImage", (void*)nullptr, (void*)g_korrin.wallImage);
  return ok;
}

bool FontsUsable() {
  bool ok = Same("font loaded", true, g_korrin.font != nullptr);
  ok &= Same("kanji loaded", true, g_korrin.fontKanji != nullptr);
  if (!ok) return false;
  ok &= Same("font single-byte", 0u, g_korrin.font->max_byte1);
  ok &= Same("kanji two-byte", true, g_korrin.fontKanji->max_byte1 != 0);
  ok &= Same("font set", true, g_korrin.fontSet != nullptr);
  return ok;
}

class Settings : public ::testing::Test {
 protected:
  krntest::TempDir home_;
  std::string rc_ = home_.file(".krnrc");
};

TEST_F(Settings, FreshHomeGetsEveryKeyWithItsDefault) {
  EXPECT_EXIT(OpenAndCheck(home_.path().c_str(), [] { return DefaultValues() && FontsUsable(); }),
              ::testing::ExitedWithCode(0), "Warring: Can't open rc file");
  EXPECT_EQ(kDefaultFile, krntest::ReadFile(rc_));
  // A second start finds every key and writes nothing.
  EXPECT_EXIT(OpenAndCheck(home_.path().c_str(), [] { return DefaultValues(); }),
              ::testing::ExitedWithCode(0), "^$");
  EXPECT_EQ(kDefaultFile, krntest::ReadFile(rc_));
}

TEST_F(Settings, WithoutHomeNothingIsWritten) {
  // The child works in the empty directory, so a file written relative to
  // a missing HOME would show up there too.
  EXPECT_EXIT(
      {
        if (chdir(home_.path().c_str()) != 0) exit(2);
        OpenAndCheck(nullptr, [] { return DefaultValues() && FontsUsable(); });
      },
      ::testing::ExitedWithCode(0), "^$");
  EXPECT_EQ("", krntest::Run("ls -A '" + home_.path() + "'"));
}

struct ValueCase {
  const char* line;          // the one entry written before the start
  std::function<bool()> ok;  // checked in the child
};

TEST_F(Settings, ValuesAreParsed) {
  const ValueCase cases[] = {
      {"Interval=0", [] { return Same("interval", 1, g_korrin.interval); }},
      {"Interval=-5", [] { return Same("interval", 1, g_korrin.interval); }},
      {"Interval=abc", [] { return Same("interval", 1, g_korrin.interval); }},
      {"Interval= 12ms ", [] { return Same("interval", 12, g_korrin.interval); }},
      {"DoubleClickTime=99999999999",
       [] { return Same("dct", INT_MAX, g_korrin.doubleClickTime); }},
      {"CharCode=SJIS", [] { return Same("code", int(KRN_CODE_SJIS), g_korrin.charCode); }},
      {"CharCode=JIS", [] { return Same("code", int(KRN_CODE_ASCII), g_korrin.charCode); }},
      {"CharCode=EUC-JP", [] { return Same("code", int(KRN_CODE_EUC), g_korrin.charCode); }},
      {"NewFileCode=UTF8", [] { return Same("new", int(KRN_CODE_UTF8), g_korrin.newFileCode); }},
      {"NewFileCode=SJIS", [] { return Same("new", int(KRN_CODE_SJIS), g_korrin.newFileCode); }},
      {"CharCode=SJIS\nNewFileCode=JIS",
       [] { return Same("new", int(KRN_CODE_SJIS), g_korrin.newFileCode); }},
      {"MouseRightHand=true", [] { return Same("right", 0, g_korrin.mouseRightHand); }},
      {"MouseRightHand=TRUEly", [] { return Same("right", 1, g_korrin.mouseRightHand); }},
      {"TenKey=FALSE", [] { return Same("tenKey", 0, g_korrin.tenKey); }},
      {"MouseButton=2", [] { return Same("button", 2, g_korrin.mouseButtons); }},
      {"IM=FALSE",
       [] { return Same("useIM", 0, g_korrin.useIM) && Same("im", true, g_korrin.im == nullptr); }},
      {"BackColor=red",
       [] {
         return Same("back", RGBPixel(255, 0, 0), g_korrin.setColors[KRN_SC_BACK]) &&
                Same("light", RGBPixel(255, 255, 255), g_korrin.setColors[KRN_SC_BACKLIGHT]) &&
                Same("dark", RGBPixel(127, 0, 0), g_korrin.setColors[KRN_SC_BACKDARK]) &&
                Same("name", std::string("red"), std::string(g_korrin.setColorNames[KRN_SC_BACK]));
       }},
      {"FontColor=#102030",
       [] {
         return Same("font", RGBPixel(0x10, 0x20, 0x30), g_korrin.setColors[KRN_SC_FONT]) &&
                Same("backFont", RGBPixel(255, 255, 255), g_korrin.setColors[KRN_SC_BACKFONT]);
       }},
      // an empty name is no colour: the default, not black
      {"BackColor=",
       [] { return Same("back", RGBPixel(105, 105, 105), g_korrin.setColors[KRN_SC_BACK]); }},
  };
  for (const ValueCase& c : cases) {
    krntest::WriteFile(rc_, std::string("[Korrin]\n") + c.line + "\n");
    EXPECT_EXIT(OpenAndCheck(home_.path().c_str(), c.ok), ::testing::ExitedWithCode(0), "")
        << c.line;
  }
}

TEST_F(Settings, MissingKeysAreAddedAfterTheLastEntry) {
  krntest::WriteFile(rc_, "# mine\n[Korrin]\nInterval=20\n\n[Other]\nx=1\n");
  EXPECT_EXIT(
      OpenAndCheck(home_.path().c_str(), [] { return Same("interval", 20, g_korrin.interval); }),
      ::testing::ExitedWithCode(0), "");
  std::string expect = kDefaultFile;
  expect.erase(expect.find("Interval=35\n"), 12);
  expect.insert(9, "Interval=20\n");
  EXPECT_EQ("# mine\n" + expect + "\n[Other]\nx=1\n", krntest::ReadFile(rc_));
}

// NewFileCode's default follows CharCode, so new texts keep being saved in
// the working code unless the user asks for another.
TEST_F(Settings, NewFileCodeIsWrittenWithTheWorkingCode) {
  krntest::WriteFile(rc_, "[Korrin]\nCharCode=SJIS\n");
  EXPECT_EXIT(OpenAndCheck(home_.path().c_str(),
                           [] { return Same("new", int(KRN_CODE_SJIS), g_korrin.newFileCode); }),
              ::testing::ExitedWithCode(0), "");
  EXPECT_NE(krntest::ReadFile(rc_).find("\nNewFileCode=SJIS\n"), std::string::npos);
}

TEST_F(Settings, OverlongValuesFallBackToDefaults) {
  std::string longName(60, 'x'), longValue(300, 'y');
  std::string data = "[Korrin]\nBackColor=" + longName + "\nFont=" + longValue + "\n";
  krntest::WriteFile(rc_, data + kDefaultFile.substr(9));
  EXPECT_EXIT(OpenAndCheck(home_.path().c_str(),
                           [] {
                             return Same("back", RGBPixel(105, 105, 105),
                                         g_korrin.setColors[KRN_SC_BACK]) &&
                                    FontsUsable();
                           }),
              ::testing::ExitedWithCode(0), "Font too long(.|\n)*BackColor too long");
  // The user's entries stay as they were.
  EXPECT_EQ(data + kDefaultFile.substr(9), krntest::ReadFile(rc_));
}

TEST_F(Settings, UnknownFontsFallBack) {
  krntest::WriteFile(rc_, WithValue(kDefaultFile, "FontKanji", "-bogus-kanji"));
  EXPECT_EXIT(OpenAndCheck(home_.path().c_str(),
                           [] {
                             XGCValues v;
                             XGetGCValues(g_korrin.display, g_korrin.gcTextKanji, GCFont, &v);
                             return Same("kanji is font", (void*)g_korrin.font,
                                         (void*)g_korrin.fontKanji) &&
                                    Same("GC font", g_korrin.font->fid, v.font);
                           }),
              ::testing::ExitedWithCode(0),
              "Warning: Korrin RC file - Can't load Kanji font\\(-bogus-kanji\\) of FontKanji; "
              "using the Font font");
  krntest::WriteFile(rc_, WithValue(kDefaultFile, "Font", "-bogus-font"));
  EXPECT_EXIT(OpenAndCheck(home_.path().c_str(), FontsUsable), ::testing::ExitedWithCode(0),
              "Warning: Korrin RC file - Can't load font\\(-bogus-font\\) of Font; using "
              "\"-misc-");
}

// An unknown colour name takes the setting's default, with one warning
// that names both; a "#RRGGBB" value is no unknown name.
TEST_F(Settings, UnknownColourNamesTakeTheDefaultWithAWarning) {
  struct {
    const char* key;
    const char* value;
    int slot;
    const char* fallback;
  } cases[] = {{"BackColor", "nosuchcolour", KRN_SC_BACK, "DimGrey"},
               {"FontColor", "greyish", KRN_SC_FONT, "grey"}};
  for (const auto& c : cases) {
    krntest::WriteFile(rc_, WithValue(kDefaultFile, c.key, c.value));
    std::string warning = std::string("^Warning: Korrin RC file - unknown colour ") + c.key + "=" +
                          c.value + "; using \"" + c.fallback + "\"\\.\n$";
    int slot = c.slot;
    const char* fallback = c.fallback;
    EXPECT_EXIT(OpenAndCheck(home_.path().c_str(),
                             [slot, fallback] {
                               XColor want, exact;
                               XAllocNamedColor(g_korrin.display, g_korrin.colormap, fallback,
                                                &want, &exact);
                               return Same("pixel", want.pixel, g_korrin.setColors[slot]);
                             }),
                ::testing::ExitedWithCode(0), warning)
        << c.key;
  }
  krntest::WriteFile(rc_, WithValue(kDefaultFile, "BackColor", "#102030"));
  EXPECT_EXIT(OpenAndCheck(home_.path().c_str(), [] { return true; }), ::testing::ExitedWithCode(0),
              "^$");
}

TEST_F(Settings, WallImageIsLoadedWhenNamed) {
  const std::string xpm = home_.file("wall.xpm");
  krntest::WriteFile(xpm,
                     "/* XPM */\nstatic char *w[] = {\n\"3 2 1 1\",\n\". c #FF0000\",\n"
                     "\"...\",\n\"...\"};\n");
  krntest::WriteFile(rc_, WithValue(kDefaultFile, "WallImage", xpm));
  EXPECT_EXIT(OpenAndCheck(home_.path().c_str(),
                           [] {
                             KrnImage* wall = g_korrin.wallImage;
                             return Same("loaded", true, wall != nullptr) &&
                                    Same("width", 3, wall->width) &&
                                    Same("height", 2, wall->height) &&
                                    Same("format", int(KRN_IMAGE_XPM), wall->format);
                           }),
              ::testing::ExitedWithCode(0), "^$");
  // A picture that cannot be read leaves no wallpaper, after the loader's message.
  const std::string missing = home_.file("missing.xpm");
  krntest::WriteFile(rc_, WithValue(kDefaultFile, "WallImage", missing));
  EXPECT_EXIT(
      OpenAndCheck(home_.path().c_str(),
                   [] { return Same("no wallpaper", true, g_korrin.wallImage == nullptr); }),
      ::testing::ExitedWithCode(0),
      "^Error: Can't read file \\(" + missing + "\\) \\[XpmOpenFailed\\]\\.\n$");
}

}  // namespace
