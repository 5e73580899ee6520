#include "res/ResourceIds.h"
#include "res/Templates.h"

// The CAM menu: the module's picture with the traffic light under it on the left, the list of the CAM's menu
// texts filling the rest, and the answer edit laid over the list while the CAM asks a question.
namespace kelvane::res {
namespace {

using namespace ui;

// The module's picture is never addressed by the program.
constexpr int kUnaddressed = -1;
// The list reports double-clicks, which choose a menu's items.
constexpr std::uint32_t kListStyle = kVisible | kBorder | kVerticalScroll | kNotify | kTabStop;

DialogTemplate Build() {
    DialogTemplate t;
    t.id = kCamDialog;
    t.size = {418, 224};
    t.child = true;
    t.visible = false;
    t.controls = {
        {kCamList, ControlKind::ListBox, {42, 6, 368, 210}, "", kListStyle, {}, 0},
        {kUnaddressed, ControlKind::Picture, {5, 5, 32, 30}, "", kVisible, {}, kCommonInterfaceLitBitmap},
        {kCamLampPicture, ControlKind::Picture, {6, 36, 28, 9}, "", kVisible, {}, kRedLampBitmap},
        {kCamAnswerEdit, ControlKind::Edit, {48, 42, 354, 18}, "", kBorder | kHorizontalScroll | kTabStop, {}, 0},
    };
    return t;
}

}  // namespace

const DialogTemplate& CamDialogTemplate() {
    static const DialogTemplate dialog = Build();
    return dialog;
}

}  // namespace kelvane::res
