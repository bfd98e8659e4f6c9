// dp3 play: a stored message or callsign as the keyer sends it, from the bytes
// the settings file holds, to a WAV file, to a pipe as raw PCM, or to a player.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/settings_cli.hpp"
#include "settings/atomic_file.hpp"
#include "settings/morse_timing.hpp"
#include "settings/pcm.hpp"
#include "settings/settings_fields.hpp"

extern char** environ;

namespace dp3::cli {

namespace {

namespace fs = std::filesystem;

// Sound that could go nowhere counts as output that could not be written.
inline constexpr int kExitNoSound = kExitFile;
inline constexpr std::size_t kChunkSamples = 4800;  // 100 ms

struct PlayOptions {
  std::string file;
  int message = 0;
  bool callsign = false;
  int user = 1;
  std::optional<unsigned> wpm;
  std::optional<unsigned> farns;
  std::optional<unsigned> tone;
  std::string wav;
};

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

int runPlay(const PlayOptions& options) {
  SettingsImage image{};
  if (!loadSettings(settingsPath(options.file), image)) return kExitFile;

  const std::size_t index = options.callsign ? kTextFields.size() - 2 + (options.user == 2 ? 1 : 0)
                                             : static_cast<std::size_t>(options.message - 1);
  const std::string label = options.callsign ? "User " + std::to_string(options.user) + " callsign"
                                             : std::string(kTextFields[index].label);
  const std::vector<std::uint8_t> patterns = storedPatterns(image, index);
  if (patterns.empty()) {
    std::cerr << "dp3 play: " << label << " is empty; nothing to play\n";
    return kExitRefused;
  }

  KeyingSettings settings = keyingSettings(image, options.user);
  if (options.wpm) settings.wpm = *options.wpm;
  if (options.farns) settings.farnsWpm = *options.farns;
  if (options.tone) settings.toneHz = *options.tone;
  if (!playableSpeed(settings)) {
    std::cerr << "dp3 play: User " << options.user << "'s CurWpm " << settings.wpm
              << " is outside 5-99; give a speed with --wpm\n";
    return kExitRefused;
  }

  const Keying keying = keyPatterns(patterns, settings);
  const double seconds = keyingSeconds(keying);
  // Standard error, so a pipe on standard output carries only the sound.
  std::cerr << label << ": " << ditDahText(patterns) << "\n"
            << durationText(seconds) << " at " << settings.wpm << " WPM"
            << (settings.farnsWpm && settings.farnsWpm < settings.wpm
                    ? " (Farnsworth " + std::to_string(settings.farnsWpm) + ")"
                    : "")
            << ", " << static_cast<int>(settings.toneHz + 0.5) << " Hz"
            << (approximateTiming(settings) ? " (approximate: Weight, Ratio, LtrSpace or KeyComp)"
                                            : "")
            << '\n';

  PcmRenderer renderer(keying, settings.toneHz);
  if (!options.wav.empty()) {
    std::vector<std::int16_t> samples(renderer.totalSamples());
    renderer.render(samples);
    const std::string failed = writeFileAtomically(options.wav, wavFile(samples));
    if (!failed.empty()) {
      std::cerr << "dp3 play: " << options.wav << ": " << failed << '\n';
      return kExitFile;
    }
    return kExitDone;
  }
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

}  // namespace

void addPlayCommand(CLI::App& app, Context& context) {
  auto options = std::make_shared<PlayOptions>();
  auto* play = app.add_subcommand(
      "play",
      "Play a stored message or callsign as the keyer sends it: raw 16-bit 48 kHz mono PCM "
      "to a pipe (| aplay -f S16_LE -r 48000), a WAV file with --wav, else the sound device");
  play->add_option("FILE", options->file, "Settings file")->required();
  auto* msg = play->add_option("--msg", options->message, "Message 1-12")->check(CLI::Range(1, 12));
  auto* call = play->add_flag("--callsign", options->callsign, "The user's callsign");
  msg->excludes(call);
  play->add_option("--user", options->user, "User whose settings and callsign to use (1 or 2)")
      ->check(CLI::IsMember({1, 2}))
      ->capture_default_str();
  play->add_option("--wpm", options->wpm, "Character speed instead of the user's CurWpm")
      ->check(CLI::Range(kSlowestWpm, kFastestWpm));
  play->add_option("--farns", options->farns, "Farnsworth speed instead of FarnsWpm (0 off)")
      ->check(CLI::Range(0u, kFastestWpm));
  play->add_option("--tone", options->tone, "Pitch in Hz instead of the user's ST Freq")
      ->check(CLI::Range(100, 8000));
  play->add_option("--wav", options->wav, "Write a WAV file instead of playing");
  play->callback([&context, options, play] {
    if (options->message == 0 && !options->callsign) {
      throw CLI::RequiredError(play->get_name() + ": --msg N or --callsign");
    }
    context.exitCode = runPlay(*options);
  });
}

}  // namespace dp3::cli
