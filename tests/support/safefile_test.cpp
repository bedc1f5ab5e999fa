// Replacing a whole file safely, without X: the new bytes exactly, the old
// file whole after a write that fails part way, its permission bits kept,
// a symbolic link kept and followed, other hard links written in place.
#include <gtest/gtest.h>
#include <korrin.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "xharness.h"

namespace {

using krntest::ReadFile;
using krntest::WriteFile;

int Entries(const std::string& dir) {
  int n = 0;
  DIR* d = opendir(dir.c_str());
  while (dirent* e = readdir(d))
    n += std::string(e->d_name) != "." && std::string(e->d_name) != "..";
  closedir(d);
  return n;
}

bool Replace(const std::string& path, const std::string& bytes) {
  return krnReplaceFile(path.c_str(), bytes.data(), static_cast<long>(bytes.size())) == 1;
}

mode_t Mode(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(SafeFile, WritesExactlyTheBytesAndKeepsThePermissionBits) {
  krntest::TempDir dir;
  std::string path = dir.file("a.txt");
  const std::string bytes("\0abc\0\r\n", 7);
  mode_t mask = umask(022);
  EXPECT_TRUE(Replace(path, bytes));
  EXPECT_EQ(ReadFile(path), bytes);
  EXPECT_EQ(Mode(path), 0644u) << "a new file: 0666 less the umask";
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  EXPECT_TRUE(Replace(path, ""));
  EXPECT_EQ(ReadFile(path), "");
  EXPECT_EQ(Mode(path), 0640u);
  umask(mask);
  EXPECT_EQ(Entries(dir.path()), 1) << "a temporary file was left";
}

TEST(SafeFile, AWriteThatFailsPartWayLeavesTheOldFileWhole) {
  krntest::TempDir dir;
  std::string path = dir.file("a.txt");
  WriteFile(path, "old\n");
  bool written;
  {
    krntest::FileSizeLimit limit(4096);
    written = Replace(path, std::string(10000, 'n'));
  }
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadFile(path), "old\n");
  EXPECT_EQ(Entries(dir.path()), 1);
  EXPECT_FALSE(Replace("", "x"));
  EXPECT_FALSE(Replace(dir.file("no/such.txt"), "x"));
}

TEST(SafeFile, ALinkIsFollowedAndHardLinksAreWrittenInPlace) {
  krntest::TempDir dir;
  std::string target = dir.file("target.txt"), soft = dir.file("soft.txt");
  WriteFile(target, "old\n");
  ASSERT_EQ(symlink("target.txt", soft.c_str()), 0);
  EXPECT_TRUE(Replace(soft, "through the link\n"));
  struct stat st;
  ASSERT_EQ(lstat(soft.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link was replaced by a file";
  EXPECT_EQ(ReadFile(target), "through the link\n");
  std::string dangling = dir.file("dangling.txt");
  ASSERT_EQ(symlink("created.txt", dangling.c_str()), 0);
  EXPECT_TRUE(Replace(dangling, "created\n"));
  EXPECT_EQ(ReadFile(dir.file("created.txt")), "created\n");
  ASSERT_EQ(lstat(dangling.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(unlink(dangling.c_str()), 0);
  ASSERT_EQ(unlink(dir.file("created.txt").c_str()), 0);

  std::string hard = dir.file("hard.txt");
  ASSERT_EQ(link(target.c_str(), hard.c_str()), 0);
  EXPECT_TRUE(Replace(hard, "both names\n"));
  EXPECT_EQ(ReadFile(target), "both names\n");
  ASSERT_EQ(stat(hard.c_str(), &st), 0);
  EXPECT_EQ(st.st_nlink, 2u);
  EXPECT_EQ(Entries(dir.path()), 3);
}

}  // namespace
