// Replays every committed fuzz corpus file through the checks the fuzz
// targets run, so that an input that once found a fault keeps passing in
// the ordinary build.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "checks.h"

namespace {

std::vector<std::string> CorpusFiles(const std::string& dir) {
  std::vector<std::string> files;
  DIR* d = opendir(dir.c_str());
  if (!d) return files;
  while (dirent* entry = readdir(d))
    if (entry->d_name[0] != '.') files.push_back(dir + "/" + entry->d_name);
  closedir(d);
  std::sort(files.begin(), files.end());
  return files;
}

class Replay : public ::testing::TestWithParam<krnfuzz::Target> {};

TEST_P(Replay, EveryCorpusFileKeepsTheInvariants) {
  const krnfuzz::Target& target = GetParam();
  std::vector<std::string> files =
      CorpusFiles(std::string(KRN_SOURCE_DIR) + "/fuzz/corpus/" + target.name);
  ASSERT_FALSE(files.empty()) << "no corpus for " << target.name;
  for (const std::string& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ("", target.check(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
        << file;
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, Replay,
                         ::testing::ValuesIn(krnfuzz::kTargets,
                                             krnfuzz::kTargets + krnfuzz::kTargetCount),
                         [](const ::testing::TestParamInfo<krnfuzz::Target>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
