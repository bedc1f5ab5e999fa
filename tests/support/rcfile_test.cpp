// The resource file store without X: lookups, in-place edits that keep
// every other byte, and input beyond the store's limits.
#include <gtest/gtest.h>
#include <korrin.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "xharness.h"

namespace {

using krntest::ReadFile;
using krntest::WriteFile;

class RcFile : public ::testing::Test {
 protected:
  krntest::TempDir dir_;
  std::string path_ = dir_.file("rc");

  // Gets key of group from a file holding data; "<none>" when not found.
  std::string Get(const std::string& data, const char* group, const char* key) {
    WriteFile(path_, data);
    char value[1024] = "<none>";
    if (!krnGetRCFileValue(path_.c_str(), group, key, value)) return "<none>";
    return value;
  }

  // Sets key of group in a file holding data; returns the file afterwards.
  std::string Set(const std::string& data, const char* group, const char* key, const char* value,
                  int expect = 1) {
    WriteFile(path_, data);
    EXPECT_EQ(expect, krnSetRCFileValue(path_.c_str(), group, key, value));
    return ReadFile(path_);
  }
};

struct GetCase {
  const char* data;
  const char* group;
  const char* key;
  const char* expect;
};

TEST_F(RcFile, Lookups) {
  const GetCase cases[] = {
      {"[Korrin]\nFont=abc\n", "Korrin", "Font", "abc"},
      {"[Korrin]\nV=  a b\t\n", "Korrin", "V", "a b"},          // trimmed both ends only
      {"[Korrin]\nV =1\n", "Korrin", "V", "<none>"},            // blank before "="
      {"[Korrin]\n V=1\n", "Korrin", "V", "<none>"},            // blank before key
      {"[Korrin]\nV=\n", "Korrin", "V", ""},                    // empty value is found
      {"[Korrin]\nFontKanji=k\n", "Korrin", "Font", "<none>"},  // key is a prefix with "="
      {"[Korrin]\nFontKanji=k\nFont=f\n", "Korrin", "Font", "f"},
      {"[A]\nx=1\n[B]\ny=2\n", "A", "y", "<none>"},  // stops at the next header
      {"[A]\nx=1\n[B]\ny=2\n", "B", "y", "2"},
      {"[Korrin] some words\nV=1\n", "Korrin", "V", "1"},  // header matched as prefix
      {"[korrin]\nV=1\n", "Korrin", "V", "<none>"},        // case-sensitive
      {"[Korrin]\nV=1", "Korrin", "V", "1"},               // a last line without a line feed counts
      {"[Korrin]\nV=1\nW=2", "Korrin", "W", "2"},
      {"[Korrin]", "Korrin", "V", "<none>"},
      {"[G]\nV=first\n[G]\nV=second\n", "G", "V", "first"},  // first of two groups
      {"[G]\nW=1\n[G]\nV=second\n", "G", "V", "<none>"},
      {"[G]\nV=a\nV=b\n", "G", "V", "a"},                    // first entry of a key
      {"V=0\n[G]\nremark\n\nV=x=y\r\n", "G", "V", "x=y\r"},  // CR stays part of the value
      {"", "G", "V", "<none>"},
  };
  for (const GetCase& c : cases) {
    EXPECT_EQ(c.expect, Get(c.data, c.group, c.key)) << c.data;
  }
}

TEST_F(RcFile, GetFromMissingFileFails) {
  char value[16] = "keep";
  testing::internal::CaptureStderr();
  EXPECT_EQ(0, krnGetRCFileValue(path_.c_str(), "G", "V", value));
  EXPECT_EQ("Error: Can't open rc file (" + path_ + ")\n", testing::internal::GetCapturedStderr());
  EXPECT_STREQ("keep", value);
}

TEST_F(RcFile, SetCreatesMissingFile) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(1, krnSetRCFileValue(path_.c_str(), "Korrin", "Key", "v 1 "));
  EXPECT_EQ("Warring: Can't open rc file (" + path_ + "). Create it.\n",
            testing::internal::GetCapturedStderr());
  EXPECT_EQ("[Korrin]\nKey=v 1 \n", ReadFile(path_));
  char value[1024];
  EXPECT_EQ(1, krnGetRCFileValue(path_.c_str(), "Korrin", "Key", value));
  EXPECT_STREQ("v 1", value);
}

struct SetCase {
  const char* name;
  const char* before;
  const char* group;
  const char* key;
  const char* value;
  const char* after;
};

TEST_F(RcFile, Edits) {
  const SetCase cases[] = {
      {"replace longer keeps the rest", "rem\n[G]\n# x\nA=1\n\nB=22\nC=3\n", "G", "B", "4444",
       "rem\n[G]\n# x\nA=1\n\nB=4444\nC=3\n"},
      {"replace shorter keeps the rest", "[G]\nA=1\nB=22222\nC=3\n", "G", "B", "",
       "[G]\nA=1\nB=\nC=3\n"},
      {"replace same length", "[G]\nB=ab\n", "G", "B", "cd", "[G]\nB=cd\n"},
      {"blank before = is no entry", "[G]\nB = 1\nB=2\n", "G", "B", "9", "[G]\nB = 1\nB=9\n"},
      {"insert before blank line and next group", "[A]\nx=1\nrem\n\n[B]\ny=2\n", "A", "z", "3",
       "[A]\nx=1\nz=3\nrem\n\n[B]\ny=2\n"},
      {"insert into empty group", "[A]\n\n[B]\ny=2\n", "A", "z", "3", "[A]\nz=3\n\n[B]\ny=2\n"},
      {"insert in last group before trailing blanks", "[A]\nx=1\n\n\n", "A", "z", "3",
       "[A]\nx=1\nz=3\n\n\n"},
      {"insert after header with words", "[A] words\n", "A", "z", "3", "[A] words\nz=3\n"},
      {"new group after missing line feed", "[A]\nx=1", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n"},
      {"new group appended", "[A]\nx=1\n", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n"},
      {"first of two equal groups", "[G]\nV=1\n[G]\nV=2\n", "G", "V", "3", "[G]\nV=3\n[G]\nV=2\n"},
      {"new key into first of two equal groups", "[G]\nV=1\n[G]\nW=2\n", "G", "W", "3",
       "[G]\nV=1\nW=3\n[G]\nW=2\n"},
      {"header prefix match", "[Korrin] old\nV=1\n", "Korrin", "V", "2", "[Korrin] old\nV=2\n"},
      {"lower-case header is another group", "[korrin]\nV=1\n", "Korrin", "V", "2",
       "[korrin]\nV=1\n[Korrin]\nV=2\n"},
      {"entry of a prefix key untouched", "[G]\nFontKanji=k\n", "G", "Font", "f",
       "[G]\nFontKanji=k\nFont=f\n"},
  };
  for (const SetCase& c : cases) {
    EXPECT_EQ(c.after, Set(c.before, c.group, c.key, c.value)) << c.name;
  }
}

TEST_F(RcFile, UnterminatedLastLineIsEditedInPlace) {
  const SetCase cases[] = {
      {"header only", "[Korrin]", "Korrin", "Font", "f", "[Korrin]\nFont=f\n"},
      {"header with words", "rem\n[Korrin] x", "Korrin", "K", "v", "rem\n[Korrin] x\nK=v\n"},
      {"new key after last entry", "[G]\nA=1\nB=2", "G", "C", "3", "[G]\nA=1\nB=2\nC=3\n"},
      {"replace the last entry", "[G]\nA=1\nB=2", "G", "B", "345", "[G]\nA=1\nB=345"},
      {"new key before a remark", "[G]\nA=1\nrem", "G", "C", "3", "[G]\nA=1\nC=3\nrem"},
      {"first group, second unterminated", "[A]\nx=1\n[B]", "A", "y", "2", "[A]\nx=1\ny=2\n[B]"},
      {"second group unterminated", "[A]\nx=1\n[B]", "B", "y", "2", "[A]\nx=1\n[B]\ny=2\n"},
  };
  for (const SetCase& c : cases) {
    EXPECT_EQ(c.after, Set(c.before, c.group, c.key, c.value)) << c.name;
    char value[1024] = "<none>";
    EXPECT_EQ(1, krnGetRCFileValue(path_.c_str(), c.group, c.key, value)) << c.name;
    EXPECT_STREQ(c.value, value) << c.name;
  }
}

TEST_F(RcFile, KeysAndGroupsThatWouldReadAsOtherLinesAreRefused) {
  const std::string before = "[G]\nA=1\n[H]\nB=2\n";
  const struct {
    const char* group;
    const char* key;
  } cases[] = {{"G", "[H]"}, {"G", "[x"}, {"G", "A=1"}, {"G", "="}, {"G]", "A"}, {"H] x", "C"}};
  for (const auto& c : cases) {
    EXPECT_EQ(before, Set(before, c.group, c.key, "v", 0)) << c.group << " " << c.key;
    EXPECT_EQ("<none>", Get(before, c.group, c.key)) << c.group << " " << c.key;
  }
  // "[" and "]" elsewhere are ordinary bytes.
  EXPECT_EQ(before + "a[b]=v\n", Set(before, "H", "a[b]", "v"));
  EXPECT_EQ(before + "[[x]\nk=v\n", Set(before, "[x", "k", "v"));
}

TEST_F(RcFile, SpaceCut) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"", ""},     {" \t ", ""},  {"  a b\t", "a b"},     {"abc", "abc"},
      {"\ta", "a"}, {"a \t", "a"}, {" a\tb c ", "a\tb c"},
  };
  for (const auto& c : cases) {
    char buffer[32];
    snprintf(buffer, sizeof buffer, "%s", c.in);
    EXPECT_EQ(1, krnSpaceCut(buffer));
    EXPECT_STREQ(c.out, buffer) << "[" << c.in << "]";
  }
}

TEST_F(RcFile, LongLinesNeverOverflow) {
  std::string longValue(3000, 'x');
  std::string data = "[G]\nA=" + longValue + "\nB=ok\n";
  // An entry longer than a line is not handed out, and does not hide the next.
  EXPECT_EQ("<none>", Get(data, "G", "A"));
  EXPECT_EQ("ok", Get(data, "G", "B"));
  // A line of exactly 1023 bytes still fits the line buffer.
  std::string edge = "[G]\nA=" + std::string(1021, 'y') + "\n";
  EXPECT_EQ(std::string(1021, 'y'), Get(edge, "G", "A"));
  EXPECT_EQ("<none>", Get("[G]\nA=" + std::string(1022, 'y') + "\n", "G", "A"));
  // Replacing the long entry replaces all of it.
  EXPECT_EQ("[G]\nA=short\nB=ok\n", Set(data, "G", "A", "short"));
  // A long header still names its group.
  EXPECT_EQ("1", Get("[G]" + longValue + "\nV=1\n", "G", "V"));
}

TEST_F(RcFile, ArgumentsBeyondLimitsAreRefused) {
  const std::string before = "[G]\nA=1\n";
  std::string group252(252, 'g'), group253(253, 'g');
  std::string key200(200, 'k'), value53(53, 'v'), value54(54, 'v');
  EXPECT_EQ(before + "[" + group252 + "]\nA=1\n", Set(before, group252.c_str(), "A", "1"));
  EXPECT_EQ(before, Set(before, group253.c_str(), "A", "1", 0));
  EXPECT_EQ(before + key200 + "=" + value53 + "\n",
            Set(before, "G", key200.c_str(), value53.c_str()));
  EXPECT_EQ(before, Set(before, "G", key200.c_str(), value54.c_str(), 0));
  EXPECT_EQ(before, Set(before, "G", "A", "two\nlines", 0));
  char value[1024] = "keep";
  EXPECT_EQ(0, krnGetRCFileValue(path_.c_str(), group253.c_str(), "A", value));
  EXPECT_EQ(0, krnGetRCFileValue(nullptr, "G", "A", value));
  EXPECT_EQ(0, krnSetRCFileValue(path_.c_str(), "G", nullptr, "1"));
  EXPECT_STREQ("keep", value);
}

TEST_F(RcFile, FileThatExistsButCannotBeReadIsNotCreated) {
  // A symbolic link to itself cannot be opened; only a missing file is created.
  ASSERT_EQ(0, symlink(path_.c_str(), path_.c_str()));
  testing::internal::CaptureStderr();
  EXPECT_EQ(0, krnSetRCFileValue(path_.c_str(), "G", "B", "2"));
  EXPECT_EQ("Error: Can't open rc file (" + path_ + ")\n", testing::internal::GetCapturedStderr());
}

// The file is replaced safely: a write that fails part way leaves it whole,
// and a resource file that is a symbolic link stays one.
TEST_F(RcFile, AFailedWriteLeavesTheFileWholeAndALinkStaysALink) {
  std::string big(200, 'v'), before = "[G]\nA=1\n" + std::string(5000, '#') + "\n";
  WriteFile(path_, before);
  int result;
  std::string said;
  {
    krntest::FileSizeLimit limit(4096);
    testing::internal::CaptureStderr();
    result = krnSetRCFileValue(path_.c_str(), "G", "A", big.c_str());
    said = testing::internal::GetCapturedStderr();
  }
  EXPECT_EQ(0, result);
  EXPECT_EQ("Error: Can't write rc file (" + path_ + ")\n", said);
  EXPECT_EQ(before, ReadFile(path_));

  std::string link = dir_.file("link");
  ASSERT_EQ(0, symlink("rc", link.c_str()));
  EXPECT_EQ(1, krnSetRCFileValue(link.c_str(), "G", "A", "2"));
  struct stat st;
  ASSERT_EQ(0, lstat(link.c_str(), &st));
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(0u, ReadFile(path_).find("[G]\nA=2\n"));
}

}  // namespace
