#include "link/keyer_info.hpp"

#include <cstdio>

#include "link/host_commands.hpp"
#include "surface/control_ids.hpp"

namespace dp3 {

namespace {

inline constexpr std::uint8_t kOldestSupportedVersion = 30;

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

std::string variantName(std::uint8_t variant) {
  switch (variant) {
    case kVariantOrca:
      return "ORCA";
    case kVariantRook:
      return "ROOK";
    case kVariantLark:
      return "LARK";
    case kVariantPika:
      return "PIKA";
    default:
      return {};
  }
}

int testInterface(ControlSurface& ui, Link& link, KeyerInfo& keyer) {
  ui.setText(id::kInterfaceStatus, "Testing DP Interface    ");

  if (!link.portOpenFlag()) {
    const int code = link.commOpen();
    if (code != kCommOpenOk) {
      ui.setText(id::kInterfaceStatus, commOpenText(code));
      return kTestFailed;
    }
  }

  const auto echo = queryByte(link, host::EchoTest);
  if (!echo) {
    ui.setText(id::kInterfaceStatus, "DP Fail:no response");
    return kTestFailed;
  }
  if (*echo == host::kEchoBootloader) {
    ui.setText(id::kInterfaceStatus, "DP Fail:No O/S");
    keyer.icVariant = kVariantNoFirmware;
    return kVariantNoFirmware;
  }
  if (*echo != host::kEchoHostFirmware) {
    ui.setText(id::kInterfaceStatus, "DP Fail:echo mismatch");
    return kTestFailed;
  }

  // A failed read leaves the value from the last test, as the keyer expects.
  if (const auto v = queryByte(link, host::GetFirmwareVersion)) keyer.firmwareVersion = *v;
  if (const auto r = queryByte(link, host::GetFirmwareRevision)) keyer.firmwareRevision = *r;

  if (keyer.firmwareVersion < kOldestSupportedVersion) {
    ui.setText(id::kInterfaceStatus, "Only supports DP3");
    return kTestFailed;
  }

  // Version 30 before revision 4 predates the IC type query: those are all ORCA.
  if (keyer.firmwareVersion > kOldestSupportedVersion || keyer.firmwareRevision >= 4) {
    keyer.icVariant = getIcType(link);
  } else {
    keyer.icVariant = kVariantOrca;
  }

  const int version = keyer.firmwareVersion;
  const int revision = keyer.firmwareRevision;
  std::string status;
  switch (keyer.icVariant) {
    case kVariantOrca:
      status = format("DP F/W ver %d.%02d", version, revision);
      break;
    case kVariantRook:
      status = format("DP F/W revision %d.%02d", version, revision - 50);
      break;
    case kVariantLark:
      status = format("DP F/W revision %d.%02d", version, revision - 100);
      break;
    case kVariantPika:
      status = format("DP F/W revision %d.%02d", version, revision - 150);
      break;
    default:
      // An IC type this program does not know: keep the IC line, show the raw revision.
      status = format("DP F/W ver %d.%02d", version, revision) + ", IC ?";
      break;
  }
  const std::string name = variantName(keyer.icVariant);
  if (!name.empty()) ui.setText(id::kIcLine, "DP IC: " + name);
  ui.setText(id::kInterfaceStatus, status);
  return keyer.firmwareVersion;
}

}  // namespace dp3
