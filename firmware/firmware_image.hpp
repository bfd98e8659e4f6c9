// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace dp3 {

// The keyer's program memory: 8,192 words of 14 bits, kept as 1,024 slots of
// eight words. Slot bytes 0-1 hold a word address (high byte first), bytes
// 2-17 the eight words, each low byte first, as they stand in the file.
inline constexpr std::size_t kSlotCount = 1024;
inline constexpr std::size_t kSlotSize = 18;
inline constexpr std::size_t kSlotDataSize = 16;
inline constexpr std::size_t kWordsPerSlot = 8;
inline constexpr std::size_t kImageWords = kSlotCount * kWordsPerSlot;

using ImageSlot = std::array<std::uint8_t, kSlotSize>;

struct FirmwareImage {
  std::array<ImageSlot, kSlotCount> slots{};
};

// Every slot n gets word address 8n and the erased word 0x3FFF (FF 3F) eight times.
void blankFirmwareImage(FirmwareImage& image);

// The word address stored in a slot.
std::uint16_t slotAddress(const ImageSlot& slot);

// Load results besides the record count.
inline constexpr int kLoadNoPath = -1;
inline constexpr int kLoadCannotOpen = -2;
inline constexpr int kLoadNoEndRecord = -3;
inline constexpr int kLoadBadRecord = -4;
inline constexpr int kLoadUnsupportedType = -5;

// Record types.
namespace hex {
inline constexpr std::uint8_t kData = 0x00;
inline constexpr std::uint8_t kEndOfFile = 0x01;
inline constexpr std::uint8_t kExtendedSegment = 0x02;
inline constexpr std::uint8_t kExtendedLinear = 0x04;
}  // namespace hex

// Longest line the loader reads.
inline constexpr std::size_t kMaxLineLength = 999;

// One record line, parsed: the staging area holds its data bytes.
struct HexRecord {
  std::uint16_t address = 0;  // byte address
  std::uint8_t count = 0;     // data bytes
  std::uint8_t type = 0;
  std::array<std::uint8_t, 256> data{};
};

// Why a line is not a record, for the operator fixing a file.
struct HexLineProblem {
  std::string reason;
};

// Reads one record line (without its line break). False when the line is not
// a valid record; why, in problem when given.
bool parseHexRecord(std::string_view line, HexRecord& record, HexLineProblem* problem = nullptr);

// Where and why a load failed; empty after a good load.
struct LoadDetail {
  int line = 0;  // 1-based line number, 0 when no line is concerned
  std::string reason;
};

// Told how far a load has come, 0-100, as it reads.
using LoadProgress = std::function<void(int percent)>;

// Loads a firmware file into image (blanked first). Returns the number of data
// records stored (0: none) or one of the kLoad codes.
int loadFirmwareFile(FirmwareImage& image, const std::string& path, LoadDetail* detail = nullptr,
                     const LoadProgress& progress = {});
// The same over an open text stream.
int loadFirmwareStream(FirmwareImage& image, std::istream& in, LoadDetail* detail = nullptr,
                       const LoadProgress& progress = {});

// "line 12: checksum mismatch: ..." for the operator; "" for an empty detail.
std::string describeLoadDetail(const LoadDetail& detail);

// The image's version bytes: the major version and the kind code K, whose
// bands name the IC the firmware is built for.
struct ImageVersion {
  std::uint8_t major = 0;
  std::uint8_t kind = 0;
};
ImageVersion imageVersion(const FirmwareImage& image);

}  // namespace dp3
