// The real quelmo binary as a child process of a test: started in a scratch
// directory with the test's environment (DISPLAY, HOME, locale, XMODIFIERS),
// its standard error in $KRN_QUELMO_LOG, killed when the test ends first.
#ifndef KRN_TEST_XQUELMO_H
#define KRN_TEST_XQUELMO_H

#include <stdlib.h>

#include <string>
#include <vector>

#include "xharness.h"
#include "xprocess.h"

namespace krntest {

class Quelmo : public Process {
 public:
  // Starts quelmo in dir with args once the files are in place.
  Quelmo(const TempDir& dir, const std::vector<std::string>& args)
      : Process(dir.path(), getenv("KRN_QUELMO") ? getenv("KRN_QUELMO") : "quelmo", args,
                getenv("KRN_QUELMO_LOG")) {}
};

}  // namespace krntest

#endif
