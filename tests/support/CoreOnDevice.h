#pragma once

// The program's core with its real serial code, talking as COM2 to the
// device a test names (a pseudo-terminal served by the simulated unit).

#include <stdlib.h>

#include <memory>
#include <string>

#include "core/AppCore.h"
#include "link/PosixSerialPort.h"
#include "support/RecordingView.h"

namespace testsupport {

class CoreOnDevice {
 public:
  explicit CoreOnDevice(const std::string& device) {
    ::setenv("VENTRIX_COM2", device.c_str(), 1);
    core = std::make_unique<CAppCore>(view, std::make_unique<CPosixSerialPort>());
    core->textSlots.Apply(0);
    core->OpenPort();
  }
  ~CoreOnDevice() { ::unsetenv("VENTRIX_COM2"); }
  CoreOnDevice(const CoreOnDevice&) = delete;
  CoreOnDevice& operator=(const CoreOnDevice&) = delete;

  // Ticks, with `between` moving the line after each tick, until the run
  // is over or `limit` ticks have passed; the number of ticks it took.
  template <class Between>
  int RunToIdle(Between between, int limit) {
    int ticks = 0;
    do {
      core->Tick();
      between();
      ++ticks;
    } while (core->mode != LinkMode::Idle && ticks < limit);
    return ticks;
  }

  RecordingView view;
  std::unique_ptr<CAppCore> core;
};

}  // namespace testsupport
