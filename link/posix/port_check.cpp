// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/port_check.hpp"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace dp3 {

namespace fs = std::filesystem;

namespace {

std::string firstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

bool isNumber(const std::string& name) {
  return !name.empty() &&
         std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The pseudo-terminal index a master descriptor serves, -1 for anything else.
int servedTerminal(const fs::path& fdInfo) {
  std::ifstream in(fdInfo);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("tty-index:", 0) == 0) {
      try {
        return std::stoi(line.substr(10));
      } catch (...) {
        return -1;
      }
    }
  }
  return -1;
}

// The index N of /dev/pts/N, -1 for any other device.
int terminalIndex(const std::string& path) {
  std::error_code error;
  const fs::path real = fs::canonical(path, error);
  if (error || real.parent_path() != "/dev/pts") return -1;
  const std::string name = real.filename().string();
  return isNumber(name) ? std::stoi(name) : -1;
}

bool programRunning(const std::string& name) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    if (!isNumber(entry.path().filename().string())) continue;
    if (firstLine(entry.path() / "comm") == name) return true;
  }
  return false;
}

}  // namespace

std::vector<PortHolder> portHolders(const std::string& path) {
  std::vector<PortHolder> holders;
  struct stat target {};
  if (path.empty() || ::stat(path.c_str(), &target) != 0 || !S_ISCHR(target.st_mode)) {
    return holders;
  }
  const int terminal = terminalIndex(path);
  const std::string self = std::to_string(::getpid());
  std::error_code error;
  for (const auto& process : fs::directory_iterator("/proc", error)) {
    const std::string pid = process.path().filename().string();
    if (!isNumber(pid) || pid == self) continue;
    bool holds = false;
    bool serves = false;
    std::error_code fdError;
    for (const auto& fd : fs::directory_iterator(process.path() / "fd", fdError)) {
      struct stat st {};
      if (::stat(fd.path().c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) continue;
      if (st.st_rdev == target.st_rdev) holds = true;
      if (terminal >= 0 &&
          servedTerminal(process.path() / "fdinfo" / fd.path().filename()) == terminal) {
        serves = true;
      }
    }
    if (holds && !serves) holders.push_back({std::stoi(pid), firstLine(process.path() / "comm")});
  }
  std::sort(holders.begin(), holders.end(),
            [](const PortHolder& a, const PortHolder& b) { return a.pid < b.pid; });
  return holders;
}

PortFacts gatherPortFacts(const std::string& path) {
  PortFacts facts;
  facts.path = path;
  if (const passwd* user = ::getpwuid(::geteuid())) facts.user = user->pw_name;
  std::error_code error;
  for (const char* program : {"/usr/bin/brltty", "/usr/sbin/brltty", "/bin/brltty"}) {
    facts.brlttyInstalled = facts.brlttyInstalled || fs::exists(program, error);
  }
  facts.modemManagerRunning = programRunning("ModemManager");
  if (path.empty()) return facts;

  const std::string real = fs::canonical(path, error).filename().string();
  facts.usbSerial = path.find("/dev/serial/by-id/") == 0 || real.rfind("ttyUSB", 0) == 0 ||
                    real.rfind("ttyACM", 0) == 0 || path.find("ttyUSB") != std::string::npos ||
                    path.find("ttyACM") != std::string::npos;

  struct stat st {};
  facts.exists = ::stat(path.c_str(), &st) == 0;
  if (!facts.exists) return facts;
  facts.permitted = ::access(path.c_str(), R_OK | W_OK) == 0 || errno != EACCES;
  facts.holders = portHolders(path);
  facts.groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  if (const passwd* owner = ::getpwuid(st.st_uid)) facts.deviceOwner = owner->pw_name;
  if (const group* owner = ::getgrgid(st.st_gid)) {
    facts.deviceGroup = owner->gr_name;
    bool listed = false;
    for (char** member = owner->gr_mem; member && *member; ++member) {
      listed = listed || facts.user == *member;
    }
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
    groups.resize(static_cast<std::size_t>(std::max(count, 0)));
    const bool inThisLogin = ::getegid() == st.st_gid ||
                             std::find(groups.begin(), groups.end(), st.st_gid) != groups.end();
    facts.groupOnlyInNewerLogin = listed && !inThisLogin;
  }
  return facts;
}

}  // namespace dp3
