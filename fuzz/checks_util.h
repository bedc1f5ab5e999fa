// checks_util.h - what the fuzz checks share: a reader that turns fuzz
// bytes into numbers and strings (never failing: past the end it gives
// zeros and empty strings), a scratch directory for checks that need files,
// and the failure macro.
#ifndef KRN_FUZZ_CHECKS_UTIL_H
#define KRN_FUZZ_CHECKS_UTIL_H

#include <stddef.h>
#include <stdint.h>

#include <string>

namespace krnfuzz {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool AtEnd() const { return pos_ >= size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  // Little-endian 16 bits.
  int Word() {
    int low = Byte();
    return low | (Byte() << 8);
  }
  // Bytes up to the next NUL (which is skipped) or the end.
  std::string Str() {
    std::string s;
    while (pos_ < size_ && data_[pos_] != 0) s += char(data_[pos_++]);
    if (pos_ < size_) pos_++;
    return s;
  }
  // At most n bytes.
  std::string Bytes(size_t n) {
    size_t take = n < size_ - pos_ ? n : size_ - pos_;
    if (pos_ >= size_) take = 0;
    std::string s(reinterpret_cast<const char*>(data_ + pos_), take);
    pos_ += take;
    return s;
  }
  std::string Rest() { return Bytes(size_ > pos_ ? size_ - pos_ : 0); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// A path in this process's own scratch directory (created on first use,
// removed at exit), on a memory file system when there is one.
std::string ScratchPath(const char* name);
bool WriteWhole(const std::string& path, const std::string& bytes);
bool ReadWhole(const std::string& path, std::string* bytes);

// Printable form of bytes for failure messages (at most 200 shown).
std::string Show(const std::string& bytes);

}  // namespace krnfuzz

// Returns a failure description from the enclosing check.
#define FUZZ_CHECK(cond, what)                                                 \
  do {                                                                         \
    if (!(cond)) return std::string(__func__) + ": " + (std::string() + what); \
  } while (0)

#endif
