// The display session: option parsing, opening and closing in a forked
// child per case (one display per process), the registry's list rules.
#include <xharness.h>

#include <stdlib.h>
#include <string.h>

#include <string>

KRN_X_ENVIRONMENT(24, false);

namespace {

// argv for ArgInit from a list of words.
struct Args {
  std::vector<std::string> words;
  std::vector<char*> argv;
  explicit Args(std::initializer_list<const char*> list) {
    for (const char* w : list) words.emplace_back(w);
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
  }
  int argc() const { return (int)words.size(); }
};

void ResetOptions() {
  g_korrin.programName[0] = g_korrin.displayName[0] = g_korrin.geometry[0] = '\0';
}

TEST(ArgInit, ReadsTheToolkitOptions) {
  snprintf(g_korrin.version, sizeof g_korrin.version, "%s", KRN_VERSION);
  struct {
    std::initializer_list<const char*> argv;
    const char* program;
    const char* display;
    const char* geometry;
  } cases[] = {
      {{"/usr/bin/quelmo", "-d", ":7", "-g", "10x20+1+2", "file"}, "quelmo", ":7", "10x20+1+2"},
      {{"quelmo", "-display", ":3", "-geometry"}, "quelmo", ":3", ""},  // last option ignored
      {{"./a/b/c", "file", "-display"}, "c", "", ""},
      {{"x", "-geometry", "-display", ":1"}, "x", "", "-display"},  // value taken as is
  };
  for (auto& c : cases) {
    ResetOptions();
    Args a(c.argv);
    EXPECT_EQ(ArgInit(a.argc(), a.argv.data()), 1);
    EXPECT_STREQ(g_korrin.programName, c.program);
    EXPECT_STREQ(g_korrin.displayName, c.display);
    EXPECT_STREQ(g_korrin.geometry, c.geometry);
  }
  EXPECT_EQ(ArgInit(0, nullptr), 0);
}

TEST(ArgInit, OverlongValuesAreRefusedNotCut) {
  ResetOptions();
  std::string longDisplay(40, 'd');
  std::string longGeometry(100, '1');
  Args a({"prog", "-d", longDisplay.c_str(), "-g", longGeometry.c_str()});
  testing::internal::CaptureStderr();
  ArgInit(a.argc(), a.argv.data());
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_STREQ(g_korrin.displayName, "");
  EXPECT_STREQ(g_korrin.geometry, "");
  EXPECT_NE(err.find("Error: "), std::string::npos);
}

TEST(ArgInit, HelpPrintsTheUsageAndGoesOn) {
  ResetOptions();
  snprintf(g_korrin.version, sizeof g_korrin.version, "%s", KRN_VERSION);
  Args a({"/bin/prog", "-h", "-d", ":5"});
  testing::internal::CaptureStderr();
  ArgInit(a.argc(), a.argv.data());
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("*** Korrin(Ver01.02) Standard command ***\n\n Usage: prog [-display", 0),
            0u);
  EXPECT_NE(err.find("*** Application command ***\n\n"), std::string::npos);
  EXPECT_STREQ(g_korrin.displayName, ":5");
}

// Opening, building two trees and closing: every window is destroyed and
// the registry released.
void OpenBuildClose() {
  Args a({"prog"});
  Display* d = krnOpenDisplay(a.argc(), a.argv.data());
  if (!d || strcmp(g_korrin.version, "Ver01.02") != 0) exit(2);
  if (g_korrin.nImages != 21 || g_korrin.nColors != 16 || g_korrin.nSetColors != 9) exit(3);
  if (g_korrin.colorTable8 != nullptr) exit(4);  // 24-bit screen
  KrnWindow* t1 = krnCreateWindow(d, nullptr, krnSetRect(0, 0, 50, 50), 0, "t1", nullptr);
  KrnWindow* c1 = krnCreateWindow(d, t1, krnSetRect(0, 0, 10, 10), 0, "c1", nullptr);
  krnCreateWindow(d, c1, krnSetRect(0, 0, 5, 5), 0, "c2", nullptr);
  krnCreateWindow(d, nullptr, krnSetRect(0, 0, 50, 50), 0, "t2", nullptr);
  if (krnGetTotalWindows() != 4) exit(5);
  krnCloseDisplay(d);
  if (g_krnKorrinManager != nullptr) exit(6);
  exit(0);
}

TEST(Session, CloseDestroysEveryWindowAndReleasesTheRegistry) {
  EXPECT_EXIT(OpenBuildClose(), testing::ExitedWithCode(0), "");
}

void OpenUnreachable() {
  Args a({"prog", "-display", "nowhere:99"});
  krnOpenDisplay(a.argc(), a.argv.data());
  exit(0);
}

TEST(Session, UnreachableDisplayIsFatal) {
  EXPECT_EXIT(OpenUnreachable(), testing::ExitedWithCode(1),
              "Error: \\[nowhere:99\\] can't open display.");
}

void OpenAndCheckGCs() {
  Args a({"prog"});
  Display* d = krnOpenDisplay(a.argc(), a.argv.data());
  XGCValues v;
  if (!XGetGCValues(d, g_korrin.gcFill, GCForeground, &v)) exit(2);
  if (v.foreground != g_korrin.setColors[KRN_SC_BACK]) exit(3);
  if (!XGetGCValues(d, g_korrin.gcText, GCForeground | GCGraphicsExposures, &v)) exit(4);
  if (v.foreground != g_korrin.setColors[KRN_SC_FONT] || v.graphics_exposures) exit(5);
  if (g_korrin.screenWidth != 1024 || g_korrin.screenHeight != 768 || g_korrin.depth != 24) exit(6);
  krnCloseDisplay(d);
  exit(0);
}

TEST(Session, SharedGraphicsContextsAreSetUp) {
  EXPECT_EXIT(OpenAndCheckGCs(), testing::ExitedWithCode(0), "");
}

TEST(Registry, AddDeleteKeepOrderAndReleaseTheLastEntry) {
  KrnWindow records[4] = {};
  ASSERT_EQ(g_krnKorrinManager, nullptr);
  EXPECT_EQ(CheckKrnPointer(&records[0]), 0);
  EXPECT_EQ(DeleteKorrinManager(&records[0]), 1);  // empty: nothing changes
  for (auto& r : records) ASSERT_EQ(AddKorrinManager(&r), 1);
  EXPECT_EQ(krnGetTotalWindows(), 4);
  EXPECT_EQ(DeleteKorrinManager(&records[1]), 1);
  EXPECT_EQ(g_krnKorrinManager[0], &records[0]);
  EXPECT_EQ(g_krnKorrinManager[1], &records[2]);
  EXPECT_EQ(g_krnKorrinManager[2], &records[3]);
  EXPECT_EQ(g_krnKorrinManager[3], nullptr);
  EXPECT_EQ(CheckKrnPointer(&records[1]), 0);
  EXPECT_EQ(CheckKrnPointer(nullptr), 0);
  EXPECT_EQ(DeleteKorrinManager(&records[1]), 1);  // absent: nothing changes
  for (int i : {0, 3, 2}) EXPECT_EQ(DeleteKorrinManager(&records[i]), 1);
  EXPECT_EQ(g_krnKorrinManager, nullptr);
}

}  // namespace
