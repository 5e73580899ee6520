#pragma once

#include <QAbstractSeries>
#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QWidget>
#include <string>
#include <vector>

namespace kelvane::test {

// Every text drawn in the charts under `window` that Qt Charts had to shorten ("Capaci...") or that sticks out
// of its chart, as "chart: text". The texts that Qt Charts lays out are the items of each view's scene.
inline std::vector<std::string> CutChartTexts(QWidget* window) {
    std::vector<std::string> cut;
    for (QChartView* view : window->findChildren<QChartView*>()) {
        if (!view->isVisibleTo(window) || view->scene() == nullptr) continue;
        const QRectF room = view->sceneRect();
        const std::string chart = view->chart()->title().toStdString();
        for (QGraphicsItem* item : view->scene()->items()) {
            if (!item->isVisible()) continue;
            QString text;
            if (auto* rich = dynamic_cast<QGraphicsTextItem*>(item)) text = rich->toPlainText();
            if (auto* simple = dynamic_cast<QGraphicsSimpleTextItem*>(item)) text = simple->text();
            if (text.isEmpty()) continue;
            if (text.endsWith(QStringLiteral("...")) || text.endsWith(QChar(0x2026))) {
                cut.push_back(chart + ": \"" + text.toStdString() + "\" shortened");
            } else if (!room.contains(item->sceneBoundingRect())) {
                cut.push_back(chart + ": \"" + text.toStdString() + "\" outside the chart");
            }
        }
        // Legend entries shown must be whole too: a marker's label is its series' full name.
        for (QLegendMarker* marker : view->chart()->legend()->markers()) {
            if (marker->isVisible() && marker->label().isEmpty())
                cut.push_back(chart + ": a legend entry without a name");
        }
    }
    return cut;
}

// The points of every line named `name` in `chart`, in the order the lines were added: the pieces of one series.
inline std::vector<QPointF> PointsOf(QChart* chart, const QString& name) {
    std::vector<QPointF> points;
    for (QAbstractSeries* series : chart->series()) {
        auto* line = qobject_cast<QLineSeries*>(series);
        if (line == nullptr || line->name() != name) continue;
        for (const QPointF& p : line->points()) points.push_back(p);
    }
    return points;
}

// The names the legend shows, in order.
inline std::vector<std::string> LegendNames(QChart* chart) {
    std::vector<std::string> names;
    for (QLegendMarker* marker : chart->legend()->markers()) {
        if (marker->isVisible()) names.push_back(marker->label().toStdString());
    }
    return names;
}

}  // namespace kelvane::test
