// `kdr` children of the server: each in a process group of its own, its standard streams on
// files of a private folder, killed with its group when it outlives its time limit or when the
// server stops. Whatever a plug-in does in a child (crash, loop, leak), the server goes on.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <vector>

struct ChildOutcome {
  int ExitStatus = -1;  // -1 when the child did not exit by itself
  int Signal = 0;       // the signal that ended it, when one did
  bool TimedOut = false;
  bool Stopped = false;  // killed because the server stops
  std::string Out;
  std::string Err;
};

class ChildProcesses {
 public:
  // The children run `executable` (the server's own command).
  explicit ChildProcesses(std::filesystem::path executable);
  ~ChildProcesses();  // kills what still runs
  ChildProcesses(const ChildProcesses&) = delete;
  ChildProcesses& operator=(const ChildProcesses&) = delete;

  // Runs the command with `arguments`, `input` on its standard input, in `folder` (which
  // receives the stream files), and waits at most `limit`. Raises Exception when it cannot
  // start, and once StopAll was called.
  ChildOutcome Run(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                   const std::string& input, std::chrono::milliseconds limit);

  // Kills every running child's group; later calls to Run raise.
  void StopAll();

 private:
  // Whether the server was stopping meanwhile.
  bool Forget(pid_t child);

  std::filesystem::path FExecutable;
  std::mutex FMutex;
  std::set<pid_t> FRunning;
  bool FStopped = false;
};
