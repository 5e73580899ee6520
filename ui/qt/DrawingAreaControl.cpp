#include "ui/qt/DrawingAreaControl.h"

#include "ui/qt/Colors.h"

#include <QPainter>
#include <QWidget>

namespace kelvane::ui::qtback {

class DrawingSurface final : public QWidget {
public:
    explicit DrawingSurface(QWidget* parent) : QWidget(parent) {}

    void SetRects(const std::vector<DrawnRect>& rects) {
        rects_ = rects;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        for (const DrawnRect& drawn : rects_) Paint(painter, drawn);
    }

private:
    static void Paint(QPainter& painter, const DrawnRect& drawn) {
        const QRect area(drawn.rect.x, drawn.rect.y, drawn.rect.width, drawn.rect.height);
        if (area.isEmpty()) return;
        if (drawn.filled) {
            painter.fillRect(area, ToQColor(drawn.color));
            return;
        }
        // An outline one pixel wide on the rectangle's own edge pixels, as a frame drawn by a brush would be.
        painter.setPen(ToQColor(drawn.color));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(area.adjusted(0, 0, -1, -1));
    }

    std::vector<DrawnRect> rects_;
};

DrawingAreaControl::DrawingAreaControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink)
    : Control(source, new DrawingSurface(parent), sink), surface_(static_cast<DrawingSurface*>(Widget())) {}

void DrawingAreaControl::SetDrawing(const std::vector<DrawnRect>& rects) { surface_->SetRects(rects); }

}  // namespace kelvane::ui::qtback
