#include "ui/qt/Activity.h"

namespace kelvane::ui::qtback {
namespace {

int programDepth = 0;
int dispatchDepth = 0;
int waitDepth = 0;

}  // namespace

ProgramScope::ProgramScope() { ++programDepth; }
ProgramScope::~ProgramScope() { --programDepth; }
bool ProgramAtWork() { return programDepth > 0; }

DispatchScope::DispatchScope() { ++dispatchDepth; }
DispatchScope::~DispatchScope() { --dispatchDepth; }
bool Dispatching() { return dispatchDepth > 0; }

WaitScope::WaitScope() { ++waitDepth; }
WaitScope::~WaitScope() { --waitDepth; }
bool Waiting() { return waitDepth > 0; }

}  // namespace kelvane::ui::qtback
