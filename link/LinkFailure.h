#pragma once

namespace kelvane {

// Why the link's last request or port search failed, read beside the bool that said it did.
enum class LinkFailure {
    None,  // the last request or search succeeded
    NoPort,  // no port is open, or the search found no rack on any port
    Busy,  // the search found no rack and at least one port was held by another program
    WriteFailed,  // the line did not take the whole frame
    HungUp,  // the far end went away or the device failed
    TimedOut,  // no whole reply came within the time-out
    Refused,  // the module answered 0xE0
    BadChecksum,  // the reply's checksum did not match
    TooLong,  // the reply did not fit ReplyData, or the request frame did not fit the transmit buffer
};

}  // namespace kelvane
