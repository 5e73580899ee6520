#pragma once

namespace kelvane::ui::qtback {

// A tone of the given pitch and length where the platform can sound one, otherwise its alert sound.
void Beep(unsigned frequencyHz, unsigned milliseconds);

}  // namespace kelvane::ui::qtback
