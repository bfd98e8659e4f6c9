#include "link/keyer_info.hpp"

#include <cstdio>

#include "link/host_commands.hpp"
#include "surface/control_ids.hpp"

namespace dp3 {

namespace {

std::string format(const char* pattern, int a, int b) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

}  // namespace

std::string commOpenText(int code) {
  switch (code) {
    case kCommPurgeFailed:
      return "DP Fail:comm purge";
    case kCommSetStateFailed:
      return "DP Fail:set comm state";
    case kCommGetStateFailed:
      return "DP Fail:get comm state";
    case kCommOpenFailed:
      return "DP Fail:comm open";
    default:
      return "Comm Fail:unknown error";
  }
}

InterfaceTest testInterface(ControlSurface& ui, Link& link, KeyerInfo& keyer) {
  constexpr InterfaceTest kFailed{InterfaceTest::Kind::Failed};
  ui.setText(id::kInterfaceStatus, "Testing DP Interface    ");

  if (!link.portOpenFlag()) {
    const int code = link.commOpen();
    if (code != kCommOpenOk) {
      ui.setText(id::kInterfaceStatus, commOpenText(code));
      return kFailed;
    }
  }

  const auto echo = queryByte(link, host::kEchoTest);
  if (!echo) {
    ui.setText(id::kInterfaceStatus, "DP Fail:no response");
    return kFailed;
  }
  if (*echo == host::kEchoBootloader) {
    ui.setText(id::kInterfaceStatus, "DP Fail:No O/S");
    keyer.bootloaderOnly = true;
    return {InterfaceTest::Kind::BootloaderOnly};
  }
  if (*echo != host::kEchoHostFirmware) {
    ui.setText(id::kInterfaceStatus, "DP Fail:echo mismatch");
    return kFailed;
  }

  keyer.bootloaderOnly = false;

  // A failed read leaves the value from the last test, as the keyer expects.
  if (const auto v = queryByte(link, host::kGetFirmwareVersion)) keyer.firmwareVersion = *v;
  if (const auto r = queryByte(link, host::kGetFirmwareRevision)) keyer.firmwareRevision = *r;

  if (keyer.firmwareVersion < kOldestSupportedVersion) {
    ui.setText(id::kInterfaceStatus, "Only supports DP3");
    return kFailed;
  }

  // Version 30 before revision 4 predates the IC type query: those are all ORCA.
  if (keyer.firmwareVersion > kOldestSupportedVersion || keyer.firmwareRevision >= 4) {
    keyer.icVariant = getIcType(link);
  } else {
    keyer.icVariant = kVariantOrca;
  }

  // Each IC counts its revisions from the start of its band. An IC type no
  // row names (5 included) keeps the IC line and shows the raw revision.
  const int version = keyer.firmwareVersion;
  const KeyerVariant* variant = findVariant(keyer.icVariant);
  std::string status;
  if (!variant) {
    status = format("DP F/W ver %d.%02d", version, keyer.firmwareRevision) + ", IC ?";
  } else {
    status =
        format(variant->code == kVariantOrca ? "DP F/W ver %d.%02d" : "DP F/W revision %d.%02d",
               version, keyer.firmwareRevision - variant->bandStart);
    ui.setText(id::kIcLine, "DP IC: " + std::string(variant->name));
  }
  ui.setText(id::kInterfaceStatus, status);
  return {InterfaceTest::Kind::Firmware, keyer.firmwareVersion};
}

}  // namespace dp3
