#pragma once

#include "app/SlotTable.h"
#include "config/ConfigFile.h"
#include "ui/WindowSystem.h"

#include <memory>
#include <string>

namespace kelvane {

// The summary dialog of an upload: what the loaded file holds and whether it fits the installed modules.
// Its OK button is enabled, and OK accepted, only when the file matches; it changes neither table.
class CConfigValidate final : public ui::DialogHandler {
public:
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    CConfigValidate(ui::WindowSystem& windows, const SlotTable& slots, const LoadedConfig& loaded)
        : windows_(windows), slots_(slots), loaded_(loaded) {}

    // Shows the dialog over `parent` until the operator closes it: kOk when they confirmed a matching file,
    // kCancel otherwise.
    int DoModal(ui::Dialog* parent);

    const std::string& SummaryText() const { return summaryText_; }

    void OnNotify(const ui::Notification& notification) override;
    void OnOk() override;
    void OnCancel() override;
    void OnClose() override { OnCancel(); }

private:
    void InitDialog();

    ui::WindowSystem& windows_;
    const SlotTable& slots_;
    const LoadedConfig& loaded_;
    std::unique_ptr<ui::Dialog> window_;
    std::string summaryText_;
    bool matches_ = false;
};

}  // namespace kelvane
