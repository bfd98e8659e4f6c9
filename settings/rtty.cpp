#include "settings/rtty.hpp"

#include "settings/settings_fields.hpp"
#include "surface/control_ids.hpp"

namespace dp3 {

namespace {

inline constexpr std::uint8_t kBaudMask = 0x03;     // RttyReg bits 1-0
inline constexpr std::uint8_t kStopBitsBit = 0x08;  // RttyReg2 bit 3
inline constexpr std::uint8_t kDiddleIsBit = 0x04;  // RttyReg2 bit 2
inline constexpr std::uint8_t kUsosMask = 0x03;     // RttyReg2 bits 1-0, shown as Off/On

std::size_t rttyReg(int user) {
  return userExtensionOffset(user) + extension_field::kRttyReg;
}
std::size_t rttyReg2(int user) {
  return userExtensionOffset(user) + extension_field::kRttyReg2;
}

bool notFirst(const ControlSurface& ui, int list) {
  return ui.selectedEntry(list) != 0;
}

}  // namespace

void openRttyWindow(ControlSurface& rttyUi, const SettingsImage& image, int user) {
  for (const ListField& list : kRttyLists) {
    rttyUi.clearList(list.control);
    for (std::string_view entry : list.entries) rttyUi.addListEntry(list.control, entry);
  }
  for (const BitField& bit : kRttyBits) {
    rttyUi.setChecked(bit.control, bitIsSet(bit, image, user));
  }
  for (const ListField& list : kRttyLists)
    rttyUi.selectEntry(list.control, list.entryOf(image, user));
  for (const BitField& bit : kRttyBits) rttyUi.setEnabled(bit.control, true);
  for (const ListField& list : kRttyLists) rttyUi.setEnabled(list.control, true);
}

int baudRateEntry(const SettingsImage& image, int user) {
  return image[rttyReg(user)] & kBaudMask;
}

int diddleIsEntry(const SettingsImage& image, int user) {
  return (image[rttyReg2(user)] & kDiddleIsBit) ? 1 : 0;
}

int stopBitsEntry(const SettingsImage& image, int user) {
  return (image[rttyReg2(user)] & kStopBitsBit) ? 1 : 0;
}

int usosEntry(const SettingsImage& image, int user) {
  const int usos = image[rttyReg2(user)] & kUsosMask;
  return usos <= 1 ? usos : -1;
}

void acceptRttyWindow(const ControlSurface& rttyUi, SettingsImage& image, int user) {
  std::uint8_t reg = 0;
  for (const BitField& bit : kRttyBits) {
    if (rttyUi.isChecked(bit.control)) reg |= bit.mask;
  }
  const int baud = rttyUi.selectedEntry(id::kRttyBaudRate);
  if (baud > 0) reg |= static_cast<std::uint8_t>(baud & kBaudMask);

  std::uint8_t reg2 = 0;
  if (notFirst(rttyUi, id::kRttyStopBits)) reg2 |= kStopBitsBit;
  if (notFirst(rttyUi, id::kRttyDiddleIs)) reg2 |= kDiddleIsBit;
  if (notFirst(rttyUi, id::kRttyUsos)) reg2 |= 0x01;

  image[rttyReg(user)] = reg;
  image[rttyReg2(user)] = reg2;
}

}  // namespace dp3
