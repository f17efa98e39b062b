// program_rig.h - what a test of the program's windows against the simulated adapter holds.
//
//   class MyTests : public ProgramRig         a QtTest class; ProgramRig("name") names the
//                                             store files of its engines
//   makeRig()                                 a virtual clock and fake ports (unless
//                                             withPorts is false), scripted boxes, an exit
//                                             recorder that ends the modal loops, a script
//   freshPorts()                              a new clock and new fake ports (the adapter and
//                                             the old ones go first)
//   adapterOn(port, settings)                 the engine behind COMn, 8N1, with a fresh store
//   dropRig()                                 closes the port and destroys it all, the
//                                             script and the adapter first
#pragma once

#include "core/link/serial_channel.h"
#include "engine_adapter.h"
#include "test_env.h"
#include "ui_script.h"

#include <QObject>
#include <QString>

#include <memory>

namespace omniset::test {

inline const platform::LineSettings k8N1{115200, 8, 0, 0};

class ProgramRig : public QObject {
  protected:
    explicit ProgramRig(QString storeName) : storeName_(std::move(storeName)) {}

    std::unique_ptr<VirtualClock> clock;
    std::unique_ptr<FakePorts> ports;
    std::unique_ptr<ScriptedBoxes> boxes;
    std::unique_ptr<ExitRecorder> exits;
    std::unique_ptr<EngineAdapter> adapter;
    std::unique_ptr<UiScript> script;

    void makeRig(bool withPorts = true) {
        if (withPorts) freshPorts();
        boxes = std::make_unique<ScriptedBoxes>();
        exits = std::make_unique<ExitRecorder>();
        endDialogsOnExit(*exits);
        script = std::make_unique<UiScript>();
    }
    void freshPorts() {
        // The old fakes go first: each restores the real service when it goes.
        adapter.reset();
        ports.reset();
        clock.reset();
        clock = std::make_unique<VirtualClock>();
        ports = std::make_unique<FakePorts>();
    }
    void adapterOn(int port, kx220sim::EngineSettings settings = {}) {
        settings.storePath =
            (scratchRoot() + QStringLiteral("/%1-%2.store").arg(storeName_).arg(++storeNumber_))
                .toStdString();
        adapter = std::make_unique<EngineAdapter>(*ports, port, k8N1, std::move(settings), *clock);
    }
    void dropRig() {
        SerialClose();
        script.reset();
        adapter.reset();
        ports.reset();
        clock.reset();
        exits.reset();
        boxes.reset();
    }

  private:
    QString storeName_;
    int storeNumber_ = 0;
};

} // namespace omniset::test
