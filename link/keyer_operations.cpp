// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/keyer_operations.hpp"

#include <span>

#include "link/host_commands.hpp"
#include "settings/settings_verify.hpp"

namespace dp3 {

namespace {

void tell(const OnKeyerStep& onStep, KeyerStep step, const InterfaceTest& test) {
  if (onStep) onStep(step, test);
}

// Read and Write need a keyer whose firmware holds settings.
template <class Outcome>
std::optional<Outcome> refusedKeyer(const InterfaceTest& test) {
  if (test.failed()) return Outcome::TestFailed;
  if (!test.holdsSettings()) return Outcome::NeedsFirmware;
  return std::nullopt;
}

}  // namespace

KeyerTest testKeyer(Link& link, KeyerInfo& keyer) {
  KeyerTest result{.test = testInterface(link, keyer)};
  if (result.test.kind != InterfaceTest::Kind::Firmware) return result;
  result.pot = Reading::of(getPotValue(link));
  if (result.test.icType != kVariantPika) result.buttons = Reading::of(getPushButtons(link));
  result.supply = Reading::of(getSupplyVoltage(link));
  return result;
}

ReadResult readKeyer(Link& link, KeyerInfo& keyer, SettingsImage& image,
                     const OnKeyerStep& onStep) {
  ReadResult result{.test = testInterface(link, keyer)};
  tell(onStep, KeyerStep::Tested, result.test);
  if (const auto refused = refusedKeyer<ReadOutcome>(result.test)) {
    result.outcome = *refused;
    return result;
  }
  tell(onStep, KeyerStep::Reading, result.test);
  SettingsImage scratch = image;
  if (!readBlocks(link, scratch)) {
    result.outcome = ReadOutcome::ReadFailed;
    return result;
  }
  image = scratch;
  result.outcome = ReadOutcome::Done;
  result.backup = keepBackup(keyer, image);
  return result;
}

WriteResult writeKeyer(Link& link, KeyerInfo& keyer, SettingsImage& image,
                       const WriteOptions& options) {
  const InterfaceTest test = testInterface(link, keyer);
  tell(options.onStep, KeyerStep::Tested, test);
  if (const auto refused = refusedKeyer<WriteOutcome>(test)) {
    return {.outcome = *refused, .test = test};
  }
  if (options.prepare && !options.prepare(image)) {
    return {.outcome = WriteOutcome::Refused, .test = test};
  }
  const BackupResult backup = backUpBeforeChange(link, keyer);
  if (backup.failed())
    return {.outcome = WriteOutcome::BackupFailed, .test = test, .backup = backup};
  tell(options.onStep, KeyerStep::Writing, test);
  WriteResult result = sendSettings(link, keyer, image, options.verify);
  result.test = test;
  result.backup = backup;
  return result;
}

WriteResult sendSettings(Link& link, KeyerInfo& keyer, const SettingsImage& image, bool verify) {
  keyer.settingsBackedUp = false;  // the keyer is about to hold something else
  WriteResult result{.outcome = WriteOutcome::WriteFailed, .keyer = KeyerState::Unknown};
  const bool sent =
      writeExtensionBlock(
          link,
          std::span<const std::uint8_t>(image).subspan<kExtensionOffset, kExtensionBlockSize>()) &&
      writeSettingsBlock(link, std::span<const std::uint8_t>(image).first<kSettingsBlockSize>());
  // The keyer's store time starts when the last byte has left the port, and
  // a keyer that hung up meanwhile has stored nothing we can vouch for.
  if (!sent || !link.drain()) return result;
  link.pause(kWriteSettleTime);
  if (!link.drain()) return result;
  if (!verify) {
    result.outcome = WriteOutcome::Done;
    result.keyer = KeyerState::HoldsWritten;
    return result;
  }
  SettingsImage got{};
  if (!readBlocks(link, got)) {
    result.outcome = WriteOutcome::ReadBackFailed;
    return result;
  }
  result.readBack = keepBackup(keyer, got);
  result.differences = differingFields(image, got);
  result.outcome = result.differences.empty() ? WriteOutcome::Done : WriteOutcome::VerifyFailed;
  if (result.differences.empty()) result.keyer = KeyerState::HoldsWritten;
  return result;
}

}  // namespace dp3
