// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "sim/sim_config.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "link/keyer_variants.hpp"
#include "settings/settings_image.hpp"

namespace dp3 {

namespace {

const std::array<std::pair<const char*, FaultKind>, 7> kFaults = {{
    {"silence", FaultKind::Silence},
    {"wrong-echo", FaultKind::WrongEcho},
    {"short-dump", FaultKind::ShortDump},
    {"disconnect", FaultKind::Disconnect},
    {"app-echo", FaultKind::AppEcho},
    {"baud-fail", FaultKind::BaudFail},
    {"write-hangup", FaultKind::WriteHangUp},
}};

// A whole decimal or 0x-prefixed hex number in [0, max], else nullopt.
std::optional<long> parseNumber(const std::string& text, long max) {
  if (text.empty()) return std::nullopt;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty() || digits.size() > 9) return std::nullopt;
  long value = 0;
  for (char c : digits) {
    const int d = std::isdigit(static_cast<unsigned char>(c))           ? c - '0'
                  : hex && std::isxdigit(static_cast<unsigned char>(c)) ? std::tolower(c) - 'a' + 10
                                                                        : -1;
    if (d < 0) return std::nullopt;
    value = value * (hex ? 16 : 10) + d;
  }
  if (value > max) return std::nullopt;
  return value;
}

// "no-reply@N" and "refuse:CODE@N".
std::optional<SimFault> parseFrameFault(const std::string& name) {
  const auto at = name.rfind('@');
  if (at == std::string::npos) return std::nullopt;
  const auto frame = parseNumber(name.substr(at + 1), 1'000'000);
  const std::string head = name.substr(0, at);
  if (!frame || (*frame < 1 && head != "bad-store")) return std::nullopt;
  if (head == "no-reply") return SimFault{FaultKind::NoReply, 0, static_cast<int>(*frame)};
  if (head == "bad-store") {
    if (*frame >= static_cast<long>(kImageSize)) return std::nullopt;
    return SimFault{FaultKind::BadStore, 0, static_cast<int>(*frame)};
  }
  if (head.rfind("refuse:", 0) == 0) {
    const auto code = parseNumber(head.substr(7), 255);
    if (!code) return std::nullopt;
    return SimFault{FaultKind::Refuse, static_cast<std::uint8_t>(*code), static_cast<int>(*frame)};
  }
  return std::nullopt;
}

}  // namespace

std::optional<SimFault> parseFault(const std::string& name) {
  for (const auto& [text, kind] : kFaults) {
    if (name == text) return SimFault{kind};
  }
  return parseFrameFault(name);
}

std::string faultNames() {
  std::string names;
  for (const auto& [text, kind] : kFaults) {
    if (!names.empty()) names += ", ";
    names += text;
  }
  return names +
         ", refuse:CODE@N (answer upload frame N with byte CODE, e.g. refuse:0x81@5), "
         "no-reply@N (no answer to upload frame N), bad-store@N (a settings write stores image "
         "byte N wrongly)";
}

std::optional<std::uint8_t> parseVariant(const std::string& name) {
  if (const KeyerVariant* variant = findVariantByName(name)) return variant->code;
  std::string upper = name;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (upper == "NONE") return 0;
  return std::nullopt;
}

std::uint8_t defaultRevision(std::uint8_t variant) {
  const KeyerVariant* row = findVariant(variant);
  return static_cast<std::uint8_t>((row ? row->bandStart : 0) + 12);
}

}  // namespace dp3
