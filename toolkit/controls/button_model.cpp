// button_model.cpp - the button family's rules without X (see the header).
#include "controls/button_model.h"

namespace btn {

Step Press(State& s, bool inside) {
  if (!inside) return {false, 0};
  s.pressed = 1;
  if (!s.toggle) {
    s.down = 1;
    return {true, 0};
  }
  if (!s.down) {
    s.turnedOn = 1;
    s.down = 1;
    return {true, kReportOk};
  }
  // A toggle button that is on: the release decides whether it goes off.
  s.turnedOn = 0;
  return {false, 0};
}

Step Release(State& s, bool inside) {
  bool ends = s.pressed && inside;
  s.pressed = 0;
  if (ends && !s.toggle && s.down) {
    s.down = 0;
    return {true, kReportOk};
  }
  if (ends && s.toggle && !s.turnedOn) {
    s.down = 0;
    return {true, kReportCancel};
  }
  // Dragged out, a stray release, or the press that switched a toggle on:
  // an ordinary button comes up, a toggle button keeps its state.
  if (!s.toggle) s.down = 0;
  return {true, 0};
}

int ToolBarHeight(int charHeight) {
  return charHeight < 16 ? 28 : charHeight + 12;
}

int AddedWidth(int captionWidth, bool captionEmpty, bool icon) {
  return (captionEmpty ? 0 : captionWidth + 10) + (icon ? 21 : 0);
}

int ChangedWidth(int captionWidth, bool icon) {
  return captionWidth + (icon ? 30 : 10);
}

std::vector<int> Pack(int start, const std::vector<int>& extents) {
  std::vector<int> at;
  at.reserve(extents.size());
  int pos = start;
  for (int e : extents) {
    at.push_back(pos);
    pos += e + kGap;
  }
  return at;
}

int AttachIndex(int index, int count) {
  if (count <= 0) return -1;
  if (index == -1) return count - 1;
  if (index < 0) return 0;
  return index < count ? index : -1;
}

int DeleteIndex(int index, int count) {
  if (count <= 0) return -1;
  if (index < 0) return count - 1;
  return index < count ? index : -1;
}

int InsertIndex(int index, int count) {
  if (index == -1 || index >= count) return count;
  return index < 0 ? 0 : index;
}

int SelectButtonWidth(int captionWidth, bool captionEmpty, bool icon) {
  return (captionEmpty ? 0 : captionWidth + 10) + (icon ? 20 : 0);
}

namespace {
int ColumnCell(int charHeight) {
  return charHeight > 20 ? charHeight : 20;
}
}  // namespace

int SelectFirstX(const SelectLayout& l) {
  if (!l.horizontal) return 5;
  return l.labelWidth > 0 ? l.labelWidth + 10 : 5;
}

int SelectFirstY(const SelectLayout& l) {
  return l.horizontal ? 2 : ColumnCell(l.charHeight) + 10;
}

int SelectButtonHeight(const SelectLayout& l) {
  return l.horizontal ? l.groupHeight - 4 : ColumnCell(l.charHeight);
}

int SelectLabelY(const SelectLayout& l) {
  if (l.horizontal) return (l.groupHeight - l.charHeight) / 2;
  return l.charHeight >= 20 ? 5 : (20 - l.charHeight) / 2 + 5;
}

}  // namespace btn
