// The auto-repeat filter without X: sequences of presses and releases with
// server times, and which presses are delivered.
#include <gtest/gtest.h>

#include "core/keyrepeat_model.h"

namespace {

struct Step {
  char kind;  // 'p' press, 'r' release
  unsigned key;
  uint32_t time;
  bool delivered;  // presses only
};

void Check(bool detectable, const std::vector<Step>& steps) {
  keyrepeat::Filter f;
  f.SetDetectable(detectable);
  int i = 0;
  for (const Step& s : steps) {
    if (s.kind == 'r')
      f.Release(s.key, s.time);
    else
      EXPECT_EQ(f.Press(s.key, s.time, 35), s.delivered) << "step " << i;
    i++;
  }
}

TEST(KeyRepeat, OnlyTheRepeatsOfAHeldKeyAreSlowed) {
  // Detectable auto-repeat: a held key sends presses alone.
  Check(true, {{'p', 10, 1000, true},
               {'p', 10, 1010, false},  // repeat within 35 ms of the delivered press
               {'p', 11, 1012, true},   // another key meanwhile
               {'p', 10, 1035, true},   // 35 ms after the last delivered press
               {'p', 10, 1040, false},
               {'r', 10, 1041, 0},
               {'p', 10, 1041, true},  // released and pressed anew in the same ms
               {'p', 10, 1041, true},  // the same press asked about again
               {'r', 10, 1042, 0},
               {'p', 10, 1043, true}});  // taps 1 ms apart all arrive
  // Plain auto-repeat: each repeat is a release and a press with one time.
  Check(false, {{'p', 20, 5000, true},
                {'r', 20, 5010, 0},
                {'p', 20, 5010, false},  // a repeat pair within Interval
                {'r', 20, 5040, 0},
                {'p', 20, 5040, true},  // 40 ms after the delivered press
                {'r', 20, 5041, 0},
                {'p', 20, 5045, true}});  // a real release 4 ms before
  // The server clock wraps.
  Check(true, {{'p', 30, 0xFFFFFFF0u, true}, {'p', 30, 4, false}, {'p', 30, 20, true}});
}

}  // namespace
