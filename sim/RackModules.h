#pragma once

#include "sim/CamSlot.h"
#include "sim/Module.h"

#include <memory>

namespace kelvane::sim {

// The rack controller at address 0: it also lists the modules of the rack.
class Controller final : public Module {
public:
    explicit Controller(const RackDescription& rack);

private:
    std::optional<Reply> HandleOwn(const Request& request) override;

    std::vector<std::uint8_t> moduleList_;  // {address, type, version} per module, in slot order
};

// A KXF600: what the PC writes to it is common-interface traffic for its CAM, not a configuration. It reports
// the CAM's status (0x40) and hands over what the CAM sent (0x60).
class CommonInterfaceModule final : public Module {
public:
    using Module::Module;

    CamSlot& Cam() { return cam_; }
    const CamSlot& Cam() const { return cam_; }

private:
    std::optional<Reply> HandleOwn(const Request& request) override;

    CamSlot cam_;
};

// The unit that answers for `description`, by its model family.
std::unique_ptr<Module> MakeModule(const ModuleDescription& description);

}  // namespace kelvane::sim
