// The memo pad's own command line: which argument becomes the file name,
// the banner, and the help option's exit.  No server needed.
#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "quelmo.h"

namespace {

// argv for arginit from a list of words.
struct Args {
  std::vector<std::string> words;
  std::vector<char*> argv;
  explicit Args(const std::vector<std::string>& list) : words(list) {
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
  }
  int argc() const { return (int)words.size(); }
};

std::string FileNameFrom(const std::vector<std::string>& words) {
  snprintf(g_cFileName, sizeof g_cFileName, "stale");  // emptied first
  Args a(words);
  EXPECT_EQ(arginit(a.argc(), a.argv.data()), 1);
  return g_cFileName;
}

TEST(ArgInit, TheFirstArgumentThatIsNoToolkitOptionIsTheFileName) {
  struct {
    std::vector<std::string> argv;
    const char* file;
  } cases[] = {
      {{"quelmo"}, ""},
      {{"quelmo", "-g", "300x200+1+1", "memo.txt"}, "memo.txt"},
      {{"quelmo", "-display", ":3", "-geometry", "1x1", "-d", ":4", "-g", "2x2", "f"}, "f"},
      {{"quelmo", "-display"}, ""},  // the option alone at the end
      {{"quelmo", "-g"}, ""},
      {{"quelmo", "first.txt", "second.txt"}, "first.txt"},
      {{"quelmo", "-x", "memo.txt"}, "-x"},        // unknown options are names too
      {{"quelmo", "memo.txt", "-h"}, "memo.txt"},  // the scan stopped before it
  };
  for (auto& c : cases) EXPECT_EQ(FileNameFrom(c.argv), c.file) << c.argv.size() << " words";
}

TEST(ArgInit, ANameLongerThanTheBufferIsRefusedNotCut) {
  std::string longest(sizeof g_cFileName - 1, 'n');
  EXPECT_EQ(FileNameFrom({"quelmo", longest}), longest);
  testing::internal::CaptureStderr();
  EXPECT_EQ(FileNameFrom({"quelmo", longest + "n"}), "");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("Error: ", 0), 0u);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

TEST(Usage, BannerAndUsageLines) {
  snprintf(g_korrin.programName, sizeof g_korrin.programName, "quelmo");
  testing::internal::CaptureStderr();
  usage(0);
  std::string banner = testing::internal::GetCapturedStderr();
  // The third line, the maker's notice, is free; the rest is fixed.
  size_t third = banner.find('\n', banner.find('\n') + 1) + 1;
  size_t fourth = banner.find('\n', third) + 1;
  EXPECT_EQ(banner.substr(0, third), ">>> Korrin Memo Pad <<<\n- Ver00.10 since 2000.09 -\n");
  EXPECT_GT(fourth - third, 1u);
  EXPECT_EQ(banner.substr(fourth), "\n Korrin Memo Pad (Text Editor)... \n\n");
  testing::internal::CaptureStderr();
  usage(1);
  std::string help = testing::internal::GetCapturedStderr();
  EXPECT_EQ(help, banner + " Usage: quelmo TextFile\n\n TextFile  ... Text file name\n\n");
}

void RunWithHelp(const char* option) {
  Args a({"quelmo", "memo.txt"});
  a.words[1] = option;
  a.argv[1] = a.words[1].data();
  arginit(a.argc(), a.argv.data());
  exit(3);  // not reached: help ends the process
}

TEST(ArgInit, EveryHelpOptionPrintsTheUsageAndEndsWithZero) {
  snprintf(g_korrin.programName, sizeof g_korrin.programName, "quelmo");
  for (const char* option : {"-help", "--help", "--h", "--?", "-?", "-h"})
    EXPECT_EXIT(RunWithHelp(option), testing::ExitedWithCode(0),
                ">>> Korrin Memo Pad <<<(.|\n)* Usage: quelmo TextFile\n")
        << option;
}

TEST(Title, NamesTheFileAndTheStatusMarksChanges) {
  EXPECT_EQ(TitleOf(""), "Quelmo");
  EXPECT_EQ(TitleOf("memo.txt"), "memo.txt - Quelmo");
  EXPECT_EQ(TitleOf("/home/u/notes/memo.txt"), "memo.txt - Quelmo");
  EXPECT_EQ(MarkedStatus("12 bytes [memo.txt] - EUC", true), "* 12 bytes [memo.txt] - EUC");
  EXPECT_EQ(MarkedStatus("* 12 bytes [memo.txt] - EUC", true), "* 12 bytes [memo.txt] - EUC");
  EXPECT_EQ(MarkedStatus("* 12 bytes [memo.txt] - EUC", false), "12 bytes [memo.txt] - EUC");
  EXPECT_EQ(MarkedStatus("New file [a.txt]", false), "New file [a.txt]");
}

}  // namespace
