// The configuration's text reader over any bytes: every refusal says why on a line the text has, and whatever
// it reads, the writer writes as text it reads again to the same document.

#include "config/ConfigText.h"
#include "fuzz/FuzzChecks.h"

#include <algorithm>

namespace kelvane::fuzz {
namespace {

void CheckRefusal(std::string_view text, const ConfigTextRefusal& refusal) {
    const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    Require(refusal.line >= 1 && refusal.line <= lines, "a refusal names a line of the text");
    Require(!refusal.reason.empty(), "a refusal says why");
}

bool SameDocument(const ConfigText& a, const ConfigText& b) {
    return std::equal(a.pairs.begin(), a.pairs.end(), b.pairs.begin(), b.pairs.end(),
                      [](const TextPair& p, const TextPair& q) {
                          return p.inputRow == q.inputRow && p.inputModel == q.inputModel &&
                                 p.outputRow == q.outputRow && p.outputModel == q.outputModel &&
                                 std::equal(p.settings.begin(), p.settings.end(), q.settings.begin(), q.settings.end(),
                                            [](const TextSetting& s, const TextSetting& t) {
                                                return s.name == t.name && s.value == t.value && s.quoted == t.quoted;
                                            });
                      });
}

// The writer groups each service's fields after the pair's own: a document read back once is in that order.
void CheckRewrite(const ConfigText& read) {
    const std::string once = WriteConfigText(read, {"rewritten"});
    ConfigText again;
    ConfigTextRefusal refusal;
    Require(ReadConfigText(once, again, refusal), "what the writer writes reads again");
    const std::string twice = WriteConfigText(again, {"rewritten"});
    ConfigText third;
    Require(ReadConfigText(twice, third, refusal) && SameDocument(again, third) && once == twice,
            "a document written and read back is the same document");
}

}  // namespace
}  // namespace kelvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvane;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ConfigText read;
    ConfigTextRefusal refusal;
    if (!ReadConfigText(text, read, refusal)) {
        fuzz::CheckRefusal(text, refusal);
        fuzz::Require(read.pairs.empty(), "a refused text leaves nothing read");
        return 0;
    }
    fuzz::CheckRewrite(read);
    return 0;
}
