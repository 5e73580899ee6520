#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kelvane {

// The packets the CAM menu sends to the CAM: complete EN 50221 link-layer packets (connection 1, last
// fragment) holding one T_DATA_LAST with a session_number object and one application object.
constexpr std::size_t kRequestBufferSize = 256;
using RequestBufferSpan = std::span<std::uint8_t, kRequestBufferSize>;

// The answ packet's transport length L = n + 10 is a one-byte length field, whose short form ends at 127:
// longer answers are cut to this many characters.
constexpr std::size_t kMaxAnswerLength = 117;

// Each writes its packet at the start of `buffer` and returns its length.
// enter_menu on session 2 (application information): asks the CAM for its main menu.
std::uint16_t BuildEnterMenu(RequestBufferSpan buffer);
// menu_answ on session 4 with `choice` (0 goes back).
std::uint16_t BuildMenuAnswer(RequestBufferSpan buffer, std::uint8_t choice);
// answ on session 4: an answer with the typed text, or a cancel when `text` is empty.
std::uint16_t BuildAnswer(RequestBufferSpan buffer, const std::string& text);

// What an answer's characters go out as: the low byte of each character of the UTF-8 `text`, at most
// kMaxAnswerLength of them. A byte that starts no valid UTF-8 sequence counts as one character '?'.
std::vector<std::uint8_t> AnswerBytes(const std::string& text);

}  // namespace kelvane
