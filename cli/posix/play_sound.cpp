// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Where dp3 play's sound goes on POSIX: raw PCM down a pipe, or a player
// (paplay, aplay) that reaches the sound device.
#include "cli/play_sound.hpp"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/settings_cli.hpp"

extern char** environ;

namespace dp3::cli {

namespace {

namespace fs = std::filesystem;

// Sound that could go nowhere counts as output that could not be written.
inline constexpr int kExitNoSound = kExitFile;
inline constexpr std::size_t kChunkSamples = 4800;  // 100 ms

// Writes all samples to fd as little-endian bytes, a piece at a time.
bool streamPcm(PcmRenderer& renderer, int fd) {
  std::vector<std::int16_t> samples(kChunkSamples);
  std::vector<std::uint8_t> bytes;
  while (const std::size_t n = renderer.render(samples)) {
    bytes.clear();
    appendLittleEndian(bytes, std::span(samples).first(n));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) return false;
      done += static_cast<std::size_t>(wrote);
    }
  }
  return true;
}

bool onPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string dirs = path;
  std::size_t start = 0;
  while (start <= dirs.size()) {
    const std::size_t end = std::min(dirs.find(':', start), dirs.size());
    const fs::path candidate = fs::path(dirs.substr(start, end - start)) / program;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

bool soundServer() {
  std::string runtime;
  if (const char* dir = std::getenv("XDG_RUNTIME_DIR")) runtime = dir;
  std::error_code error;
  return std::getenv("PULSE_SERVER") != nullptr ||
         (!runtime.empty() && (fs::exists(fs::path(runtime) / "pulse" / "native", error) ||
                               fs::exists(fs::path(runtime) / "pipewire-0", error)));
}

bool soundCard() {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/dev/snd", error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("pcm") && name.ends_with("p")) return true;
  }
  return false;
}

// A player that reaches a sound device here, as its command line; empty when none.
std::vector<std::string> soundPlayer() {
  if (soundServer() && onPath("paplay")) {
    return {"paplay", "--raw", "--format=s16le", "--rate=48000", "--channels=1"};
  }
  if ((soundServer() || soundCard()) && onPath("aplay")) {
    return {"aplay", "-q", "-t", "raw", "-f", "S16_LE", "-r", "48000", "-c", "1", "-"};
  }
  return {};
}

int playOnDevice(PcmRenderer& renderer) {
  std::vector<std::string> player = soundPlayer();
  if (player.empty()) {
    std::cerr << "dp3 play: no audio device here (no sound server, or no sound card with "
                 "paplay or aplay). Write a file with --wav OUT.wav, or pipe the sound to a "
                 "player: dp3 play FILE --msg N | aplay -f S16_LE -r 48000\n";
    return kExitNoSound;
  }
  int fds[2];
  if (::pipe(fds) != 0) return kExitNoSound;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  std::vector<char*> argv;
  for (std::string& arg : player) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[0]);
  if (spawned != 0) {
    ::close(fds[1]);
    std::cerr << "dp3 play: could not start " << player[0] << '\n';
    return kExitNoSound;
  }
  const bool sent = streamPcm(renderer, fds[1]);
  ::close(fds[1]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!sent || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::cerr << "dp3 play: " << player[0] << " could not play the sound\n";
    return kExitNoSound;
  }
  return kExitDone;
}

}  // namespace

int playSound(PcmRenderer& renderer) {
  // A player that goes away early is a failed write, not a signal.
  std::signal(SIGPIPE, SIG_IGN);
  if (!::isatty(STDOUT_FILENO)) {
    if (!streamPcm(renderer, STDOUT_FILENO)) {
      std::cerr << "dp3 play: standard output closed before the sound ended\n";
      return kExitFile;
    }
    return kExitDone;
  }
  return playOnDevice(renderer);
}

}  // namespace dp3::cli
