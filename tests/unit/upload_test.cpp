// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "firmware/upload.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "firmware/firmware_image.hpp"
#include "link/keyer_info.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"

namespace dp3 {
namespace {

std::unique_ptr<FirmwareImage> testImage(const std::string& name) {
  auto image = std::make_unique<FirmwareImage>();
  EXPECT_GT(loadFirmwareFile(*image, std::string(DP3_TEST_DATA "/") + name), 0) << name;
  return image;
}

// A SimLink that notes the upload's progress at every write and can refuse
// the speed change back to 1200 baud.
class WatchingLink : public SimLink {
 public:
  WatchingLink(KeyerModel& model, const UploadShared& shared) : SimLink(model), shared_(shared) {}
  bool commWrite(std::span<const std::uint8_t> bytes) override {
    peak = std::max(peak, shared_.uploadProgress.load());
    return SimLink::commWrite(bytes);
  }
  bool setBaudRate(int baud) override {
    return !(baud == kHostBaudRate && failReturn) && SimLink::setBaudRate(baud);
  }
  int peak = 0;
  bool failReturn = false;

 private:
  const UploadShared& shared_;
};

using Kind = UploadOutcome::Kind;

struct UploadRun {
  UploadOutcome result;
  std::vector<std::uint8_t> wire;
  std::size_t logLines;
  int peak;
};

UploadRun upload(KeyerModel& model, const FirmwareImage& image, bool bootloaderOnly,
                 bool failReturn = false) {
  UploadShared shared;
  WatchingLink link(model, shared);
  link.failReturn = failReturn;
  link.commOpen();
  runUploadJob({link, image, bootloaderOnly, true, shared});
  EXPECT_TRUE(shared.uploadDone);
  return {shared.uploadOutcome, model.received(), shared.takeLogLines().size(), link.peak};
}

TEST(Upload, FrameBytes) {
  ImageSlot slot{};
  slot.fill(0xFF);
  slot[0] = 0x00;
  slot[1] = 0x20;
  const auto frame = buildFrame(boot::kFrameStart, slot);
  EXPECT_EQ(std::vector<int>(frame.begin(), frame.begin() + 4),
            (std::vector<int>{0x1B, 0x00, 0x20, 0xFF}));
  EXPECT_EQ(frame[19], 0xD5);
  EXPECT_EQ(buildFrame(boot::kLastFrameStart, slot)[19], 0xC2);
  EXPECT_EQ(frameLogLine(slot, 0x3C), "0020 - ffff ffff ffff ffff ffff ffff ffff ffff 3c");
  EXPECT_EQ(frameLogLine(slot, std::nullopt), "0020 - ffff ffff ffff ffff ffff ffff ffff ffff --");
}

TEST(Upload, WireBytesFrameCountsAndProgress) {
  struct Case {
    std::string file;
    bool recovery;
    std::vector<std::uint8_t> opening;
    std::size_t frames;
    std::uint8_t firstAddress;  // low byte of the first frame's address
  };
  const std::vector<Case> cases = {
      {"orca_small.hex", false, {0x00, 0x10, 0x9B, 0x00, 0x04, 0x55, 0x35}, 956, 0x20},
      {"orca_small.hex", true, {0x00, 0x04, 0x55, 0x35}, 956, 0x20},
      {"lark_full.hex", false, {0x00, 0x10, 0x9B, 0x00, 0x04, 0x55, 0x35}, 964, 0xA0},
  };
  for (const Case& c : cases) {
    SimConfig config;
    config.bootloaderOnly = c.recovery;
    KeyerModel model(config);
    const auto image = testImage(c.file);
    const UploadRun run = upload(model, *image, c.recovery);
    ASSERT_TRUE(run.result.completed()) << c.file;
    const std::size_t start = c.opening.size();
    ASSERT_EQ(run.wire.size(), start + c.frames * 20 + 1) << c.file;
    EXPECT_EQ(std::vector<std::uint8_t>(run.wire.begin(), run.wire.begin() + start), c.opening);
    EXPECT_EQ(run.wire[start + 2], c.firstAddress) << c.file;
    // Slot 3 (word 0x18) goes last, with the last-frame start; then 0x5A.
    EXPECT_EQ(run.wire[run.wire.size() - 21], 0x2E) << c.file;
    EXPECT_EQ(run.wire[run.wire.size() - 19], 0x18) << c.file;
    EXPECT_EQ(run.wire.back(), 0x5A) << c.file;
    EXPECT_EQ(run.logLines, c.frames) << c.file;
    EXPECT_EQ(run.peak, 99) << c.file;
  }
}

// Every reply byte is the keyer's, carried beside the outcome: 0x88 and 0x84
// included, none stands for the upload's own outcome.
TEST(Upload, Outcomes) {
  const auto image = testImage("orca_small.hex");
  auto fault = [](FaultKind kind, std::uint8_t code = 0, int frame = 0) {
    SimConfig config;
    config.fault = {kind, code, frame};
    return config;
  };
  auto refused = [](std::uint8_t code) { return UploadOutcome{Kind::Refused, code}; };
  struct Case {
    SimConfig keyer;
    bool failReturn;
    UploadOutcome result;
    int frames;
    bool bootloaderLeft;
  };
  const std::vector<Case> cases = {
      {{}, false, {Kind::Completed}, 956, false},
      {fault(FaultKind::Refuse, 0x80, 5), false, refused(0x80), 5, true},
      {fault(FaultKind::Refuse, 0x81, 1), false, refused(0x81), 1, true},
      {fault(FaultKind::Refuse, 0x82, 956), false, refused(0x82), 956, true},
      {fault(FaultKind::Refuse, 0x00, 3), false, refused(0x00), 3, true},
      {fault(FaultKind::Refuse, 0x88, 5), false, refused(0x88), 5, true},
      {fault(FaultKind::Refuse, 0x84, 5), false, refused(0x84), 5, true},
      {fault(FaultKind::NoReply, 0, 9), false, {Kind::NoReply}, 9, true},
      {fault(FaultKind::Silence), false, {Kind::NoReply}, 0, true},
      {fault(FaultKind::AppEcho), false, {Kind::NoBootloaderEcho}, 0, false},
      {fault(FaultKind::BaudFail), false, {Kind::BaudChangeFailed}, 0, true},
      {{}, true, {Kind::BaudChangeFailed}, 956, true},
  };
  for (const Case& c : cases) {
    KeyerModel model(c.keyer);
    const UploadRun run = upload(model, *image, false, c.failReturn);
    SCOPED_TRACE(std::to_string(int(c.result.kind)) + " after " + std::to_string(c.frames));
    EXPECT_EQ(run.result, c.result) << int(run.result.kind) << " " << int(run.result.reply);
    EXPECT_EQ(leavesBootloaderOnly(run.result), c.bootloaderLeft);
    EXPECT_EQ(model.framesReceived(), c.frames);
    EXPECT_EQ(run.logLines, static_cast<std::size_t>(c.frames));
  }
}

TEST(Upload, FailedUploadLeavesTheBootloaderForRecovery) {
  const auto image = testImage("lark_full.hex");
  SimConfig config;
  config.fault = {FaultKind::Refuse, 0x81, 100};
  KeyerModel model(config);
  ASSERT_EQ(upload(model, *image, false).result, (UploadOutcome{Kind::Refused, 0x81}));

  SimLink link(model);
  KeyerInfo keyer;
  ASSERT_TRUE(testInterface(link, keyer).bootloaderOnly());
  link.commClose();
  // The fault strikes once: the recovery upload goes through, and the keyer
  // then runs the image it was given.
  ASSERT_TRUE(upload(model, *image, keyer.bootloaderOnly).result.completed());
  EXPECT_EQ(testInterface(link, keyer).version, 31);
  EXPECT_EQ(keyer.icVariant, kVariantLark);
  EXPECT_EQ(keyer.firmwareRevision, 104);
}

TEST(SimFaults, ParsesFaultNames) {
  struct Case {
    std::string text;
    bool ok;
    FaultKind kind;
    int code, frame;
  };
  const std::vector<Case> cases = {
      {"app-echo", true, FaultKind::AppEcho, 0, 0},
      {"refuse:0x81@5", true, FaultKind::Refuse, 0x81, 5},
      {"no-reply@7", true, FaultKind::NoReply, 0, 7},
      {"bad-store@0", true, FaultKind::BadStore, 0, 0},
      {"bad-store@299", true, FaultKind::BadStore, 0, 299},
      {"bad-store@300", false, {}, 0, 0},
      {"refuse:0x100@5", false, {}, 0, 0},
      {"refuse:0x81@0", false, {}, 0, 0},
      {"refuse:0x81", false, {}, 0, 0},
  };
  for (const Case& c : cases) {
    const auto fault = parseFault(c.text);
    ASSERT_EQ(fault.has_value(), c.ok) << c.text;
    if (!fault) continue;
    EXPECT_EQ(fault->kind, c.kind) << c.text;
    EXPECT_EQ(fault->code, c.code) << c.text;
    EXPECT_EQ(fault->frame, c.frame) << c.text;
  }
}

}  // namespace
}  // namespace dp3
