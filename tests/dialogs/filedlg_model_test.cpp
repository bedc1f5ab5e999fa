// The file dialog's listing without a server: order, the three filters and
// ".." on top, unreadable entries, row texts, and paths cut to the
// current-directory buffer.  Runs in the C locale, so alphasort is byte
// order.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "dialogs/filedlg_model.h"

namespace {

using fdlg::Entry;
const char* const kExt[] = {".txt", ".TXT", ".c", ".h", nullptr};

std::string Rows(const std::vector<Entry>& entries) {
  std::string out;
  for (const Entry& e : entries) out += fdlg::RowText(e) + " ";
  return out;
}

// Names as alphasort orders them in the C locale: "+plus" before "..".
const std::vector<Entry> kSorted = {
    {"+plus", fdlg::kDirectory},   {".", fdlg::kDirectory},    {"..", fdlg::kDirectory},
    {".config", fdlg::kDirectory}, {".profile", fdlg::kFile},  {"Makefile", fdlg::kFile},
    {"a.c", fdlg::kFile},          {"io.h", fdlg::kFile},      {"main.tar.c", fdlg::kFile},
    {"notes.TXT", fdlg::kFile},    {"notes.Txt", fdlg::kFile}, {"sub", fdlg::kDirectory}};

TEST(FileDialogModel, FiltersKeepDotDotFirstAndDirectoriesBeforeFiles) {
  struct Case {
    int filter;
    const char* const* ext;
    const char* rows;
  } table[] = {
      {fdlg::kAll, kExt,
       "../ +plus/ .config/ sub/ .profile Makefile a.c io.h main.tar.c notes.TXT notes.Txt "},
      {fdlg::kNormal, kExt, "../ +plus/ sub/ Makefile a.c io.h main.tar.c notes.TXT notes.Txt "},
      {fdlg::kSelect, kExt, "../ +plus/ sub/ main.tar.c notes.TXT "},
      {fdlg::kSelect, nullptr, "../ +plus/ sub/ "},
  };
  for (const Case& c : table)
    EXPECT_EQ(Rows(fdlg::Arrange(kSorted, c.ext, c.filter)), c.rows) << c.filter;
}

// A scratch tree read from the disk: a dangling link is a listed file, a
// link to a directory is a directory, and "." is never listed.
TEST(FileDialogModel, ReadsADirectoryAndListsUnreadableEntriesAsFiles) {
  char tmpl[] = "/tmp/fdlgmodel.XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::string dir = tmpl;
  ASSERT_EQ(mkdir((dir + "/+plus").c_str(), 0700), 0);
  ASSERT_EQ(symlink("/nonexistent/x", (dir + "/broken.txt").c_str()), 0);
  ASSERT_EQ(symlink("+plus", (dir + "/linkdir").c_str()), 0);
  FILE* f = fopen((dir + "/notes.txt").c_str(), "w");
  ASSERT_NE(f, nullptr);
  fclose(f);
  std::vector<Entry> all;
  ASSERT_TRUE(fdlg::GetFlist(dir.c_str(), kExt, fdlg::kAll, &all));
  EXPECT_EQ(Rows(all), "../ +plus/ linkdir/ broken.txt notes.txt ");
  EXPECT_TRUE(fdlg::CheckFile("broken.txt", all));
  EXPECT_FALSE(fdlg::CheckFile("notes", all));
  std::vector<Entry> none;
  EXPECT_FALSE(fdlg::GetFlist((dir + "/missing").c_str(), kExt, fdlg::kAll, &none));
  EXPECT_EQ(system(("rm -rf " + dir).c_str()), 0);
}

// ".." is offered everywhere but at "/", also in a directory removed while
// it is the current one, which reads as empty.
TEST(FileDialogModel, DotDotIsOfferedEverywhereButAtTheRoot) {
  std::vector<Entry> rootRows;
  ASSERT_TRUE(fdlg::GetFlist("/", nullptr, fdlg::kAll, &rootRows));
  EXPECT_FALSE(fdlg::CheckFile("..", rootRows));
  char here[4096];
  ASSERT_NE(getcwd(here, sizeof here), nullptr);
  char tmpl[] = "/tmp/fdlggone.XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::vector<Entry> rows;
  bool gone = true;
  ASSERT_TRUE(fdlg::GetFlist(tmpl, nullptr, fdlg::kNormal, &rows, &gone));
  EXPECT_FALSE(gone);
  EXPECT_EQ(Rows(rows), "../ ");
  ASSERT_EQ(chdir(tmpl), 0);
  ASSERT_EQ(rmdir(tmpl), 0);
  ASSERT_TRUE(fdlg::GetFlist(".", nullptr, fdlg::kNormal, &rows, &gone));
  EXPECT_TRUE(gone);
  EXPECT_EQ(Rows(rows), "../ ");
  ASSERT_EQ(chdir(here), 0);
}

TEST(FileDialogModel, PathsAreCutAtASlashToFitAndJoinedWhenUnknown) {
  std::string deep;
  for (int i = 0; i < 30; i++) deep += "/" + std::string(199, 'a' + i % 26);
  std::string cut = fdlg::CutPath(deep);
  EXPECT_LT(cut.size(), fdlg::kDirSize);
  EXPECT_EQ(cut.substr(0, 4), ".../");
  EXPECT_EQ(deep.substr(deep.size() - (cut.size() - 3)), cut.substr(3)) << "keeps the end";
  EXPECT_EQ(fdlg::CutPath("/short"), "/short");
  struct Case {
    const char* dir;
    const char* name;
    const char* want;
  } table[] = {{"/a/b", "..", "/a"}, {"/a", "..", "/"}, {"/", "..", "/"},
               {"/a", "b", "/a/b"},  {"/", "b", "/b"},  {"/a", ".", "/a"}};
  for (const Case& c : table) EXPECT_EQ(fdlg::JoinPath(c.dir, c.name), c.want) << c.dir << c.name;
}

}  // namespace
