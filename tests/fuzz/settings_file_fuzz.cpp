// Settings file bytes from anywhere: decoded, shown in the form and the message
// editor, and stored back, without leaving the image or crashing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "settings/messages.hpp"
#include "settings/mode_controls.hpp"
#include "settings/rtty.hpp"
#include "settings/settings_file.hpp"
#include "settings/settings_form.hpp"
#include "surface/map_surface.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace dp3;
  SettingsImage image{};
  image.fill(0xA5);
  const SettingsImage before = image;
  const std::span<const std::uint8_t> bytes(data, size);
  if (!decodeSettingsFile(bytes, image)) {
    if (image != before) std::abort();  // a refused file leaves the image alone
    return 0;
  }
  if (size == kImageSize && !std::equal(image.begin(), image.end(), data)) std::abort();

  for (int user : {1, 2}) {
    MapSurface ui;
    fillModeLists(ui);
    showUserSettings(ui, image, user);
    showMessages(ui, image);
    SettingsImage scratch = image;
    if (storeUserSettings(ui, scratch, user)) {
      // The form takes back what it showed, byte for byte.
      if (scratch != image) std::abort();
      SettingsImage packed = scratch;
      if (storeMessages(ui, packed)) {
        for (std::size_t i = 0; i < kImageSize; ++i) {
          const bool inPage = i >= kMessagePageOffset && i < kExtensionOffset;
          if (!inPage && packed[i] != scratch[i]) std::abort();
        }
      }
    }
    MapSurface rtty;
    openRttyWindow(rtty, image, user);
    acceptRttyWindow(rtty, scratch, user);
  }
  return 0;
}
