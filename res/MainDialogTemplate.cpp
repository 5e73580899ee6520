#include "res/ResourceIds.h"
#include "res/Templates.h"

namespace kelvane::res {
namespace {

using namespace ui;

DialogTemplate Build() {
    DialogTemplate t;
    t.id = kMainDialog;
    t.size = {505, 338};
    t.caption = "Kelvane";
    t.visible = true;
    t.controls = {
        {kModuleList,
         ControlKind::ListView,
         {33, 4, 51, 329},
         "",
         kVisible | kBorder | kVerticalScroll | kLargeIcons | kSingleSelection | kNotify | kTabStop,
         {},
         0},
        {kDiscoverButton, ControlKind::PushButton, {2, 3, 28, 25}, "", kVisible | kTabStop, {}, kDiscoverIcon},
        {kUploadButton, ControlKind::PushButton, {2, 38, 28, 25}, "", kVisible | kTabStop, {}, kUploadIcon},
        {kSaveButton, ControlKind::PushButton, {2, 67, 28, 25}, "", kVisible | kTabStop, {}, kSaveIcon},
        {kBackgroundPicture, ControlKind::Picture, {95, 73, 400, 172}, "", kVisible, {}, kBackgroundBitmap},
        {kMakerPicture, ControlKind::Picture, {414, 299, 84, 31}, "", 0, {}, kMakerBitmap},
        {kBannerPicture, ControlKind::Picture, {95, 121, 400, 74}, "", 0, {}, kBannerBitmap},
        {kSmallBannerPicture, ControlKind::Picture, {193, 138, 203, 46}, "", 0, {}, kSmallBannerBitmap},
    };
    return t;
}

}  // namespace

const DialogTemplate& MainDialogTemplate() {
    static const DialogTemplate dialog = Build();
    return dialog;
}

}  // namespace kelvane::res
