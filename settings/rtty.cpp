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
  return userExtensionOffset(user) + extension_field::RttyReg;
}
std::size_t rttyReg2(int user) {
  return userExtensionOffset(user) + extension_field::RttyReg2;
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
  const std::uint8_t reg = image[rttyReg(user)];
  const std::uint8_t reg2 = image[rttyReg2(user)];
  for (const BitField& bit : kRttyBits) rttyUi.setChecked(bit.control, (reg & bit.mask) != 0);
  rttyUi.selectEntry(id::kRttyBaudRate, reg & kBaudMask);
  rttyUi.selectEntry(id::kRttyDiddleIs, (reg2 & kDiddleIsBit) ? 1 : 0);
  rttyUi.selectEntry(id::kRttyStopBits, (reg2 & kStopBitsBit) ? 1 : 0);
  const int usos = reg2 & kUsosMask;
  rttyUi.selectEntry(id::kRttyUsos, usos <= 1 ? usos : -1);
  for (const BitField& bit : kRttyBits) rttyUi.setEnabled(bit.control, true);
  for (const ListField& list : kRttyLists) rttyUi.setEnabled(list.control, true);
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
