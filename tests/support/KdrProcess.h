// Test support: runs the `kdr` command of the build tree as a caller would, capturing its exit
// status and both output streams. Every run, list or describe must leave its SQLite database
// byte for byte as it was: the helper checks it for every test that runs the command.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
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

// The SQLite file that `kdr arguments...` reads without writing: the `--db sqlite:PATH` of a
// run, list or describe.
inline std::optional<std::filesystem::path> DatabaseReadBy(
    const std::vector<std::string>& arguments) {
  if (arguments.empty() ||
      (arguments[0] != "run" && arguments[0] != "list" && arguments[0] != "describe")) {
    return std::nullopt;
  }
  for (size_t i = 0; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == "--db" && arguments[i + 1].rfind("sqlite:", 0) == 0) {
      return std::filesystem::path(arguments[i + 1].substr(7));
    }
  }
  return std::nullopt;
}

inline std::optional<std::string> ContentOf(const std::filesystem::path& path) {
  if (!std::filesystem::exists(path)) return std::nullopt;
  return ReadFile(path);
}

// Runs `kdr arguments...` with no standard input; `scratch` is a folder for the captured output.
inline Outcome RunKdr(const std::vector<std::string>& arguments,
                      const std::filesystem::path& scratch) {
  const auto database = DatabaseReadBy(arguments);
  const auto before = database ? ContentOf(*database) : std::nullopt;
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
  if (database && ContentOf(*database) != before) {
    ADD_FAILURE() << "kdr changed the database it only reads: " << *database;
  }
  return outcome;
}
