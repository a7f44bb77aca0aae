// Test support: a `kdr serve` of the build tree on a free port, with a temporary folder of its
// own (TMPDIR), stopped with Ctrl-C's signal when the test is done.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

class ServerProcess {
 public:
  // Starts `kdr serve --port 0 arguments...` and reads the address it prints.
  ServerProcess(const std::vector<std::string>& arguments, const std::filesystem::path& tmp)
      : FTmp(tmp) {
    std::filesystem::create_directories(tmp);
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    std::vector<std::string> words{KDR_BINARY, "serve", "--port", "0"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment{"TMPDIR=" + tmp.string()};
    for (char** variable = environ; *variable != nullptr; ++variable) {
      if (std::string(*variable).rfind("TMPDIR=", 0) != 0) environment.emplace_back(*variable);
    }
    std::vector<char*> envp;
    for (auto& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const int error = posix_spawn(&FPid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (error != 0) throw std::runtime_error("kdr serve did not start");
    FOutput = ::fdopen(out[0], "r");
    char line[512] = {};
    if (std::fgets(line, sizeof line, FOutput) == nullptr) return;  // it failed: Stop() says
    Banner = line;
    const auto start = Banner.find("http://");
    const auto end = Banner.find('/', start + 7);
    if (start == std::string::npos || end == std::string::npos) return;
    const std::string address = Banner.substr(start + 7, end - start - 7);
    Host = address.substr(0, address.rfind(':'));
    Port = std::stoi(address.substr(address.rfind(':') + 1));
  }
  ~ServerProcess() { Stop(); }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  httplib::Client Client() const {
    httplib::Client client(Host, Port);
    client.set_read_timeout(std::chrono::minutes(5));
    return client;
  }

  // Sends SIGINT and waits: the exit status, or -1 when it did not exit by itself.
  int Stop() {
    if (FPid == 0) return FStatus;
    ::kill(FPid, SIGINT);
    int status = 0;
    ::waitpid(FPid, &status, 0);
    FPid = 0;
    if (FOutput != nullptr) std::fclose(FOutput);
    FOutput = nullptr;
    FStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return FStatus;
  }

  std::string Banner;
  std::string Host;
  int Port = 0;

 private:
  std::filesystem::path FTmp;
  pid_t FPid = 0;
  FILE* FOutput = nullptr;
  int FStatus = -1;
};
