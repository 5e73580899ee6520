#include "sim/CamModel.h"

namespace kelvane::sim {
namespace {

using ci::Bytes;

constexpr std::uint8_t kAnswerId = 0x01;
constexpr std::uint8_t kMmiModeCommand = 0x01;
constexpr std::uint8_t kHighLevelMmi = 0x01;
constexpr std::uint8_t kCloseImmediately = 0x00;

// Where choice 0 (or any choice on a list or notice) leads back to; the main menu leads out of the MMI.
CamScreen Parent(CamScreen screen) {
    switch (screen) {
    case CamScreen::Languages:
    case CamScreen::PostcodeQuestion:
    case CamScreen::PostcodeSaved:
    case CamScreen::ResetRefused: return CamScreen::Settings;
    case CamScreen::MainMenu:
    case CamScreen::Closed: return CamScreen::Closed;
    default: return CamScreen::MainMenu;
    }
}

// The screen an item of a plain menu opens; Closed for an item the menu does not have.
CamScreen Child(CamScreen menu, int choice) {
    static constexpr CamScreen kMain[] = {CamScreen::ModuleInfo, CamScreen::Rights, CamScreen::PinQuestion,
                                          CamScreen::Settings};
    static constexpr CamScreen kSettings[] = {CamScreen::Languages, CamScreen::PostcodeQuestion,
                                              CamScreen::ResetRefused};
    const std::span<const CamScreen> items = menu == CamScreen::MainMenu   ? std::span<const CamScreen>(kMain)
                                             : menu == CamScreen::Settings ? std::span<const CamScreen>(kSettings)
                                                                           : std::span<const CamScreen>();
    if (choice < 1 || choice > static_cast<int>(items.size())) return CamScreen::Closed;
    return items[static_cast<std::size_t>(choice - 1)];
}

bool IsQuestion(CamScreen screen) { return screen == CamScreen::PinQuestion || screen == CamScreen::PostcodeQuestion; }

Bytes Mmi(std::initializer_list<Bytes> objects) {
    return ci::SessionData(ci::kMmiSession, std::vector<Bytes>(objects));
}

}  // namespace

std::vector<Bytes> CamModel::Boot() const {
    Bytes info{0x01, 0x4A, 0xE1, 0x03, 0x0C};
    const Bytes name = ci::Latin1("KryptaVision");
    info.push_back(static_cast<std::uint8_t>(name.size()));
    info.insert(info.end(), name.begin(), name.end());
    return {ci::SessionData(ci::kApplicationSession, std::vector<Bytes>{ci::Object(ci::kApplicationInfoTag, info)})};
}

std::vector<Bytes> CamModel::Receive(std::span<const std::uint8_t> packet) {
    if (packet.size() < ci::kSessionHeaderBytes || packet[0] != ci::kSessionNumberTag ||
        packet[1] != ci::kSessionNumberLength) {
        return {};
    }
    const auto session = static_cast<std::uint16_t>(packet[2] << 8 | packet[3]);
    std::vector<Bytes> answers;
    std::size_t at = ci::kSessionHeaderBytes;
    while (packet.size() - at >= 4) {
        const std::uint32_t tag = static_cast<std::uint32_t>(packet[at]) << 16 | packet[at + 1] << 8 | packet[at + 2];
        at += 3;
        const auto length = ci::TakeLengthField(packet, at);
        if (!length || *length > packet.size() - at) break;
        for (Bytes& answer : Act(session, tag, packet.subspan(at, *length))) answers.push_back(std::move(answer));
        at += *length;
    }
    return answers;
}

std::vector<Bytes> CamModel::Act(std::uint16_t session, std::uint32_t tag, std::span<const std::uint8_t> body) {
    if (session == ci::kApplicationSession && tag == ci::kEnterMenuTag) return EnterMenu();
    // With the MMI closed, its session is gone: what arrives on it is lost.
    if (session != ci::kMmiSession || !MmiOpen()) return {};
    if (tag == ci::kMenuAnswTag && !body.empty()) return MenuAnswer(body[0]);
    if (tag == ci::kAnswTag && !body.empty()) return Answer(body);
    return {};
}

std::vector<Bytes> CamModel::EnterMenu() {
    const bool opening = !MmiOpen();
    screen_ = CamScreen::MainMenu;
    CamPage page = PageOf(screen_, settings_);
    if (quirks_.oversizedMenu) page.title.assign(kOversizedTitle, 'X');
    const Bytes menu = PageObject(page);
    if (!opening) return {Mmi({menu})};
    return {Mmi({ci::Object(ci::kDisplayControlTag, Bytes{kMmiModeCommand, kHighLevelMmi}), menu})};
}

std::vector<Bytes> CamModel::MenuAnswer(int choice) {
    if (IsQuestion(screen_)) return {};
    if (choice == 0) return Go(Parent(screen_));
    switch (screen_) {
    case CamScreen::MainMenu:
    case CamScreen::Settings: {
        const CamScreen next = Child(screen_, choice);
        return Go(next == CamScreen::Closed ? screen_ : next);
    }
    case CamScreen::Parental:
    case CamScreen::Languages: {
        // Choosing a setting shows the same menu again, with the new setting in its subtitle.
        const int items = static_cast<int>(PageOf(screen_, settings_).items.size());
        int& setting = screen_ == CamScreen::Parental ? settings_.parentalLevel : settings_.language;
        if (choice <= items) setting = choice;
        return Go(screen_);
    }
    default: return Go(Parent(screen_));
    }
}

std::vector<Bytes> CamModel::Answer(std::span<const std::uint8_t> body) {
    if (!IsQuestion(screen_)) return {};
    // Answered or cancelled, this CAM only ever asks again.
    if (quirks_.endlessQuestions) return Go(CamScreen::PostcodeQuestion);
    if (body[0] != kAnswerId) return Go(Parent(screen_));
    const std::string typed = ci::FromLatin1(body.subspan(1));
    if (screen_ == CamScreen::PinQuestion) return Go(typed == kPin ? CamScreen::Parental : CamScreen::WrongPin);
    settings_.postcode = typed;
    return Go(CamScreen::PostcodeSaved);
}

std::vector<Bytes> CamModel::Go(CamScreen next) {
    if (next == CamScreen::Closed) return CloseMmi();
    screen_ = next;
    return {Mmi({PageObject(PageOf(screen_, settings_))})};
}

std::vector<Bytes> CamModel::CloseMmi() {
    screen_ = CamScreen::Closed;
    return {Mmi({ci::Object(ci::kCloseMmiTag, Bytes{kCloseImmediately})}), ci::CloseSessionRequest(ci::kMmiSession)};
}

}  // namespace kelvane::sim
