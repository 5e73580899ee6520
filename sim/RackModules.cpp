#include "sim/RackModules.h"

#include "sim/ModuleModels.h"

namespace kelvane::sim {
namespace {

ModuleDescription ControllerDescription(const RackDescription& rack) {
    ModuleDescription d;
    d.type = kKXA100;
    d.address = kControllerAddress;
    d.version = rack.controllerVersion;
    d.active = rack.controllerActive;
    return d;
}

}  // namespace

Controller::Controller(const RackDescription& rack) : Module(ControllerDescription(rack)) {
    moduleList_.reserve(3 * rack.modules.size());
    for (const ModuleDescription& m : rack.modules) moduleList_.insert(moduleList_.end(), {m.address, m.type, m.version});
}

Reply Controller::Handle(const Request& request) {
    if (request.Command() == kListCommand && Description().active) return Accept(moduleList_);
    return Module::Handle(request);
}

Reply CommonInterfaceModule::Handle(const Request& request) {
    // The CAM's answers are not modelled: the packet is taken and forgotten, as the program expects no result.
    if (request.Command() == kWriteCommand && Description().active) return Accept();
    return Module::Handle(request);
}

std::unique_ptr<Module> MakeModule(const ModuleDescription& description) {
    // Input and output modules answer the common set until their status and service commands are modelled.
    if (RoleOf(description.type) == ModuleRole::CommonInterface) {
        return std::make_unique<CommonInterfaceModule>(description);
    }
    return std::make_unique<Module>(description);
}

}  // namespace kelvane::sim
