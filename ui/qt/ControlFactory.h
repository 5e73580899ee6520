#pragma once

#include "ui/qt/Control.h"

#include <memory>

namespace kelvane::ui::qtback {

// The control a template entry describes, its widget made a child of `parent`.
std::unique_ptr<Control> MakeControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);

}  // namespace kelvane::ui::qtback
