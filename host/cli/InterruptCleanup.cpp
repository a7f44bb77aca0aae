#include "cli/InterruptCleanup.h"

#include <pthread.h>
#include <unistd.h>

#include <vector>

namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// Changed only while the interrupts are held, so the handler never sees it half changed; the
// command draws its pages on one thread.
std::vector<std::string>& Registry() {
  static std::vector<std::string> paths;
  return paths;
}

extern "C" void RemoveAndExit(int signal) {
  // Only async-signal-safe calls from here: unlink and _exit.
  for (const std::string& path : Registry()) ::unlink(path.c_str());
  ::_exit(128 + signal);
}

}  // namespace

sigset_t InterruptSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kInterrupts) sigaddset(&set, signal);
  return set;
}

void RemoveTemporaryFilesOnInterrupt() {
  struct sigaction action = {};
  action.sa_handler = RemoveAndExit;
  action.sa_mask = InterruptSignals();  // one handler at a time
  for (int signal : kInterrupts) {
    struct sigaction previous = {};
    sigaction(signal, nullptr, &previous);
    // A signal ignored by whoever started us (nohup) stays ignored.
    if (previous.sa_handler != SIG_IGN) sigaction(signal, &action, nullptr);
  }
}

InterruptsHeld::InterruptsHeld() {
  const sigset_t set = InterruptSignals();
  pthread_sigmask(SIG_BLOCK, &set, &FPrevious);
}

InterruptsHeld::~InterruptsHeld() {
  pthread_sigmask(SIG_SETMASK, &FPrevious, nullptr);
}

void RegisterTemporaryFile(const std::string& path) {
  const InterruptsHeld held;
  Registry().push_back(path);
}

void ForgetTemporaryFiles() {
  const InterruptsHeld held;
  Registry().clear();
}
