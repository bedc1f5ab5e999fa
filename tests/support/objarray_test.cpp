// Object array and rectangle arithmetic: no server needed.
#include <gtest/gtest.h>
#include <korrin.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

int* Item(int v) {
  int* p = (int*)krnAlloc(sizeof(int));
  *p = v;
  return p;
}

std::vector<int> Values(void** a) {
  std::vector<int> out;
  for (int i = 0; a && a[i]; i++) out.push_back(*(int*)a[i]);
  return out;
}

void** Build(std::initializer_list<int> values) {
  void** a = krnNew_ObjArray();
  for (int v : values) a = krnAddItem_ObjArray(a, Item(v), -1);
  return a;
}

TEST(ObjArray, AddingHonoursTheIndexOnlyForTwoOrMoreItems) {
  struct Case {
    std::initializer_list<int> start;
    int index;
    std::vector<int> expect;
  } cases[] = {
      {{}, 0, {9}},           {{1}, 0, {1, 9}},  // one item: even index 0 appends
      {{1, 2}, 0, {9, 1, 2}}, {{1, 2}, 1, {1, 9, 2}},
      {{1, 2}, 2, {1, 2, 9}}, {{1, 2}, -1, {1, 2, 9}},
      {{1, 2}, 7, {1, 2, 9}}, {{1, 2, 3}, -5, {1, 2, 3, 9}},
  };
  for (auto& c : cases) {
    void** a = Build(c.start);
    a = krnAddItem_ObjArray(a, Item(9), c.index);
    EXPECT_EQ(Values(a), c.expect) << "index " << c.index;
    EXPECT_EQ(krnGetTotal_ObjArray(a), (int)c.expect.size());
    krnFree_ObjArray(a);
  }
}

TEST(ObjArray, DeletingAndLookingUp) {
  void** a = Build({1, 2, 3});
  void** same = krnDelItem_ObjArray(a, 5);
  EXPECT_EQ(same, a);
  EXPECT_EQ(Values(a), (std::vector<int>{1, 2, 3}));
  a = krnDelItem_ObjArray(a, -1);
  EXPECT_EQ(Values(a), (std::vector<int>{1, 2}));
  a = krnDelItem_ObjArray(a, 0);
  EXPECT_EQ(Values(a), (std::vector<int>{2}));
  EXPECT_EQ(*(int*)krnGetItem_ObjArray(a, -1), 2);
  EXPECT_EQ(*(int*)krnGetItem_ObjArray(a, 0), 2);
  EXPECT_EQ(krnGetItem_ObjArray(a, 1), nullptr);   // index == count
  EXPECT_EQ(krnGetItem_ObjArray(a, -2), nullptr);  // never reads before the block
  a = krnDelItem_ObjArray(a, 0);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(krnGetTotal_ObjArray(a), 0);
  EXPECT_EQ(krnDelItem_ObjArray(a, 0), a);  // empty: unchanged
  EXPECT_EQ(krnGetItem_ObjArray(a, -1), nullptr);
  krnFree_ObjArray(a);
  EXPECT_EQ(krnGetTotal_ObjArray(nullptr), 0);
  EXPECT_EQ(krnGetItem_ObjArray(nullptr, 0), nullptr);
  EXPECT_EQ(krnAddItem_ObjArray(nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(krnFree_ObjArray(nullptr), 1);
}

TEST(Rect, PointInRectHasExclusiveEdges) {
  KrnRect r = krnSetRect(10, 10, 5, 5);
  struct {
    int x, y, in;
  } cases[] = {{10, 10, 0}, {11, 11, 1}, {14, 14, 1}, {15, 14, 0}, {14, 15, 0}, {12, 10, 0}};
  for (auto& c : cases) EXPECT_EQ(krnPointInRect(c.x, c.y, r), c.in) << c.x << "," << c.y;
}

TEST(Rect, Intersection) {
  struct {
    KrnRect a, b, expect;
  } cases[] = {
      {krnSetRect(0, 0, 10, 10), krnSetRect(5, 5, 10, 10), krnSetRect(5, 5, 5, 5)},
      {krnSetRect(0, 0, 10, 10), krnSetRect(10, 0, 5, 5), krnSetRect(10, 0, 0, 5)},
      {krnSetRect(0, 0, 10, 10), krnSetRect(20, 20, 5, 5), krnSetRect(0, 0, 0, 0)},
      {krnSetRect(-20, 0, 10, 10), krnSetRect(-15, 0, 10, 10), krnSetRect(0, 0, 0, 0)},
      {krnSetRect(-20, -5, 30, 10), krnSetRect(-15, -8, 30, 10), krnSetRect(-15, -5, 25, 7)},
  };
  for (auto& c : cases) {
    KrnRect r = krnGetInRect(c.a, c.b);
    EXPECT_EQ(r.x, c.expect.x);
    EXPECT_EQ(r.y, c.expect.y);
    EXPECT_EQ(r.width, c.expect.width);
    EXPECT_EQ(r.height, c.expect.height);
  }
  EXPECT_TRUE(krnIsEmptyRect(krnGetInRect(krnSetRect(0, 0, 10, 10), krnSetRect(10, 0, 5, 5))));
}

TEST(Rect, SettersTruncateTo16Bits) {
  KrnRect r;
  EXPECT_EQ(krnSetRectangle(&r, 70000, -3, 65537, 2), 1);
  EXPECT_EQ(r.x, (short)70000);
  EXPECT_EQ(r.y, -3);
  EXPECT_EQ(r.width, 1);
  EXPECT_EQ(krnSetRectangle(nullptr, 0, 0, 0, 0), 0);
  KrnRect moved = krnSetOffsetRect(krnSetRect(1, 2, 3, 4), 10, -20);
  EXPECT_EQ(moved.x, 11);
  EXPECT_EQ(moved.y, -18);
  EXPECT_EQ(moved.width, 3);
  EXPECT_EQ(moved.height, 4);
}

TEST(ConvFullPath, JoinsOnlyWhenItFits) {
  char dir[] = "/tmp/kfpXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string sub = std::string(dir) + "/abcdefg";  // a seven-letter directory
  ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(sub.c_str()), 0);
  size_t cwdLen = sub.size();
  char path[64] = "notes";
  // The joined name needs cwd + "/" + "notes" + terminator.
  int exact = (int)(cwdLen + 1 + 5 + 1);
  EXPECT_EQ(krnConvFullPath(path, exact - 1), nullptr);
  EXPECT_STREQ(path, "notes");
  EXPECT_EQ(krnConvFullPath(path, exact), path);
  EXPECT_EQ(std::string(path), sub + "/notes");
  ASSERT_EQ(chdir(old), 0);
  rmdir(sub.c_str());
  rmdir(dir);
}

}  // namespace
