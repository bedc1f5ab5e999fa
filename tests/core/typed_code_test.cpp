// Text typed through plain key lookup is Latin-1: each byte above 0x7F
// must arrive as one whole character of the working code (or 〓), never as
// a lone byte that pairs with the text's next one.
#include <gtest/gtest.h>
#include <korrin.h>

#include <string>

#include "core/korrin_internal.h"

namespace {

TEST(TypedCode, Latin1KeysBecomeWholeCharacters) {
  struct Case {
    int working;
    std::string typed, want;
  };
  const Case cases[] = {
      {KRN_CODE_EUC, "a", "a"},
      {KRN_CODE_EUC, "\xD7", "\xA1\xDF"},               // multiplication sign
      {KRN_CODE_SJIS, "\xD7", "\x81\x7E"},              // the same in Shift_JIS
      {KRN_CODE_EUC, "x\xE9y", "x\xA2\xAEy"},           // e acute: no counterpart, one 〓
      {KRN_CODE_SJIS, "\xB0\xA7", "\x81\x8B\x81\x98"},  // degree sign, section sign
  };
  for (const Case& c : cases) {
    g_korrin.charCode = c.working;
    char buffer[16] = {};
    c.typed.copy(buffer, c.typed.size());
    int n = krnTypedToWorkingCode(buffer, static_cast<int>(c.typed.size()), sizeof buffer, 0);
    EXPECT_EQ(std::string(buffer, n > 0 ? n : 0), c.want) << c.typed;
  }
  char small[3] = {'\xE9', '\xE9', 0};
  g_korrin.charCode = KRN_CODE_EUC;
  EXPECT_EQ(krnTypedToWorkingCode(small, 2, sizeof small, 0), -1);  // 4 bytes do not fit in 3
}

}  // namespace
