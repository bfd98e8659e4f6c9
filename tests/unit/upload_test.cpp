#include "firmware/upload.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/control_ids.hpp"
#include "app/map_surface.hpp"
#include "firmware/firmware_image.hpp"
#include "link/interface_test.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"

namespace dp3 {
namespace {

std::unique_ptr<FirmwareImage> loadTestImage(const std::string& name) {
  auto image = std::make_unique<FirmwareImage>();
  MapSurface ui;
  const int records = loadFirmwareFile(ui, *image, std::string(DP3_TEST_DATA "/") + name);
  EXPECT_GT(records, 0) << name;
  return image;
}

// Passes everything to a SimLink; notes the upload's progress at every
// write and can refuse the speed change back to 1200 baud.
class WatchingLink : public SimLink {
 public:
  WatchingLink(KeyerModel& model, const UploadShared& shared) : SimLink(model), shared_(shared) {}
  bool CommWrite(std::span<const std::uint8_t> bytes) override {
    progress.push_back(shared_.uploadProgress);
    return SimLink::CommWrite(bytes);
  }
  bool setBaudRate(int baud) override {
    if (baud == kHostBaudRate && failReturnToHostRate) return false;
    return SimLink::setBaudRate(baud);
  }
  std::vector<int> progress;
  bool failReturnToHostRate = false;

 private:
  const UploadShared& shared_;
};

struct UploadRun {
  int result;
  std::vector<std::uint8_t> wire;
  int frames;
  std::vector<std::string> log;
  std::vector<int> progress;
};

UploadRun upload(SimConfig config, const FirmwareImage& image, std::uint8_t variant,
                 bool failReturn = false) {
  KeyerModel model(config);
  UploadShared shared;
  WatchingLink link(model, shared);
  link.failReturnToHostRate = failReturn;
  EXPECT_EQ(link.CommOpen(), kCommOpenOk);
  uploadThread({link, image, variant, true, shared});
  EXPECT_TRUE(shared.uploadDone);
  return {shared.uploadResult, model.received(), model.framesReceived(), shared.takeLogLines(),
          link.progress};
}

TEST(Upload, FrameChecksumAndLogLine) {
  ImageSlot slot{};
  slot.fill(0xFF);
  slot[0] = 0x00;
  slot[1] = 0x20;
  const auto frame = buildFrame(boot::kFrameStart, slot);
  EXPECT_EQ(frame[0], 0x1B);
  EXPECT_EQ(frame[1], 0x00);
  EXPECT_EQ(frame[2], 0x20);
  EXPECT_EQ(frame[19], 0xD5);
  EXPECT_EQ(buildFrame(boot::kLastFrameStart, slot)[19], 0xC2);
  EXPECT_EQ(frameLogLine(slot, 0x3C), "0020 - ffff ffff ffff ffff ffff ffff ffff ffff 3c");
}

TEST(Upload, WireBytesInNormalAndRecoveryMode) {
  const auto image = loadTestImage("orca_small.hex");
  const std::vector<std::uint8_t> normal = {0x00, 0x10, 0x9B, 0x00, 0x04, 0x55, 0x35};
  const std::vector<std::uint8_t> recovery = {0x00, 0x04, 0x55, 0x35};

  const UploadRun fromFirmware = upload({}, *image, kVariantOrca);
  ASSERT_EQ(fromFirmware.result, kUploadCompleted);
  EXPECT_EQ(std::vector<std::uint8_t>(fromFirmware.wire.begin(), fromFirmware.wire.begin() + 7),
            normal);

  SimConfig bootOnly;
  bootOnly.bootloaderOnly = true;
  const UploadRun fromBootloader = upload(bootOnly, *image, kVariantNoFirmware);
  ASSERT_EQ(fromBootloader.result, kUploadCompleted);
  EXPECT_EQ(std::vector<std::uint8_t>(fromBootloader.wire.begin(), fromBootloader.wire.begin() + 4),
            recovery);

  // Then the frames, each 20 bytes, and the finish byte last.
  EXPECT_EQ(fromBootloader.wire.size(), 4 + 956 * 20 + 1);
  EXPECT_EQ(fromBootloader.wire.back(), 0x5A);
  // The first frame is slot 4, the last one slot 3 with the last-frame start.
  const std::size_t last = 4 + 955 * 20;
  EXPECT_EQ(fromBootloader.wire[4], 0x1B);
  EXPECT_EQ(fromBootloader.wire[4 + 2], 0x20);
  EXPECT_EQ(fromBootloader.wire[last], 0x2E);
  EXPECT_EQ(fromBootloader.wire[last + 2], 0x18);
}

TEST(Upload, FrameCountsProgressAndOrder) {
  struct Case {
    std::string file;
    int frames;
    std::string firstLogAddress;
  };
  const std::vector<Case> cases = {
      {"orca_small.hex", 956, "0020"},  // slot 1012 erased: no high block
      {"lark_full.hex", 964, "1fa0"},   // high block first: slot 1012 = word 0x1FA0
  };
  for (const Case& c : cases) {
    const auto image = loadTestImage(c.file);
    const UploadRun run = upload({}, *image, kVariantLark);
    ASSERT_EQ(run.result, kUploadCompleted) << c.file;
    EXPECT_EQ(run.frames, c.frames) << c.file;
    ASSERT_EQ(run.log.size(), static_cast<std::size_t>(c.frames)) << c.file;
    EXPECT_EQ(run.log.front().substr(0, 4), c.firstLogAddress) << c.file;
    EXPECT_EQ(run.log.back().substr(0, 4), "0018") << c.file;
    int peak = 0;
    for (int p : run.progress) peak = std::max(peak, p);
    EXPECT_EQ(peak, 99) << c.file;
  }
  // The reset vector frame, as the log shows it.
  const auto lark = loadTestImage("lark_full.hex");
  const UploadRun run = upload({}, *lark, kVariantLark);
  EXPECT_EQ(run.log[run.log.size() - 4], "0000 - 0428 0000 0000 681f 1f00 2600 2d00 3400 3c");
}

TEST(Upload, ResultCodesAndTexts) {
  const auto image = loadTestImage("orca_small.hex");
  auto fault = [](FaultKind kind, std::uint8_t code = 0, int frame = 0) {
    SimConfig config;
    config.fault = {kind, code, frame};
    return config;
  };
  struct Case {
    std::string name;
    SimConfig config;
    bool failReturn;
    int result;
    std::string text;
    int frames;
  };
  const std::vector<Case> cases = {
      {"completed", {}, false, 0x88, "Upload Completed Successfully", 956},
      {"frame start", fault(FaultKind::Refuse, 0x80, 5), false, 0x80, "Error: SOF Error !", 5},
      {"checksum", fault(FaultKind::Refuse, 0x81, 1), false, 0x81, "Error: Checksum !", 1},
      {"flash verify", fault(FaultKind::Refuse, 0x82, 956), false, 0x82, "Error: Flash Verify !",
       956},
      {"sync", fault(FaultKind::Refuse, 0x89, 7), false, 0x89, "Error: DPUSB Sync !", 7},
      {"other byte", fault(FaultKind::Refuse, 0x47, 2), false, 0x47, "Error: Restart failed !", 2},
      {"zero byte", fault(FaultKind::Refuse, 0x00, 3), false, 0x00, "Error: Restart failed !", 3},
      {"no reply", fault(FaultKind::NoReply, 0, 9), false, 0x84, "Error: DPUSB Timeout !", 9},
      {"silent keyer", fault(FaultKind::Silence), false, 0x84, "Error: DPUSB Timeout !", 0},
      {"firmware answers", fault(FaultKind::AppEcho), false, 0x8B, "Error: Restart failed !", 0},
      {"speed change", fault(FaultKind::BaudFail), false, 0x8A, "Error: Restart failed !", 0},
      {"back to 1200", {}, true, 0x8A, "Error: Restart failed !", 956},
  };
  for (const Case& c : cases) {
    const UploadRun run = upload(c.config, *image, kVariantOrca, c.failReturn);
    EXPECT_EQ(run.result, c.result) << c.name;
    EXPECT_EQ(uploadResultText(run.result), c.text) << c.name;
    EXPECT_EQ(run.frames, c.frames) << c.name;
    // The upload stops at the first frame that is not accepted.
    if (c.frames > 0 && c.result != 0x88 && !c.failReturn) {
      EXPECT_EQ(run.log.size(), static_cast<std::size_t>(c.frames)) << c.name;
    }
  }
  EXPECT_EQ(uploadResultText(0x8B), "Error: Restart failed !");
  EXPECT_EQ(uploadResultText(0x84), "Error: DPUSB Timeout !");
}

TEST(Upload, KeyerRunsTheNewFirmwareOrStaysInItsBootloader) {
  const auto lark = loadTestImage("lark_full.hex");

  // A completed upload: the keyer holds the image and reports its version.
  {
    SimConfig orca;
    orca.variant = kVariantOrca;
    orca.version = 30;
    orca.revision = 12;
    KeyerModel model(orca);
    UploadShared shared;
    SimLink link(model);
    link.CommOpen();
    uploadThread({link, *lark, kVariantOrca, false, shared});
    ASSERT_EQ(shared.uploadResult, kUploadCompleted);
    for (std::size_t n = 0; n < kSlotCount; ++n) {
      const bool sent = n <= 955 || (n >= 1000 && n <= 1003) || (n >= 1012 && n <= 1015);
      EXPECT_EQ(model.programmed()[n], sent) << n;
      if (sent) {
        ASSERT_EQ(model.flash().slots[n], lark->slots[n]) << n;
      }
    }
    MapSurface ui;
    KeyerInfo keyer;
    link.CommClose();
    EXPECT_EQ(TestInterface(ui, link, keyer), 31);
    EXPECT_EQ(keyer.IcVariant, kVariantLark);
    EXPECT_EQ(keyer.FirmwareRevision, 104);
  }

  // A failed upload: the bootloader answers the next test, and a recovery
  // upload then succeeds (the fault strikes once).
  {
    SimConfig config;
    config.fault = {FaultKind::Refuse, 0x81, 100};
    KeyerModel model(config);
    UploadShared shared;
    SimLink link(model);
    link.CommOpen();
    uploadThread({link, *lark, kVariantLark, false, shared});
    ASSERT_EQ(shared.uploadResult, 0x81);
    MapSurface ui;
    KeyerInfo keyer;
    link.CommClose();
    EXPECT_EQ(TestInterface(ui, link, keyer), kVariantNoFirmware);
    EXPECT_EQ(ui.text(id::kInterfaceStatus), "DP Fail:No O/S");
    shared.reset();
    uploadThread({link, *lark, keyer.IcVariant, false, shared});
    EXPECT_EQ(shared.uploadResult, kUploadCompleted);
    link.CommClose();
    EXPECT_EQ(TestInterface(ui, link, keyer), 31);
  }
}

// Frames the bootloader itself refuses, fed byte by byte.
TEST(SimBootloader, ChecksEveryFrame) {
  ImageSlot slot{};
  slot.fill(0x11);
  slot[0] = 0x00;
  slot[1] = 0x40;
  auto good = buildFrame(boot::kFrameStart, slot);
  auto badStart = good;
  badStart[0] = 0x1C;
  badStart[19] -= 1;  // keep the sum right: only the start byte is wrong
  auto badSum = good;
  badSum[19] ^= 0x01;
  ImageSlot beyond = slot;
  beyond[0] = 0x20;  // word 0x2040, past the program memory
  const auto outside = buildFrame(boot::kFrameStart, beyond);

  struct Case {
    std::string name;
    std::array<std::uint8_t, 20> frame;
    std::uint8_t reply;
  };
  const std::vector<Case> cases = {
      {"accepted", good, 0x3C},
      {"start byte", badStart, 0x80},
      {"checksum", badSum, 0x81},
      {"outside memory", outside, 0x82},
  };
  for (const Case& c : cases) {
    SimConfig config;
    config.bootloaderOnly = true;
    KeyerModel model(config);
    for (std::uint8_t b : {0x00, 0x04, 0x55}) model.receive(b);
    ASSERT_EQ(model.output().back(), 0xAA);
    model.output().clear();
    model.receive(0x35);
    model.setLineBaud(9600);
    for (std::uint8_t b : c.frame) model.receive(b);
    ASSERT_EQ(model.output().size(), 1u) << c.name;
    EXPECT_EQ(model.output().front(), c.reply) << c.name;
    EXPECT_EQ(model.programmed()[8], c.reply == 0x3C) << c.name;
  }
}

TEST(SimFaults, ParsesFaultNames) {
  struct Case {
    std::string text;
    bool ok;
    FaultKind kind;
    int code, frame;
  };
  const std::vector<Case> cases = {
      {"silence", true, FaultKind::Silence, 0, 0},
      {"app-echo", true, FaultKind::AppEcho, 0, 0},
      {"baud-fail", true, FaultKind::BaudFail, 0, 0},
      {"refuse:0x81@5", true, FaultKind::Refuse, 0x81, 5},
      {"refuse:137@12", true, FaultKind::Refuse, 137, 12},
      {"refuse:0X00@1", true, FaultKind::Refuse, 0, 1},
      {"no-reply@7", true, FaultKind::NoReply, 0, 7},
      {"refuse:0x100@5", false, FaultKind::None, 0, 0},
      {"refuse:0x81@0", false, FaultKind::None, 0, 0},
      {"refuse:0x81", false, FaultKind::None, 0, 0},
      {"refuse:@3", false, FaultKind::None, 0, 0},
      {"no-reply@", false, FaultKind::None, 0, 0},
      {"no-reply@x", false, FaultKind::None, 0, 0},
      {"no-reply@-1", false, FaultKind::None, 0, 0},
      {"silent", false, FaultKind::None, 0, 0},
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
