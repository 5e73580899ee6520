#pragma once

#include <string>

namespace kelvane::sim {

// The rack's end of a pseudo-terminal: the master side, where the simulator reads what the PC writes, and a
// handle of its own on the slave side. Holding the slave keeps the terminal alive while the program closes and
// reopens the port (otherwise the master would see a hang-up each time). Optionally a symbolic link at a chosen
// path names the slave; it is removed on Close if it still points there.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal() { Close(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens a new terminal in raw mode (no echo, no translation). An existing symbolic link at `linkPath` is
    // replaced; any other file there is an error.
    bool Open(std::string& error, const std::string& linkPath = "");

    // Closes both sides, so the program's handle on the slave hangs up, and removes the link.
    void Close();

    bool IsOpen() const { return master_ >= 0; }
    int MasterFd() const { return master_; }

    // A program killed while it held the port leaves the terminal exclusive (TIOCEXCL), which a real serial
    // device forgets at its last close but a pseudo-terminal whose slave the simulator holds keeps for good.
    // Clears it when no other process has the terminal open any more.
    void ReleaseAbandonedExclusion() const;

    // Bytes written to the master that no reader of the slave has taken yet; 0 when closed or unknown.
    int PendingForSlave() const;

    const std::string& SlavePath() const { return slavePath_; }
    const std::string& LinkPath() const { return linkPath_; }

private:
    bool OpenMaster(std::string& error);
    bool OpenSlave(std::string& error);
    bool MakeLink(const std::string& linkPath, std::string& error);
    void RemoveLink();

    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};

}  // namespace kelvane::sim
