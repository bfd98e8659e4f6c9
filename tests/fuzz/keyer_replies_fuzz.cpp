// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Whatever a keyer (or noise on the line) answers, Test, Read, Write and the
// upload end with a result and never touch memory outside their buffers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "firmware/firmware_image.hpp"
#include "firmware/upload.hpp"
#include "link/keyer_operations.hpp"
#include "settings/settings_image.hpp"

namespace {

// A line whose replies come from the fuzzer's bytes, in order; a read that
// asks for more than is left fails, as a short reply does.
class ScriptedLink : public dp3::Link {
 public:
  explicit ScriptedLink(std::span<const std::uint8_t> replies) : replies_(replies) {}
  int commOpen() override {
    open_ = true;
    return 0;
  }
  void commClose() override { open_ = false; }
  bool portOpenFlag() const override { return open_; }
  bool commWrite(std::span<const std::uint8_t>) override { return open_; }
  bool commRead(std::span<std::uint8_t> bytes) override {
    if (!open_ || bytes.size() > replies_.size()) {
      replies_ = {};
      return false;
    }
    std::copy_n(replies_.begin(), bytes.size(), bytes.begin());
    replies_ = replies_.subspan(bytes.size());
    return true;
  }
  bool setBaudRate(int) override { return open_; }
  bool drain() override { return open_; }
  void pause(std::chrono::milliseconds) override {}

 private:
  std::span<const std::uint8_t> replies_;
  bool open_ = false;
};

// Backups of the reads go to a scratch folder (pruned to the newest 200), never the user's.
[[maybe_unused]] const bool kScratchData = ::setenv("XDG_DATA_HOME", "/tmp/dp3-fuzz-data", 1) == 0;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> replies(data, size);
  {
    ScriptedLink link(replies);
    dp3::KeyerInfo keyer;
    dp3::testKeyer(link, keyer);
  }
  {
    ScriptedLink link(replies);
    dp3::KeyerInfo keyer;
    dp3::SettingsImage image{};
    dp3::readKeyer(link, keyer, image);
  }
  {
    ScriptedLink link(replies);
    dp3::KeyerInfo keyer;
    dp3::SettingsImage image{};
    dp3::resetSettingsImage(image);
    dp3::writeKeyer(link, keyer, image);
  }
  {
    ScriptedLink link(replies);
    link.commOpen();
    static dp3::FirmwareImage firmware;
    dp3::blankFirmwareImage(firmware);
    dp3::UploadShared shared;
    const bool bootloaderOnly = size > 0 && (data[0] & 1);
    dp3::runUploadJob({link, firmware, bootloaderOnly, /*verbose=*/true, shared});
    if (!shared.uploadDone) __builtin_trap();  // every upload ends with a result
  }
  return 0;
}
