// Test support: runs the `kdr` command of the build tree as a caller would, capturing its exit
// status and both output streams.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct Outcome {
  int Status = -1;
  std::string Out;
  std::string Err;
};

inline std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Runs `kdr arguments...` with no standard input; `scratch` is a folder for the captured output.
inline Outcome RunKdr(const std::vector<std::string>& arguments,
                      const std::filesystem::path& scratch) {
  std::string command = ShellQuote(KDR_BINARY);
  for (const auto& argument : arguments) command += " " + ShellQuote(argument);
  const auto out = scratch / "kdr-stdout.txt";
  const auto err = scratch / "kdr-stderr.txt";
  command += " >" + ShellQuote(out.string()) + " 2>" + ShellQuote(err.string()) + " </dev/null";
  const int raw = std::system(command.c_str());
  Outcome outcome;
  outcome.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  outcome.Out = ReadFile(out);
  outcome.Err = ReadFile(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return outcome;
}
