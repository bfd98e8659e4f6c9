// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "system/atomic_file.hpp"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <system_error>

namespace dp3 {

namespace fs = std::filesystem;

namespace {

std::string systemText(DWORD error) {
  std::string text = std::system_category().message(static_cast<int>(error));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) {
    text.pop_back();
  }
  return text;
}

bool missing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_INVALID_NAME;
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool close() {
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

// Opens what path names, through links, to look at it only.
HANDLE openToLook(const fs::path& path) {
  return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

std::string kindOf(HANDLE handle, const BY_HANDLE_FILE_INFORMATION& info) {
  if (GetFileType(handle) != FILE_TYPE_DISK) return "a device";
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return "a folder";
  return {};
}

}  // namespace

FileResult checkSaveTarget(const fs::path& path, fs::path* resolved) {
  const std::string name = path.string();
  const auto refuse = [&path](std::string reason) {
    return FileResult{FileResult::Kind::Refused, path, std::move(reason)};
  };
  if (name.empty()) return refuse("no file name given");
  if (name.back() == '/' || name.back() == '\\') return refuse("names a folder, not a file");
  if (resolved) *resolved = path;
  const DWORD attributes = GetFileAttributesW(path.c_str());  // the name itself, not followed
  if (attributes == INVALID_FILE_ATTRIBUTES && missing(GetLastError())) return {};  // a new file
  const bool link =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  Handle handle(openToLook(path));
  if (!handle.valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_CANT_RESOLVE_FILENAME) return refuse("is a loop of links");
    if (link && missing(error)) return refuse("is a link that points nowhere");
    return refuse(systemText(error));
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileType(handle.get()) != FILE_TYPE_DISK ||
                     GetFileInformationByHandle(handle.get(), &info);
  if (!known) return refuse(systemText(GetLastError()));
  if (const std::string kind = kindOf(handle.get(), info); !kind.empty())
    return refuse("is " + kind + ", not a settings file");
  if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) return refuse("is read-only");
  if (link && resolved) {
    std::wstring target(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle.get(), target.data(),
                                             static_cast<DWORD>(target.size()), 0);
    if (length >= target.size()) {
      target.resize(length);
      length = GetFinalPathNameByHandleW(handle.get(), target.data(),
                                         static_cast<DWORD>(target.size()), 0);
    }
    if (length == 0 || length >= target.size()) return refuse(systemText(GetLastError()));
    target.resize(length);
    *resolved = target;
  }
  return {};
}

namespace {

// A complete copy of the new bytes beside the file they are for, flushed to
// disk; path is empty when none could be made.
struct TempFile {
  fs::path path;
  DWORD error = 0;
  FileResult::Kind failed = FileResult::Kind::Write;
};

TempFile writeTemp(const fs::path& dir, const std::wstring& name,
                   std::span<const std::uint8_t> bytes) {
  TempFile temp;
  HANDLE made = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < 100 && made == INVALID_HANDLE_VALUE; ++attempt) {
    temp.path = dir / (L"." + name + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                       std::to_wstring(GetCurrentThreadId()) + L"-" + std::to_wstring(attempt));
    made = CreateFileW(temp.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (made == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (made == INVALID_HANDLE_VALUE) return {{}, GetLastError(), FileResult::Kind::Create};
  Handle file(made);
  DWORD error = 0;
  std::size_t done = 0;
  while (done < bytes.size() && !error) {
    DWORD wrote = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
    if (!WriteFile(file.get(), bytes.data() + done, piece, &wrote, nullptr) || wrote == 0) {
      error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    }
    done += wrote;
  }
  if (!error && !FlushFileBuffers(file.get())) error = GetLastError();
  if (!file.close() && !error) error = GetLastError();
  if (error) {
    DeleteFileW(temp.path.c_str());
    return {{}, error, FileResult::Kind::Write};
  }
  return temp;
}

}  // namespace

FileResult writeFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes) {
  fs::path target;
  if (FileResult refused = checkSaveTarget(path, &target); !refused.ok()) return refused;
  const bool replacing = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(L".");
  const TempFile temp = writeTemp(dir, target.filename().wstring(), bytes);
  if (temp.path.empty()) return {temp.failed, path, systemText(temp.error)};
  // ReplaceFileW keeps the old file's attributes and access rules on the new one.
  const bool replaced =
      (replacing && ReplaceFileW(target.c_str(), temp.path.c_str(), nullptr,
                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) ||
      MoveFileExW(temp.path.c_str(), target.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!replaced) {
    const DWORD error = GetLastError();
    DeleteFileW(temp.path.c_str());
    return {FileResult::Kind::Create, path, systemText(error)};
  }
  return {FileResult::Kind::Done, path};
}

FileResult writeNewFile(const fs::path& folder, std::span<const std::uint8_t> bytes,
                        const std::function<std::string(unsigned attempt)>& nameOf,
                        unsigned attempts) {
  const auto named = [&folder, &nameOf](unsigned attempt) {
    const std::string name = nameOf(attempt);
    return folder / fs::path(std::u8string(name.begin(), name.end()));
  };
  fs::path target = named(0);
  const TempFile temp = writeTemp(folder, target.filename().wstring(), bytes);
  if (temp.path.empty()) return {temp.failed, target, systemText(temp.error)};
  for (unsigned attempt = 0; attempt < attempts; ++attempt) {
    if (attempt > 0) target = named(attempt);
    // Without MOVEFILE_REPLACE_EXISTING the move fails on a name that is taken.
    if (MoveFileExW(temp.path.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
      return {FileResult::Kind::Done, target};
    }
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
      DeleteFileW(temp.path.c_str());
      return {FileResult::Kind::Create, target, systemText(error)};
    }
  }
  DeleteFileW(temp.path.c_str());
  return {FileResult::Kind::Create, target, "every name tried is taken"};
}

SmallFile readSmallFile(const fs::path& path, std::size_t maxBytes) {
  SmallFile file;
  const auto fail = [&file, &path](FileResult::Kind kind, std::string reason) {
    file.result = {kind, path, std::move(reason)};
    file.bytes.clear();
    return file;
  };
  if (path.empty()) return fail(FileResult::Kind::Missing, "no file name given");
  Handle handle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.valid()) {
    const DWORD error = GetLastError();
    return fail(missing(error) ? FileResult::Kind::Missing : FileResult::Kind::Read,
                systemText(error));
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool disk = GetFileType(handle.get()) == FILE_TYPE_DISK;
  if (disk && !GetFileInformationByHandle(handle.get(), &info))
    return fail(FileResult::Kind::Read, systemText(GetLastError()));
  if (const std::string kind = kindOf(handle.get(), info); !kind.empty())
    return fail(FileResult::Kind::NotRegular, "is " + kind + ", not a file");
  const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  const std::string tooLarge = "larger than " + std::to_string(maxBytes) + " bytes";
  if (size > maxBytes) return fail(FileResult::Kind::TooLarge, tooLarge);
  file.bytes.resize(maxBytes + 1);
  std::size_t got = 0;
  while (got < file.bytes.size()) {
    DWORD n = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(file.bytes.size() - got, 1 << 20));
    if (!ReadFile(handle.get(), file.bytes.data() + got, piece, &n, nullptr))
      return fail(FileResult::Kind::Read, systemText(GetLastError()));
    if (n == 0) break;
    got += n;
  }
  if (got > maxBytes) return fail(FileResult::Kind::TooLarge, tooLarge);
  file.bytes.resize(got);
  file.result = {FileResult::Kind::Done, path};
  return file;
}

}  // namespace dp3
