// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace dp3 {

// Misbehaviour the simulated keyer can be told to show.
enum class FaultKind {
  None,
  Silence,      // never answers anything
  WrongEcho,    // answers the echo test with a wrong byte
  ShortDump,    // sends only part of the 288-byte settings dump
  Disconnect,   // hangs up part way through the settings dump
  Refuse,       // the bootloader answers frame N with an error code
  NoReply,      // the bootloader gives no answer to frame N
  AppEcho,      // the firmware ignores the restart request and keeps answering 0x55
  BaudFail,     // the speed change to 9600 baud fails
  WriteHangUp,  // hangs up as the settings block of a write arrives, storing nothing
  BadStore,     // a settings write stores the byte at image offset N inverted
};

struct SimFault {
  FaultKind kind = FaultKind::None;
  std::uint8_t code = 0;  // Refuse: the reply byte
  int frame = 0;  // Refuse, NoReply: the frame, counted from 1 in an upload; BadStore: the offset
};

// How the simulated keyer presents itself.
struct SimConfig {
  std::uint8_t variant = 3;  // the IC type reply: 1 ORCA, 2 ROOK, 3 LARK, 4 PIKA
  std::uint8_t version = 31;
  std::uint8_t revision = 112;  // carries the variant: 0-49 ORCA ... 150-199 PIKA
  std::uint8_t pot = 14;
  std::uint8_t buttons = 0;
  std::uint8_t supply = 52;     // 26214.4 / 52 / 100 = 5.04 V
  bool bootloaderOnly = false;  // no operating firmware: only the bootloader answers
  SimFault fault;
};

// The fault named on the command line: "silence", "wrong-echo", "short-dump",
// "disconnect", "refuse:CODE@N" (CODE a byte, decimal or 0x hex), "no-reply@N",
// "app-echo", "baud-fail", "write-hangup", "bad-store@N"; nullopt for anything else.
std::optional<SimFault> parseFault(const std::string& name);
// The names parseFault takes, for help texts.
std::string faultNames();

// The revision a simulated keyer of this IC reports by default: 12 into its band.
std::uint8_t defaultRevision(std::uint8_t variant);

// The IC type code of a variant name (any letter case), 0 for "NONE"
// (bootloader only), nullopt otherwise.
std::optional<std::uint8_t> parseVariant(const std::string& name);

}  // namespace dp3
