// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/keyer_info.hpp"

#include "link/host_commands.hpp"

namespace dp3 {

InterfaceTest testInterface(Link& link, KeyerInfo& keyer) {
  using Kind = InterfaceTest::Kind;
  keyer.forgetBackup();
  if (!link.portOpenFlag()) {
    if (const int code = link.commOpen(); code != kCommOpenOk) {
      keyer = {};
      return {.kind = Kind::NotOpened, .openCode = code, .openReason = link.openFailureReason()};
    }
  }

  const auto echo = queryByte(link, host::kEchoTest);
  if (!echo) {
    keyer = {};
    return {.kind = Kind::NoAnswer};
  }
  if (*echo == host::kEchoBootloader) {
    keyer = {};
    keyer.bootloaderOnly = true;
    return {.kind = Kind::BootloaderOnly};
  }
  if (*echo != host::kEchoHostFirmware) {
    keyer = {};
    return {.kind = Kind::EchoMismatch, .echo = *echo};
  }

  keyer.bootloaderOnly = false;

  // A failed read leaves the value from the last test, as the keyer expects.
  if (const auto v = queryByte(link, host::kGetFirmwareVersion)) keyer.firmwareVersion = *v;
  if (const auto r = queryByte(link, host::kGetFirmwareRevision)) keyer.firmwareRevision = *r;
  InterfaceTest result{
      .kind = Kind::Firmware, .version = keyer.firmwareVersion, .revision = keyer.firmwareRevision};
  if (keyer.firmwareVersion < kOldestSupportedVersion) {
    result.kind = Kind::TooOld;
    return result;
  }

  // Version 30 before revision 4 predates the IC type query: those are all ORCA.
  if (keyer.firmwareVersion > kOldestSupportedVersion || keyer.firmwareRevision >= 4) {
    result.icType = getIcType(link);
  } else {
    result.icType = kVariantOrca;
  }
  // No answer leaves no IC known, as an IC type no row names does.
  keyer.icVariant = result.icType.value_or(0);
  return result;
}

}  // namespace dp3
