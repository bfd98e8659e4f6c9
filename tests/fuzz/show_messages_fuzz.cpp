// Arbitrary message pages: every text shown stays within its box, holds only
// characters the keyer can send, and reads back the same once the editor has
// packed it again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/messages.hpp"
#include "settings/morse_code.hpp"
#include "settings/settings_fields.hpp"
#include "surface/map_surface.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dp3;
  SettingsImage image{};
  std::copy_n(data, std::min(size, kMessagePageSize), image.begin() + kMessagePageOffset);

  MapSurface ui;
  showMessages(ui, image);
  for (const TextField& field : kTextFields) {
    const std::string text = ui.text(field.control);
    if (text.size() > kTextBoxLimit) std::abort();
    for (char c : text) {
      if (morseCode(static_cast<unsigned char>(c)) == kNoMorseCode) std::abort();
    }
  }

  SettingsImage packed = image;
  if (!storeMessages(ui, packed)) {
    if (packed != image) std::abort();  // a refusal changes nothing
    if (countMessageBytes(ui) <= kMessageBudget) std::abort();
    return 0;
  }
  MapSurface again;
  showMessages(again, packed);
  for (const TextField& field : kTextFields) {
    if (again.text(field.control) != ui.text(field.control)) std::abort();
  }
  return 0;
}
