// The list box: its list window and scroll bar kept in step (the bar's
// total is rows x row height, its position the list's top row, either side
// moving the other), reports passed on to the box's callback, the children
// following the box's size, and other kinds refused.
#include <xharness.h>

KRN_X_ENVIRONMENT(24, true);

namespace {

using krntest::Dpy;

long g_row = -1;
int Record(KrnWindow* box, int code, long row, long) {
  if (box && box->windowKind == KRN_KIND_LISTBOX && code == KRN_SELECT) g_row = row;
  return 1;
}

TEST(ListBox, KeepsListAndScrollBarInStep) {
  KrnWindow* frame = krnCreateWindow(Dpy(), nullptr, krnSetRect(0, 0, 300, 200), 0, "f", nullptr);
  KrnWindow* box = krnCreateWindow_ListBox(Dpy(), frame, krnSetRect(10, 10, 200, 100), "box");
  ASSERT_NE(box, nullptr);
  KrnWindow* list = krnGetAttachListWnd_ListBox(box);
  KrnWindow* bar = krnGetChildWindowFromIndex(box, 1);
  int rh = krnGetRowHeight_ListWnd(list);
  for (int i = 0; i < 30; i++) krnAddItem_ListBox(Dpy(), box, "row", nullptr, -1, 1);
  EXPECT_EQ(krnGetMax_ScrollBar(bar), 30 * rh);
  krnSetPos_ListBox(box, 5);
  EXPECT_EQ(krnGetPos_ScrollBar(bar), 5);
  krnSetPos_ScrollBar(bar, 7);
  EXPECT_EQ(krnGetPos_ListBox(box), 7);
  krnSetEventCallback_ListBox(box, Record);
  krnCallEventCallback(list, KRN_SELECT, 3, 0);
  EXPECT_EQ(g_row, 3);
  krnMoveResizeWindow(box, krnSetRect(10, 10, 240, 150));
  EXPECT_TRUE(
      krntest::PumpUntil([&] { return list->rect.width == 240 - krnGetHeight_ScrollBar(); }));
  EXPECT_EQ(bar->rect.height, 150);
  while (krnGetSize_ListBox(box) > 0) krnDeleteItem_ListBox(box, 0, 1);
  EXPECT_EQ(krnGetMax_ScrollBar(bar), 0);
  EXPECT_EQ(krnGetPos_ListBox(box), 0);
  EXPECT_EQ(krnGetSize_ListBox(frame), 0);
  EXPECT_EQ(krnGetName_ListBox(list, 0), nullptr);
  krnDestroyWindow(Dpy(), frame);
}

}  // namespace
