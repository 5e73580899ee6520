#include "ui/qt/ControlFactory.h"

#include "ui/qt/ButtonControls.h"
#include "ui/qt/ChartControl.h"
#include "ui/qt/ChoiceControls.h"
#include "ui/qt/DrawingAreaControl.h"
#include "ui/qt/EditControls.h"
#include "ui/qt/IconListControl.h"
#include "ui/qt/RangeControls.h"
#include "ui/qt/ReportListControl.h"
#include "ui/qt/StaticControls.h"
#include "ui/qt/TimePickerControl.h"

namespace kelvane::ui::qtback {

std::unique_ptr<Control> MakeControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink) {
    switch (source.kind) {
    case ControlKind::Static: return std::make_unique<LabelControl>(source, parent, sink);
    case ControlKind::Edit:
        if ((source.style & kMultiLine) != 0) return std::make_unique<TextEditControl>(source, parent, sink);
        return std::make_unique<LineEditControl>(source, parent, sink);
    case ControlKind::PushButton: return std::make_unique<PushButtonControl>(source, parent, sink);
    case ControlKind::CheckBox: return std::make_unique<CheckBoxControl>(source, parent, sink);
    case ControlKind::ComboBox: return std::make_unique<ComboBoxControl>(source, parent, sink);
    case ControlKind::ListBox: return std::make_unique<ListBoxControl>(source, parent, sink);
    case ControlKind::ListView:
        if ((source.style & kReport) != 0) return std::make_unique<ReportListControl>(source, parent, sink);
        return std::make_unique<IconListControl>(source, parent, sink);
    case ControlKind::ProgressBar: return std::make_unique<ProgressControl>(source, parent, sink);
    case ControlKind::TrackBar: return std::make_unique<SliderControl>(source, parent, sink);
    case ControlKind::TimePicker: return std::make_unique<TimePickerControl>(source, parent, sink);
    case ControlKind::Picture: return std::make_unique<PictureControl>(source, parent, sink);
    case ControlKind::GroupBox: return std::make_unique<GroupBoxControl>(source, parent, sink);
    case ControlKind::EtchedLine: return std::make_unique<EtchedLineControl>(source, parent, sink);
    case ControlKind::DrawingArea: return std::make_unique<DrawingAreaControl>(source, parent, sink);
    case ControlKind::Chart: return std::make_unique<ChartControl>(source, parent, sink);
    }
    // A kind this back end does not know yet still holds its place and its text.
    return std::make_unique<LabelControl>(source, parent, sink);
}

}  // namespace kelvane::ui::qtback
