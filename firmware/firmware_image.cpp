// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "firmware/firmware_image.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>

#include "link/keyer_variants.hpp"

namespace dp3 {

namespace {

// ":" + length + address + type + checksum.
constexpr std::size_t kShortestRecord = 11;

constexpr std::uint8_t kErasedLow = 0xFF;
constexpr std::uint8_t kErasedHigh = 0x3F;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string format(const char* pattern, int a, int b = 0) {
  char text[160];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

// Reads `digits` hex digits from line at pos; false (with the column in
// problem) when one of them is not a hex digit.
bool readHex(std::string_view line, std::size_t pos, int digits, unsigned& value,
             HexLineProblem* problem) {
  value = 0;
  for (int i = 0; i < digits; ++i) {
    const int d = hexDigit(line[pos + static_cast<std::size_t>(i)]);
    if (d < 0) {
      if (problem) {
        problem->reason =
            format("column %d is not a hexadecimal digit", static_cast<int>(pos) + i + 1);
      }
      return false;
    }
    value = value * 16 + static_cast<unsigned>(d);
  }
  return true;
}

int fail(LoadDetail* detail, int code, int line, std::string reason) {
  if (detail) *detail = {line, std::move(reason)};
  return code;
}

// Places a data record: each 16-byte piece at the slot of its word address,
// from data byte 0 on. Pieces beyond the program memory (configuration words,
// data memory) are not the bootloader's to program and are skipped. True when
// anything landed in the image.
bool storeData(FirmwareImage& image, const HexRecord& record, unsigned base) {
  bool stored = false;
  unsigned offset = 0;
  do {
    const unsigned word = record.address / 2 + base + offset / 2;
    if (word < kImageWords) {
      ImageSlot& slot = image.slots[word / kWordsPerSlot];
      slot[0] = static_cast<std::uint8_t>(word >> 8);
      slot[1] = static_cast<std::uint8_t>(word);
      const unsigned piece = std::min<unsigned>(kSlotDataSize, record.count - offset);
      std::copy_n(record.data.begin() + offset, piece, slot.begin() + 2);
      stored = true;
    }
    offset += kSlotDataSize;
  } while (offset < record.count);
  return stored;
}

enum class LineEnd { Break, TooLong, CrAlone };

// One line without its break (LF, CR LF, or the end of the stream), read no
// further than one character past the longest line, so no input makes the
// loader read without limit. A CR followed by anything but LF is refused.
LineEnd readLine(std::istream& in, std::string& line) {
  line.clear();
  std::streambuf* buffer = in.rdbuf();
  using Traits = std::char_traits<char>;
  for (;;) {
    const int c = buffer ? buffer->sbumpc() : Traits::eof();
    if (c == Traits::eof()) {
      in.setstate(std::ios::eofbit);
      return LineEnd::Break;
    }
    if (c == '\n') return LineEnd::Break;
    if (c == '\r') {
      const int next = buffer->sgetc();
      if (next == '\n') {
        buffer->sbumpc();
        return LineEnd::Break;
      }
      if (next == Traits::eof()) continue;
      return LineEnd::CrAlone;
    }
    if (line.size() == kMaxLineLength) return LineEnd::TooLong;
    line += static_cast<char>(c);
  }
}

}  // namespace

void blankFirmwareImage(FirmwareImage& image) {
  for (std::size_t n = 0; n < kSlotCount; ++n) {
    ImageSlot& slot = image.slots[n];
    const std::size_t word = n * kWordsPerSlot;
    slot[0] = static_cast<std::uint8_t>(word >> 8);
    slot[1] = static_cast<std::uint8_t>(word);
    for (std::size_t i = 2; i < kSlotSize; i += 2) {
      slot[i] = kErasedLow;
      slot[i + 1] = kErasedHigh;
    }
  }
}

std::uint16_t slotAddress(const ImageSlot& slot) {
  return static_cast<std::uint16_t>(slot[0] << 8 | slot[1]);
}

bool parseHexRecord(std::string_view line, HexRecord& record, HexLineProblem* problem) {
  if (line.empty() || line[0] != ':') {
    if (problem) problem->reason = line.empty() ? "empty line" : "does not start with ':'";
    return false;
  }
  if (line.size() < kShortestRecord) {
    if (problem) problem->reason = format("shorter than %d characters", kShortestRecord);
    return false;
  }
  unsigned count = 0;
  if (!readHex(line, 1, 2, count, problem)) return false;
  const std::size_t needed = 2 * count + kShortestRecord;
  if (line.size() < needed) {
    if (problem) {
      problem->reason = format("%d data bytes need %d characters", static_cast<int>(count),
                               static_cast<int>(needed));
    }
    return false;
  }
  unsigned address = 0;
  unsigned type = 0;
  if (!readHex(line, 3, 4, address, problem) || !readHex(line, 7, 2, type, problem)) return false;
  unsigned sum = count + (address >> 8) + (address & 0xFF) + type;
  for (unsigned i = 0; i < count; ++i) {
    unsigned byte = 0;
    if (!readHex(line, 9 + 2 * i, 2, byte, problem)) return false;
    record.data[i] = static_cast<std::uint8_t>(byte);
    sum += byte;
  }
  unsigned checksum = 0;
  if (!readHex(line, 9 + 2 * count, 2, checksum, problem)) return false;
  if (((sum + checksum) & 0xFF) != 0) {
    if (problem) {
      problem->reason = format("checksum mismatch: stored 0x%02X, computed 0x%02X",
                               static_cast<int>(checksum), static_cast<int>((0x100 - sum) & 0xFF));
    }
    return false;
  }
  record.count = static_cast<std::uint8_t>(count);
  record.address = static_cast<std::uint16_t>(address);
  record.type = static_cast<std::uint8_t>(type);
  return true;
}

int loadFirmwareStream(FirmwareImage& image, std::istream& in, LoadDetail* detail,
                       const LoadProgress& progress) {
  const auto report = [&progress](int percent) {
    if (progress) progress(percent);
  };
  blankFirmwareImage(image);
  if (detail) *detail = {};
  int records = 0;
  unsigned base = 0;
  unsigned lastSlot = 0;
  int lineNumber = 0;
  HexRecord record;
  std::string line;
  // A file must end with its end-of-file record, whether or not its last
  // line ends in a line break.
  while (!in.eof() && !in.bad()) {
    // The bar runs 0-100; slot numbers and record counts beyond that fill it.
    report(static_cast<int>(std::min(lastSlot, 100u)));
    ++lineNumber;
    switch (readLine(in, line)) {
      case LineEnd::Break:
        break;
      case LineEnd::TooLong:
        return fail(detail, kLoadBadRecord, lineNumber,
                    format("longer than %d characters", static_cast<int>(kMaxLineLength)));
      case LineEnd::CrAlone:
        return fail(detail, kLoadBadRecord, lineNumber,
                    "ends in a carriage return alone; lines must end in LF or CR LF");
    }
    // The empty read after a last line break is the end of the file, not a line.
    if (line.empty() && in.eof()) break;
    HexLineProblem problem;
    if (!parseHexRecord(line, record, &problem)) {
      return fail(detail, kLoadBadRecord, lineNumber, problem.reason);
    }
    switch (record.type) {
      case hex::kData:
        if (!storeData(image, record, base)) break;
        lastSlot = (record.address / 2 + base) / kWordsPerSlot;
        ++records;
        report(std::min(records / 4, 100));
        break;
      case hex::kExtendedLinear:
        if (record.count < 2) {
          return fail(detail, kLoadBadRecord, lineNumber,
                      "an extended linear address record needs 2 data bytes");
        }
        // Only bit 0 of the upper address reaches the 16-bit word address.
        base = (record.data[1] << 15) & 0xFFFF;
        break;
      case hex::kExtendedSegment:
        break;
      case hex::kEndOfFile:
        return records;
      default:
        return fail(detail, kLoadUnsupportedType, lineNumber,
                    format("record type %02X is not supported", record.type));
    }
  }
  return fail(detail, kLoadNoEndRecord, 0, "the file ends without an end-of-file record");
}

int loadFirmwareFile(FirmwareImage& image, const std::string& path, LoadDetail* detail,
                     const LoadProgress& progress) {
  blankFirmwareImage(image);
  if (path.empty()) return fail(detail, kLoadNoPath, 0, "no file name given");
  // The type is judged before opening: a FIFO with no writer would block the
  // open, a device such as /dev/zero would never end.
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (std::filesystem::is_directory(status)) {
    return fail(detail, kLoadCannotOpen, 0, "cannot open: it is a folder");
  }
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    return fail(detail, kLoadCannotOpen, 0, "cannot open: not a regular file");
  }
  std::ifstream in(path);
  if (!in.is_open())
    return fail(detail, kLoadCannotOpen, 0, std::string("cannot open: ") + std::strerror(errno));
  return loadFirmwareStream(image, in, detail, progress);
}

std::string describeLoadDetail(const LoadDetail& detail) {
  if (detail.reason.empty()) return {};
  if (detail.line == 0) return detail.reason;
  return "line " + std::to_string(detail.line) + ": " + detail.reason;
}

ImageVersion imageVersion(const FirmwareImage& image) {
  // Data bytes 6 and 7 of slot 0; the tools that write them swap 48 and 50.
  auto unswap = [](std::uint8_t v) -> std::uint8_t { return v == 48 ? 50 : v == 50 ? 48 : v; };
  std::uint8_t a = unswap(image.slots[0][2 + 6]);
  std::uint8_t b = unswap(image.slots[0][2 + 7]);
  if (a >= 100) std::swap(a, b);
  return {a, b};
}

}  // namespace dp3
