// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Firmware upload against the simulated keyer paced at line rate, as a ratio
// to the time the bytes need on the wire plus the protocol's own waits; and
// the load of a full 8,192-word HEX image.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "firmware/firmware_image.hpp"
#include "firmware/upload.hpp"
#include "link/keyer_info.hpp"
#include "link/posix/serial_link.hpp"
#include "sim/keyer_model.hpp"
#include "sim/posix/pty_keyer.hpp"

namespace {

using namespace dp3;

// A HEX file with one 16-byte record for every slot of the program memory.
std::string writeFullImage() {
  const auto path = std::filesystem::temp_directory_path() / "dp3_bench_full.hex";
  std::ofstream out(path);
  out << ":020000040000FA\n";
  for (unsigned slot = 0; slot < kSlotCount; ++slot) {
    const unsigned address = slot * 16;
    unsigned sum = 16 + (address >> 8) + (address & 0xFF);
    char line[64];
    int n = std::snprintf(line, sizeof line, ":10%04X00", address);
    for (unsigned i = 0; i < 16; ++i) {
      const unsigned byte = (i % 2 == 0) ? (slot + i) & 0xFF : (slot >> 8) & 0x3F;
      n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "%02X", byte);
      sum += byte;
    }
    std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "%02X\n",
                  (0x100 - (sum & 0xFF)) & 0xFF);
    out << line;
  }
  out << ":00000001FF\n";
  return path.string();
}

void HexLoadFullImage(benchmark::State& state) {
  const std::string path = writeFullImage();
  auto image = std::make_unique<FirmwareImage>();
  for (auto _ : state) {
    const int records = loadFirmwareFile(*image, path);
    if (records != static_cast<int>(kSlotCount)) state.SkipWithError("full image did not load");
    benchmark::DoNotOptimize(image->slots[1023][17]);
  }
  std::filesystem::remove(path);
}
BENCHMARK(HexLoadFullImage)->Unit(benchmark::kMillisecond);

// Seconds a number of bytes takes on the line (start, 8 data, stop bits).
double lineSeconds(double bytes, int baud) {
  return bytes * 10.0 / baud;
}

void UploadAtLineRate(benchmark::State& state) {
  KeyerModel model;
  PtyKeyer keyer(model, true);
  std::string error;
  if (!keyer.open(error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  keyer.start();
  auto image = std::make_unique<FirmwareImage>();
  if (loadFirmwareFile(*image, writeFullImage()) <= 0) {
    state.SkipWithError("image did not load");
    return;
  }
  const int frames = image->slots[kHighBlockSlot][2] != 0xFF ? 964 : 956;

  // Restart request, echo and its reply, speed byte at 1200 baud; every frame
  // and its reply and the finish byte at 9600; the waits after the speed
  // byte, after the finish byte and back at 1200.
  const double expected = lineSeconds(3 + 3 + 1 + 1, kHostBaudRate) +
                          lineSeconds(frames * 21.0 + 1, kBootloaderBaudRate) + 0.2 + 0.5 + 0.1;
  double total = 0;
  for (auto _ : state) {
    SerialLink link(keyer.path());
    if (link.commOpen() != kCommOpenOk) {
      state.SkipWithError("cannot open the simulated keyer");
      break;
    }
    UploadShared shared;
    const auto begin = std::chrono::steady_clock::now();
    runUploadJob({link, *image, false, false, shared});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
    state.SetIterationTime(took.count());
    total += took.count();
    if (!shared.uploadOutcome.completed()) {
      state.SkipWithError("the upload failed");
      break;
    }
  }
  keyer.stop();
  state.counters["expected_s"] = expected;
  state.counters["ratio"] = total / static_cast<double>(state.iterations()) / expected;
}
BENCHMARK(UploadAtLineRate)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
