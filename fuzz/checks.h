// checks.h - the invariants the fuzz targets hold the toolkit's parsers and
// the editor model to.  Each check takes arbitrary bytes, runs the code
// under test on them and returns "" when every invariant held, else a
// description of the first one broken.  The libFuzzer targets abort on a
// non-empty answer; the replay test runs the committed corpus through the
// same functions in the ordinary build.
#ifndef KRN_FUZZ_CHECKS_H
#define KRN_FUZZ_CHECKS_H

#include <stddef.h>
#include <stdint.h>

#include <string>

namespace krnfuzz {

// The BMP reader: accepted files decode to the pixels an independent
// reading of the same bytes gives; refused files give their one message.
std::string CheckBmp(const uint8_t* data, size_t size);

// The JPEG bridge: a failed decode gives null and size 0; a decode's size
// agrees with the dimensions reader; the buffer helpers round-trip.
std::string CheckJpeg(const uint8_t* data, size_t size);

// The resource-file store: file contents, then gets and sets of arbitrary
// group, key and value, each compared with an independent reading.
std::string CheckRcFile(const uint8_t* data, size_t size);

// Code detection and the EUC-JP / Shift_JIS / JIS conversions on buffers
// of exactly the input's size, against the code arithmetic done apart;
// round trips of well-formed text.
std::string CheckCharCode(const uint8_t* data, size_t size);

// The editor model driven by a sequence of edits, moves, clicks, copies,
// pastes, width changes and failing allocations, checked after each step.
std::string CheckEditor(const uint8_t* data, size_t size);

struct Target {
  const char* name;  // also the corpus directory name
  std::string (*check)(const uint8_t* data, size_t size);
};
extern const Target kTargets[];
extern const size_t kTargetCount;

}  // namespace krnfuzz

#endif
