// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "cli/cli.hpp"

#include <iostream>

#include "link/port_check.hpp"
#include "link/serial_link.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3::cli {

ProgramConfig& Context::config() {
  if (!configLoaded_) {
    config_.configFilePath = defaultConfigFilePath(executablePath());
    if (const ConfigResult loaded = loadProgramConfig(config_); !loaded.ok()) {
      std::cerr << configResultText(loaded, config_) << '\n';
      if (const std::string detail = configResultDetail(loaded); !detail.empty()) {
        std::cerr << detail << '\n';
      }
    }
    configLoaded_ = true;
  }
  return config_;
}

std::string Context::portPath() {
  return portOption.empty() ? config().portPath : portOption;
}

void Context::deferStop() {
  if (!stop_) stop_ = std::make_unique<DeferredStop>();
}

std::unique_ptr<Link> Context::openLink() {
  deferStop();
  const std::string port = portPath();
  return traced(std::make_unique<SerialLink>(port), port);
}

bool Context::startTrace() {
  if (traceFile.empty()) return true;
  OpenedTrace opened = openTrace(traceFile);
  if (!opened.result.ok()) {
    std::cerr << "dp3: " << traceFailureText(opened.result) << '\n';
    return false;
  }
  trace_ = std::move(opened.sink);
  return true;
}

std::unique_ptr<Link> Context::traced(std::unique_ptr<Link> link, const std::string& port) {
  if (!trace_) return link;
  trace_->comment("port " + port);
  return std::make_unique<TraceLink>(std::move(link), trace_);
}

void printInterfaceTest(const InterfaceTest& test) {
  std::cout << interfaceStatusText(test) << '\n';
  if (const std::string ic = icLineText(test); !ic.empty()) std::cout << ic << '\n';
}

void printOpenHint(const InterfaceTest& test, const std::string& port) {
  if (test.kind != InterfaceTest::Kind::NotOpened || test.openReason.empty()) return;
  const PortAdvice advice = explainOpenFailure(gatherPortFacts(port), test.openReason);
  std::cerr << "dp3: " << advice.reason << '\n';
  if (port.empty()) {
    std::cerr << "dp3: choose it with 'dp3 port DEVICE' (find it with 'dp3 ports --probe'), "
                 "or give --port DEVICE\n";
  } else if (!advice.fix.empty()) {
    std::cerr << advice.fix << '\n';
  }
}

}  // namespace dp3::cli
