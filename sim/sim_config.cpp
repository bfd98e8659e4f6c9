#include "sim/sim_config.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace dp3 {

namespace {

const std::array<std::pair<const char*, FaultKind>, 4> kFaults = {{
    {"silence", FaultKind::Silence},
    {"wrong-echo", FaultKind::WrongEcho},
    {"short-dump", FaultKind::ShortDump},
    {"disconnect", FaultKind::Disconnect},
}};

}  // namespace

std::optional<SimFault> parseFault(const std::string& name) {
  for (const auto& [text, kind] : kFaults) {
    if (name == text) return SimFault{kind};
  }
  return std::nullopt;
}

std::string faultNames() {
  std::string names;
  for (const auto& [text, kind] : kFaults) {
    if (!names.empty()) names += ", ";
    names += text;
  }
  return names;
}

std::optional<std::uint8_t> parseVariant(const std::string& name) {
  std::string upper = name;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  const std::array<const char*, 5> names = {"NONE", "ORCA", "ROOK", "LARK", "PIKA"};
  for (std::uint8_t i = 0; i < names.size(); ++i) {
    if (upper == names[i]) return i;
  }
  return std::nullopt;
}

}  // namespace dp3
