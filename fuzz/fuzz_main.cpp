// fuzz_main.cpp - the libFuzzer entry of one target, chosen at build time
// by KRN_FUZZ_TARGET (a name of the checks' target table).  A broken
// invariant is written to the original standard error, which stays open
// when the run discards the code's own diagnostics, and aborts the run.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "checks.h"

namespace {

const krnfuzz::Target* g_target = nullptr;
int g_reportFd = 2;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (size_t i = 0; i < krnfuzz::kTargetCount; i++)
    if (strcmp(krnfuzz::kTargets[i].name, KRN_FUZZ_TARGET) == 0) g_target = &krnfuzz::kTargets[i];
  if (!g_target) abort();
  int fd = dup(2);
  if (fd >= 0) g_reportFd = fd;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string failure = g_target->check(data, size);
  if (!failure.empty()) {
    dprintf(g_reportFd, "==krnfuzz== %s: %s\n", g_target->name, failure.c_str());
    abort();
  }
  return 0;
}
