// The example programs as a user runs them: each one, started on the private
// server, opens its window under its title with its controls drawn, and ends
// with status 0 when the window manager asks the window to close.
#include <xdriver.h>
#include <xharness.h>
#include <xprocess.h>

#include <stdlib.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

KRN_X_ENVIRONMENT(24, false);

namespace {

struct Example {
  const char* program;  // in $KRN_EXAMPLES
  const char* title;
};

const Example kExamples[] = {
    {"menus", "Menus example"},
    {"buttons", "Buttons example"},
    {"text", "Text example"},
    {"filedialog", "File dialog example"},
};

void PrintTo(const Example& ex, std::ostream* os) {
  *os << ex.program;
}

class Examples : public ::testing::TestWithParam<Example> {};

TEST_P(Examples, OpensItsWindowAndClosesWithStatusZero) {
  const Example& ex = GetParam();
  const char* dir = getenv("KRN_EXAMPLES");
  ASSERT_NE(dir, nullptr) << "KRN_EXAMPLES is not set";
  krntest::TempDir scratch;
  krntest::Process program(scratch.path(), std::string(dir) + "/" + ex.program, {});

  krntest::Driver drv;
  drv.d = XOpenDisplay(krntest::DisplayName().c_str());
  ASSERT_NE(drv.d, nullptr);
  Window main = drv.Titled(ex.title);
  ASSERT_NE(main, 0u) << "no window titled " << ex.title << ", exit status "
                      << program.ExitStatus(0);
  // the controls are drawn: the window holds more than its background
  XRectangle size = drv.Geometry(main);
  EXPECT_TRUE(drv.Until([&] {
    std::vector<unsigned long> px = drv.Pixels(main, 0, 0, size.width, size.height);
    return !px.empty() && std::count(px.begin(), px.end(), px[0]) != static_cast<long>(px.size());
  })) << "the window shows nothing but one colour";
  EXPECT_EQ(program.ExitStatus(0), -2) << "ended before the close request";
  drv.Close(main);
  EXPECT_EQ(program.ExitStatus(10000), 0);
  XCloseDisplay(drv.d);
}

// The text example's Paste brings the clipboard of another client (xclip)
// into its editor; the word it starts then is the primary selection after
// a double click.
TEST(TextExample, PasteBringsAnotherClientsClipboard) {
  const char* dir = getenv("KRN_EXAMPLES");
  ASSERT_NE(dir, nullptr) << "KRN_EXAMPLES is not set";
  krntest::TempDir scratch;
  krntest::WriteFile(scratch.file("clip"), "pasted");
  krntest::Run("xclip -i -selection clipboard < '" + scratch.file("clip") + "' >/dev/null 2>&1");
  krntest::Process program(scratch.path(), std::string(dir) + "/text", {});
  krntest::Driver drv;
  drv.d = XOpenDisplay(krntest::DisplayName().c_str());
  ASSERT_NE(drv.d, nullptr);
  Window main = drv.Titled("Text example");
  ASSERT_NE(main, 0u);
  // xclip may send its request after its command has returned
  Atom clipboard = XInternAtom(drv.d, "CLIPBOARD", False);
  ASSERT_TRUE(drv.Until([&] { return XGetSelectionOwner(drv.d, clipboard) != None; }));
  ASSERT_TRUE(drv.ClickNamed(main, "Paste"));
  Window editor = drv.Child(drv.Child(main, "Editor"), "krnInputMltWnd_InputBox");
  ASSERT_NE(editor, 0u);
  // the server queues the double click behind the Paste click
  drv.Click(editor, 10, 8, 2);
  auto primary = [] { return krntest::Run("timeout 10 xclip -o -selection primary 2>/dev/null"); };
  EXPECT_TRUE(drv.Until([&] { return primary() == "pastedEdit"; })) << primary();
  drv.Close(main);
  EXPECT_EQ(program.ExitStatus(10000), 0);
  XCloseDisplay(drv.d);
}

INSTANTIATE_TEST_SUITE_P(All, Examples, ::testing::ValuesIn(kExamples),
                         [](const ::testing::TestParamInfo<Example>& info) {
                           return std::string(info.param.program);
                         });

}  // namespace
