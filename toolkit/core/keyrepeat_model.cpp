// keyrepeat_model.cpp - the auto-repeat filter behind krnGetKey (see
// keyrepeat_model.h).
#include "core/keyrepeat_model.h"

namespace keyrepeat {

void Filter::Release(unsigned keycode, uint32_t time) {
  Key& k = keys_[keycode & 0xFF];
  k.held = false;
  k.released = true;
  k.releaseTime = time;
}

bool Filter::Press(unsigned keycode, uint32_t time, int interval) {
  Key& k = keys_[keycode & 0xFF];
  if (k.held && k.pressTime == time) return k.delivered;
  bool repeat = k.held || (!detectable_ && k.released && k.releaseTime == time);
  uint32_t since = time - k.deliveredTime;
  bool deliver = !repeat || !k.anyDelivered || since >= (uint32_t)(interval > 0 ? interval : 0);
  k.held = true;
  k.pressTime = time;
  k.delivered = deliver;
  if (deliver) {
    k.anyDelivered = true;
    k.deliveredTime = time;
  }
  return deliver;
}

}  // namespace keyrepeat
