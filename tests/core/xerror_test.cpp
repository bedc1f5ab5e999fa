// X protocol errors under the toolkit's handler: a refused request is
// reported once with its request and resource, and the program goes on
// with its windows usable.
#include <xharness.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;

// Standard error of the code run, read back as text.
std::string Stderr(const std::function<void()>& run) {
  krntest::TempDir dir;
  std::string path = dir.file("err");
  fflush(stderr);
  int saved = dup(2);
  int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
  dup2(fd, 2);
  close(fd);
  run();
  XSync(Dpy(), False);
  fflush(stderr);
  dup2(saved, 2);
  close(saved);
  return krntest::ReadFile(path);
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
  return n;
}

TEST(XError, ABufferTooLargeForTheServerFailsTheWindowNotTheProgram) {
  KrnWindow* huge = nullptr;
  std::string err = Stderr([&] {
    huge = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 65535, 65535), 0, "huge", nullptr);
  });
  EXPECT_EQ(huge, nullptr);
  EXPECT_EQ(Count(err, "Error: X request X_CreatePixmap"), 1) << err;
  EXPECT_NE(err.find("BadAlloc"), std::string::npos) << err;
  // The program goes on, and a window made next works.
  KrnWindow* w = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 60, 40), 0, "next", nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(krntest::WaitMapped(w->win));
  krnDestroyWindow(Dpy(), w);
}

TEST(XError, AWindowDestroyedByAnotherClientIsReportedOnce) {
  KrnWindow* w = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 60, 40), 0, "victim", nullptr);
  ASSERT_TRUE(krntest::WaitMapped(w->win));
  Display* other = XOpenDisplay(krntest::DisplayName().c_str());
  ASSERT_NE(other, nullptr);
  XDestroyWindow(other, w->win);
  XCloseDisplay(other);
  std::string once = Stderr([&] { krnRedrawWindow(Dpy(), w); });
  EXPECT_GE(Count(once, "Error: X request"), 1) << once;
  char resource[32];
  snprintf(resource, sizeof resource, "0x%lx", static_cast<unsigned long>(w->win));
  EXPECT_NE(once.find(resource), std::string::npos) << once;
  std::string again = Stderr([&] {
    for (int i = 0; i < 5; i++) krnRedrawWindow(Dpy(), w);
  });
  EXPECT_EQ(again, "");  // the same refusal is not reported again
  krntest::DrainEvents();
  krnDestroyWindow(Dpy(), w);
}

}  // namespace
