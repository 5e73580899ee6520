#include "ui/qt/ChartControl.h"

#include "ui/qt/Colors.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

namespace kelvane::ui::qtback {
namespace {

constexpr qreal kLineWidth = 1.5;

QChartView* MakeView(QWidget* parent) {
    auto* view = new QChartView(parent);
    // A chart only shows; it takes no focus and no keys from the dialog.
    view->setFocusPolicy(Qt::NoFocus);
    view->setRenderHint(QPainter::Antialiasing);
    view->setFrameShape(QFrame::NoFrame);
    return view;
}

QString LabelFormat(int decimals) { return QStringLiteral("%.%1f").arg(std::clamp(decimals, 0, 6)); }

QLineSeries* Line(const std::string& name, const QPen& pen) {
    auto* line = new QLineSeries;
    line->setName(QString::fromStdString(name));
    line->setPen(pen);
    return line;
}

}  // namespace

ChartControl::ChartControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, MakeView(parent), sink),
      view_(static_cast<QChartView*>(Widget())),
      chart_(new QChart),
      x_(new QValueAxis),
      y_(new QValueAxis) {
    chart_->setAnimationOptions(QChart::NoAnimation);
    chart_->addAxis(x_, Qt::AlignBottom);
    chart_->addAxis(y_, Qt::AlignLeft);
    chart_->setBackgroundRoundness(0);
    chart_->setMargins(QMargins(2, 0, 4, 0));
    chart_->layout()->setContentsMargins(0, 0, 0, 0);
    chart_->legend()->setAlignment(Qt::AlignRight);
    view_->setChart(chart_);
    ApplyFonts();
}

void ChartControl::SetFont(const QFont& font) {
    Control::SetFont(font);
    ApplyFonts();
}

void ChartControl::ApplyFonts() {
    const QFont font = view_->font();
    QFont title = font;
    title.setBold(true);
    chart_->setTitleFont(title);
    chart_->legend()->setFont(font);
    for (QAbstractAxis* axis : chart_->axes()) {
        axis->setLabelsFont(font);
        axis->setTitleFont(font);
    }
}

void ChartControl::SetChart(const ChartData& data) {
    chart_->removeAllSeries();
    chart_->setTitle(QString::fromStdString(data.title));
    const std::pair<QValueAxis*, const ChartAxis*> axes[] = {{x_, &data.x}, {y_, &data.y}};
    for (const auto& [axis, given] : axes) {
        axis->setTitleText(QString::fromStdString(given->title));
        axis->setRange(given->minimum, given->maximum);
        axis->setTickCount(std::max(2, given->ticks));
        axis->setLabelFormat(LabelFormat(given->decimals));
    }
    // Each name appears once in the legend, however many pieces draw it.
    const auto add = [this](QAbstractSeries* series, bool inLegend) {
        chart_->addSeries(series);
        series->attachAxis(x_);
        series->attachAxis(y_);
        if (!inLegend) {
            for (QLegendMarker* marker : chart_->legend()->markers(series)) marker->setVisible(false);
        }
    };
    const double bottom = data.y.minimum;
    const double top = data.y.maximum;

    const QColor gapColor(226, 226, 226);
    for (std::size_t k = 0; k < data.gaps.size(); ++k) {
        auto* area = new QAreaSeries;
        auto* upper = new QLineSeries(area);
        auto* lower = new QLineSeries(area);
        upper->append(data.gaps[k].from, top);
        upper->append(data.gaps[k].to, top);
        lower->append(data.gaps[k].from, bottom);
        lower->append(data.gaps[k].to, bottom);
        area->setUpperSeries(upper);
        area->setLowerSeries(lower);
        area->setName(QString::fromStdString(data.gapName));
        area->setColor(gapColor);
        area->setBorderColor(gapColor);
        add(area, k == 0);
    }

    for (const ChartSeries& series : data.series) {
        QPen pen(ToQColor(series.color));
        pen.setWidthF(kLineWidth);
        std::vector<std::size_t> ends = series.breaks;
        ends.push_back(series.points.size());
        std::size_t start = 0;
        bool first = true;
        for (std::size_t end : ends) {
            end = std::min(end, series.points.size());
            if (end < start || (end == start && !first)) continue;
            QLineSeries* line = Line(series.name, pen);
            for (std::size_t i = start; i < end; ++i) line->append(series.points[i].x, series.points[i].y);
            // A stretch of one point has no line to draw: its point is shown instead.
            line->setPointsVisible(end - start == 1);
            add(line, first);
            first = false;
            start = end;
        }
    }

    for (const ChartEvents& events : data.events) {
        QPen pen(ToQColor(events.color));
        pen.setWidthF(kLineWidth);
        pen.setStyle(Qt::DashLine);
        bool first = true;
        for (const double at : events.at) {
            QLineSeries* line = Line(events.name, pen);
            line->append(at, bottom);
            line->append(at, top);
            add(line, first);
            first = false;
        }
    }
}

}  // namespace kelvane::ui::qtback
