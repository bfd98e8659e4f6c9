#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace dp3 {

// Replaces path with bytes so that the file on disk is either the old one or
// the complete new one: a temporary file beside it, flushed, then renamed.
// Returns "" on success, else why it failed.
std::string writeFileAtomically(const std::filesystem::path& path,
                                std::span<const std::uint8_t> bytes);

}  // namespace dp3
