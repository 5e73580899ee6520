#include "res/ResourceIds.h"
#include "res/Templates.h"

namespace kelvane::res {

using namespace ui;

// The maker's picture and the banners wait hidden until the program chooses one to show.
constexpr std::uint32_t kHidden = 0;

const DialogTemplate& MainDialogTemplate() {
    static const DialogTemplate dialog = ShownWindow(
        kMainDialog, {505, 338}, "Kelvane",
        {
            ListView(kModuleList, {33, 4, 51, 329},
                     kVisible | kBorder | kVerticalScroll | kLargeIcons | kSingleSelection | kNotify | kTabStop),
            IconButton(kDiscoverButton, {2, 3, 28, 25}, kDiscoverIcon),
            IconButton(kUploadButton, {2, 38, 28, 25}, kUploadIcon),
            IconButton(kSaveButton, {2, 67, 28, 25}, kSaveIcon),
            Picture(kBackgroundPicture, {95, 73, 400, 172}, kBackgroundBitmap),
            Picture(kMakerPicture, {414, 299, 84, 31}, kMakerBitmap, kHidden),
            Picture(kBannerPicture, {95, 121, 400, 74}, kBannerBitmap, kHidden),
            Picture(kSmallBannerPicture, {193, 138, 203, 46}, kSmallBannerBitmap, kHidden),
        });
    return dialog;
}

}  // namespace kelvane::res
