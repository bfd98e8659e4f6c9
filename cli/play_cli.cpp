// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// dp3 play: a stored message or callsign as the keyer sends it, from the bytes
// the settings file holds, to a WAV file, to a pipe as raw PCM, or to a player.
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/play_sound.hpp"
#include "cli/settings_cli.hpp"
#include "settings/settings_fields.hpp"
#include "sound/morse_timing.hpp"
#include "sound/pcm.hpp"
#include "system/atomic_file.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3::cli {

namespace {

struct PlayOptions {
  std::string file;
  int message = 0;
  bool callsign = false;
  int user = 1;
  std::optional<unsigned> wpm;
  std::optional<unsigned> farns;
  std::optional<unsigned> tone;
  std::optional<std::string> wav;  // given, even as ""
};

// Where --wav may write: a name (not "") that is not the settings file
// played from, and what checkSaveTarget allows. Done, or Refused and why.
FileResult wavTarget(const std::string& wav, const std::filesystem::path& input) {
  if (FileResult checked = checkSaveTarget(wav); !checked.ok()) return checked;
  std::error_code error;
  if (std::filesystem::equivalent(wav, input, error)) {
    return {FileResult::Kind::Refused, wav, "is the settings file played from"};
  }
  return {FileResult::Kind::Done, wav};
}

int runPlay(const PlayOptions& options) {
  const std::filesystem::path input = settingsPath(options.file);
  if (options.wav) {
    if (const FileResult target = wavTarget(*options.wav, input); !target.ok()) {
      std::cerr << "dp3 play: cannot write the WAV file: " << fileProblemText(target) << '\n';
      return kExitFile;
    }
  }
  SettingsImage image{};
  if (!loadSettings(input, image)) return kExitFile;

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
  if (options.wav) {
    std::vector<std::int16_t> samples(renderer.totalSamples());
    renderer.render(samples);
    if (const FileResult saved = writeFileAtomically(*options.wav, wavFile(samples)); !saved.ok()) {
      std::cerr << "dp3 play: " << fileProblemText(saved) << '\n';
      return kExitFile;
    }
    return kExitDone;
  }
  return playSound(renderer);
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
