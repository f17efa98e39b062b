#include "engine_adapter.h"

namespace omniset::test {

EngineAdapter::EngineAdapter(FakePorts& ports, int port, platform::LineSettings line,
                             kx220sim::EngineSettings settings, VirtualClock& clock)
    : engine_(std::make_unique<kx220sim::AdapterEngine>(std::move(settings))),
      fake_(&ports.on(port)), clock_(clock), line_(line) {
    fake_->respond = [this](std::string_view written, const platform::LineSettings& s) {
        const auto now = static_cast<kx220sim::Millis>(clock_.tickCount());
        if (!(s == line_)) {
            engine_->lineNoise();
            return std::string();
        }
        auto out = engine_->receive(written, now);
        scheduleTick();
        return out;
    };
}

void EngineAdapter::scheduleTick() {
    const auto due = engine_->deadline();
    if (due == kx220sim::kNever || due == scheduled_) return;
    scheduled_ = due;
    clock_.at(static_cast<std::uint64_t>(due), [this, due] {
        if (scheduled_ == due) scheduled_ = kx220sim::kNever;
        auto out = engine_->tick(due);
        if (!out.empty()) fake_->send(out, clock_.tickCount());
        scheduleTick();
    });
}

} // namespace omniset::test
