// Rack > Connect to, on the headless window system: the entries with their last states, one entry alone or the
// whole table, and the choice kept for the next start.

#include "app/MainMenu.h"
#include "app/PortReasons.h"
#include "app/RackChoice.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/TempFolder.h"

#include <functional>
#include <optional>

namespace kelvane {
namespace {

const std::deque<ScriptedPort::Reaction> kRack{
    Identity(14), Identity(23), Accept({0x05, 1, 12, 0x06, 5, 5}), Identity(23),  Identity(12),
    Identity(5),  Accept({}),   Accept({0x01, 0x02, 0x03}),        Accept({0x04})};

TEST_F(MainWindowTest, ConnectToOpensTheChosenEntryAloneOrSearchesAllAndIsKeptForTheNextStart) {
    const test::TempFolder folder("connect");
    ports.rackNames = {{0, "Hall"}, {1, "Mont Aigoual"}};
    ports.Install(0, kRack);
    ports.Install(1, kRack);
    ports.InstallBusy(2);
    const auto start = [&] {
        link.SetPortNumber(0);  // a fresh process starts its search on the first entry
        Open(folder.Root().string());
        window->KillTimer(CKelvaneDlg::kStartTimer);
        main->DiscoverRack();
    };
    start();
    const std::string hall = "Hall, KXRRack on COM0";
    const std::string aigoual = "Mont Aigoual, KXRRack on COM1";
    const std::string busy = OpenFailureText({"COM2", EBUSY, true, OpenProblem::Busy, {}});
    const struct {
        const char* what;
        std::function<void()> prepare;
        std::optional<int> row;  // chosen in the dialog; none: the program starts again
        std::vector<int> opened;  // the table's entries opened, in order
        std::string place;  // where the window is connected; empty for nowhere
        std::vector<std::string> rows;  // the dialog's, when checked
    } steps[] = {
        {"entry 1 while connected on 0",
         [] {},
         2,
         {1},
         aigoual,
         {"Search all ports", hall + " \u2014 rack found", aigoual + " \u2014 not tried yet",
          "KXRRack on COM2 \u2014 not tried yet"}},
        // Last states are of this run's searches: Hall was not tried since.
        {"the chosen entry first at the next start", [] {}, std::nullopt, {1}, aigoual, {}},
        {"an entry in use", [] {}, 3, {2}, "", {}},
        {"Search all, entry 1 silent now",
         [&] { ports.Install(1, {}); },
         0,
         {1, 2, 0},
         hall,
         {"Search all ports", hall + " \u2014 not tried yet", aigoual + " \u2014 rack found", busy}},
        {"a remembered entry gone from the table",
         [&] { folder.Write(kChosenRackFileName, "COM7\n"); },
         std::nullopt,
         {0},
         hall,
         {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.prepare();
        std::vector<std::string> rows;
        windows.onModal = [&](ui::HeadlessDialog& dialog) {
            for (int k = 0; k < dialog.ItemCount(res::kConnectList); ++k) {
                rows.push_back(dialog.ItemText(res::kConnectList, k));
            }
            dialog.SetCurrentIndex(res::kConnectList, *step.row);
            dialog.Click(res::kConnectOkButton);
        };
        ports.opened.clear();
        if (step.row) {
            window->ChooseMenuItem(kConnectToItem);
        } else {
            start();
        }
        std::erase_if(ports.opened, [&](int n) { return n >= static_cast<int>(ports.EntryCount()); });
        EXPECT_EQ(ports.opened, step.opened);
        EXPECT_EQ(window->Caption(), step.place.empty() ? "Kelvane" : "Kelvane \u2014 " + step.place);
        if (!step.rows.empty()) {
            EXPECT_EQ(rows, step.rows);
        }
    }
}

}  // namespace
}  // namespace kelvane
