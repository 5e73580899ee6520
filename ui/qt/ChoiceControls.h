#pragma once

#include "ui/qt/Capabilities.h"
#include "ui/qt/Control.h"
#include "ui/qt/MouseClicks.h"

class QComboBox;
class QListWidget;

namespace kelvane::ui::qtback {

// A drop-down list. Its height is the field's own, whatever room the template gave the dropped list. It starts
// with nothing chosen, and adding entries chooses none.
class ComboBoxControl final : public Control, public ItemList {
public:
    ComboBoxControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
    // The chosen entry's text; setting a text chooses the entry that has it.
    void SetText(const std::string& text) override;
    std::string Text() const override;

    void AddItem(const std::string& text) override;
    void DeleteItem(int index) override;
    void ClearItems() override;
    int ItemCount() const override;
    std::string ItemText(int index) const override;
    void SetCurrentIndex(int index) override;
    int CurrentIndex() const override;

private:
    QComboBox* combo_;
};

// A list of one-line entries with at most one chosen. It reports clicks and double-clicks with the row hit.
class ListBoxControl final : public Control, public ItemList {
public:
    ListBoxControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
    std::string Text() const override;

    void AddItem(const std::string& text) override;
    void DeleteItem(int index) override;
    void ClearItems() override;
    int ItemCount() const override;
    std::string ItemText(int index) const override;
    void SetCurrentIndex(int index) override;
    int CurrentIndex() const override;

private:
    QListWidget* list_;
    std::unique_ptr<MouseClicks> clicks_;
};

}  // namespace kelvane::ui::qtback
