#include "xprocess.h"

#include <signal.h>
#include <stdio.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace krntest {

Process::Process(const std::string& dir, const std::string& prog,
                 const std::vector<std::string>& args, const char* log) {
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a test that died
    if (chdir(dir.c_str()) != 0) _exit(98);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(prog.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (!freopen(log && *log ? log : "/dev/null", "w", stderr)) _exit(96);
    execv(prog.c_str(), argv.data());
    _exit(97);
  }
}

Process::~Process() {
  if (pid_ > 0 && ExitStatus(0) == -2) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

void Process::Signal(int signal) {
  if (pid_ > 0 && !ended_) kill(pid_, signal);
}

int Process::ExitStatus(int timeoutMs) {
  if (ended_ || pid_ <= 0) return status_;
  for (int waited = 0;; waited += 10) {
    int st = 0;
    if (waitpid(pid_, &st, WNOHANG) == pid_) {
      ended_ = true;
      status_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
      return status_;
    }
    if (waited >= timeoutMs) return -2;
    usleep(10000);
  }
}

}  // namespace krntest
