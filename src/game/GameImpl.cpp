#include "game/GameImpl.h"

#include <cstdio>
#include <filesystem>

#include "controls/Factory_impl.h"
#include "game/CardSets.h"
#include "game/FieldMgr.h"
#include "game/GameMgr.h"
#include "game/OptionsDlg.h"
#include "game/Profiles.h"
#include "game/StartMgr.h"
#include "kernel/CardSetReader.h"
#include "kernel/FileStore.h"
#include "kernel/ISysApp.h"

namespace Gamespace {

using ControlLibrary::GetFactory;

namespace {

constexpr const char* kDataArchive = "data.pak";
// A file every screen needs; present as a loose file when the data is unpacked.
constexpr const char* kLooseDataProbe = "fonts/KBChopinScript28.txt";

std::string InWorkingFolder(const char* file) {
    std::error_code ec;
    return (std::filesystem::current_path(ec) / file).string();
}

// The links' pages: this game's own, shipped beside the program.
constexpr const char* kLinkPages[2] = {"README.md", "CREDITS.md"};

// What every screen shares: "Exit" bottom left, the two links bottom right
// (right-aligned), and the exit confirmation.
namespace FooterLayout {
constexpr Spot kExit{35, kScreenHeight - 20};
constexpr ButtonShape kExitShape{Layer::kFooter, {40, 30}, 0};
constexpr Spot kTitleLink{kScreenWidth - 10, kScreenHeight - 50};
constexpr Spot kMoreGames{kScreenWidth - 10, kScreenHeight - 20};
constexpr Extent kExitDialogSize{400, 200};
}  // namespace FooterLayout

}  // namespace

GameImpl::GameImpl()
    : m_startModule(std::make_unique<StartMgr>(this, kStartModuleId)),
      m_gameModule(std::make_unique<GameMgr>(this, kGameModuleId)) {
    // What a demo recording copies: the profiles and the options.
    KernelLibrary::SetPlayerFileNames({kSaveFolder, kOptionsFile});
}

GameImpl::~GameImpl() {
    if (m_sysApp != nullptr) {
        SetHistoryClock(nullptr);
    }
}

void GameImpl::SetSysApp(KernelLibrary::ISysApp* sysApp) {
    m_sysApp = sysApp;
    if (sysApp != nullptr) {
        SetHistoryClock([sysApp] { return sysApp->GetDate(); });
    }
}

void GameImpl::LoadCardSets() {
    CardSets* sets = CardSets::Instance();
    const std::vector<std::string> refused = sets->LoadOwnSets(KernelLibrary::CardSetRoots());
    if (!refused.empty() && m_sysApp != nullptr) {
        std::string lines;
        for (const std::string& line : refused) {
            lines += "\n" + line;
        }
        m_sysApp->ShowMessage(
            Filled("These card sets cannot be used and are not offered:{sets}", {{"sets", lines}}));
    }
    const std::string runFolder = m_sysApp != nullptr ? m_sysApp->GetCardSetFolder() : "";
    if (runFolder.empty()) {
        return;
    }
    if (const std::optional<std::string> problem = sets->UseForThisRun(runFolder)) {
        // For the set's author, who started the game from a terminal.
        std::fprintf(stderr, "%s\n",
                     Filled("The card set in \"{folder}\" cannot be used: {why}. The game plays "
                            "with the player's own choice of cards.",
                            {{"folder", runFolder}, {"why", *problem}})
                         .c_str());
    }
}

bool GameImpl::CheckGameData() {
    std::error_code ec;
    if (std::filesystem::is_regular_file(kLooseDataProbe, ec)) {
        return true;  // unpacked data beside the program
    }
    const std::string text = Filled(
        "The game's data is missing or damaged: \"{file}\" next to the program could not "
        "be read.\n{path}\nInstall the game again, or build it again with ./run.sh.",
        {{"file", kDataArchive}, {"path", InWorkingFolder(kDataArchive)}});
    if (m_sysApp != nullptr) {
        m_sysApp->FatalError(text, 1);
    }
    return false;
}

void GameImpl::Initialize() {
    ControlLibrary::Factory_impl* factory = GetFactory();
    if (!factory->MountArchive("", kDataArchive) && !CheckGameData()) {
        return;
    }
    SetSaveFailureReporter([this](const std::string& error) {
        if (m_sysApp == nullptr) {
            return;
        }
        std::error_code ec;
        const std::string root = KernelLibrary::GetPlayerDataRoot();
        m_sysApp->ShowMessage(
            Filled("Your progress cannot be saved in {folder}:\n{why}\nYou can play on, but new "
                   "players and changes will be lost when the game ends.",
                   {{"folder", root.empty() ? std::filesystem::current_path(ec).string() : root},
                    {"why", error}}));
    });
    LoadOptions();
    ApplyMachineOptions(m_sysApp);
    if (m_sysApp != nullptr && GetOptionValues().fullScreen) {
        static_cast<void>(m_sysApp->SwitchFullScreen(true));  // as the player left it
    }
    CardLayouts::Build();
    if (m_sysApp != nullptr) {
        FieldMgr::Instance()->SeedDeals(m_sysApp->GetDealSeed());
    }
    PlayerList::Instance()->LoadAll();
    LoadCardSets();
    m_startModule->Initialize();
    m_gameModule->Initialize();

    m_font = LoadFont("fonts/a_BosaNova14.txt");
    const std::string texts[] = {Tr("More games"), "Quorlin!"};
    for (int i = 0; i < 2; ++i) {
        ControlLibrary::ILinkVO* link = factory->CreateLinkVO();
        link->SetFont(m_font);
        link->SetAlignment(kAlignEnd, kAlignCentre);
        link->SetColour(kPaleYellow);
        link->SetZOrder(Layer::kFooter);
        link->SetText(texts[i]);
        // No address of its own: a click comes here, which opens the page
        // only when it is there and says so when it is not.
        link->AddMouseObserver(this);
        m_links[i] = link;
    }
    m_linkMark = factory->CreateRectVO();
    m_linkMark->SetStyle(1);
    m_linkMark->SetColour(kGold);
    m_linkMark->SetZOrder(Layer::kFooter);
    m_linkMark->SetShown(false);

    m_backdrop = factory->CreateRectVO();
    m_backdrop->SetStyle(1);
    m_backdrop->SetSize(kScreenWidth, kScreenHeight);
    m_backdrop->SetColour({103, 102, 87});

    const ButtonStyle style{
        m_font,
        "images/btn_default.png",
        {{{0, 0, 100, 26}, {0, 26, 100, 26}, {0, 52, 100, 26}, {0, 78, 100, 26}}},
        {kYellow, kBlack, kGrey, Colour{103, 102, 87}, kBlack}};
    m_exitButton = MakeButton(style, Tr("Exit"), FooterLayout::kExitShape, this);
    m_exitButton->SetBackgroundHidden(true);

    m_exitDialog = std::make_unique<ExitDialog>(this);
    m_playersDialog = std::make_unique<PlayersDlg>(this);
    m_startModule->AddRowButton(StartMgr::RowSlot::Players, Tr("Players"),
                                [this] { m_playersDialog->Show(true); });
    m_optionsDialog = std::make_unique<OptionsDlg>(this, m_sysApp);
    m_startModule->AddRowButton(StartMgr::RowSlot::Options, Tr("Options"),
                                [this] { m_optionsDialog->Show(true); });
    if (NewPlayerDialog* prompt = m_startModule->GetNewPlayerDialog()) {
        prompt->GetDialog()->AddDialogObserver(this);  // "Exit" stays usable over the first one
    }
    m_exitDialog->GetDialog()->SetSize(FooterLayout::kExitDialogSize.width,
                                       FooterLayout::kExitDialogSize.height);
    m_music = LoadSound("sounds/back.ogg", 0.2);
    if (m_music != nullptr) {
        m_music->SetMusic(true);  // under the music volume
    }

    m_links[1]->SetPosition(FooterLayout::kTitleLink.x, FooterLayout::kTitleLink.y);
    m_links[0]->SetPosition(FooterLayout::kMoreGames.x, FooterLayout::kMoreGames.y);
    m_exitButton->SetPosition(FooterLayout::kExit.x, FooterLayout::kExit.y);
    m_owned.Keep(m_font, m_music, m_links[0], m_links[1], m_linkMark, m_backdrop, m_exitButton);
    factory->AddKeybdSysObserver(this);
}

void GameImpl::Activate() {
    if (m_exitButton == nullptr) {
        return;  // Initialize stopped: the game's data is missing
    }
    m_startModule->Show();
    m_backdrop->SetShown(true);
    if (m_music != nullptr) {
        m_music->Play(true);
    }
    m_links[0]->SetShown(true);
    m_links[1]->SetShown(true);
    m_exitButton->SetShown(true);
    m_backdrop->SetShown(true);
}

void GameImpl::Deactivate() {
    if (m_exitButton == nullptr) {
        return;
    }
    m_gameModule->Hide();
    if (m_music != nullptr) {
        m_music->Stop();
    }
    m_links[0]->SetShown(false);
    m_links[1]->SetShown(false);
    m_exitButton->SetShown(false);
    m_backdrop->SetShown(false);
}

void GameImpl::Release() {
    if (m_exitButton == nullptr) {
        return;  // nothing was loaded, so nothing is saved over the player's files
    }
    if (const auto chosen = m_sysApp != nullptr ? m_sysApp->ChosenFullScreen() : std::nullopt) {
        GetOptionValues().fullScreen = *chosen;  // also after Alt+Enter
    }
    // Failures are told to the player by the save reporter, once.
    static_cast<void>(PlayerList::Instance()->SaveAll());
    static_cast<void>(SaveOptions());
    m_gameModule->Release();
    m_playersDialog.reset();
    m_startModule->Release();
    m_exitDialog.reset();
    m_optionsDialog.reset();
    FieldMgr::Destroy();
    m_owned.ReleaseAll();  // links, exit button, backdrop, music, font
    PlayerList::Destroy();
}

void GameImpl::RequestClose() {
    if (m_exitDialog == nullptr) {
        // Not initialised (the game never started): nothing to confirm.
        if (m_sysApp != nullptr) {
            m_sysApp->Quit();
        }
        return;
    }
    if (m_exitDialog->GetDialog()->IsShown()) {
        return;
    }
    AskExit();
}

std::vector<BaseDialog*> GameImpl::OpenableDialogs() const {
    NewPlayerDialog* newPlayer = m_startModule->GetNewPlayerDialog();
    PlayersDlg* players = m_playersDialog.get();
    return {m_exitDialog.get(),
            players != nullptr ? players->GetErrorDialog() : nullptr,
            players,
            m_optionsDialog.get(),
            newPlayer != nullptr ? newPlayer->GetErrorDialog() : nullptr,
            newPlayer != nullptr ? newPlayer->GetDeleteDialog() : nullptr,
            newPlayer,
            m_startModule->GetStatisticsDialog(),
            m_startModule->GetCardsDialog(),
            m_gameModule->GetFinishDialog(),
            m_gameModule->GetMatchDialog(),
            m_gameModule->GetLevelsDialog(),
            m_gameModule->GetMenuDialog()};
}

void GameImpl::OnSysKeyDown(int32_t key) {
    if (key == kKeyShift) {
        m_shiftDown = true;
        return;
    }
    if (key == kKeyMenu) {
        // A gamepad's Start: the menu in play, back out of a dialog, and on
        // the start screen "Play" (or the lit button).
        const auto dialogs = OpenableDialogs();
        const bool dialogShown = std::any_of(dialogs.begin(), dialogs.end(), [](BaseDialog* d) {
            return d != nullptr && d->IsShown();
        });
        key = dialogShown || m_gameModule->IsActive() ? kKeyEscape : kKeyReturn;
    }
    for (BaseDialog* dialog : OpenableDialogs()) {
        if (dialog != nullptr && dialog->IsShown()) {
            if (key == kKeyEscape && dialog == m_startModule->GetNewPlayerDialog() &&
                PlayerList::Instance()->GetPlayers().empty()) {
                AskExit();  // the first prompt has no "Cancel": Escape is the way out
                return;
            }
            dialog->HandleKey(key, m_shiftDown);
            return;
        }
    }
    if (m_gameModule->IsActive()) {
        m_gameModule->HandleKey(key, m_shiftDown);
    } else if (m_startModule->IsActive()) {
        HandleStartKey(key);
    }
}

std::vector<GameImpl::KeyTarget> GameImpl::StartKeyTargets() {
    auto button = [](ControlLibrary::IButtonVO* b) {
        return KeyTarget{b, [b](bool on) { b->SetHighlighted(on); }, [b] { b->Press(); }};
    };
    auto link = [this](int i) {
        ControlLibrary::ILinkVO* l = m_links[i];
        return KeyTarget{l,
                         [this, l](bool on) {
                             l->SetColour(on ? kWhite : kPaleYellow);
                             if (on) {
                                 const ControlLibrary::Rect r = l->GetScreenRect();
                                 m_linkMark->SetSize(static_cast<uint16_t>(r.width), 2);
                                 m_linkMark->SetPosition(r.x, r.y + r.height + 2);
                             }
                             m_linkMark->SetShown(on);
                         },
                         [this, i] { OpenPage(i); }};
    };
    // Reading order: "Play", the row below it, the invitation, "Exit", the links.
    std::vector<KeyTarget> targets{button(m_startModule->GetPlayButton())};
    for (ControlLibrary::IButtonVO* b : m_startModule->GetRowButtons()) {
        targets.push_back(button(b));
    }
    for (KeyTarget target :
         {button(m_startModule->GetCreateButton()), button(m_exitButton), link(1), link(0)}) {
        targets.push_back(std::move(target));
    }
    return targets;
}

void GameImpl::LightStartTarget(int index) {
    std::vector<KeyTarget> targets = StartKeyTargets();
    if (m_startHighlight >= 0 && m_startHighlight < static_cast<int>(targets.size())) {
        targets[static_cast<size_t>(m_startHighlight)].light(false);
    }
    m_startHighlight = index;
    if (index >= 0 && index < static_cast<int>(targets.size())) {
        targets[static_cast<size_t>(index)].light(true);
    }
}

void GameImpl::HandleStartKey(int32_t key) {
    std::vector<KeyTarget> targets = StartKeyTargets();
    const int n = static_cast<int>(targets.size());
    Direction direction{};
    int step = 0;
    if (key == kKeyTab) {
        step = m_shiftDown ? -1 : 1;
    } else if (ArrowDirection(key, &direction)) {
        step = direction == Direction::Left || direction == Direction::Up ? -1 : 1;
    }
    if (step != 0) {
        const int next = NextUsable(m_startHighlight, step, n, [&](int i) {
            ControlLibrary::IVisibleObject* object = targets[static_cast<size_t>(i)].object;
            return object->IsShown() && object->IsEnabled();
        });
        if (next >= 0) {
            LightStartTarget(next);
        }
        return;
    }
    if (key == kKeyReturn || key == kKeySpace) {
        const int chosen = m_startHighlight < 0 ? 0 : m_startHighlight;  // "Play" when none is lit
        LightStartTarget(-1);
        targets[static_cast<size_t>(chosen)].press();  // a disabled button gives no click
    } else if (key == kKeyEscape) {
        LightStartTarget(-1);
        AskExit();
    }
}

void GameImpl::OnSysKeyUp(int32_t key) {
    if (key == kKeyShift) {
        m_shiftDown = false;
    }
}

void GameImpl::AskExit() {
    m_gameModule->Pause(true);
    // Under the confirmation "Exit" is disabled like everything else.
    m_exitButton->SetModalExempt(false);
    m_exitDialog->Show(true);
}

bool GameImpl::ExitStaysUsable() const {
    const NewPlayerDialog* prompt = m_startModule->GetNewPlayerDialog();
    return m_countingDown ||
           (prompt != nullptr && prompt->IsShown() && PlayerList::Instance()->GetPlayers().empty());
}

void GameImpl::OnCountDown(bool running) {
    m_countingDown = running;
    if (m_exitButton != nullptr) {
        m_exitButton->SetModalExempt(ExitStaysUsable());
    }
}

void GameImpl::OnModuleFinished(int32_t moduleId) {
    LightStartTarget(-1);
    if (moduleId == m_startModule->GetId()) {
        m_gameModule->SetSeats({});  // "Play": the solo game
        m_startModule->Hide();
        m_gameModule->Show();
    } else if (moduleId == m_gameModule->GetId()) {
        m_gameModule->Hide();
        m_startModule->Show();
    }
}

void GameImpl::OnOptionsWanted() {
    m_optionsDialog->Show(true);
}

void GameImpl::OpenPage(int link) {
    const char* page = kLinkPages[link];
    const std::string path = InWorkingFolder(page);
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) {
        GetFactory()->OpenAddress("file://" + path);
    } else if (m_sysApp != nullptr) {
        // A copy of the game without its pages: nothing for the browser to show.
        m_sysApp->ShowMessage(Filled(
            "This page is not with the game: \"{page}\" should be next to the program, "
            "in\n{folder}",
            {{"page", page}, {"folder", std::filesystem::path(path).parent_path().string()}}));
    }
}

void GameImpl::OnMouseClick(int32_t id) {
    for (int i = 0; i < 2; ++i) {
        if (m_links[i] != nullptr && id == m_links[i]->GetId()) {
            OpenPage(i);
            return;
        }
    }
    if (m_exitButton != nullptr && id == m_exitButton->GetId() &&
        !m_exitDialog->GetDialog()->IsShown()) {
        AskExit();
    }
}

void GameImpl::OnDialogShown(int32_t id, bool shown) {
    const NewPlayerDialog* prompt = m_startModule->GetNewPlayerDialog();
    if (prompt != nullptr && id == prompt->GetDialogId() && m_exitButton != nullptr) {
        const bool usable = ExitStaysUsable();  // the dialog is shown or hidden already
        m_exitButton->SetModalExempt(usable);
        if (usable && shown) {
            m_exitButton->SetEnabled(true);  // the prompt disabled it as it opened
        }
        return;
    }
    if (!shown && m_playersDialog != nullptr && id == m_playersDialog->GetDialogId()) {
        if (m_playersDialog->GetResult() && m_startModule->IsActive()) {
            LightStartTarget(-1);
            m_gameModule->SetSeats(m_playersDialog->GetSeats());
            m_startModule->Hide();
            m_gameModule->Show();
        }
        return;
    }
    if (!shown && m_optionsDialog != nullptr && id == m_optionsDialog->GetDialogId()) {
        if (m_gameModule->IsActive()) {
            m_gameModule->ShowMenu();  // back where the player came from
        }
        return;
    }
    if (shown || m_exitDialog == nullptr || id != m_exitDialog->GetDialogId()) {
        return;
    }
    if (m_exitDialog->GetResult()) {
        if (m_sysApp != nullptr) {
            m_sysApp->Quit();
        }
    } else {
        m_gameModule->Pause(false);
        m_exitButton->SetModalExempt(ExitStaysUsable());
        if (prompt != nullptr && prompt->IsShown()) {
            prompt->GetEditBox()->SetFocus(true);  // typing goes on where it was
        }
    }
}

}  // namespace Gamespace
