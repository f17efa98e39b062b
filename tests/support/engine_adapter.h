// engine_adapter.h - the simulated adapter's engine on an in-process fake port.
//
//   EngineAdapter(ports, port, line, settings)   puts a kx220-sim engine behind COMn of the
//                       fake ports; it answers only while the port's line settings equal
//                       line, on the program's (virtual) clock, with delayed replies
//                       scheduled on the VirtualClock
//   engine()            the engine, to look at its store or firmware
#pragma once

#include "adapter_engine.h"
#include "testkit.h"

#include <memory>

namespace omniset::test {

class EngineAdapter {
  public:
    EngineAdapter(FakePorts& ports, int port, platform::LineSettings line,
                  kx220sim::EngineSettings settings, VirtualClock& clock);
    kx220sim::AdapterEngine& engine() { return *engine_; }
    FakeAdapter& fake() { return *fake_; }

  private:
    void scheduleTick();

    std::unique_ptr<kx220sim::AdapterEngine> engine_;
    FakeAdapter* fake_;
    VirtualClock& clock_;
    platform::LineSettings line_;
    kx220sim::Millis scheduled_ = kx220sim::kNever;
};

} // namespace omniset::test
