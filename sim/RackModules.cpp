#include "sim/RackModules.h"

#include "sim/InputModule.h"
#include "sim/ModuleModels.h"
#include "sim/OutputModule.h"

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
    for (const ModuleDescription& m : rack.modules)
        moduleList_.insert(moduleList_.end(), {m.address, m.type, m.version});
}

std::optional<Reply> Controller::HandleOwn(const Request& request) {
    if (request.Command() == kListCommand) return Accept(moduleList_);
    return std::nullopt;
}

std::optional<Reply> CommonInterfaceModule::HandleOwn(const Request& request) {
    switch (request.Command()) {
    case kStatusCommand: return Accept({cam_.Status()});
    case kListCommand: return Accept(cam_.Read());
    case kWriteCommand: cam_.Write(request.payload); return Accept();
    default: return std::nullopt;
    }
}

std::unique_ptr<Module> MakeModule(const ModuleDescription& description) {
    if (RoleOf(description.type) == ModuleRole::CommonInterface) {
        return std::make_unique<CommonInterfaceModule>(description);
    }
    if (RoleOf(description.type) == ModuleRole::Input) return std::make_unique<InputModule>(description);
    if (RoleOf(description.type) == ModuleRole::Output) return std::make_unique<OutputModule>(description);
    return std::make_unique<Module>(description);
}

}  // namespace kelvane::sim
