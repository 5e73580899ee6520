#include "app/KelvaneApp.h"

#include "app/ApplicationFolder.h"
#include "app/KelvaneDlg.h"
#include "app/MessageCatalogue.h"
#include "app/Preferences.h"
#include "cam/OpenCam.h"
#include "panel/SatCofdm.h"

namespace kelvane {

int CKelvaneApp::Run() {
    const std::filesystem::path directory =
        ChooseApplicationFolder(CurrentApplicationDirectory(), DataFolderEnvironmentOfProcess());
    SetLanguageIndex(ReadLanguagePreference(directory));
    windows_.UseLanguage(LanguageCode(LanguageIndex()));
    CKelvaneDlg mainWindow(windows_, link_, directory.string(), std::make_unique<CSatCofdm>(windows_),
                           std::make_unique<COpenCam>(windows_));
    mainWindow.SetGuideFiles({KELVANE_GUIDE_INSTALLED, KELVANE_GUIDE_SOURCE});
    mainWindow.Create();
    return mainWindow.RunModal();
}

}  // namespace kelvane
