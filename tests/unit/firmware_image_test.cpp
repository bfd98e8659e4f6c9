// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "firmware/firmware_image.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "link/keyer_variants.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3 {
namespace {

struct Loaded {
  int result;
  std::unique_ptr<FirmwareImage> image;
  LoadDetail detail;
};

Loaded load(const std::string& text) {
  Loaded out{0, std::make_unique<FirmwareImage>(), {}};
  std::istringstream in(text);
  out.result = loadFirmwareStream(*out.image, in, &out.detail);
  return out;
}

// A data record of `count` bytes 0, 1, 2 ... at byte address `address`.
std::string dataRecord(unsigned address, unsigned count = 16) {
  char text[600];
  int n = std::snprintf(text, sizeof text, ":%02X%04X00", count, address);
  unsigned sum = count + (address >> 8) + (address & 0xFF);
  for (unsigned i = 0; i < count; ++i) {
    n += std::snprintf(text + n, 3, "%02X", i);
    sum += i;
  }
  std::snprintf(text + n, 3, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
  return text;
}

const std::string kEof = ":00000001FF";

TEST(ParseHexRecord, FieldsOrWhyNot) {
  struct Case {
    std::string line;
    unsigned count, type;  // when parsed
    std::string reason;    // when not
  };
  const std::vector<Case> cases = {
      {":0400100001020304E2", 4, 0, ""},
      {":0400100001020304e2 trailing", 4, 0, ""},
      {":020000040001F9", 2, 4, ""},
      {"", 0, 0, "empty line"},
      {" :00000001FF", 0, 0, "does not start with ':'"},
      {":00000001F", 0, 0, "shorter than 11 characters"},
      {":0400100001020304", 0, 0, "4 data bytes need 19 characters"},
      {":0400100001020304E3", 0, 0, "checksum mismatch: stored 0xE3, computed 0xE2"},
      {":01000000+1FF", 0, 0, "column 10 is not a hexadecimal digit"},
  };
  for (const Case& c : cases) {
    HexRecord record;
    HexLineProblem problem;
    const bool parsed = parseHexRecord(c.line, record, &problem);
    EXPECT_EQ(parsed, c.reason.empty()) << c.line;
    EXPECT_EQ(problem.reason, c.reason) << c.line;
    if (parsed) {
      EXPECT_EQ(record.address, 0x0010 * (c.type == 0)) << c.line;
      EXPECT_EQ(record.count, c.count) << c.line;
      EXPECT_EQ(record.type, c.type) << c.line;
    }
  }
}

TEST(LoadFirmware, ResultByFileShape) {
  const std::string rec = dataRecord(0);
  struct Case {
    std::string text;
    int result;
    int line;
  };
  const std::vector<Case> cases = {
      {rec + "\n" + kEof + "\n", 1, 0},
      {rec + "\r\n" + kEof + "\r\n", 1, 0},
      {rec + "\n" + kEof, 1, 0},
      {kEof + "\n", 0, 0},
      // No end record, with or without a last line break, or no line at all.
      {rec + "\n", kLoadNoEndRecord, 0},
      {rec + "\r\n", kLoadNoEndRecord, 0},
      {rec, kLoadNoEndRecord, 0},
      {"", kLoadNoEndRecord, 0},
      {rec + "\n\n" + kEof + "\n", kLoadBadRecord, 2},
      {"  " + rec + "\n" + kEof + "\n", kLoadBadRecord, 1},
      {":020000021000EC\n" + rec + "\n" + kEof + "\n", 1, 0},
      {":0400000300003800C1\n" + kEof + "\n", kLoadUnsupportedType, 1},
      {":0100000401FA\n" + kEof + "\n", kLoadBadRecord, 1},  // linear address needs 2 bytes
      {rec + std::string(1000, ' ') + "\n" + kEof + "\n", kLoadBadRecord, 1},
  };
  for (const Case& c : cases) {
    const Loaded l = load(c.text);
    EXPECT_EQ(l.result, c.result) << c.text;
    EXPECT_EQ(l.detail.line, c.line) << c.text;
  }
}

// A stream of one character without end: counts what the loader takes.
class EndlessBuf : public std::streambuf {
 public:
  explicit EndlessBuf(char c, std::size_t limit) : c_(c), left_(limit) {}
  std::size_t taken = 0;

 protected:
  int_type underflow() override {
    if (left_ == 0) return traits_type::eof();
    setg(&c_, &c_, &c_ + 1);
    return traits_type::to_int_type(c_);
  }
  int_type uflow() override {
    const int_type c = underflow();
    if (c != traits_type::eof()) {
      ++taken;
      --left_;
    }
    return c;
  }

 private:
  char c_;
  std::size_t left_;
};

// Lines are refused by their shape before they are read whole: a line with no
// end, or lines ended by a carriage return alone, each with its own reason.
TEST(LoadFirmware, LinesAreBoundedAndTheirEndsChecked) {
  for (const char c : {'A', '\r'}) {
    EndlessBuf endless(c, 10'000'000);
    std::istream in(&endless);
    FirmwareImage image;
    LoadDetail detail;
    EXPECT_EQ(loadFirmwareStream(image, in, &detail), kLoadBadRecord);
    EXPECT_EQ(detail.line, 1);
    EXPECT_LE(endless.taken, kMaxLineLength + 2);
  }
  const struct {
    std::string text;
    int line;
    std::string reason;
  } cases[] = {
      {std::string(1000, 'A'), 1, "longer than 999 characters"},
      {dataRecord(0) + "\r" + kEof + "\r", 1, "carriage return alone"},
      {dataRecord(0) + "\r\n" + kEof + "\r", 0, ""},
  };
  for (const auto& c : cases) {
    const Loaded l = load(c.text);
    EXPECT_EQ(l.detail.line, c.line) << c.text.substr(0, 40);
    EXPECT_NE(l.detail.reason.find(c.reason), std::string::npos) << l.detail.reason;
  }
}

TEST(LoadFirmware, PlacesRecordsByWordAddressAndNothingElse) {
  // Byte address 0x0008 (word 4) lands in slot 0 from data byte 0, address 4.
  // The configuration words after linear address 0001 are words 0x8007 on:
  // not program memory, skipped and not counted. A 32-byte record is split;
  // at word 8184 its second half would be slot 1024 and is dropped.
  const Loaded l = load(dataRecord(0x0008) + "\n" + dataRecord(0x0040, 32) + "\n" +
                        dataRecord(0x3FF0, 32) + "\n:020000040001F9\n:02000E00E43FCD\n" + kEof);
  ASSERT_EQ(l.result, 3);
  const auto& slots = l.image->slots;
  const std::vector<std::pair<std::size_t, unsigned>> placed = {
      {0, 4}, {4, 0x20}, {5, 0x28}, {1023, 8184}};
  for (const auto& [n, address] : placed) {
    EXPECT_EQ(slotAddress(slots[n]), address) << n;
    EXPECT_EQ(slots[n][2], n == 5 ? 16 : 0) << n;
    EXPECT_EQ(slots[n][17], n == 5 ? 31 : 15) << n;
  }
  // Every other slot keeps the blank pattern and its address 8n.
  for (std::size_t n = 1; n < kSlotCount; ++n) {
    if (n == 4 || n == 5 || n == 1023) continue;
    ImageSlot blank{static_cast<std::uint8_t>(n * 8 >> 8), static_cast<std::uint8_t>(n * 8)};
    for (std::size_t i = 2; i < kSlotSize; ++i) blank[i] = i % 2 ? 0x3F : 0xFF;
    ASSERT_EQ(slots[n], blank) << n;
  }
}

TEST(ImageVersion, KindAndVersionFromWordThree) {
  struct Case {
    std::uint8_t a, b;
    std::string text;
    std::uint8_t variant;
  };
  const std::vector<Case> cases = {
      {0x1F, 0x04, "DP ORCA Version: 31.04 Loaded, 7 Records", 1},
      {0x9A, 0x1F, "DP PIKA Version: 31.04 Loaded, 7 Records", 4},
      {0x68, 0x1F, "DP LARK Version: 31.04 Loaded, 7 Records", 3},
      {31, 99, "DP ROOK Version: 31.49 Loaded, 7 Records", 2},
      {31, 48, "DP ROOK Version: 31.00 Loaded, 7 Records", 2},  // 48 reads as 50
      {50, 31, "DP ORCA Version: 48.31 Loaded, 7 Records", 1},  // 50 reads as 48
      {200, 31, "DP Image Kind 200 Version: 31 Loaded, 7 Records", 4},
  };
  for (const Case& c : cases) {
    FirmwareImage image;
    blankFirmwareImage(image);
    image.slots[0][8] = c.a;
    image.slots[0][9] = c.b;
    const ImageVersion version = imageVersion(image);
    EXPECT_EQ(imageStatusText(version, 7), c.text) << int(c.a);
    EXPECT_EQ(variantForKind(version.kind).code, c.variant) << int(c.a);
  }
}

}  // namespace
}  // namespace dp3
