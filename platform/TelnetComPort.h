#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kelvane {

// The client side of a Telnet connection with the COM-PORT-OPTION (RFC 2217), as bytes only: no socket and no
// clock, so that every byte a server may send can be fed to it directly. At connection it asks the server to
// set the far line to 115200 8N1 without flow control and checks each answer; rack bytes are escaped on the way
// out (IAC doubled) and freed of Telnet commands on the way in. Options other than the COM port, binary
// transmission and suppress-go-ahead are refused once each (DONT/WONT).
class TelnetComPort {
public:
    enum class State {
        Negotiating,  // the line settings are not all confirmed yet
        Ready,  // the server set the line as asked
        Refused,  // the server refused the COM port option or set the line otherwise: see Reason()
    };

    static constexpr std::uint8_t kIac = 0xFF;
    static constexpr std::uint8_t kDont = 0xFE;
    static constexpr std::uint8_t kDo = 0xFD;
    static constexpr std::uint8_t kWont = 0xFC;
    static constexpr std::uint8_t kWill = 0xFB;
    static constexpr std::uint8_t kSb = 0xFA;
    static constexpr std::uint8_t kSe = 0xF0;
    static constexpr std::uint8_t kBinaryOption = 0;
    static constexpr std::uint8_t kSuppressGoAheadOption = 3;
    static constexpr std::uint8_t kComPortOption = 44;
    // Client commands of the COM port option; the server answers each with the same number plus 100.
    static constexpr std::uint8_t kSetBaudRate = 1;
    static constexpr std::uint8_t kSetDataSize = 2;
    static constexpr std::uint8_t kSetParity = 3;
    static constexpr std::uint8_t kSetStopSize = 4;
    static constexpr std::uint8_t kSetControl = 5;
    static constexpr std::uint8_t kServerOffset = 100;
    static constexpr std::uint32_t kBaudRate = 115200;
    static constexpr std::uint8_t kDataBits = 8;
    static constexpr std::uint8_t kNoParity = 1;
    static constexpr std::uint8_t kOneStopBit = 1;
    static constexpr std::uint8_t kNoFlowControl = 1;

    // The longest subnegotiation kept; a longer one is read to its end and ignored.
    static constexpr std::size_t kMaxSubnegotiation = 64;

    // What the client sends as soon as the connection stands: its offers and the five line settings.
    std::vector<std::uint8_t> Greeting();

    // Takes bytes from the server. Rack bytes go to the front of `data` (never more than `from` holds, so a
    // buffer as long as `from` always suffices; bytes beyond `data` are dropped); returns how many.
    std::size_t Receive(std::span<const std::uint8_t> from, std::span<std::uint8_t> data);

    // Appends the rack bytes `data` to `out` as they go on the connection.
    void Escape(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out) const;

    // The answers Receive decided to send (negotiation replies); empties the queue.
    std::vector<std::uint8_t> TakeReplies();

    State GetState() const { return state_; }
    const std::string& Reason() const { return reason_; }

private:
    enum class Input { Data, Iac, Command, Sub, SubIac, DataCr };
    struct OptionState {
        bool enabled = false;  // the option is in force on that side
        bool asked = false;  // we asked for it and wait for the answer
        bool refused = false;  // we said no once already; a repeated request is not answered again
    };

    static bool WeAccept(std::uint8_t option);
    static bool HeMayUse(std::uint8_t option);
    void Command(std::uint8_t verb, std::uint8_t option);
    bool Agree(OptionState& o, bool acceptable, std::uint8_t option, std::uint8_t no, std::uint8_t yes);
    void Withdraw(OptionState& o, std::uint8_t option, std::uint8_t acknowledgement);
    void OnWill(std::uint8_t option);
    void OnWont(std::uint8_t option);
    void OnDo(std::uint8_t option);
    void OnDont(std::uint8_t option);
    void SendLineSettings();
    void Subnegotiation();
    void CheckAnswer(std::uint8_t setting, std::span<const std::uint8_t> value);
    void Refuse(std::string reason);
    void Send(std::uint8_t verb, std::uint8_t option);

    Input input_ = Input::Data;
    std::uint8_t verb_ = 0;
    std::array<std::uint8_t, kMaxSubnegotiation> sub_{};
    std::size_t subLength_ = 0;
    bool subOverflow_ = false;
    std::array<OptionState, 256> us_{};  // options on our side (WILL/WONT)
    std::array<OptionState, 256> him_{};  // options on the server's side (DO/DONT)
    unsigned confirmed_ = 0;  // one bit per line setting the server confirmed
    State state_ = State::Negotiating;
    std::string reason_;
    std::vector<std::uint8_t> replies_;
};

}  // namespace kelvane
