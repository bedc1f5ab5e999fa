// keyrepeat_model.h - tells the auto-repeat of a held key from keys pressed
// anew, without X: the event loop feeds it every key release and asks it
// about each key press.  Only auto-repeats are slowed: a press is dropped
// when it repeats a key that has not been released since its last press and
// comes within the interval of that key's last delivered press.  Keys
// pressed and released anew, however quickly, always pass.
#ifndef KRN_CORE_KEYREPEAT_MODEL_H
#define KRN_CORE_KEYREPEAT_MODEL_H

#include <stdint.h>

namespace keyrepeat {

class Filter {
 public:
  // With detectable auto-repeat the server sends no release while a key is
  // held; without it every repeat comes as a release and a press with one
  // time stamp, which is how it is recognised then.
  void SetDetectable(bool on) { detectable_ = on; }
  // A key release (idempotent: the same release may be noted twice).
  void Release(unsigned keycode, uint32_t time);
  // Whether a press is to be delivered.  The same press asked about again
  // (one event offered to several windows) gets the same answer.
  bool Press(unsigned keycode, uint32_t time, int interval);

 private:
  struct Key {
    bool held = false;      // pressed and not released since
    bool released = false;  // releaseTime is set
    uint32_t releaseTime = 0;
    uint32_t pressTime = 0;  // the last press seen
    bool delivered = false;  // the answer given for it
    bool anyDelivered = false;
    uint32_t deliveredTime = 0;  // the last delivered press
  };
  Key keys_[256];
  bool detectable_ = false;
};

}  // namespace keyrepeat

#endif
