#include "serve/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include "Exception.h"
#include "cli/SystemReason.h"
#include "serve/OutputStore.h"

extern char** environ;

namespace {

// posix_spawn's attributes and file actions, released on every way out.
class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawnattr_init(&FAttributes);
    posix_spawn_file_actions_init(&FActions);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&FActions);
    posix_spawnattr_destroy(&FAttributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  posix_spawnattr_t FAttributes;
  posix_spawn_file_actions_t FActions;
};

}  // namespace

ChildProcesses::ChildProcesses(std::filesystem::path executable)
    : FExecutable(std::move(executable)) {}

ChildProcesses::~ChildProcesses() {
  StopAll();
}

bool ChildProcesses::Forget(pid_t child) {
  const std::lock_guard lock(FMutex);
  FRunning.erase(child);
  return FStopped;
}

void ChildProcesses::StopAll() {
  const std::lock_guard lock(FMutex);
  FStopped = true;
  for (pid_t child : FRunning) ::kill(-child, SIGKILL);
}

ChildOutcome ChildProcesses::Run(const std::vector<std::string>& arguments,
                                 const std::filesystem::path& folder, const std::string& input,
                                 std::chrono::milliseconds limit) {
  const auto inPath = folder / "stdin";
  const auto outPath = folder / "stdout";
  const auto errPath = folder / "stderr";
  std::ofstream(inPath, std::ios::binary) << input;

  SpawnSetup setup;
  // Its own group, so that a time limit kills whatever it started too, and a terminal's Ctrl-C
  // reaches the server alone, which then stops its children itself. The server holds the
  // interrupting signals for its threads; a child starts with none held and default handlers.
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, signal);
  posix_spawnattr_setpgroup(&setup.FAttributes, 0);
  posix_spawnattr_setsigmask(&setup.FAttributes, &none);
  posix_spawnattr_setsigdefault(&setup.FAttributes, &defaults);
  posix_spawnattr_setflags(&setup.FAttributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawn_file_actions_addopen(&setup.FActions, 0, inPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&setup.FActions, 1, outPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&setup.FActions, 2, errPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addchdir_np(&setup.FActions, folder.c_str());
  // The server's sockets are not the child's: a child that outlives its request would keep
  // the client's connection, or the listening port, open.
  posix_spawn_file_actions_addclosefrom_np(&setup.FActions, 3);

  std::vector<std::string> words{FExecutable.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  pid_t child = 0;
  {
    // Registered under the lock that StopAll takes, so a stop never misses a child.
    const std::lock_guard lock(FMutex);
    if (FStopped) throw Exception("O servidor está sendo encerrado.");
    const int error = posix_spawn(&child, FExecutable.c_str(), &setup.FActions, &setup.FAttributes,
                                  argv.data(), environ);
    if (error != 0) throw Exception("Não foi possível iniciar o kdr: " + SystemReason(error));
    FRunning.insert(child);
  }

  ChildOutcome outcome;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  // Waited for without reaping, so that its number, which names its group, stays its own
  // until it is forgotten: a kill of the group never reaches a process that took the number.
  siginfo_t ended = {};
  while (::waitid(P_PID, static_cast<id_t>(child), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         ended.si_pid == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(-child, SIGKILL);
      outcome.TimedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  outcome.Stopped = Forget(child);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFEXITED(status)) outcome.ExitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.Signal = WTERMSIG(status);
  outcome.Out = ReadStoredFile(outPath);
  outcome.Err = ReadStoredFile(errPath);
  return outcome;
}
