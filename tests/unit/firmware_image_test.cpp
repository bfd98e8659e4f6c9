#include "firmware/firmware_image.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/control_ids.hpp"
#include "app/map_surface.hpp"

namespace dp3 {
namespace {

// A surface that keeps every progress value the loader sets.
class ProgressSurface : public MapSurface {
 public:
  void setProgress(int id, int percent) override {
    MapSurface::setProgress(id, percent);
    if (id == id::kUploadProgress) values.push_back(percent);
  }
  std::vector<int> values;
};

struct Loaded {
  int result;
  std::unique_ptr<FirmwareImage> image;
  LoadDetail detail;
};

Loaded load(const std::string& text) {
  Loaded out{0, std::make_unique<FirmwareImage>(), {}};
  MapSurface ui;
  std::istringstream in(text);
  out.result = loadFirmwareStream(ui, *out.image, in, &out.detail);
  return out;
}

// A data record line for 16 bytes of value `fill` at byte address `address`.
std::string dataRecord(unsigned address, std::uint8_t fill, unsigned count = 16) {
  unsigned sum = count + (address >> 8) + (address & 0xFF);
  char head[16];
  std::snprintf(head, sizeof head, ":%02X%04X00", count, address);
  std::string line = head;
  for (unsigned i = 0; i < count; ++i) {
    char byte[3];
    std::snprintf(byte, sizeof byte, "%02X", fill);
    line += byte;
    sum += fill;
  }
  char check[3];
  std::snprintf(check, sizeof check, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
  return line + check;
}

const std::string kEof = ":00000001FF";

TEST(ParseHexRecord, ReadsFieldsOrSaysWhyNot) {
  struct Case {
    std::string line;
    bool ok;
    unsigned address, count, type;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {":0400100001020304E2", true, 0x0010, 4, 0, ""},
      {":0400100001020304e2", true, 0x0010, 4, 0, ""},           // lower-case digits
      {":0400100001020304E2 trailing", true, 0x0010, 4, 0, ""},  // extra characters ignored
      {":00000001FF", true, 0, 0, 1, ""},
      {":020000040001F9", true, 0, 2, 4, ""},
      {"", false, 0, 0, 0, "empty line"},
      {" :00000001FF", false, 0, 0, 0, "does not start with ':'"},
      {":00000001F", false, 0, 0, 0, "shorter than 11 characters"},
      {":0400100001020304", false, 0, 0, 0, "4 data bytes need 19 characters"},
      {":0400100001020304E3", false, 0, 0, 0, "checksum mismatch: stored 0xE3, computed 0xE2"},
      {":0G00000001FF", false, 0, 0, 0, "column 3 is not a hexadecimal digit"},
      {":00000001FG", false, 0, 0, 0, "column 11 is not a hexadecimal digit"},
      {":01000000+1FF", false, 0, 0, 0, "column 10 is not a hexadecimal digit"},
  };
  for (const Case& c : cases) {
    HexRecord record;
    HexLineProblem problem;
    EXPECT_EQ(parseHexRecord(c.line, record, &problem), c.ok) << c.line;
    if (c.ok) {
      EXPECT_EQ(record.address, c.address) << c.line;
      EXPECT_EQ(record.count, c.count) << c.line;
      EXPECT_EQ(record.type, c.type) << c.line;
    } else {
      EXPECT_EQ(problem.reason, c.reason) << c.line;
    }
  }
  HexRecord record;
  ASSERT_TRUE(parseHexRecord(":0400100001020304E2", record));
  EXPECT_EQ(std::vector<int>(record.data.begin(), record.data.begin() + 4),
            (std::vector<int>{1, 2, 3, 4}));
}

TEST(LoadFirmware, ResultsByFileShape) {
  const std::string rec = dataRecord(0x0000, 0x11);
  struct Case {
    std::string name;
    std::string text;
    int result;
    int line;
  };
  const std::vector<Case> cases = {
      {"LF endings", rec + "\n" + kEof + "\n", 1, 0},
      {"CRLF endings", rec + "\r\n" + kEof + "\r\n", 1, 0},
      {"no final line break", rec + "\n" + kEof, 1, 0},
      {"end record only", kEof + "\n", 0, 0},
      {"no end record, final line break", rec + "\n", kLoadBadRecord, 2},
      {"no end record, no final line break", rec, kLoadNoEndRecord, 0},
      {"empty file", "", kLoadBadRecord, 1},
      {"blank line", rec + "\n\n" + kEof + "\n", kLoadBadRecord, 2},
      {"leading spaces", "  " + rec + "\n" + kEof + "\n", kLoadBadRecord, 1},
      {"two carriage returns", rec + "\r\r\n" + kEof + "\n", 1, 0},
      {"segment address ignored", ":020000021000EC\n" + rec + "\n" + kEof + "\n", 1, 0},
      {"type 3", ":0400000300003800C1\n" + kEof + "\n", kLoadUnsupportedType, 1},
      {"type 5", ":04000005000000CD2A\n" + kEof + "\n", kLoadUnsupportedType, 1},
      {"short linear address", ":0100000401FA\n" + kEof + "\n", kLoadBadRecord, 1},
      {"line too long", rec + std::string(1000, ' ') + "\n" + kEof + "\n", kLoadBadRecord, 1},
      {"lines after the end record", rec + "\n" + kEof + "\ngarbage\n", 1, 0},
  };
  for (const Case& c : cases) {
    const Loaded l = load(c.text);
    EXPECT_EQ(l.result, c.result) << c.name;
    EXPECT_EQ(l.detail.line, c.line) << c.name;
    EXPECT_EQ(l.detail.reason.empty(), c.result >= 0) << c.name;
  }
}

TEST(LoadFirmware, FileFailures) {
  MapSurface ui;
  FirmwareImage image;
  LoadDetail detail;
  EXPECT_EQ(loadFirmwareFile(ui, image, "", &detail), kLoadNoPath);
  EXPECT_EQ(loadFirmwareFile(ui, image, "/nonexistent/dir/x.hex", &detail), kLoadCannotOpen);
  EXPECT_EQ(describeLoadDetail(detail), "cannot open: No such file or directory");
}

TEST(LoadFirmware, PlacesRecordsByWordAddress) {
  // Byte address 0x0008 is word 4: slot 0, stored address 4, data from byte 0.
  const Loaded l =
      load(dataRecord(0x0008, 0xA5) + "\n" + dataRecord(0x0100, 0x5A, 4) + "\n" + kEof + "\n");
  ASSERT_EQ(l.result, 2);
  const ImageSlot& slot0 = l.image->slots[0];
  EXPECT_EQ(slotAddress(slot0), 4);
  for (std::size_t i = 2; i < kSlotSize; ++i) EXPECT_EQ(slot0[i], 0xA5) << i;

  // Byte address 0x0100 is word 0x80, slot 16: four bytes, the rest stays erased.
  const ImageSlot& slot16 = l.image->slots[16];
  EXPECT_EQ(slotAddress(slot16), 0x80);
  const std::vector<int> expected = {0x5A, 0x5A, 0x5A, 0x5A, 0xFF, 0x3F, 0xFF, 0x3F,
                                     0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F};
  EXPECT_EQ(std::vector<int>(slot16.begin() + 2, slot16.end()), expected);

  // Every slot no record touched keeps the blank pattern and address 8n.
  for (std::size_t n = 1; n < kSlotCount; ++n) {
    if (n == 16) continue;
    const ImageSlot& slot = l.image->slots[n];
    ASSERT_EQ(slotAddress(slot), n * 8) << n;
    for (std::size_t i = 2; i < kSlotSize; i += 2) {
      ASSERT_EQ(slot[i], 0xFF) << n;
      ASSERT_EQ(slot[i + 1], 0x3F) << n;
    }
  }
}

TEST(LoadFirmware, RecordsThatDoNotFitOneSlotOrTheImage) {
  // Extended linear address 0001: words from 0x8000 on are configuration and
  // data memory, which the bootloader cannot program. They are skipped, and
  // not counted.
  const std::string config = ":020000040001F9\n:02000E00E43FCD\n:02001000FF1FD0\n";
  const Loaded skipped = load(dataRecord(0, 0x11) + "\n" + config + kEof + "\n");
  EXPECT_EQ(skipped.result, 1);
  EXPECT_EQ(load(config + kEof + "\n").result, 0);

  // Linear address 0002 (even) brings the base back to 0.
  const Loaded even = load(":020000040002F8\n" + dataRecord(0x0020, 0x22) + "\n" + kEof + "\n");
  ASSERT_EQ(even.result, 1);
  EXPECT_EQ(even.image->slots[2][2], 0x22);

  // A 32-byte record at word 8184 fills slot 1023; its second half would be
  // slot 1024 and is dropped. Nothing past the image is written.
  const Loaded wide = load(dataRecord(0x3FF0, 0x33, 32) + "\n" + kEof + "\n");
  ASSERT_EQ(wide.result, 1);
  EXPECT_EQ(slotAddress(wide.image->slots[1023]), 8184);
  EXPECT_EQ(wide.image->slots[1023][17], 0x33);

  // A 40-byte record is split into 16-byte pieces, each at its own slot.
  std::string forty = ":28004000";
  unsigned sum = 0x28 + 0x40;
  for (unsigned i = 0; i < 40; ++i) {
    char byte[3];
    std::snprintf(byte, sizeof byte, "%02X", i);
    forty += byte;
    sum += i;
  }
  char check[3];
  std::snprintf(check, sizeof check, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
  const Loaded split = load(forty + check + "\n" + kEof + "\n");
  ASSERT_EQ(split.result, 1);
  for (std::size_t piece = 0; piece < 3; ++piece) {
    const ImageSlot& slot = split.image->slots[4 + piece];
    EXPECT_EQ(slotAddress(slot), 0x20 + 8 * piece);
    EXPECT_EQ(slot[2], 16 * piece);
  }
  EXPECT_EQ(split.image->slots[6][9], 39);     // last of the 8 bytes in the third piece
  EXPECT_EQ(split.image->slots[6][10], 0xFF);  // the rest of that slot stays erased
}

TEST(LoadFirmware, ProgressStaysWithinTheBar) {
  std::string text;
  for (unsigned slot = 0; slot < 1024; ++slot) text += dataRecord(slot * 16, 0x01) + "\n";
  text += kEof + "\n";
  ProgressSurface ui;
  FirmwareImage image;
  std::istringstream in(text);
  ASSERT_EQ(loadFirmwareStream(ui, image, in), 1024);
  ASSERT_FALSE(ui.values.empty());
  EXPECT_EQ(ui.values.front(), 0);
  for (int v : ui.values) EXPECT_TRUE(v >= 0 && v <= 100) << v;
  EXPECT_EQ(ui.values.back(), 100);
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
      {31, 49, "DP ORCA Version: 31.49 Loaded, 7 Records", 1},
      {31, 99, "DP ROOK Version: 31.49 Loaded, 7 Records", 2},
      {31, 48, "DP ROOK Version: 31.00 Loaded, 7 Records", 2},  // 48 reads as 50
      {50, 31, "DP ORCA Version: 48.31 Loaded, 7 Records", 1},  // 50 reads as 48
      {199, 30, "DP PIKA Version: 30.49 Loaded, 7 Records", 4},
      {200, 31, "DP Image Kind 200 Version: 31 Loaded, 7 Records", 4},
      {31, 255, "DP Image Kind 255 Version: 31 Loaded, 7 Records", 4},
  };
  for (const Case& c : cases) {
    FirmwareImage image;
    blankFirmwareImage(image);
    image.slots[0][8] = c.a;
    image.slots[0][9] = c.b;
    const ImageVersion version = imageVersion(image);
    EXPECT_EQ(imageStatusText(version, 7), c.text) << int(c.a) << "/" << int(c.b);
    EXPECT_EQ(variantForKind(version.kind), c.variant) << int(c.a) << "/" << int(c.b);
  }
}

TEST(LoadFirmware, AssemblerOutput) {
  struct Case {
    std::string file;
    int records;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"lark_full.hex", 964, "DP LARK Version: 31.04 Loaded, 964 Records"},
      {"orca_small.hex", 5, "DP ORCA Version: 31.04 Loaded, 5 Records"},
  };
  for (const Case& c : cases) {
    MapSurface ui;
    FirmwareImage image;
    const int records = loadFirmwareFile(ui, image, std::string(DP3_TEST_DATA "/") + c.file);
    EXPECT_EQ(records, c.records) << c.file;
    EXPECT_EQ(imageStatusText(imageVersion(image), records), c.text) << c.file;
  }
  // The ORCA program's 14-byte record at word 8 lands in slot 1 from byte 0.
  MapSurface ui;
  FirmwareImage image;
  loadFirmwareFile(ui, image, DP3_TEST_DATA "/orca_small.hex");
  EXPECT_EQ(slotAddress(image.slots[1]), 8);
  EXPECT_EQ(image.slots[1][2], 0x0A);
  EXPECT_EQ(image.slots[1][16], 0xFF);  // the 8th word was not in the record
  EXPECT_EQ(image.slots[1012][2], 0xFF);
}

}  // namespace
}  // namespace dp3
