#include "game/StartMgr.h"

#include "controls/Factory_impl.h"
#include "game/Profiles.h"
#include "time/TimeSystem_impl.h"

namespace Gamespace {

using ControlLibrary::GetFactory;

namespace {
constexpr Colour kDarkOlive{103, 102, 87};
constexpr Colour kDarkRed{64, 0, 0};
constexpr Colour kBlue{25, 25, 250};
constexpr const char* kPromptFont = "fonts/Pristina18.txt";
}  // namespace

// --- error dialog -------------------------------------------------------------------

ErrorDialog::ErrorDialog(ControlLibrary::DialogMessageObserver* owner) : BaseDialog(owner) {
    m_dialog->SetSize(400, 200);
    m_dialog->SetBackgroundImage("images/dialog_add_del.png");
    const ButtonStyle style{MakeFont(kMenuFont),
                            "images/btn_def.png",
                            kMenuButtonFrames,
                            {kWhite, kPaleYellow, kGrey, kBlack, kBlack},
                            Own(LoadSound("sounds/menulight.wav"))};
    m_ok = MakeChildButton(style, "Ok", 108, 27, -5);
    m_label =
        MakeLabel(MakeFont(kPromptFont), "Player with this name already exist!", 100, kPaleYellow);
}

void ErrorDialog::Layout() {
    Place(m_label, Width() / 2, Height() / 2 - 25);
    Place(m_ok, Width() / 2, Height() / 2 + 50);
}

void ErrorDialog::OnMouseClick(int32_t id) {
    if (id == m_ok->GetId()) {
        Show(false);
    }
}

// --- new-player dialog ----------------------------------------------------------------

NewPlayerDialog::NewPlayerDialog(ControlLibrary::DialogMessageObserver* owner) : BaseDialog(owner) {
    m_dialog->SetSize(400, 200);
    m_dialog->SetBackgroundImage("images/dialog/new_player.png");
    ControlLibrary::IFont* font = MakeFont(kMenuFont);
    const ButtonStyle style{font,
                            "images/btn_def.png",
                            kMenuButtonFrames,
                            {kWhite, kPaleYellow, kGrey, kBlack, kBlack},
                            Own(LoadSound("sounds/menu.ogg"))};
    m_create = MakeChildButton(style, "Create", 108, 27, -5);
    m_cancel = MakeChildButton(style, "Cancel", 108, 27, -5);
    m_prompt = MakeLabel(MakeFont(kPromptFont), "Enter your name:", 100, kPaleYellow);

    m_edit = Own(GetFactory()->CreateEditBoxVO());
    m_edit->SetFont(font);
    m_edit->SetAlignment(kAlignCentre, kAlignCentre);
    m_edit->SetZOrder(100);
    m_edit->SetTextColour(kWhite);
    m_edit->SetColour(kBlack);
    m_edit->AddEditObserver(this);
    m_edit->AddKeybdObserver(this);
    m_dialog->AddChild(m_edit);
    m_edit->SetSize(310, 33);
    m_edit->SetTextOffset(0, -5);
    m_edit->SetMaxLength(14);
    m_edit->SetBackgroundHidden(true);

    m_error = std::make_unique<ErrorDialog>(this);
}

void NewPlayerDialog::Layout() {
    Place(m_create, Width() / 2 + 100, Height() - 40);
    Place(m_cancel, Width() / 2 - 100, Height() - 40);
    Place(m_prompt, Width() / 2, Height() / 2 - 50);
    Place(m_edit, Width() / 2, Height() / 2 - 8);
}

void NewPlayerDialog::OnMouseClick(int32_t id) {
    if (id == m_create->GetId()) {
        Player record;
        record.current = false;
        m_edit->GetText(record.name);
        record.difficulty = kHard;
        PlayerList* players = PlayerList::Instance();
        if (players->Add(record)) {
            players->SetCurrent(*players->GetPlayers().back(), true);
            // The new player, and who is current, survive a crash; failures are told.
            static_cast<void>(players->SaveAll());
            Show(false);
        } else {
            m_error->Show(true);  // nothing is written for a refused name
        }
    } else if (id == m_cancel->GetId()) {
        Show(false);
    }
}

void NewPlayerDialog::OnKeyDown(int32_t /*id*/, int32_t key) {
    if (key != kKeyReturn) {
        return;
    }
    if (ControlLibrary::IButtonVO* chosen = GetHighlighted()) {
        Highlight(-1);
        chosen->Press();  // the button Tab moved to
        return;
    }
    m_create->Press();  // a disabled button gives no click: an empty name does nothing
}

void NewPlayerDialog::OnTextChanged(int32_t /*id*/) {
    std::string text;
    m_edit->GetText(text);
    m_create->SetEnabled(!text.empty());
}

void NewPlayerDialog::OnDialogShown(int32_t id, bool shown) {
    const bool mine = id == GetDialogId() && shown;
    const bool errorClosed = id == m_error->GetDialogId() && !shown;
    if (!mine && !errorClosed) {
        return;
    }
    m_edit->SetText("");
    m_edit->SetFocus(true);
    m_cancel->SetEnabled(!PlayerList::Instance()->GetPlayers().empty());
    m_create->SetEnabled(false);
}

// --- start screen -----------------------------------------------------------------------

StartMgr::~StartMgr() {
    if (m_firstRunTimer != nullptr && TimeLibrary::GetTimeSystem() != nullptr) {
        TimeLibrary::GetTimeSystem()->DestroyTimeObject(m_firstRunTimer);
    }
}

void StartMgr::Initialize() {
    ControlLibrary::Factory_impl* factory = GetFactory();
    m_measuringFont = LoadFont("fonts/KBChopinScript28.txt");
    m_pressSound = LoadSound("sounds/menu.ogg");
    const ControlLibrary::RectSet frames{
        {{0, 0, 114, 44}, {0, 88, 114, 44}, {0, 0, 114, 44}, {0, 44, 114, 44}}};
    const ButtonStyle style{m_measuringFont,
                            "images/dialog/btn_def.png",
                            frames,
                            {kBlack, kPaleYellow, kGrey, kBlack, kBlack},
                            m_pressSound};
    m_play = MakeButton(style, "Play", 50, 114, 48, -17, this);
    m_play->AddKeybdObserver(this);
    m_create = MakeButton(style, "Create", 50, 114, 48, -5, this);
    m_create->AddKeybdObserver(this);
    m_create->SetBackgroundHidden(true);
    m_create->SetTextColours({kDarkOlive, kPaleYellow, kGrey, kBlack, kBlack});

    m_background = factory->CreateImageVO();
    m_background->LoadImage("images/start_fon.jpg", true);
    m_background->SetAlignment(kAlignCentre, kAlignCentre);
    m_background->SetZOrder(10);

    m_labelFont = LoadFont("fonts/KBChopinScript36.txt");
    ControlLibrary::IFont* smallFont = LoadFont("fonts/KBChopinScript28.txt");
    for (ControlLibrary::IStringVO** label : {&m_greeting, &m_name}) {
        *label = factory->CreateStringVO();
        (*label)->SetFont(smallFont);
        (*label)->SetAlignment(kAlignCentre, kAlignCentre);
        (*label)->SetZOrder(100);
        (*label)->SetColour(kDarkRed);
        (*label)->SetFont(m_labelFont);
    }
    factory->ReleaseFont(smallFont);  // the labels moved on to the larger font
    m_bestsFont = LoadFont("fonts/Pristina18.txt");
    m_bests = factory->CreateStringVO();
    m_bests->SetFont(m_bestsFont);
    m_bests->SetAlignment(kAlignCentre, kAlignCentre);
    m_bests->SetZOrder(100);
    m_bests->SetColour(kDarkOlive);
    m_bests->SetShown(false);
    m_greeting->SetText("Welcom,");
    m_greeting->SetColour(kBlack);
    m_name->SetColour(kBlue);

    m_newPlayer = std::make_unique<NewPlayerDialog>(this);
    if (TimeLibrary::ITimeSystem* time = TimeLibrary::GetTimeSystem()) {
        m_firstRunTimer = time->CreateTimeObject(this, 1, 1);
    }

    const int32_t cx = 512;
    const int32_t cy = 384;
    m_greeting->SetPosition(cx, cy - 100);
    m_name->SetPosition(cx, cy - 30);
    m_bests->SetPosition(cx, cy + 25);
    m_play->SetPosition(cx, cy + 125);
    m_create->SetPosition(cx, cy + 240);
    m_background->SetPosition(cx, cy);
    m_owned.Keep(m_measuringFont, m_labelFont, m_pressSound, m_background, m_play, m_create,
                 m_greeting, m_name, m_bestsFont, m_bests);
}

void StartMgr::Release() {
    m_newPlayer.reset();
    m_owned.ReleaseAll();
}

void StartMgr::Show() {
    m_active = true;
    m_background->SetShown(true);
    m_greeting->SetShown(true);
    m_name->SetShown(true);
    m_play->SetShown(true);
    m_create->SetShown(true);
    m_play->SetFocus(true);
    Refresh();
    if (PlayerList::Instance()->GetPlayers().empty() && m_firstRunTimer != nullptr) {
        m_firstRunTimer->Start(false, 0);  // finishes at the timer's next step
    }
}

void StartMgr::Hide() {
    m_background->SetShown(false);
    m_play->SetShown(false);
    m_create->SetShown(false);
    m_greeting->SetShown(false);
    m_name->SetShown(false);
    m_bests->SetShown(false);
    m_active = false;
}

void StartMgr::Refresh() {
    PlayerList* players = PlayerList::Instance();
    if (players->GetPlayers().empty()) {
        return;
    }
    const Player& current = players->GetCurrent();
    const std::string& name = current.name;
    m_name->SetText(name + "!");
    // "Your bests   Easy 0:12 in 5   Medium 1:2 in 11": the difficulties played to the end.
    std::string bests;
    const char* names[kDifficultyCount] = {"Easy", "Medium", "Hard"};
    for (uint16_t d = 0; d < kDifficultyCount; ++d) {
        const PersonalBest& best = current.bests[d];
        if (best.games > 0) {
            bests += std::string("   ") + names[d] + " " + ResultTime(best.bestSeconds) + " in " +
                     std::to_string(best.fewestAttempts);
        }
    }
    m_bests->SetText(bests.empty() ? "" : "Your bests" + bests);
    m_bests->SetShown(m_active && !bests.empty());
    const std::string invitation = "if you not " + name + " click here";
    m_create->SetText(invitation);
    m_create->SetSize(static_cast<uint16_t>(m_measuringFont->GetTextWidth(invitation)), 27);
}

void StartMgr::OnMouseClick(int32_t id) {
    if (m_play != nullptr && id == m_play->GetId()) {
        m_play->SetShown(false);
        m_observer->OnModuleFinished(m_id);
    } else if (m_create != nullptr && id == m_create->GetId()) {
        m_newPlayer->Show(true);
    }
}

void StartMgr::OnTimeObjectFinish(int32_t id) {
    if (m_firstRunTimer != nullptr && id == m_firstRunTimer->GetId()) {
        m_newPlayer->Show(true);
    }
}

void StartMgr::OnDialogShown(int32_t id, bool shown) {
    if (id != m_newPlayer->GetDialogId()) {
        return;
    }
    // The greeting stands where the dialog opens: it waits behind it whole,
    // not cut through.
    m_greeting->SetShown(!shown && m_active);
    m_name->SetShown(!shown && m_active);
    if (!shown) {
        m_play->SetFocus(true);
        Refresh();
    } else {
        m_bests->SetShown(false);
    }
}

}  // namespace Gamespace
