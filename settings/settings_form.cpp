#include "settings/settings_form.hpp"

#include "settings/mode_controls.hpp"
#include "settings/settings_fields.hpp"
#include "surface/control_ids.hpp"

namespace dp3 {

namespace {

inline constexpr unsigned kSidetoneClock = 62500;
inline constexpr std::string_view kErrorCaption = "Error";

bool accepted(const NumberField& field, unsigned value) {
  if (field.kind == NumberKind::SidetoneFreq &&
      value == kSidetoneClock / (kSidetoneClock / field.max)) {
    // 4000 Hz stores divisor 15, which shows as 4166: the form takes back what it shows.
    return true;
  }
  return (value >= field.min && value <= field.max) || (field.zeroAllowed && value == 0);
}

std::string_view message(const NumberField& field, int user) {
  return user == 2 ? field.messageUser2 : field.messageUser1;
}

const NumberField& numberField(NumberKind kind) {
  for (const NumberField& field : kNumberFields) {
    if (field.kind == kind) return field;
  }
  return kNumberFields.front();
}

// The message, then the box it is about, ready to be typed over.
bool refuse(ControlSurface& ui, std::string_view text, int control) {
  ui.showMessage(text, kErrorCaption);
  ui.focusControl(control);
  return false;
}

// MaxWpm and MinWpm are read together; both bytes are stored only when all
// three steps pass.
bool storePotRange(ControlSurface& ui, SettingsImage& image, int user, const NumberField& max) {
  const NumberField& min = numberField(NumberKind::PotMin);
  const unsigned u = readNumber(ui, max.control);
  const unsigned v = readNumber(ui, min.control);
  if (v >= u) return refuse(ui, kPotOrderMessage, max.control);
  if (!accepted(min, v)) return refuse(ui, message(min, user), min.control);
  if (!accepted(max, u)) return refuse(ui, message(max, user), max.control);
  const std::size_t base = userSettingsOffset(user);
  image[base + user_field::kMinWpm] = static_cast<std::uint8_t>(v);
  image[base + user_field::kWpmRange] = static_cast<std::uint8_t>(u - v);
  return true;
}

}  // namespace

std::optional<unsigned> numberValue(const NumberField& field, const SettingsImage& image,
                                    int user) {
  const std::size_t base = userSettingsOffset(user);
  const std::size_t at = fieldOffset(field.area, field.offset, user);
  switch (field.kind) {
    case NumberKind::Byte:
    case NumberKind::PotMin:
      return image[at];
    case NumberKind::LowBits:
      return image[at] & 0x1Fu;
    case NumberKind::SidetoneFreq:
      if (image[at] == 0) return std::nullopt;
      return kSidetoneClock / image[at];
    case NumberKind::SerialNumber:
      return image[at] * 256u + image[at + 1] + 1u;
    case NumberKind::PotMax:
      return unsigned{image[base + user_field::kMinWpm]} + image[base + user_field::kWpmRange];
  }
  return std::nullopt;
}

void showUserSettings(ControlSurface& ui, const SettingsImage& image, int user) {
  for (const NumberField& field : kNumberFields) {
    if (const auto value = numberValue(field, image, user)) setNumber(ui, field.control, *value);
  }
  for (const ListField& list : kModeLists) ui.selectEntry(list.control, list.entryOf(image, user));
  for (const BitField& bit : kModeBits) {
    ui.setChecked(bit.control, bitIsSet(bit, image, user));
  }
  ui.setVisible(id::kCallsignUser1, user != 2);
  ui.setVisible(id::kCallsignUser2, user == 2);
}

bool storeUserSettings(ControlSurface& ui, SettingsImage& image, int user) {
  for (const NumberField& field : kNumberFields) {
    const std::size_t at = fieldOffset(field.area, field.offset, user);
    if (field.kind == NumberKind::PotMin) continue;  // stored with PotMax
    if (field.kind == NumberKind::PotMax) {
      if (!storePotRange(ui, image, user, field)) return false;
      continue;
    }
    const unsigned value = readNumber(ui, field.control);
    if (!accepted(field, value)) return refuse(ui, message(field, user), field.control);
    switch (field.kind) {
      case NumberKind::Byte:
        image[at] = static_cast<std::uint8_t>(value);
        break;
      case NumberKind::LowBits:
        image[at] = static_cast<std::uint8_t>((image[at] & ~0x1Fu) | value);
        break;
      case NumberKind::SidetoneFreq:
        image[at] = static_cast<std::uint8_t>(kSidetoneClock / value);
        break;
      case NumberKind::SerialNumber:
        image[at] = static_cast<std::uint8_t>((value - 1) / 256);
        image[at + 1] = static_cast<std::uint8_t>((value - 1) % 256);
        break;
      case NumberKind::PotMax:
      case NumberKind::PotMin:
        break;
    }
  }
  return true;
}

}  // namespace dp3
