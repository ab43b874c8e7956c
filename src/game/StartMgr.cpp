#include "game/StartMgr.h"

#include <algorithm>
#include "controls/Factory_impl.h"
#include "game/CardSets.h"
#include "game/Profiles.h"
#include "time/TimeSystem_impl.h"

namespace Gamespace {

using ControlLibrary::GetFactory;

namespace {
constexpr Colour kDarkOlive{103, 102, 87};
constexpr Colour kDarkRed{64, 0, 0};
constexpr Colour kBlue{25, 25, 250};
constexpr const char* kPromptFont = "fonts/Pristina18.txt";

// The start screen and its dialogs, from the screen's (or the dialog's) centre.
constexpr Extent kPromptDialogSize{400, 200};
constexpr Extent kPromptButtonSize{108, 27};
constexpr int32_t kPromptCaptionY = -5;
namespace ErrorLayout {
constexpr Spot kLabel{0, -25};
constexpr Spot kOk{0, 50};
}  // namespace ErrorLayout
namespace NewPlayerLayout {
constexpr Spot kCreate{100, 200 / 2 - 40};  // 40 above the bottom
constexpr Spot kCancel{-100, 200 / 2 - 40};
constexpr Spot kPrompt{0, -50};
constexpr Spot kNameBox{0, -8};
constexpr Extent kNameBoxSize{310, 33};
constexpr int32_t kNameBoxCaptionY = -5;
}  // namespace NewPlayerLayout
// With the other players listed: a taller dialog.
namespace PlayerListLayout {
constexpr Extent kSize{400, 400};
constexpr Spot kPrompt{0, -150};
constexpr Spot kNameBox{0, -112};
constexpr int32_t kFirstRowY = -66;
constexpr int32_t kRowStep = 30;
constexpr Extent kRowSize{240, 27};
constexpr int32_t kScrollX = 155;
constexpr Extent kScrollSize{60, 27};
constexpr Spot kCancel{-120, 400 / 2 - 45};
constexpr Spot kDelete{0, 400 / 2 - 45};
constexpr Spot kCreate{120, 400 / 2 - 45};
}  // namespace PlayerListLayout
namespace DeleteLayout {
constexpr Spot kLabel{0, -25};
constexpr Spot kYes{130, 50};
constexpr Spot kNo{0, 50};  // the safe answer on the picture's plate
}  // namespace DeleteLayout
namespace PlayersLayout {
constexpr Extent kSize{400, 400};
constexpr Spot kTitle{0, -160};
constexpr Spot kFirst{0, -122};
constexpr int32_t kFirstSeatY = -88;
constexpr int32_t kSeatStep = 32;
constexpr Extent kSeatSize{240, 27};
constexpr Spot kPrompt{0, 12};
constexpr Spot kNameBox{0, 48};
constexpr Spot kAdd{0, 88};
constexpr Spot kCancel{-130, 400 / 2 - 45};
constexpr Spot kPlay{0, 400 / 2 - 45};  // on the picture's plate
}  // namespace PlayersLayout
namespace StartLayout {
constexpr Spot kGreeting{kCx, kCy - 100};
constexpr Spot kName{kCx, kCy - 30};
constexpr Spot kBests{kCx, kCy + 25};
constexpr Spot kPlay{kCx, kCy + 125};
constexpr Spot kInvitation{kCx, kCy + 240};
constexpr ButtonShape kPlayShape{Layer::kStartButtons, {114, 48}, -17};
constexpr ButtonShape kInvitationShape{Layer::kStartButtons, {114, 48}, -5};
constexpr uint32_t kInvitationHeight = 27;  // its width follows the text
// The row of buttons between "Play" and the invitation.
constexpr int32_t kRowY = kCy + 183;
constexpr int32_t kRowGap = 14;
constexpr ButtonShape kRowShape{Layer::kStartButtons, {114, 44}, -15};
}  // namespace StartLayout

// A name box in `font`, white on black, 14 characters at most, a child of `dialog`.
void SetUpNameBox(ControlLibrary::IEditBoxVO* edit, ControlLibrary::IFont* font,
                  ControlLibrary::IEditBoxMsgObserver* editObserver,
                  ControlLibrary::KeybdMessageObserver* keyObserver,
                  ControlLibrary::IDialogVO* dialog) {
    edit->SetFont(font);
    edit->SetAlignment(kAlignCentre, kAlignCentre);
    edit->SetZOrder(Layer::kLabels);
    edit->SetTextColour(kWhite);
    edit->SetColour(kBlack);
    edit->AddEditObserver(editObserver);
    edit->AddKeybdObserver(keyObserver);
    dialog->AddChild(edit);
    edit->SetSize(NewPlayerLayout::kNameBoxSize.width, NewPlayerLayout::kNameBoxSize.height);
    edit->SetTextOffset(0, NewPlayerLayout::kNameBoxCaptionY);
    edit->SetMaxLength(14);
}

void SetPosition(ControlLibrary::IVisibleObject* object, Spot spot) {
    object->SetPosition(spot.x, spot.y);
}
}  // namespace

// --- error dialog -------------------------------------------------------------------

ErrorDialog::ErrorDialog(ControlLibrary::DialogMessageObserver* owner) : BaseDialog(owner) {
    m_dialog->SetSize(kPromptDialogSize.width, kPromptDialogSize.height);
    m_dialog->SetBackgroundImage("images/dialog_add_del.png");
    const ButtonStyle style = PromptButtonStyle(MakeFont(kMenuFont), "sounds/menulight.wav");
    m_ok = MakeChildButton(style, Tr("Ok"), kPromptButtonSize, kPromptCaptionY);
    m_label = MakeLabel(MakeFont(kPromptFont), Tr("Player with this name already exist!"),
                        Layer::kLabels, kPaleYellow);
}

void ErrorDialog::Layout() {
    Place(m_label, ErrorLayout::kLabel);
    Place(m_ok, ErrorLayout::kOk);
}

void ErrorDialog::OnMouseClick(int32_t id) {
    if (id == m_ok->GetId()) {
        Show(false);
    }
}

// --- deletion question -----------------------------------------------------------------

DeleteDialog::DeleteDialog(ControlLibrary::DialogMessageObserver* owner) : BaseDialog(owner) {
    m_dialog->SetSize(kPromptDialogSize.width, kPromptDialogSize.height);
    m_dialog->SetBackgroundImage("images/dialog_add_del.png");
    const ButtonStyle style = PromptButtonStyle(MakeFont(kMenuFont), "sounds/menulight.wav");
    m_yesButton = MakeChildButton(style, Tr("Yes"), kPromptButtonSize, kPromptCaptionY);
    m_noButton = MakeChildButton(style, Tr("No"), kPromptButtonSize, kPromptCaptionY);
    m_yesButton->SetBackgroundHidden(false);  // no plate for it in the picture
    m_label = MakeLabel(MakeFont(kPromptFont), "", Layer::kLabels, kPaleYellow);
}

void DeleteDialog::Ask(const std::string& name) {
    m_name = name;
    m_yes = false;
    m_label->SetText(WithName("Delete {name} and their bests?", name));
    Show(true);
}

void DeleteDialog::Layout() {
    Place(m_label, DeleteLayout::kLabel);
    Place(m_yesButton, DeleteLayout::kYes);
    Place(m_noButton, DeleteLayout::kNo);
}

void DeleteDialog::OnMouseClick(int32_t id) {
    if (id == m_yesButton->GetId()) {
        m_yes = true;
        Show(false);
    } else if (id == m_noButton->GetId()) {
        m_yes = false;
        Show(false);
    }
}

// --- new-player dialog ----------------------------------------------------------------

NewPlayerDialog::NewPlayerDialog(ControlLibrary::DialogMessageObserver* owner) : BaseDialog(owner) {
    m_dialog->SetSize(kPromptDialogSize.width, kPromptDialogSize.height);
    m_dialog->SetBackgroundImage("images/dialog/new_player.png");
    ControlLibrary::IFont* font = MakeFont(kMenuFont);
    const ButtonStyle style = PromptButtonStyle(font, "sounds/menu.ogg");
    m_create = MakeChildButton(style, Tr("Create"), kPromptButtonSize, kPromptCaptionY);
    m_cancel = MakeChildButton(style, Tr("Cancel"), kPromptButtonSize, kPromptCaptionY);
    m_delete = MakeChildButton(style, Tr("Delete"), kPromptButtonSize, kPromptCaptionY);
    m_scrollUp = MakeChildButton(style, Tr("Up"), PlayerListLayout::kScrollSize, kPromptCaptionY);
    m_scrollDown =
        MakeChildButton(style, Tr("Down"), PlayerListLayout::kScrollSize, kPromptCaptionY);
    const ButtonStyle rowStyle{font,
                               "images/btn_def.png",
                               kMenuButtonFrames,
                               {kWhite, kPaleYellow, kGrey, kBlack, kBlack}};
    for (size_t r = 0; r < kVisibleRows; ++r) {
        m_rows.push_back(
            MakeChildButton(rowStyle, "", PlayerListLayout::kRowSize, kPromptCaptionY));
    }
    m_prompt =
        MakeLabel(MakeFont(kPromptFont), Tr("Enter your name:"), Layer::kLabels, kPaleYellow);

    m_edit = Own(GetFactory()->CreateEditBoxVO());
    SetUpNameBox(m_edit, font, this, this, m_dialog);
    m_edit->SetBackgroundHidden(true);

    m_error = std::make_unique<ErrorDialog>(this);
    m_confirm = std::make_unique<DeleteDialog>(this);
    ShowRows();  // nothing listed until it opens
}

std::vector<ControlLibrary::IButtonVO*> NewPlayerDialog::KeyButtons() const {
    if (!HasList()) {
        return {m_cancel, m_create};  // left to right
    }
    return {m_cancel, m_delete, m_create};
}

void NewPlayerDialog::Show(bool on) {
    if (on) {
        m_top = 0;
        m_lit = -1;
        FillList();
        m_withList = !m_listed.empty();
        // The small picture has the name box and the buttons' plates drawn
        // in; on the tall one they draw their own.
        for (ControlLibrary::IButtonVO* b : {m_cancel, m_delete, m_create}) {
            b->SetBackgroundHidden(!m_withList);
        }
        m_edit->SetBackgroundHidden(!m_withList);
        if (m_withList) {
            m_dialog->SetSize(PlayerListLayout::kSize.width, PlayerListLayout::kSize.height);
            m_dialog->SetBackgroundImage("images/dialog/dlg_finish.png");
        } else {
            m_dialog->SetSize(kPromptDialogSize.width, kPromptDialogSize.height);
            m_dialog->SetBackgroundImage("images/dialog/new_player.png");
        }
    }
    BaseDialog::Show(on);
}

void NewPlayerDialog::FillList() {
    m_listed.clear();
    for (const Player* p : PlayerList::Instance()->OthersByName()) {
        m_listed.push_back(p->name);
    }
    if (m_lit >= static_cast<int>(m_listed.size())) {
        m_lit = static_cast<int>(m_listed.size()) - 1;
    }
    const size_t rows = kVisibleRows;
    m_top = m_listed.size() <= rows ? 0 : std::min(m_top, m_listed.size() - rows);
    ShowRows();
}

void NewPlayerDialog::ShowRows() {
    const bool shown = m_dialog->IsShown();
    for (size_t r = 0; r < m_rows.size(); ++r) {
        const size_t i = m_top + r;
        const bool used = i < m_listed.size();
        m_rows[r]->SetText(used ? m_listed[i] : "");
        m_rows[r]->SetHighlighted(used && static_cast<int>(i) == m_lit);
        m_rows[r]->SetShowWithParent(used);
        m_rows[r]->SetShown(used && shown);
    }
    const bool list = HasList();
    const bool scrolls = m_listed.size() > kVisibleRows;
    for (ControlLibrary::IButtonVO* b : {m_delete, m_scrollUp, m_scrollDown}) {
        const bool with = b == m_delete ? list : scrolls;
        b->SetShowWithParent(with);
        b->SetShown(with && shown);
    }
    m_delete->SetEnabled(m_lit >= 0);
    m_scrollUp->SetEnabled(m_top > 0);
    m_scrollDown->SetEnabled(m_top + kVisibleRows < m_listed.size());
}

void NewPlayerDialog::Light(int index) {
    m_lit = index;
    if (index >= 0) {
        const auto i = static_cast<size_t>(index);
        if (i < m_top) {
            m_top = i;
        } else if (i >= m_top + kVisibleRows) {
            m_top = i + 1 - kVisibleRows;
        }
    }
    ShowRows();
}

void NewPlayerDialog::Pick(int index) {
    if (index < 0 || index >= static_cast<int>(m_listed.size())) {
        return;
    }
    PlayerList* players = PlayerList::Instance();
    if (Player* chosen = players->Find(m_listed[static_cast<size_t>(index)])) {
        players->SetCurrent(*chosen, true);
        static_cast<void>(players->SaveAll());  // who is current survives a crash
        Show(false);
    }
}

bool NewPlayerDialog::HandleKey(int32_t key, bool shift) {
    if (!m_listed.empty() && (key == kKeyDown || key == kKeyUp)) {
        Highlight(-1);  // the list's turn: no button lit beside it
        const int last = static_cast<int>(m_listed.size()) - 1;
        Light(key == kKeyDown ? std::min(m_lit + 1, last) : std::max(m_lit - 1, -1));
        return true;
    }
    return BaseDialog::HandleKey(key, shift);
}

void NewPlayerDialog::Layout() {
    if (!m_withList) {
        Place(m_create, NewPlayerLayout::kCreate);
        Place(m_cancel, NewPlayerLayout::kCancel);
        Place(m_prompt, NewPlayerLayout::kPrompt);
        Place(m_edit, NewPlayerLayout::kNameBox);
        return;
    }
    Place(m_create, PlayerListLayout::kCreate);
    Place(m_cancel, PlayerListLayout::kCancel);
    Place(m_delete, PlayerListLayout::kDelete);
    Place(m_prompt, PlayerListLayout::kPrompt);
    Place(m_edit, PlayerListLayout::kNameBox);
    for (size_t r = 0; r < m_rows.size(); ++r) {
        Place(m_rows[r], {0, PlayerListLayout::kFirstRowY +
                                 static_cast<int32_t>(r) * PlayerListLayout::kRowStep});
    }
    const int32_t lastRowY = PlayerListLayout::kFirstRowY +
                             static_cast<int32_t>(kVisibleRows - 1) * PlayerListLayout::kRowStep;
    Place(m_scrollUp, {PlayerListLayout::kScrollX, PlayerListLayout::kFirstRowY});
    Place(m_scrollDown, {PlayerListLayout::kScrollX, lastRowY});
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
    } else if (id == m_delete->GetId()) {
        if (m_lit >= 0 && m_lit < static_cast<int>(m_listed.size())) {
            m_confirm->Ask(m_listed[static_cast<size_t>(m_lit)]);
        }
    } else if (id == m_scrollUp->GetId() || id == m_scrollDown->GetId()) {
        const bool down = id == m_scrollDown->GetId();
        if (down && m_top + kVisibleRows < m_listed.size()) {
            ++m_top;
        } else if (!down && m_top > 0) {
            --m_top;
        }
        ShowRows();
        m_edit->SetFocus(true);  // the keys go on working where they did
    } else {
        for (size_t r = 0; r < m_rows.size(); ++r) {
            if (id == m_rows[r]->GetId()) {
                // A click lights a player ("Delete" then acts on them); a
                // click on the lit one picks them.
                const auto index = static_cast<int>(m_top + r);
                if (index == m_lit) {
                    Pick(index);
                } else {
                    Light(index);
                    m_edit->SetFocus(true);
                }
                return;
            }
        }
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
    if (m_lit >= 0) {
        Pick(m_lit);  // the player lit in the list
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
    const bool asked = id == m_confirm->GetDialogId() && !shown;
    if (id == GetDialogId() && !shown) {
        m_withList = false;  // the next showing sizes itself again
    }
    if (asked) {
        if (m_confirm->GetResult()) {
            // A file that cannot go keeps its player listed.
            static_cast<void>(PlayerList::Instance()->Remove(m_confirm->GetName()));
            m_lit = -1;
            FillList();
        }
        m_edit->SetFocus(true);
        return;
    }
    if (!mine && !errorClosed) {
        return;
    }
    m_edit->SetText("");
    m_edit->SetFocus(true);
    m_cancel->SetEnabled(!PlayerList::Instance()->GetPlayers().empty());
    m_create->SetEnabled(false);
}

// --- who plays ------------------------------------------------------------------------

PlayersDlg::PlayersDlg(ControlLibrary::DialogMessageObserver* owner) : BaseDialog(owner) {
    m_dialog->SetSize(PlayersLayout::kSize.width, PlayersLayout::kSize.height);
    m_dialog->SetBackgroundImage("images/dialog/dlg_finish.png");
    ControlLibrary::IFont* font = MakeFont(kMenuFont);
    const ButtonStyle style = PromptButtonStyle(font, "sounds/menu.ogg");
    ControlLibrary::IFont* promptFont = MakeFont(kPromptFont);
    m_title = MakeLabel(promptFont, Tr("Who plays?"), Layer::kLabels, kGold);
    m_first = MakeLabel(font, "", Layer::kLabels, kPaleYellow);
    for (ControlLibrary::IButtonVO*& seat : m_seatButtons) {
        seat = MakeChildButton(style, "", PlayersLayout::kSeatSize, kPromptCaptionY);
    }
    m_prompt = MakeLabel(promptFont, Tr("Or a new player:"), Layer::kLabels, kPaleYellow);
    m_edit = Own(GetFactory()->CreateEditBoxVO());
    SetUpNameBox(m_edit, font, this, this, m_dialog);
    m_add = MakeChildButton(style, Tr("Add"), kPromptButtonSize, kPromptCaptionY);
    m_cancel = MakeChildButton(style, Tr("Cancel"), kPromptButtonSize, kPromptCaptionY);
    m_playButton = MakeChildButton(style, Tr("Play"), kPromptButtonSize, kPromptCaptionY);
    // The picture has no plates for these: they draw their own.
    m_add->SetBackgroundHidden(false);
    m_cancel->SetBackgroundHidden(false);
    m_error = std::make_unique<ErrorDialog>(this);
}

std::vector<ControlLibrary::IButtonVO*> PlayersDlg::KeyButtons() const {
    return {m_seatButtons[0], m_seatButtons[1], m_seatButtons[2], m_add, m_cancel, m_playButton};
}

std::vector<Seat> PlayersDlg::GetSeats() const {
    std::vector<Seat> seats{{PlayerList::Instance()->GetCurrent().name, std::nullopt}};
    for (const auto& seat : m_seats) {
        if (seat) {
            seats.push_back(*seat);
        }
    }
    return seats;
}

void PlayersDlg::Show(bool on) {
    if (on) {
        m_play = false;
        // The choices of the last time stay while those players are there and not current.
        PlayerList* players = PlayerList::Instance();
        for (auto& seat : m_seats) {
            if (seat && !seat->computer) {
                const Player* p = players->Find(seat->name);
                if (p == nullptr || p->current) {
                    seat.reset();
                }
            }
        }
        m_first->SetText(players->GetCurrent().name);
        ShowSeats();
    }
    BaseDialog::Show(on);
}

void PlayersDlg::ShowSeats() {
    size_t seated = 0;
    for (size_t i = 0; i < kOtherSeats; ++i) {
        m_seatButtons[i]->SetText(m_seats[i] ? SeatName(*m_seats[i]) : Tr("Nobody"));
        seated += m_seats[i] ? 1 : 0;
    }
    m_playButton->SetEnabled(seated > 0);
}

void PlayersDlg::NextChoice(size_t i) {
    // Every choice in order: nobody, the players free for this seat, the computer.
    std::vector<std::optional<Seat>> choices{std::nullopt};
    for (const Player* p : PlayerList::Instance()->OthersByName()) {
        const Seat seat{p->name, std::nullopt};
        bool elsewhere = false;
        for (size_t j = 0; j < kOtherSeats; ++j) {
            elsewhere = elsewhere || (j != i && m_seats[j] == seat);
        }
        if (!elsewhere) {
            choices.emplace_back(seat);
        }
    }
    for (Rules::Strength strength :
         {Rules::Strength::Forgetful, Rules::Strength::Good, Rules::Strength::Sharp}) {
        choices.emplace_back(Seat{"", strength});
    }
    const auto at = std::find(choices.begin(), choices.end(), m_seats[i]);
    const size_t next = at == choices.end() ? 0 : static_cast<size_t>(at - choices.begin()) + 1;
    m_seats[i] = choices[next % choices.size()];
    ShowSeats();
}

void PlayersDlg::AddTyped() {
    std::string name;
    m_edit->GetText(name);
    if (name.empty()) {
        return;
    }
    PlayerList* players = PlayerList::Instance();
    const Player* known = players->Find(name);
    if (known == nullptr) {
        if (!players->Add(Player(false, name, kHard))) {
            m_error->Show(true);
            return;
        }
        static_cast<void>(players->SaveAll());  // the new player survives a crash
    }
    const Seat seat{name, std::nullopt};
    const bool seated =
        std::find(std::begin(m_seats), std::end(m_seats), seat) != std::end(m_seats);
    if ((known != nullptr && known->current) || seated) {
        m_error->Show(true);  // already playing
        return;
    }
    // The first free seat, or the last one when all are taken.
    auto free = std::find(std::begin(m_seats), std::end(m_seats), std::nullopt);
    *(free != std::end(m_seats) ? free : std::end(m_seats) - 1) = seat;
    m_edit->SetText("");
    m_add->SetEnabled(false);
    ShowSeats();
}

void PlayersDlg::Layout() {
    Place(m_title, PlayersLayout::kTitle);
    Place(m_first, PlayersLayout::kFirst);
    for (size_t i = 0; i < kOtherSeats; ++i) {
        Place(m_seatButtons[i],
              {0, PlayersLayout::kFirstSeatY + static_cast<int32_t>(i) * PlayersLayout::kSeatStep});
    }
    Place(m_prompt, PlayersLayout::kPrompt);
    Place(m_edit, PlayersLayout::kNameBox);
    Place(m_add, PlayersLayout::kAdd);
    Place(m_cancel, PlayersLayout::kCancel);
    Place(m_playButton, PlayersLayout::kPlay);
}

void PlayersDlg::OnMouseClick(int32_t id) {
    for (size_t i = 0; i < kOtherSeats; ++i) {
        if (id == m_seatButtons[i]->GetId()) {
            NextChoice(i);
            m_edit->SetFocus(true);
            return;
        }
    }
    if (id == m_add->GetId()) {
        AddTyped();
        m_edit->SetFocus(true);
    } else if (id == m_cancel->GetId()) {
        m_play = false;
        Show(false);
    } else if (id == m_playButton->GetId()) {
        m_play = true;
        Show(false);
    }
}

void PlayersDlg::OnKeyDown(int32_t /*id*/, int32_t key) {
    if (key != kKeyReturn) {
        return;
    }
    if (ControlLibrary::IButtonVO* chosen = GetHighlighted()) {
        chosen->Press();  // the button the keys moved to stays lit: a seat may be pressed again
        return;
    }
    std::string text;
    m_edit->GetText(text);
    (text.empty() ? m_playButton : m_add)->Press();
}

void PlayersDlg::OnTextChanged(int32_t /*id*/) {
    std::string text;
    m_edit->GetText(text);
    m_add->SetEnabled(!text.empty());
}

void PlayersDlg::OnDialogShown(int32_t id, bool shown) {
    const bool mine = id == GetDialogId() && shown;
    const bool errorClosed = id == m_error->GetDialogId() && !shown;
    if (!mine && !errorClosed) {
        return;
    }
    m_edit->SetText("");
    m_edit->SetFocus(true);
    m_add->SetEnabled(false);
}

bool PlayersDlg::HandleKey(int32_t key, bool shift) {
    if (key == kKeyDown || key == kKeyUp) {
        return BaseDialog::HandleKey(kKeyTab, key == kKeyUp);
    }
    return BaseDialog::HandleKey(key, shift);
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
    const ButtonStyle style = StartButtonStyle();
    m_play = MakeButton(style, Tr("Play"), StartLayout::kPlayShape, this);
    m_play->AddKeybdObserver(this);
    m_create = MakeButton(style, Tr("Create"), StartLayout::kInvitationShape, this);
    m_create->AddKeybdObserver(this);
    m_create->SetBackgroundHidden(true);
    m_create->SetTextColours({kDarkOlive, kPaleYellow, kGrey, kBlack, kBlack});

    m_background = factory->CreateImageVO();
    m_background->LoadImage("images/start_fon.jpg", true);
    m_background->SetAlignment(kAlignCentre, kAlignCentre);
    m_background->SetZOrder(Layer::kStartBackground);

    m_labelFont = LoadFont("fonts/KBChopinScript36.txt");
    ControlLibrary::IFont* smallFont = LoadFont("fonts/KBChopinScript28.txt");
    for (ControlLibrary::IStringVO** label : {&m_greeting, &m_name}) {
        *label = factory->CreateStringVO();
        (*label)->SetFont(smallFont);
        (*label)->SetAlignment(kAlignCentre, kAlignCentre);
        (*label)->SetZOrder(Layer::kLabels);
        (*label)->SetColour(kDarkRed);
        (*label)->SetFont(m_labelFont);
    }
    factory->ReleaseFont(smallFont);  // the labels moved on to the larger font
    m_bestsFont = LoadFont("fonts/Pristina18.txt");
    m_bests = factory->CreateStringVO();
    m_bests->SetFont(m_bestsFont);
    m_bests->SetAlignment(kAlignCentre, kAlignCentre);
    m_bests->SetZOrder(Layer::kLabels);
    m_bests->SetColour(kDarkOlive);
    m_bests->SetShown(false);
    // Translators: the greeting above the player's name on the start screen.
    m_greeting->SetText(Tr("Welcom,"));
    m_greeting->SetColour(kBlack);
    m_name->SetColour(kBlue);

    m_newPlayer = std::make_unique<NewPlayerDialog>(this);
    m_statistics = std::make_unique<StatisticsDlg>(this);
    if (TimeLibrary::ITimeSystem* time = TimeLibrary::GetTimeSystem()) {
        m_firstRunTimer = time->CreateTimeObject(this, 1, 1);
    }

    SetPosition(m_greeting, StartLayout::kGreeting);
    SetPosition(m_name, StartLayout::kName);
    SetPosition(m_bests, StartLayout::kBests);
    SetPosition(m_play, StartLayout::kPlay);
    SetPosition(m_create, StartLayout::kInvitation);
    SetPosition(m_background, {kCx, kCy});
    m_owned.Keep(m_measuringFont, m_labelFont, m_pressSound, m_background, m_play, m_create,
                 m_greeting, m_name, m_bestsFont, m_bests);

    m_cards = std::make_unique<CardsDialog>(this);
    AddRowButton(RowSlot::Cards, Tr("Cards"), [this] { m_cards->Show(true); });
    AddRowButton(RowSlot::Statistics, Tr("Statistics"), [this] { m_statistics->Show(true); });
}

ButtonStyle StartMgr::StartButtonStyle() const {
    const ControlLibrary::RectSet frames{
        {{0, 0, 114, 44}, {0, 88, 114, 44}, {0, 0, 114, 44}, {0, 44, 114, 44}}};
    return {m_measuringFont,
            "images/dialog/btn_def.png",
            frames,
            {kBlack, kPaleYellow, kGrey, kBlack, kBlack},
            m_pressSound};
}

ControlLibrary::IButtonVO* StartMgr::AddRowButton(RowSlot slot, const std::string& caption,
                                                  std::function<void()> press) {
    const ButtonStyle style = StartButtonStyle();
    ControlLibrary::IButtonVO* button =
        m_owned.Own(MakeButton(style, caption, StartLayout::kRowShape, this));
    button->AddKeybdObserver(this);
    button->SetShown(m_active);
    const auto at = std::find_if(m_row.begin(), m_row.end(),
                                 [slot](const RowButton& b) { return b.slot > slot; });
    m_row.insert(at, {slot, button, std::move(press)});
    LayoutRow();
    return button;
}

std::vector<ControlLibrary::IButtonVO*> StartMgr::GetRowButtons() const {
    std::vector<ControlLibrary::IButtonVO*> buttons;
    for (const RowButton& b : m_row) {
        buttons.push_back(b.button);
    }
    return buttons;
}

ControlLibrary::IButtonVO* StartMgr::GetRowButton(RowSlot slot) const {
    for (const RowButton& b : m_row) {
        if (b.slot == slot) {
            return b.button;
        }
    }
    return nullptr;
}

void StartMgr::LayoutRow() {
    const auto count = static_cast<int32_t>(m_row.size());
    const auto width = static_cast<int32_t>(StartLayout::kRowShape.size.width);
    const int32_t span = count * width + (count - 1) * StartLayout::kRowGap;
    int32_t x = kCx - span / 2 + width / 2;
    for (const RowButton& b : m_row) {
        SetPosition(b.button, {x, StartLayout::kRowY});
        x += width + StartLayout::kRowGap;
    }
}

void StartMgr::Release() {
    m_row.clear();
    m_statistics.reset();
    m_newPlayer.reset();
    m_cards.reset();
    m_owned.ReleaseAll();
}

void StartMgr::Show() {
    m_active = true;
    m_background->SetShown(true);
    m_greeting->SetShown(true);
    m_name->SetShown(true);
    m_play->SetShown(true);
    m_create->SetShown(true);
    for (const RowButton& b : m_row) {
        b.button->SetShown(true);
    }
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
    for (const RowButton& b : m_row) {
        b.button->SetShown(false);
    }
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
    // Translators: the player's name below the greeting.
    m_name->SetText(WithName("{name}!", name));
    // "Your bests   Easy 0:12 in 5   Medium 1:2 in 11": the difficulties played
    // to the end with the player's cards, whose name is told when they are not
    // the first built-in set.
    const CardSet& set = CardSets::Instance()->ForPlayer(current);
    const BestsKey key = CardSets::KeyOf(set);
    std::string bests;
    for (uint16_t d = 0; d < kDifficultyCount; ++d) {
        const PersonalBest& best = current.BestsFor(key)[d];
        if (best.games > 0) {
            // Translators: one difficulty's best after "Your bests": its time (m:s) and fewest
            // attempts.
            bests += Filled("   {level} {time} in {attempts}",
                            {{"level", Tr(kDifficultyNames[d])},
                             {"time", ResultTime(best.bestSeconds)},
                             {"attempts", std::to_string(best.fewestAttempts)}});
        }
    }
    const std::string title = key.cardSet.empty()
                                  ? Tr("Your bests")
                                  : Filled("Your bests with {set}", {{"set", set.name}});
    m_bests->SetText(bests.empty() ? "" : title + bests);
    m_bests->SetShown(m_active && !bests.empty());
    // Translators: the link that opens the list of players, under the greeting.
    const std::string invitation = WithName("if you not {name} click here", name);
    m_create->SetText(invitation);
    m_create->SetSize(static_cast<uint16_t>(m_measuringFont->GetTextWidth(invitation)),
                      StartLayout::kInvitationHeight);
}

void StartMgr::OnMouseClick(int32_t id) {
    if (m_play != nullptr && id == m_play->GetId()) {
        m_play->SetShown(false);
        m_observer->OnModuleFinished(m_id);
    } else if (m_create != nullptr && id == m_create->GetId()) {
        m_newPlayer->Show(true);
    } else {
        for (const RowButton& b : m_row) {
            if (id == b.button->GetId()) {
                b.press();
                return;
            }
        }
    }
}

void StartMgr::OnTimeObjectFinish(int32_t id) {
    if (m_firstRunTimer != nullptr && id == m_firstRunTimer->GetId()) {
        m_newPlayer->Show(true);
    }
}

void StartMgr::OnDialogShown(int32_t id, bool shown) {
    if (m_cards != nullptr && id == m_cards->GetDialogId()) {
        if (!shown) {
            Refresh();  // the bests of the set chosen
        }
        return;
    }
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
