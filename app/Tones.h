#pragma once

namespace kelvane {

// The program's beeps, one for each kind of news, so that an operator learns them by ear: a low note for what
// failed or was refused, a high one for what needs a look.
struct Tone {
    unsigned frequencyHz;
    unsigned milliseconds;
};

// A search that found no firmware, or a firmware file it could not take.
constexpr Tone kWarningTone{440, 200};
// A configuration that was refused or does not fit the rack.
constexpr Tone kConfigErrorTone{440, 250};
// A search or a firmware upgrade that failed.
constexpr Tone kFailureTone{220, 200};
// A value the panel refused.
constexpr Tone kRefusalTone{220, 250};

}  // namespace kelvane
