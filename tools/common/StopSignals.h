#pragma once

namespace kelvane {

// While it lives, SIGINT and SIGTERM only ask the program to stop: a long-running command looks at Requested()
// between its steps and ends cleanly, with its files whole. The former handlers come back afterwards.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool Requested() const;

private:
    void (*formerInterrupt_)(int);
    void (*formerTerminate_)(int);
};

}  // namespace kelvane
