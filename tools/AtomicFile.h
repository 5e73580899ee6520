#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvane {

// Replaces `path` with `text` in one step: the text goes into a hidden file beside it, which is then renamed
// over it, so that a reader (node_exporter's textfile collector) sees the old whole file or the new whole file,
// never a part. False, with the reason in `error` and nothing left behind, when a step failed.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view text, std::string& error);

}  // namespace kelvane
