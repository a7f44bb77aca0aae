// Temporary files removed when the command is interrupted (SIGINT, SIGTERM, SIGHUP), which then
// exits with 128 + the signal's number, as a shell reports it.
#pragma once

#include <csignal>
#include <string>

// Installs the handlers; once per process, before the first temporary file.
void RemoveTemporaryFilesOnInterrupt();

// SIGINT, SIGTERM and SIGHUP: what a long-lived command (the server) holds in all its threads
// and waits for in one, to stop in order rather than through the handler's immediate exit.
sigset_t InterruptSignals();

// While one lives, the interrupting signals wait: the registry is changed, or a set of files
// renamed into place, as one step that an interruption cannot cut in two.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
  sigset_t FPrevious;
};

// The files that an interruption removes.
void RegisterTemporaryFile(const std::string& path);
// Forgets every registered file (they were renamed into place or removed).
void ForgetTemporaryFiles();
