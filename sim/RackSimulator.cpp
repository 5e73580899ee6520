#include "sim/RackSimulator.h"

#include "sim/InputModule.h"
#include "sim/LineOutput.h"
#include "sim/Module.h"
#include "sim/ModuleModels.h"
#include "sim/PseudoTerminal.h"
#include "sim/RackEngine.h"
#include "sim/RackModules.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <system_error>
#include <thread>
#include <unistd.h>

namespace kelvane::sim {
namespace {

using Clock = LineOutput::Clock;

constexpr auto kIdlePoll = std::chrono::milliseconds(200);
constexpr auto kDrainPoll = std::chrono::milliseconds(5);
constexpr auto kBlockedPoll = std::chrono::milliseconds(50);
// How long the last reply before a planned close may wait for the program to read it. The pty hands bytes to
// the slave side a little after the master's write returns, so an empty slave queue means "read" only after a
// grace time.
constexpr auto kDrainLimit = std::chrono::seconds(1);
constexpr auto kDrainGrace = std::chrono::milliseconds(50);
constexpr std::uint8_t kBrokenChecksum = 0xFF;

// Lets other threads interrupt the serving thread's poll().
class WakePipe {
public:
    ~WakePipe() { Close(); }

    bool Open() {
        int fds[2];
        if (::pipe(fds) != 0) return false;
        read_ = fds[0];
        write_ = fds[1];
        for (int fd : fds) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        return true;
    }

    void Signal() const {
        const std::uint8_t byte = 1;
        if (write_ < 0) return;
        if (::write(write_, &byte, 1) < 0) {
            // A full pipe already holds a wake-up.
        }
    }

    void Drain() const {
        std::array<std::uint8_t, 64> sink{};
        while (::read(read_, sink.data(), sink.size()) > 0) {
        }
    }

    void Close() {
        if (read_ >= 0) ::close(read_);
        if (write_ >= 0) ::close(write_);
        read_ = write_ = -1;
    }

    int ReadFd() const { return read_; }

private:
    int read_ = -1;
    int write_ = -1;
};

// The wait until `when`, to the nanosecond: a paced byte is written when it reaches the PC, not at the next
// millisecond after.
Clock::duration WaitUntil(Clock::time_point when, Clock::time_point now) {
    if (when <= now) return Clock::duration::zero();
    return std::min<Clock::duration>(when - now, kIdlePoll);
}

timespec AsTimespec(Clock::duration wait) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(wait - seconds);
    return timespec{static_cast<std::time_t>(seconds.count()), static_cast<long>(nanoseconds.count())};
}

// The kernel may round a thread's timed waits up by its timer slack (50 µs by default), more than half a byte
// time at 115200 baud: the serving thread asks for none.
// A paced line also asks to run before ordinary threads, where the system lets it (root, or a real-time limit),
// so that a busy machine delays its bytes less; elsewhere it runs as it is.
void WakeOnTime(bool paced) {
#ifdef __linux__
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    if (paced) {
        const sched_param lowestRealTime{sched_get_priority_min(SCHED_FIFO)};
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &lowestRealTime);
    }
}

}  // namespace

struct RackSimulator::Impl {
    Impl(const RackDescription& rack, const FaultOptions& faults, bool paced)
        : engine(rack), faults(faults), plan(faults), paced(paced), output(paced) {
        rackValid = ValidateRack(rack, rackError);
        ArmMoments();
        for (const ModuleDescription& m : rack.modules) {
            if (RoleOf(m.type) == ModuleRole::CommonInterface) camSlots.push_back(m.address);
        }
    }

    void ArmMoments() {
        hangUpWatch = MomentWatch(faults.hangUpAt);
        rebootWatch = MomentWatch(faults.rebootAt);
        flipper = ByteFlipper(faults.flipEvery);
    }

    bool Start(std::string& error, const std::string& linkPath);
    void Stop();
    void CloseTerminal();
    bool Reopen(std::string& error);

    void Serve();
    bool ServeOnce();
    void WriteDue();
    bool ReadFromPc();
    void Answer(const Exchange& exchange, Clock::time_point now);
    void Reboot(Clock::time_point now);
    bool CloseIsDue();
    short PollEvents() const;
    Clock::duration PollTimeout() const;
    void CloseLocked();

    // Shared with the public operations, under `mutex`.
    mutable std::mutex mutex;
    std::condition_variable terminalClosed;
    RackEngine engine;
    FaultOptions faults;
    FaultPlan plan;
    MomentWatch hangUpWatch;
    MomentWatch rebootWatch;
    ByteFlipper flipper;
    std::vector<std::uint8_t> camSlots;
    std::size_t flipped = 0;
    std::size_t hangUps = 0;
    std::size_t reboots = 0;
    PseudoTerminal terminal;
    bool rackValid = false;
    std::string rackError;
    bool started = false;
    bool serving = false;
    bool stopRequested = false;
    bool closeRequested = false;
    std::size_t repliesSent = 0;
    LineTraffic traffic;
    std::string portPath;
    bool paced;

    WakePipe wake;
    std::thread thread;

    // Owned by the serving thread.
    LineOutput output;
    bool outputBlocked = false;
    bool closing = false;  // the last allowed reply is out; the PC gets a moment to read it
    Clock::time_point closingSince{};
    Clock::time_point rebootingUntil{};  // the rack is silent until then after a firmware restart
    std::string linkPath;
};

bool RackSimulator::Impl::Start(std::string& error, const std::string& linkPath) {
    std::lock_guard lock(mutex);
    if (started) {
        error = "the simulator has already been started";
        return false;
    }
    if (!rackValid) {
        error = rackError;
        return false;
    }
    if (!terminal.Open(error, linkPath)) return false;
    if (!wake.Open()) {
        error = std::string("cannot make a wake-up pipe: ") + std::strerror(errno);
        terminal.Close();
        return false;
    }
    portPath = linkPath.empty() ? terminal.SlavePath() : linkPath;
    this->linkPath = linkPath;
    started = serving = true;
    try {
        thread = std::thread([this] { Serve(); });
    } catch (const std::system_error& failure) {
        error = std::string("cannot start the serving thread: ") + failure.what();
        CloseLocked();
        wake.Close();
        return false;
    }
    return true;
}

bool RackSimulator::Impl::Reopen(std::string& error) {
    {
        std::lock_guard lock(mutex);
        if (!started || stopRequested || serving || linkPath.empty()) {
            error = "only a simulator with a link path whose terminal was closed can be reopened";
            return false;
        }
    }
    if (thread.joinable()) thread.join();
    std::lock_guard lock(mutex);
    if (!terminal.Open(error, linkPath)) return false;
    closeRequested = false;
    closing = false;
    outputBlocked = false;
    output.Clear();
    faults.closeAfterReplies = -1;
    serving = true;
    thread = std::thread([this] { Serve(); });
    return true;
}

void RackSimulator::Impl::Stop() {
    {
        std::lock_guard lock(mutex);
        stopRequested = true;
        wake.Signal();
    }
    if (thread.joinable()) thread.join();
    std::lock_guard lock(mutex);
    CloseLocked();
    wake.Close();
}

void RackSimulator::Impl::CloseTerminal() {
    std::unique_lock lock(mutex);
    if (!serving) {
        CloseLocked();
        return;
    }
    closeRequested = true;
    wake.Signal();
    terminalClosed.wait(lock, [this] { return !serving; });
}

void RackSimulator::Impl::CloseLocked() {
    terminal.Close();
    serving = false;
    terminalClosed.notify_all();
}

void RackSimulator::Impl::Serve() {
    WakeOnTime(paced);
    while (ServeOnce()) {
    }
    std::lock_guard lock(mutex);
    serving = false;
    terminalClosed.notify_all();
}

// One turn of the serving loop; false when serving is over.
bool RackSimulator::Impl::ServeOnce() {
    {
        std::lock_guard lock(mutex);
        if (stopRequested) return false;
        if (closeRequested) {
            CloseLocked();
            return false;
        }
    }
    WriteDue();
    if (CloseIsDue()) {
        std::lock_guard lock(mutex);
        CloseLocked();
        return false;
    }
    std::array<pollfd, 2> fds{pollfd{terminal.MasterFd(), PollEvents(), 0}, pollfd{wake.ReadFd(), POLLIN, 0}};
    const timespec timeout = AsTimespec(PollTimeout());
    const int ready = ::ppoll(fds.data(), fds.size(), &timeout, nullptr);
    if (ready < 0 && errno != EINTR) return false;
    if (ready == 0) terminal.ReleaseAbandonedExclusion();  // while the line is quiet, as after a program died
    if (fds[1].revents & POLLIN) wake.Drain();
    if (fds[0].revents & POLLOUT) outputBlocked = false;
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) return ReadFromPc();
    return true;
}

short RackSimulator::Impl::PollEvents() const {
    short events = closing ? 0 : POLLIN;
    if (outputBlocked) events = static_cast<short>(events | POLLOUT);
    return events;
}

Clock::duration RackSimulator::Impl::PollTimeout() const {
    if (closing) return kDrainPoll;
    if (outputBlocked) return kBlockedPoll;
    return output.Empty() ? Clock::duration(kIdlePoll) : WaitUntil(output.NextDue(), Clock::now());
}

void RackSimulator::Impl::WriteDue() {
    std::array<std::uint8_t, 4096> chunk{};
    while (!outputBlocked) {
        const std::size_t due = output.PeekDue(Clock::now(), chunk);
        if (due == 0) return;
        const ssize_t written = ::write(terminal.MasterFd(), chunk.data(), due);
        if (written <= 0) {
            // A full slave queue (nobody reading) or a passing error: wait until the line can take bytes again.
            outputBlocked = written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR);
            if (!outputBlocked) output.Clear();
            return;
        }
        const Clock::time_point lastDue = output.DueOf(static_cast<std::size_t>(written) - 1);
        const std::size_t replies = output.Consume(static_cast<std::size_t>(written));
        const Clock::duration late = Clock::now() - lastDue;
        std::lock_guard lock(mutex);
        repliesSent += replies;
        if (replies > 0) traffic.repliesLate += std::chrono::duration_cast<std::chrono::nanoseconds>(late);
    }
}

// Takes what the PC wrote; false when the terminal failed, which ends serving.
bool RackSimulator::Impl::ReadFromPc() {
    std::array<std::uint8_t, 1024> bytes{};
    const ssize_t n = ::read(terminal.MasterFd(), bytes.data(), bytes.size());
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return true;
    if (n <= 0) {
        // With the slave held open this cannot happen; if it does, the line is gone and must not be spun on.
        std::lock_guard lock(mutex);
        CloseLocked();
        return false;
    }
    if (closing) return true;
    const Clock::time_point now = Clock::now();
    std::lock_guard lock(mutex);
    traffic.fromPc += static_cast<std::size_t>(n);
    for (ssize_t i = 0; i < n; ++i) {
        const std::uint8_t byte = bytes[static_cast<std::size_t>(i)];
        output.Push({&byte, 1}, now);  // the bus echo
        const std::optional<Exchange> exchange = engine.Receive(byte);
        if (!exchange) continue;
        if (hangUpWatch.Strikes(exchange->request.Command())) {
            // The adapter pulled out: the request reached the rack, its reply never reaches the PC.
            ++hangUps;
            output.Clear();
            CloseLocked();
            return false;
        }
        if (rebootWatch.Strikes(exchange->request.Command())) Reboot(now);
        Answer(*exchange, now);
    }
    return true;
}

// Puts the reply of a finished request on the line, with this run's faults. Called under `mutex`.
void RackSimulator::Impl::Answer(const Exchange& exchange, Clock::time_point now) {
    if (Module::IsRackRestart(exchange.request)) {
        rebootingUntil = now + std::chrono::milliseconds(faults.restartSilenceMs);
    }
    if (!exchange.reply || now < rebootingUntil) return;
    const ReplyFault fault = plan.Next();
    if (fault.drop) return;
    Reply reply = *exchange.reply;
    if (faults.refuseModuleList && exchange.request.destination == kControllerAddress &&
        exchange.request.Command() == kListCommand) {
        reply.accepted = false;
        reply.payload.clear();
    }
    if (fault.refuse) {
        reply.accepted = false;
        reply.payload.clear();
    }
    std::vector<std::uint8_t> frame = EncodeReply(reply, fault.corrupt ? kBrokenChecksum : 0);
    flipped += flipper.Apply(frame);
    output.Push(frame, now + std::chrono::milliseconds(faults.lateMs), true);
    traffic.replyBytes += frame.size();
}

// The rack restarts by itself: silent for the restart time, and every CAM starts afresh. Called under `mutex`.
void RackSimulator::Impl::Reboot(Clock::time_point now) {
    ++reboots;
    rebootingUntil = now + std::chrono::milliseconds(faults.restartSilenceMs);
    for (const std::uint8_t address : camSlots) {
        if (auto* module = dynamic_cast<CommonInterfaceModule*>(engine.Find(address))) module->Cam().Restart();
    }
}

// Whether a planned close (after so many replies) is to happen now.
bool RackSimulator::Impl::CloseIsDue() {
    if (!closing) {
        std::lock_guard lock(mutex);
        const int limit = faults.closeAfterReplies;
        if (limit < 0 || repliesSent < static_cast<std::size_t>(limit)) return false;
        closing = true;
        closingSince = Clock::now();
    }
    // Closing the master discards what the slave still holds, so the last reply is left to be read first.
    const Clock::duration waited = Clock::now() - closingSince;
    return (waited >= kDrainGrace && terminal.PendingForSlave() == 0) || waited >= kDrainLimit;
}

RackSimulator::RackSimulator(RackDescription rack, FaultOptions faults, bool paced)
    : impl_(std::make_unique<Impl>(rack, faults, paced)) {}

RackSimulator::~RackSimulator() { Stop(); }

bool RackSimulator::Start(std::string& error, const std::string& linkPath) { return impl_->Start(error, linkPath); }

void RackSimulator::Stop() { impl_->Stop(); }

std::string RackSimulator::PortPath() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->portPath;
}

void RackSimulator::SetFaults(const FaultOptions& faults) {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->faults = faults;
        impl_->plan = FaultPlan(faults);
        impl_->ArmMoments();
        impl_->wake.Signal();  // a lower close-after limit may already be reached
    }
}

void RackSimulator::SetSilent(bool silent) {
    FaultOptions faults = Faults();
    faults.silent = silent;
    SetFaults(faults);
}

FaultOptions RackSimulator::Faults() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->faults;
}

void RackSimulator::CloseTerminal() { impl_->CloseTerminal(); }

bool RackSimulator::ReopenTerminal(std::string& error) { return impl_->Reopen(error); }

std::uint8_t RackSimulator::VersionOf(std::uint8_t address) const {
    std::lock_guard lock(impl_->mutex);
    const Module* unit = impl_->engine.Find(address);
    return unit ? unit->Description().version : 0;
}

std::vector<std::uint8_t> RackSimulator::FirmwareOf(std::uint8_t address) const {
    std::lock_guard lock(impl_->mutex);
    const Module* unit = impl_->engine.Find(address);
    return unit ? unit->Firmware().Image() : std::vector<std::uint8_t>{};
}

std::size_t RackSimulator::FirmwareBlocks(std::uint8_t address) const {
    std::lock_guard lock(impl_->mutex);
    const Module* unit = impl_->engine.Find(address);
    return unit ? unit->Firmware().BlocksWritten() : 0;
}

bool RackSimulator::TerminalOpen() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->terminal.IsOpen();
}

std::size_t RackSimulator::RequestCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->engine.RequestCount();
}

std::size_t RackSimulator::RejectedFrameCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->engine.RejectedFrameCount();
}

LineTraffic RackSimulator::Traffic() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->traffic;
}

void RackSimulator::SetAdapterLatency(std::chrono::milliseconds latency) {
    std::lock_guard lock(impl_->mutex);
    impl_->output.SetAdapterLatency(latency);
}

std::size_t RackSimulator::RepliesSent() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->repliesSent;
}

std::size_t RackSimulator::RestartCount(std::uint8_t address) const {
    std::lock_guard lock(impl_->mutex);
    const Module* unit = impl_->engine.Find(address);
    return unit ? unit->RestartCount() : 0;
}

std::size_t RackSimulator::ConfigWrites(std::uint8_t address) const {
    std::lock_guard lock(impl_->mutex);
    const Module* unit = impl_->engine.Find(address);
    return unit ? unit->ConfigWrites() : 0;
}

std::vector<std::uint8_t> RackSimulator::ConfigOf(std::uint8_t address) const {
    std::lock_guard lock(impl_->mutex);
    const Module* unit = impl_->engine.Find(address);
    return unit ? unit->Config() : std::vector<std::uint8_t>{};
}

bool RackSimulator::SetCamPresent(std::uint8_t address, bool present) {
    std::lock_guard lock(impl_->mutex);
    auto* module = dynamic_cast<CommonInterfaceModule*>(impl_->engine.Find(address));
    if (module == nullptr) return false;
    module->Cam().SetPresent(present);
    return true;
}

bool RackSimulator::CamPresent(std::uint8_t address) const {
    std::lock_guard lock(impl_->mutex);
    const auto* module = dynamic_cast<const CommonInterfaceModule*>(impl_->engine.Find(address));
    return module != nullptr && module->Cam().Present();
}

bool RackSimulator::SetCamFaults(std::uint8_t address, const CamSlot::Faults& faults) {
    std::lock_guard lock(impl_->mutex);
    auto* module = dynamic_cast<CommonInterfaceModule*>(impl_->engine.Find(address));
    if (module == nullptr) return false;
    module->Cam().SetFaults(faults);
    return true;
}

std::size_t RackSimulator::FlippedBytes() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->flipped;
}

std::size_t RackSimulator::HangUps() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->hangUps;
}

std::size_t RackSimulator::Reboots() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->reboots;
}

bool RackSimulator::PlanLockLoss(std::uint8_t address, int input, int afterPolls, int forPolls) {
    std::lock_guard lock(impl_->mutex);
    auto* module = dynamic_cast<InputModule*>(impl_->engine.Find(address));
    return module != nullptr && module->PlanLockLoss(input, afterPolls, forPolls);
}

std::vector<Request> RackSimulator::RequestLog() const {
    std::lock_guard lock(impl_->mutex);
    const auto& log = impl_->engine.RequestLog();
    return {log.begin(), log.end()};
}

}  // namespace kelvane::sim
