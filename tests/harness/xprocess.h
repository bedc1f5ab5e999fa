// A program under test started as its own process: forked in a scratch
// directory with its standard error sent to a log file, killed if the test
// ends first, and its exit status read with a time limit.
#ifndef KRN_TEST_XPROCESS_H
#define KRN_TEST_XPROCESS_H

#include <sys/types.h>

#include <string>
#include <vector>

namespace krntest {

class Process {
 public:
  // Runs prog with args in dir; stderr goes to log (null or empty: discarded).
  Process(const std::string& dir, const std::string& prog, const std::vector<std::string>& args,
          const char* log = nullptr);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  // The exit status once the program has ended within timeoutMs (-1 when a
  // signal ended it); -2 while it still runs.
  int ExitStatus(int timeoutMs);
  // Sends a signal to the program while it runs.
  void Signal(int signal);

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = -1;
};

}  // namespace krntest

#endif
