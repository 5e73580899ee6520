#include "tools/common/StopSignals.h"

#include <csignal>

namespace kelvane {
namespace {

volatile std::sig_atomic_t stopRequested = 0;

void AskToStop(int) { stopRequested = 1; }

}  // namespace

StopSignals::StopSignals() {
    stopRequested = 0;
    formerInterrupt_ = std::signal(SIGINT, AskToStop);
    formerTerminate_ = std::signal(SIGTERM, AskToStop);
}

StopSignals::~StopSignals() {
    std::signal(SIGINT, formerInterrupt_ == SIG_ERR ? SIG_DFL : formerInterrupt_);
    std::signal(SIGTERM, formerTerminate_ == SIG_ERR ? SIG_DFL : formerTerminate_);
}

bool StopSignals::Requested() const { return stopRequested != 0; }

}  // namespace kelvane
