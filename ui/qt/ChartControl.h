#pragma once

#include "ui/qt/Control.h"

class QChart;
class QChartView;
class QValueAxis;

namespace kelvane::ui::qtback {

// What a chart control can be given: its figures, replacing those it had.
class ChartHolder {
public:
    virtual ~ChartHolder() = default;
    virtual void SetChart(const ChartData& chart) = 0;
};

// A chart drawn by Qt Charts: each stretch of a series is a line of its own (the legend names the series once),
// gaps are shaded bands under the lines and events upright dashed lines over them.
class ChartControl final : public Control, public ChartHolder {
public:
    ChartControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
    void SetChart(const ChartData& chart) override;
    void SetFont(const QFont& font) override;

private:
    void ApplyFonts();

    QChartView* view_;
    QChart* chart_;
    // Made once and only set for each chart: axes made anew every second cost more than all the lines.
    QValueAxis* x_;
    QValueAxis* y_;
};

}  // namespace kelvane::ui::qtback
