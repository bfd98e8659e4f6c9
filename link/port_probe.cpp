// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/port_probe.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <system_error>
#include <thread>

#include "link/serial_link.hpp"

namespace dp3 {

namespace {

bool isUsbSerial(const SerialDevice& port) {
  return !port.description.empty() || port.path.find("/dev/serial/by-id/") == 0 ||
         port.path.find("ttyUSB") != std::string::npos ||
         port.path.find("ttyACM") != std::string::npos;
}

std::unique_ptr<Link> serialLinkFor(const std::string& path, std::chrono::milliseconds deadline) {
  auto link = std::make_unique<SerialLink>(path);
  link->setTimeouts(deadline, deadline);
  return link;
}

ProbeResult probeOne(const SerialDevice& port, const ProbeOptions& options) {
  ProbeResult result;
  result.port = port;
  result.holders = options.findHolders(port.path);
  if (!result.holders.empty()) {
    result.outcome = ProbeOutcome::Held;
    return result;
  }
  const auto link = options.makeLink ? options.makeLink(port.path, options.deadline)
                                     : serialLinkFor(port.path, options.deadline);
  result.test = testInterface(*link, result.keyer);
  // A bootloader answers the echo with its one byte and then waits; a device
  // that streams that byte is no keyer.
  if (result.test.bootloaderOnly()) {
    std::array<std::uint8_t, 1> more{};
    if (link->commRead(more)) {
      result.test = {.kind = InterfaceTest::Kind::EchoMismatch, .echo = more[0]};
      result.keyer = {};
    }
  }
  link->commClose();
  if (result.test.bootloaderOnly()) {
    result.outcome = ProbeOutcome::BootloaderOnly;
  } else if (!result.test.failed()) {
    result.outcome = ProbeOutcome::Keyer;
  } else if (result.test.kind == InterfaceTest::Kind::NotOpened &&
             result.test.openCode == kCommOpenFailed) {
    result.outcome = ProbeOutcome::NotOpened;
  } else {
    result.outcome = ProbeOutcome::NotKeyer;
  }
  return result;
}

}  // namespace

std::vector<SerialDevice> probeOrder(std::vector<SerialDevice> ports) {
  std::stable_partition(ports.begin(), ports.end(), isUsbSerial);
  return ports;
}

std::vector<ProbeResult> probePorts(std::vector<SerialDevice> ports, const ProbeOptions& options) {
  ports = probeOrder(std::move(ports));
  std::vector<ProbeResult> results(ports.size());
  if (options.oneAtATime) {
    for (std::size_t i = 0; i < ports.size(); ++i) results[i] = probeOne(ports[i], options);
  } else {
    std::vector<std::thread> workers;
    workers.reserve(ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
      // A port the system gives no thread for is probed on this one.
      try {
        workers.emplace_back([&, i] { results[i] = probeOne(ports[i], options); });
      } catch (const std::system_error&) {
        results[i] = probeOne(ports[i], options);
      }
    }
    for (std::thread& worker : workers) worker.join();
  }
  return results;
}

std::size_t keyersFound(const std::vector<ProbeResult>& results) {
  return static_cast<std::size_t>(
      std::count_if(results.begin(), results.end(), [](const ProbeResult& result) {
        return result.outcome == ProbeOutcome::Keyer ||
               result.outcome == ProbeOutcome::BootloaderOnly;
      }));
}

const ProbeResult* foundKeyer(const std::vector<ProbeResult>& results) {
  for (ProbeOutcome wanted : {ProbeOutcome::Keyer, ProbeOutcome::BootloaderOnly}) {
    for (const ProbeResult& result : results) {
      if (result.outcome == wanted) return &result;
    }
  }
  return nullptr;
}

}  // namespace dp3
