#include "res/ResourceIds.h"
#include "res/Templates.h"

// The CAM menu: the module's picture with the traffic light under it on the left, the list of the CAM's menu
// texts filling the rest, and the answer edit laid over the list while the CAM asks a question.
namespace kelvane::res {
namespace {

using namespace ui;

// The module's picture is never addressed by the program.
constexpr int kUnaddressed = -1;

}  // namespace

const DialogTemplate& CamDialogTemplate() {
    static const DialogTemplate dialog =
        ChildPanel(kCamDialog, {418, 224},
                   {
                       ListBox(kCamList, {42, 6, 368, 210}),
                       Picture(kUnaddressed, {5, 5, 32, 30}, kCommonInterfaceLitBitmap),
                       Picture(kCamLampPicture, {6, 36, 28, 9}, kRedLampBitmap),
                       Edit(kCamAnswerEdit, {48, 42, 354, 18}, kBorder | kHorizontalScroll | kTabStop),
                   });
    return dialog;
}

}  // namespace kelvane::res
