#pragma once

#include <memory>
#include <vector>

#include "winio/core/backend.h"
#include "winio/sim/physical_memory.h"
#include "winio/sim/port_device.h"
#include "winio/sim/port_recorder.h"

namespace zelkora::winio::sim {

// A simulated motherboard: a port bus with device models attached, the
// physical memory regions the board defines, and a recorder of every port
// operation. Ports that no model decodes float: reads give all ones, writes
// are lost.
class SimulatedBoard : public Backend {
  public:
    PortReading readPortChecked(uint16_t port, unsigned size) override;
    bool writePort(uint16_t port, uint32_t value, unsigned size) override;
    bool readPhysical(uint32_t address, std::span<uint8_t> out) override;

    // The first model attached wins a port that two models decode.
    template <typename Model>
    Model& attach(std::unique_ptr<Model> model) {
        Model& reference = *model;
        devices_.push_back(std::move(model));
        return reference;
    }

    // The first attached model of a type, or null.
    template <typename Model>
    Model* find() const {
        for (const auto& device : devices_) {
            if (auto* model = dynamic_cast<Model*>(device.get())) return model;
        }
        return nullptr;
    }

    PhysicalMemory& memory() { return memory_; }
    PortRecorder& recorder() { return recorder_; }

  private:
    PortDevice* deviceFor(uint16_t port) const;

    std::vector<std::unique_ptr<PortDevice>> devices_;
    PhysicalMemory memory_;
    PortRecorder recorder_;
};

}  // namespace zelkora::winio::sim
