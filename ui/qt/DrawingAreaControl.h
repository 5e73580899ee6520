#pragma once

#include "ui/qt/Control.h"

#include <vector>

namespace kelvane::ui::qtback {

class DrawingSurface;

// What a drawing area can be given: the rectangles to paint, replacing those it had.
class DrawingControl {
public:
    virtual ~DrawingControl() = default;
    virtual void SetDrawing(const std::vector<DrawnRect>& rects) = 0;
};

// A plain surface showing filled and framed rectangles over the dialog's ground.
class DrawingAreaControl final : public Control, public DrawingControl {
public:
    DrawingAreaControl(const ControlTemplate& source, QWidget* parent, ControlSink& sink);
    void SetDrawing(const std::vector<DrawnRect>& rects) override;

private:
    DrawingSurface* surface_;
};

}  // namespace kelvane::ui::qtback
