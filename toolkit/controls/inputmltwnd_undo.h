// inputmltwnd_undo.h - the editor's undo history without X: every change of
// the text kept as a delta (position, removed bytes, inserted bytes) with the
// caret and selection before it, consecutive typing merged into one step, a
// save point that tells when the text equals the saved file, and a memory
// cap that drops the oldest steps.  The model records at its one replace
// primitive and applies steps back through it.
#ifndef KRN_CONTROLS_INPUTMLTWND_UNDO_H
#define KRN_CONTROLS_INPUTMLTWND_UNDO_H

#include <stddef.h>

#include <deque>
#include <string>

namespace undo {

// What kind of edit a change was; typing, BackSpace and Delete runs merge.
enum Kind {
  kTyping,     // typed text, input-method commits, Return
  kBackSpace,  // BackSpace (also over a selection)
  kDelete,     // Delete (also over a selection)
  kOther       // paste, cut, replace: always a step of its own
};

// One undoable step: `removed` was at `pos` and `inserted` took its place.
struct Step {
  int pos;
  std::string removed;
  std::string inserted;
  int caretBefore;   // caret and selection before the step
  int selectBefore;  //
  Kind kind;
};

constexpr size_t kDefaultLimit = 4096 * 1024;  // UndoSize 4096 KB

// Steps [0, applied) are done (undoable), [applied, size) undone (redoable).
struct History {
  std::deque<Step> steps;
  size_t applied = 0;
  long savePoint = 0;  // `applied` when the text equalled the saved file; -1: never again
  bool sealed = true;  // the next change starts a new step
  size_t bytes = 0;    // memory counted for the steps
  size_t limit = kDefaultLimit;
};

// A change just made: count bytes `removed` at pos replaced by n `inserted`.
struct Change {
  int pos;
  const char* removed;
  int count;
  const char* inserted;
  int n;
  int caretBefore;
  int selectBefore;
  Kind kind;
};

// Adds a change, merged into the open step when it continues it.  Drops
// the redo steps and, beyond the limit, the oldest steps (never the newest).
// false when memory ran out: the history is then emptied, since no earlier
// step could be undone correctly past the lost one.
bool Record(History& h, const Change& c);
// Closes the open step: the caret moved, or the text was saved.
void Seal(History& h);
// Empties the history; the present text becomes the saved one when `saved`.
void Clear(History& h, bool saved);
// Marks the present state as saved (true) or as differing from any saved
// state that undo could reach (false).
void MarkSaved(History& h, bool saved);
// Sets the memory cap in bytes (at least one step is always kept).
void SetLimit(History& h, size_t bytes);

bool CanUndo(const History& h);
bool CanRedo(const History& h);
// The step the next undo or redo applies, or null.
const Step* NextUndo(const History& h);
const Step* NextRedo(const History& h);
// Moves `applied` after a step was applied; the text then is modified
// unless it is back at the save point.
void Undone(History& h);
void Redone(History& h);
bool AtSavePoint(const History& h);

// Memory a step is counted with.
size_t StepBytes(const Step& s);

}  // namespace undo

#endif
