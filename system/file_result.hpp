// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <filesystem>
#include <string>

namespace dp3 {

// How reading or writing a file ended. A failure says what failed, on which
// path, and the system's reason where there is one; the operator's texts are
// made from it one layer up (window_logic/result_texts), never here.
struct FileResult {
  enum class Kind {
    Done,
    Refused,     // the name, or what it names, may not be written; nothing was touched
    Missing,     // nothing by that name
    NotRegular,  // a folder, device or FIFO where a file was to be read
    TooLarge,    // more bytes than the reader takes
    Invalid,     // read whole, but not what such a file holds
    Create,      // the new file could not be made, or could not take the old one's place
    Write,       // its bytes could not be written or flushed
    Read,        // its bytes could not be read
    NoPlace,     // the system names no folder for it
  };
  Kind kind = Kind::Done;
  // The file read or written (after a save, the one the name stood for); for
  // a failure, the name it failed on (empty when none was given).
  std::filesystem::path path = {};
  std::string reason = {};  // the system's word, without the path; empty when done

  bool ok() const { return kind == Kind::Done; }
};

}  // namespace dp3
