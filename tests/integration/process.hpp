// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace dp3::test {

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Backups of every read go to a folder of the tests' own, never the user's.
inline void keepBackupsAway() {
  static const bool set = [] {
    const std::string dir = "/tmp/dp3-test-data-" + std::to_string(::getpid());
    return ::setenv("XDG_DATA_HOME", dir.c_str(), 1) == 0;
  }();
  (void)set;
}

// Runs the dp3 program with args and waits for it (a minute at most: a hang
// is a failure, exit 124); stdout and stderr are kept apart. shellPrefix runs
// first in the same shell (e.g. "cd DIR &&").
inline RunResult runDp3(const std::vector<std::string>& args, const std::string& shellPrefix = "") {
  keepBackupsAway();
  const std::string errFile = "/tmp/dp3-test-stderr-" + std::to_string(::getpid());
  std::string command = shellPrefix + " timeout -k 5 60 " DP3_EXECUTABLE;
  for (const std::string& a : args) command += " '" + a + "'";
  command += " 2>" + errFile;
  RunResult result;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  if (FILE* err = std::fopen(errFile.c_str(), "r")) {
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, err)) > 0) result.err.append(buffer, n);
    std::fclose(err);
  }
  std::remove(errFile.c_str());
  return result;
}

// `dp3 sim ARGS` in the background for the life of this object; path() is the
// device it printed on its first line.
class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& args = {}) {
    keepBackupsAway();
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(fds[1], STDOUT_FILENO);
      ::close(fds[0]);
      ::close(fds[1]);
      std::vector<std::string> all = {DP3_EXECUTABLE, "sim"};
      all.insert(all.end(), args.begin(), args.end());
      std::vector<char*> argv;
      for (auto& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') path_ += c;
    ::close(fds[0]);
  }
  ~SimProcess() { stop(SIGTERM); }
  // Ends the keyer; by default abruptly, as when it is unplugged.
  void stop(int signal = SIGKILL) {
    if (pid_ > 0) {
      ::kill(pid_, signal);
      ::waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  const std::string& path() const { return path_; }

 private:
  pid_t pid_ = -1;
  std::string path_;
};

// `dp3 ARGS` running beside the test: its standard output is read line by
// line through a pipe the test may close, and it may be sent signals.
class Dp3Process {
 public:
  explicit Dp3Process(const std::vector<std::string>& args) {
    keepBackupsAway();
    errFile_ = "/tmp/dp3-test-stderr-" + std::to_string(::getpid()) + "-bg";
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(fds[1], STDOUT_FILENO);
      if (std::FILE* err = std::fopen(errFile_.c_str(), "w")) ::dup2(::fileno(err), STDERR_FILENO);
      ::close(fds[0]);
      ::close(fds[1]);
      // What a shell started it with: the signals' own actions.
      for (int signal : {SIGINT, SIGTERM, SIGPIPE}) std::signal(signal, SIG_DFL);
      std::vector<std::string> all = {DP3_EXECUTABLE};
      all.insert(all.end(), args.begin(), args.end());
      std::vector<char*> argv;
      for (auto& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    out_ = ::fdopen(fds[0], "r");
  }
  ~Dp3Process() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    closeOutput();
    std::remove(errFile_.c_str());
  }
  Dp3Process(const Dp3Process&) = delete;
  Dp3Process& operator=(const Dp3Process&) = delete;

  // The next line of standard output (without its newline); false at its end.
  bool readLine(std::string& line) {
    line.clear();
    if (!out_) return false;
    for (int c; (c = std::fgetc(out_)) != EOF;) {
      if (c == '\n') return true;
      line += static_cast<char>(c);
    }
    return !line.empty();
  }
  // Reads lines until one starts with prefix; false when output ends first.
  bool readUntil(const std::string& prefix, std::string& seen) {
    for (std::string line; readLine(line);) {
      seen += line + "\n";
      if (line.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }
  // As a pager that quits: the program's next write meets a closed pipe.
  void closeOutput() {
    if (out_) std::fclose(out_);
    out_ = nullptr;
  }
  void signal(int number) { ::kill(pid_, number); }
  // Waits for the end (a minute at most); the rest of standard output, and standard error.
  RunResult wait() {
    RunResult result;
    for (std::string line; readLine(line);) result.out += line + "\n";
    int status = 0;
    for (int i = 0; i < 600 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i) ::usleep(100000);
    if (::waitpid(pid_, &status, WNOHANG) == 0) ::kill(pid_, SIGKILL), ::waitpid(pid_, &status, 0);
    pid_ = -1;
    result.exitCode = WIFEXITED(status)     ? WEXITSTATUS(status)
                      : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                            : -1;
    if (std::FILE* err = std::fopen(errFile_.c_str(), "r")) {
      char buffer[4096];
      std::size_t n = 0;
      while ((n = std::fread(buffer, 1, sizeof buffer, err)) > 0) result.err.append(buffer, n);
      std::fclose(err);
    }
    return result;
  }

 private:
  pid_t pid_ = -1;
  std::FILE* out_ = nullptr;
  std::string errFile_;
};

}  // namespace dp3::test
