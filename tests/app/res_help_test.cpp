// The built-in help text: valid EUC-JP that survives a round trip through
// UTF-8, generated from the committed UTF-8 source (so the two cannot drift
// apart), and holding the captions, keys and names a user looks for.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "korrin.h"
#include "res_help.h"

namespace {

// Converts bytes between two codes; empty when a byte cannot be converted.
std::string Convert(const std::string& in, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == (iconv_t)-1) return "";
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  char* dst = out.data();
  size_t left = in.size(), room = out.size();
  size_t n = iconv(cd, &src, &left, &dst, &room);
  iconv_close(cd);
  if (n == (size_t)-1 || left) return "";
  out.resize(out.size() - room);
  return out;
}

const std::string kHelp = res_cHelp;

TEST(HelpText, IsEucJpMadeFromTheCommittedSource) {
  EXPECT_EQ(krnCheckCharCode(reinterpret_cast<const unsigned char*>(res_cHelp),
                             static_cast<int>(kHelp.size())),
            KRN_CODE_EUC);
  std::string utf8 = Convert(kHelp, "EUC-JP", "UTF-8");
  ASSERT_FALSE(utf8.empty());
  EXPECT_EQ(Convert(utf8, "UTF-8", "EUC-JP"), kHelp);
  std::ifstream source(KRN_SOURCE_DIR "/scripts/res_help.txt", std::ios::binary);
  std::stringstream text;
  text << source.rdbuf();
  EXPECT_EQ(utf8, text.str()) << "run scripts/make-help.py";
  // About 7775 bytes before Undo, Redo and Find... were described.
  EXPECT_GE(kHelp.size() + 1, 7575u);
}

TEST(HelpText, NamesEveryCommandOptionAndSetting) {
  const char* needed[] = {"- Korrin Memo Pad (Text Editor) Ver00.10 Help -",
                          "(1)-1 New (ctrl+n)",
                          "(1)-2 Open (ctrl+o)",
                          "(1)-3 Save as...(ctrl+s)",
                          "(1)-4 Copy (ctrl+y)",
                          "(1)-5 Paste (ctrl+e)",
                          "(1)-6 Select All (ctrl+x)",
                          "(1)-7 Lock (ctrl+c)",
                          "(1)-8 Quit (ctrl+q)",
                          "(1)-9 Undo (ctrl+z)",
                          "(1)-10 Redo (ctrl+shift+z)",
                          "(1)-11 Find... (ctrl+f)",
                          "(2)-1 Help (ctrl+h)",
                          "(2)-2 About (ctrl+a)",
                          "-display",
                          "-d ",
                          "-geometry",
                          "-g ",
                          ".krnrc",
                          "[Korrin]",
                          "BackColor=DimGrey",
                          "BorderColor=black",
                          "FontColor=grey",
                          "PaperColor=DimGrey",
                          "ActionColor=blue",
                          "Interval=35",
                          "DoubleClickTime=300",
                          "MouseRightHand=TRUE",
                          "MouseButton=3",
                          "TenKey=TRUE",
                          "NewFileCode=EUC",
                          "CharCode=EUC",
                          "IM=TRUE",
                          "Font=-misc-*-*-*-*-*-14-*-*-*-*-*-jisx0201.1976-0",
                          "FontKanji=-misc-*-*-*-*-*-14-*-*-*-*-*-*-0",
                          "WallImage=",
                          "UndoSize=4096",
                          "#RRGGBB",
                          "SJIS",
                          "Independent JPEG Group",
                          "Korrin"};
  for (const char* s : needed) EXPECT_NE(kHelp.find(s), std::string::npos) << s;
  // Every section starts with a rule, and the text ends with a line feed.
  EXPECT_EQ(kHelp.rfind("====", 0), 0u);
  EXPECT_GE(std::count(kHelp.begin(), kHelp.end(), '\n'), 100);
  EXPECT_EQ(kHelp.back(), '\n');
}

}  // namespace
