#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace dp3 {

// Replaces path with bytes so that the file on disk is either the old one or
// the complete new one: a temporary file beside it, flushed, then renamed.
enum class AtomicWriteStep {
  None,
  Create,  // the temporary file could not be made, or could not replace path
  Write,   // the bytes could not be written or flushed
};
// Returns "" on success, else why it failed (and, in failedStep, where).
std::string writeFileAtomically(const std::filesystem::path& path,
                                std::span<const std::uint8_t> bytes,
                                AtomicWriteStep* failedStep = nullptr);

}  // namespace dp3
