// inputmltwnd_undo.cpp - the editor's undo history: recording and merging
// deltas, the save point and the memory cap.  Applying a step is the
// model's work (it goes through the same replace as every edit).
#include "controls/inputmltwnd_undo.h"

#include <new>

namespace undo {

namespace {

// The change continues the open step: typing on at its end, BackSpace on
// at its start, Delete on at the same place.
bool Continues(const Step& s, const Change& c) {
  if (c.kind != s.kind) return false;
  size_t end = static_cast<size_t>(s.pos) + s.inserted.size();
  switch (c.kind) {
    case kTyping:
      return c.count == 0 && static_cast<size_t>(c.pos) == end;
    case kBackSpace:
      return c.n == 0 && s.inserted.empty() && c.pos + c.count == s.pos;
    case kDelete:
      return c.n == 0 && s.inserted.empty() && c.pos == s.pos;
    default:
      return false;
  }
}

void Merge(Step& s, const Change& c) {
  if (c.kind == kTyping) {
    s.inserted.append(c.inserted, static_cast<size_t>(c.n));
  } else if (c.kind == kBackSpace) {
    s.removed.insert(0, c.removed, static_cast<size_t>(c.count));
    s.pos = c.pos;
  } else {
    s.removed.append(c.removed, static_cast<size_t>(c.count));
  }
}

// Forgets the undone steps: a new change makes them unreachable.
void DropRedo(History& h) {
  while (h.steps.size() > h.applied) {
    h.bytes -= StepBytes(h.steps.back());
    h.steps.pop_back();
  }
  if (h.savePoint > static_cast<long>(h.applied)) h.savePoint = -1;
}

// Drops the oldest steps beyond the limit, keeping the newest one.
void Trim(History& h) {
  while (h.bytes > h.limit && h.steps.size() > 1 && h.applied > 0) {
    h.bytes -= StepBytes(h.steps.front());
    h.steps.pop_front();
    h.applied--;
    h.savePoint = h.savePoint > 0 ? h.savePoint - 1 : -1;
  }
}

}  // namespace

size_t StepBytes(const Step& s) {
  return sizeof(Step) + s.removed.capacity() + s.inserted.capacity();
}

bool Record(History& h, const Change& c) {
  try {
    DropRedo(h);
    if (!h.sealed && !h.steps.empty() && h.savePoint != static_cast<long>(h.applied) &&
        Continues(h.steps.back(), c)) {
      Step& s = h.steps.back();
      h.bytes -= StepBytes(s);
      Merge(s, c);
      h.bytes += StepBytes(s);
    } else {
      Step s{c.pos,
             std::string(c.removed ? c.removed : "", static_cast<size_t>(c.count)),
             std::string(c.inserted ? c.inserted : "", static_cast<size_t>(c.n)),
             c.caretBefore,
             c.selectBefore,
             c.kind};
      h.steps.push_back(std::move(s));
      h.bytes += StepBytes(h.steps.back());
      h.applied = h.steps.size();
    }
  } catch (const std::bad_alloc&) {
    Clear(h, false);
    return false;
  }
  // A paste or replace is a step of its own: nothing merges into it.
  h.sealed = c.kind == kOther;
  Trim(h);
  return true;
}

void Seal(History& h) {
  h.sealed = true;
}

void Clear(History& h, bool saved) {
  h.steps.clear();
  h.applied = 0;
  h.bytes = 0;
  h.sealed = true;
  h.savePoint = saved ? 0 : -1;
}

void MarkSaved(History& h, bool saved) {
  h.savePoint = saved ? static_cast<long>(h.applied) : -1;
  h.sealed = true;
}

void SetLimit(History& h, size_t bytes) {
  h.limit = bytes;
  Trim(h);
}

bool CanUndo(const History& h) {
  return h.applied > 0;
}

bool CanRedo(const History& h) {
  return h.applied < h.steps.size();
}

const Step* NextUndo(const History& h) {
  return CanUndo(h) ? &h.steps[h.applied - 1] : nullptr;
}

const Step* NextRedo(const History& h) {
  return CanRedo(h) ? &h.steps[h.applied] : nullptr;
}

void Undone(History& h) {
  if (h.applied > 0) h.applied--;
  h.sealed = true;
}

void Redone(History& h) {
  if (h.applied < h.steps.size()) h.applied++;
  h.sealed = true;
}

bool AtSavePoint(const History& h) {
  return h.savePoint == static_cast<long>(h.applied);
}

}  // namespace undo
