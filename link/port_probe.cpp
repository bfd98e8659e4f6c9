#include "link/port_probe.hpp"

#include <algorithm>
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
      workers.emplace_back([&, i] { results[i] = probeOne(ports[i], options); });
    }
    for (std::thread& worker : workers) worker.join();
  }
  return results;
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
