// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Where dp3 play's sound goes on Windows: raw PCM down a pipe, or the whole
// sound as a WAV in memory to the system's player.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// after windows.h
#include <mmsystem.h>

#include <cstdio>
#include <iostream>
#include <vector>

#include "cli/play_sound.hpp"
#include "cli/settings_cli.hpp"

namespace dp3::cli {

namespace {

inline constexpr std::size_t kChunkSamples = 4800;  // 100 ms

bool streamPcm(PcmRenderer& renderer, std::FILE* out) {
  std::vector<std::int16_t> samples(kChunkSamples);
  std::vector<std::uint8_t> bytes;
  while (const std::size_t n = renderer.render(samples)) {
    bytes.clear();
    appendLittleEndian(bytes, std::span(samples).first(n));
    if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) return false;
  }
  return std::fflush(out) == 0;
}

}  // namespace

int playSound(PcmRenderer& renderer) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  const DWORD type = out && out != INVALID_HANDLE_VALUE ? GetFileType(out) : FILE_TYPE_UNKNOWN;
  if (type == FILE_TYPE_PIPE || type == FILE_TYPE_DISK) {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
    if (!streamPcm(renderer, stdout)) {
      std::cerr << "dp3 play: standard output closed before the sound ended\n";
      return kExitFile;
    }
    return kExitDone;
  }
  std::vector<std::int16_t> samples(renderer.totalSamples());
  renderer.render(samples);
  const std::vector<std::uint8_t> wav = wavFile(samples);
  if (!PlaySoundW(reinterpret_cast<LPCWSTR>(wav.data()), nullptr,
                  SND_MEMORY | SND_SYNC | SND_NODEFAULT)) {
    std::cerr << "dp3 play: no audio device here. Write a file with --wav OUT.wav\n";
    return kExitFile;
  }
  return kExitDone;
}

}  // namespace dp3::cli
