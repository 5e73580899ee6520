#include "panel/Schedule.h"

#include "app/TextFormat.h"
#include "link/ReplyText.h"
#include "panel/ImageBytes.h"

#include <algorithm>

namespace kelvane {
namespace {

constexpr std::size_t kFileCountOffset = 2;
constexpr std::size_t kFirstFileOffset = 4;

int ValidEntries(const PanelModel& m) { return std::clamp(m.ScheduleCount, 0, kMaxScheduleEntries); }

}  // namespace

bool ScheduleSlotFree(const PanelModel& m, std::uint32_t start, std::uint32_t end) {
    if (end < start) return false;
    for (int i = 0; i < ValidEntries(m); ++i) {
        const std::uint32_t s = m.Schedule[i].start;
        const std::uint32_t e = m.Schedule[i].end;
        if ((s <= end && end <= e) || (start <= s && e <= end) || (s <= start && start < e)) return false;
    }
    return true;
}

ScheduleAdd AddScheduleEntry(PanelModel& m, std::uint32_t start, std::uint32_t end, const std::string& file) {
    const int count = ValidEntries(m);
    if (count == kMaxScheduleEntries || file.empty()) return ScheduleAdd::kRefused;
    int at = 0;
    while (at < count && m.Schedule[at].start < end) ++at;
    std::move_backward(m.Schedule.begin() + at, m.Schedule.begin() + count, m.Schedule.begin() + count + 1);
    m.Schedule[at] = {start, end, file};
    m.ScheduleCount = count + 1;
    m.InputDirty = true;
    return count == 0 ? ScheduleAdd::kAddedFirst : ScheduleAdd::kAdded;
}

bool RemoveScheduleEntries(PanelModel& m, const std::vector<int>& selectedRows) {
    int count = ValidEntries(m);
    bool removed = false;
    for (int row = count - 1; row >= 0; --row) {
        if (std::find(selectedRows.begin(), selectedRows.end(), row) == selectedRows.end()) continue;
        std::move(m.Schedule.begin() + row + 1, m.Schedule.begin() + count, m.Schedule.begin() + row);
        --count;
        removed = true;
    }
    m.ScheduleCount = count;
    if (removed) m.InputDirty = true;
    return removed;
}

std::string ScheduleTimeText(std::uint32_t minutes) { return FormatText("%d:%02d", {minutes / 60, minutes % 60}); }

std::vector<std::string> ParseFileList(std::span<const std::uint8_t> reply) {
    const ByteReader bytes(reply);
    std::vector<std::string> names;
    if (!bytes.Has(kFileCountOffset, 2)) return names;
    const int count = bytes.U16(kFileCountOffset);
    std::size_t position = kFirstFileOffset;
    for (int i = 0; i < count && position < reply.size(); ++i) {
        std::string name;
        ReadReplyText(name, reply, position);
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace kelvane
