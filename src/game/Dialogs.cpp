#include "game/Dialogs.h"

#include "controls/Factory_impl.h"
#include "time/TimeSystem_impl.h"

namespace Gamespace {

using ControlLibrary::Factory_impl;
using ControlLibrary::GetFactory;

namespace {
constexpr const char* kButtonImage = "images/btn_def.png";

// Where each dialog puts its controls, from the dialog's centre.
constexpr Extent kDefaultDialogSize{200, 200};
constexpr Extent kMenuButtonSize{94, 26};
constexpr int32_t kMenuCaptionY = -5;
namespace MenuLayout {
constexpr Spot kResume{0, -30};
constexpr Spot kMainMenu{0, 30};
constexpr Spot kOptions{0, 72};
constexpr Spot kLabel{0, 0};
}  // namespace MenuLayout
namespace LevelsLayout {
constexpr int32_t kRowGap = 60;  // "Easy" above the centre, "Medium" on it, "Hard" below
}  // namespace LevelsLayout
namespace FinishLayout {
constexpr Extent kSize{400, 400};
constexpr Extent kTextSize{300, 300};
constexpr Spot kOk{0, 400 / 2 - 45};  // 45 above the bottom
constexpr Spot kText{0, -120};
}  // namespace FinishLayout
constexpr uint32_t kMatchTextWidth = 360;  // a computer's line fits whole
namespace TimerLayout {
constexpr Extent kSize{200, 100};
constexpr Spot kDigit{8, -305};  // above the dialog, under the clock
}  // namespace TimerLayout
namespace ExitLayout {
constexpr Extent kButtonSize{108, 55};
constexpr int32_t kCaptionY = -10;
constexpr Spot kLabel{0, -45};
constexpr Spot kYes{70, 35};
constexpr Spot kNo{-70, 35};
}  // namespace ExitLayout
}  // namespace

// --- base ---------------------------------------------------------------------

BaseDialog::BaseDialog(ControlLibrary::DialogMessageObserver* owner) {
    m_dialog = GetFactory()->CreateDialogVO();
    m_owned.Keep(m_dialog);  // taken first: given back after its children
    m_dialog->SetAlignment(kAlignCentre, kAlignCentre);
    m_dialog->SetPosition(kCx, kCy);
    m_dialog->SetSize(kDefaultDialogSize.width, kDefaultDialogSize.height);
    m_dialog->AddDialogObserver(this);
    m_dialog->SetZOrder(Layer::kDialogs);
    m_dialog->SetBackgroundHidden(false);
    if (owner != nullptr) {
        m_dialog->AddDialogObserver(owner);
    }
}

BaseDialog::~BaseDialog() {
    m_owned.ReleaseAll();
}

bool BaseDialog::HandleKey(int32_t key, bool shift) {
    const std::vector<ControlLibrary::IButtonVO*> buttons = KeyButtons();
    auto press = [&](ControlLibrary::IButtonVO* button) {
        Highlight(-1);
        button->Press();  // a disabled button gives no click, as with the mouse
    };
    Direction direction{};
    switch (key) {
        case kKeyEscape:
            if (ControlLibrary::IButtonVO* button = EscapeButton()) {
                press(button);
            }
            return true;
        case kKeyTab:
            MoveHighlight(shift ? -1 : 1);
            return true;
        case kKeyReturn:
        case kKeySpace:
            if (TakesText()) {
                return false;  // the name box's: typing, or Enter on the highlighted button
            }
            if (m_highlight >= 0) {
                press(buttons[static_cast<size_t>(m_highlight)]);
            } else if (!buttons.empty()) {
                press(buttons.front());
            }
            return true;
        default:
            if (!TakesText() && ArrowDirection(key, &direction)) {
                MoveHighlight(direction == Direction::Left || direction == Direction::Up ? -1 : 1);
                return true;
            }
            return false;
    }
}

void BaseDialog::MoveHighlight(int step) {
    const std::vector<ControlLibrary::IButtonVO*> buttons = KeyButtons();
    const int next = NextUsable(m_highlight, step, static_cast<int>(buttons.size()), [&](int i) {
        return buttons[static_cast<size_t>(i)]->IsEnabled();
    });
    if (next >= 0) {
        Highlight(next);
    }
}

void BaseDialog::Highlight(int index) {
    const std::vector<ControlLibrary::IButtonVO*> buttons = KeyButtons();
    for (size_t i = 0; i < buttons.size(); ++i) {
        buttons[i]->SetHighlighted(static_cast<int>(i) == index);
    }
    m_highlight = index;
}

ControlLibrary::IButtonVO* BaseDialog::GetHighlighted() const {
    const std::vector<ControlLibrary::IButtonVO*> buttons = KeyButtons();
    return m_highlight >= 0 && m_highlight < static_cast<int>(buttons.size())
               ? buttons[static_cast<size_t>(m_highlight)]
               : nullptr;
}

void BaseDialog::Show(bool on) {
    Highlight(-1);
    Layout();
    m_dialog->SetShown(on);
}

ControlLibrary::IFont* BaseDialog::MakeFont(const std::string& path) {
    return Own(LoadFont(path));
}

ControlLibrary::IButtonVO* BaseDialog::MakeChildButton(const ButtonStyle& style,
                                                       const std::string& text, Extent size,
                                                       int32_t captionY) {
    ControlLibrary::IButtonVO* button =
        Own(MakeButton(style, text, {Layer::kDialogControls, size, captionY}, this));
    button->SetBackgroundHidden(true);  // the caption only
    m_dialog->AddChild(button);
    return button;
}

ButtonStyle BaseDialog::PromptButtonStyle(ControlLibrary::IFont* font,
                                          const std::string& pressSound) {
    return {font,
            kButtonImage,
            kMenuButtonFrames,
            {kWhite, kPaleYellow, kGrey, kBlack, kBlack},
            Own(LoadSound(pressSound))};
}

ControlLibrary::IButtonVO* BaseDialog::MakeMenuButton(ControlLibrary::IFont* font,
                                                      const std::string& text) {
    const ButtonStyle style{
        font, kButtonImage, kMenuButtonFrames, {kWhite, kPaleYellow, kGrey, kBlack, kBlack}};
    return MakeChildButton(style, text, kMenuButtonSize, kMenuCaptionY);
}

ControlLibrary::IStringVO* BaseDialog::MakeLabel(ControlLibrary::IFont* font,
                                                 const std::string& text, uint16_t zOrder,
                                                 const Colour& colour) {
    ControlLibrary::IStringVO* label = Own(GetFactory()->CreateStringVO());
    label->SetFont(font);
    label->SetZOrder(zOrder);
    label->SetAlignment(kAlignCentre, kAlignCentre);
    label->SetColour(colour);
    label->SetText(text);
    m_dialog->AddChild(label);
    return label;
}

void BaseDialog::Place(ControlLibrary::IVisibleObject* child, Spot fromCentre) const {
    child->SetPosition(Width() / 2 + fromCentre.x, Height() / 2 + fromCentre.y);
}

int32_t BaseDialog::Width() const {
    return static_cast<int32_t>(m_dialog->GetSize().width);
}

int32_t BaseDialog::Height() const {
    return static_cast<int32_t>(m_dialog->GetSize().height);
}

// --- menu ---------------------------------------------------------------------------

MenuDlg::MenuDlg(ControlLibrary::DialogMessageObserver* owner) : BaseDialog(owner) {
    m_dialog->SetBackgroundImage("images/dialog/dlg_menu.jpg");
    ControlLibrary::IFont* font = MakeFont(kMenuFont);
    m_resume = MakeMenuButton(font, Tr("Resume"));
    m_mainMenu = MakeMenuButton(font, Tr("Main menu"));
    m_options = MakeMenuButton(font, Tr("Options"));
    m_label = MakeLabel(font, "", Layer::kDialogControls, kWhite);
}

void MenuDlg::Layout() {
    Place(m_resume, MenuLayout::kResume);
    Place(m_mainMenu, MenuLayout::kMainMenu);
    Place(m_options, MenuLayout::kOptions);
    Place(m_label, MenuLayout::kLabel);
}

void MenuDlg::OnMouseClick(int32_t id) {
    if (id == m_resume->GetId()) {
        m_result = kResume;
        Show(false);
    } else if (id == m_mainMenu->GetId()) {
        m_result = kMainMenu;
        Show(false);
    } else if (id == m_options->GetId()) {
        m_result = kOptions;
        Show(false);
    }
}

// --- difficulty ---------------------------------------------------------------------

LevelsDlg::LevelsDlg(ControlLibrary::DialogMessageObserver* owner) : BaseDialog(owner) {
    m_dialog->SetBackgroundImage("images/dialog/dlg_menu.jpg");
    ControlLibrary::IFont* font = MakeFont(kMenuFont);
    for (uint16_t i = 0; i < kDifficultyCount; ++i) {
        m_buttons[i] = MakeMenuButton(font, Tr(kDifficultyNames[i]));
    }
}

ControlLibrary::IButtonVO* LevelsDlg::EscapeButton() const {
    return m_buttons[std::min<uint16_t>(PlayerList::Instance()->GetCurrent().difficulty, kHardest)];
}

void LevelsDlg::Show(bool on) {
    BaseDialog::Show(on);
    if (on) {
        // The current difficulty lit: Enter keeps it, and the game in progress.
        Highlight(std::min<uint16_t>(PlayerList::Instance()->GetCurrent().difficulty, kHardest));
    }
}

void LevelsDlg::Layout() {
    for (int i = 0; i < kDifficultyCount; ++i) {
        Place(m_buttons[i], {0, (i - 1) * LevelsLayout::kRowGap});
    }
}

void LevelsDlg::OnMouseClick(int32_t id) {
    for (uint16_t i = 0; i < kDifficultyCount; ++i) {
        if (id == m_buttons[i]->GetId()) {
            m_result = i;
            Show(false);
            return;
        }
    }
}

// --- result --------------------------------------------------------------------------

FinishDlg::FinishDlg(ControlLibrary::DialogMessageObserver* owner) : BaseDialog(owner) {
    m_dialog->SetSize(FinishLayout::kSize.width, FinishLayout::kSize.height);
    m_dialog->SetBackgroundImage("images/dialog/dlg_finish.png");
    m_ok = MakeMenuButton(MakeFont(kMenuFont), "Ok");
    m_text = Own(GetFactory()->CreateTextBoxVO());
    m_text->SetSize(FinishLayout::kTextSize.width, FinishLayout::kTextSize.height);
    m_text->SetZOrder(Layer::kDialogControls);
    m_text->SetAlignment(kAlignCentre, kAlignCentre);
    m_dialog->AddChild(m_text);
    m_font = MakeFont("fonts/KBChopinScript36.txt");
    m_smallFont = MakeFont("fonts/KBChopinScript28.txt");
}

std::string ResultTime(uint32_t seconds) {
    return std::to_string(seconds / 60) + ":" + std::to_string(seconds % 60);
}

void FinishDlg::Show(bool on) {
    if (on) {
        m_text->Clear();
        m_text->AddParagraph(Tr("Congratulations!"), m_font, 1, kGold);
        // Translators: the result's lines keep their spaces, which line up the figures.
        m_text->AddParagraph(Filled("\nTime:      {time}", {{"time", ResultTime(m_time)}}), m_font,
                             0, kYellow);
        m_text->AddParagraph(Filled("Attempts:    {n}", {{"n", std::to_string(m_attempts)}}),
                             m_font, 0, kYellow);
        if (m_best.games > 0) {
            m_text->AddParagraph(
                Filled("Best time:          {time}", {{"time", ResultTime(m_best.bestSeconds)}}),
                m_smallFont, 0, kPaleYellow);
            m_text->AddParagraph(
                Filled("Fewest attempts:   {n}", {{"n", std::to_string(m_best.fewestAttempts)}}),
                m_smallFont, 0, kPaleYellow);
        }
        if (m_change.Beaten()) {
            m_text->AddParagraph(Tr("New best!"), m_smallFont, 1, kGold);
        }
        if (!m_cardSetName.empty()) {
            m_text->AddParagraph(Filled("Cards: {set}", {{"set", m_cardSetName}}), m_smallFont, 1,
                                 kPaleYellow);
        }
        if (m_apart) {
            m_text->AddParagraph(Tr("Preview bests kept apart"), m_smallFont, 1, kPaleYellow);
        }
    } else {
        m_time = 0;
        m_attempts = 0;
        m_best = {};
        m_change = {};
        m_cardSetName.clear();
        m_apart = false;
    }
    Highlight(-1);
    Layout();
    m_dialog->SetShown(on);
}

void FinishDlg::Layout() {
    Place(m_ok, FinishLayout::kOk);
    Place(m_text, FinishLayout::kText);
}

void FinishDlg::OnMouseClick(int32_t id) {
    if (id == m_ok->GetId()) {
        Show(false);
    }
}

// --- result of a game with others ---------------------------------------------------

MatchResultDlg::MatchResultDlg(ControlLibrary::DialogMessageObserver* owner) : BaseDialog(owner) {
    m_dialog->SetSize(FinishLayout::kSize.width, FinishLayout::kSize.height);
    m_dialog->SetBackgroundImage("images/dialog/dlg_finish.png");
    ControlLibrary::IFont* buttons = MakeFont(kMenuFont);
    m_again = MakeMenuButton(buttons, Tr("Play again"));
    m_mainMenu = MakeMenuButton(buttons, Tr("Main menu"));
    m_mainMenu->SetBackgroundHidden(false);  // no plate for it in the picture
    m_text = Own(GetFactory()->CreateTextBoxVO());
    m_text->SetSize(kMatchTextWidth, FinishLayout::kTextSize.height);
    m_text->SetZOrder(Layer::kDialogControls);
    m_text->SetAlignment(kAlignCentre, kAlignCentre);
    m_dialog->AddChild(m_text);
    m_font = MakeFont("fonts/KBChopinScript36.txt");
    m_smallFont = MakeFont("fonts/Pristina18.txt");
}

void MatchResultDlg::Show(bool on) {
    if (on) {
        m_text->Clear();
        if (m_leaders.size() == 1 && m_leaders.front() < m_lines.size()) {
            m_text->AddParagraph(WithName("{name} wins!", m_lines[m_leaders.front()].name), m_font,
                                 1, kGold);
        } else {
            m_text->AddParagraph(Tr("A draw!"), m_font, 1, kGold);
        }
        for (const Line& line : m_lines) {
            m_text->AddParagraph(Filled("{name}   pairs: {pairs}   attempts: {attempts}",
                                        {{"name", line.name},
                                         {"pairs", std::to_string(line.pairs)},
                                         {"attempts", std::to_string(line.attempts)}}),
                                 m_smallFont, 0, kYellow);
        }
    }
    Highlight(-1);
    Layout();
    m_dialog->SetShown(on);
}

void MatchResultDlg::Layout() {
    Place(m_again, FinishLayout::kOk);  // on the picture's plate
    Place(m_mainMenu, {130, FinishLayout::kOk.y});
    Place(m_text, {0, -60});
}

void MatchResultDlg::OnMouseClick(int32_t id) {
    if (id == m_again->GetId()) {
        m_result = kPlayAgain;
        Show(false);
    } else if (id == m_mainMenu->GetId()) {
        m_result = kMainMenu;
        Show(false);
    }
}

// --- count-down ------------------------------------------------------------------------

TimerDlg::TimerDlg(ControlLibrary::DialogMessageObserver* owner) : BaseDialog(owner) {
    m_dialog->SetSize(TimerLayout::kSize.width, TimerLayout::kSize.height);
    m_dialog->SetBackgroundHidden(true);  // only the count shows
    m_label = MakeLabel(MakeFont("fonts/KBChopinScript72.txt"), Tr("Timer"), Layer::kDialogControls,
                        kGold);
    if (TimeLibrary::ITimeSystem* time = TimeLibrary::GetTimeSystem()) {
        m_countDown = time->CreateTimeObject(this, 3000, 1000);
    }
}

TimerDlg::~TimerDlg() {
    if (m_countDown != nullptr && TimeLibrary::GetTimeSystem() != nullptr) {
        TimeLibrary::GetTimeSystem()->DestroyTimeObject(m_countDown);
    }
}

void TimerDlg::Show(bool on) {
    if (on) {
        m_count = m_seconds;
        m_label->SetText(std::to_string(m_count));
        if (m_countDown != nullptr) {
            m_countDown->SetDuration(1000 * m_seconds);
        }
        if (m_countDown != nullptr) {
            m_countDown->Start(false, 0);
        }
    }
    Layout();
    m_dialog->SetShown(on);
}

void TimerDlg::SetPaused(bool on) {
    if (m_countDown != nullptr) {
        m_countDown->SetPaused(on);
    }
}

void TimerDlg::Layout() {
    Place(m_label, TimerLayout::kDigit);
}

void TimerDlg::OnTimeObjectTick(int32_t /*id*/) {
    --m_count;
    m_label->SetText(std::to_string(m_count));
    if (m_count == 0) {
        m_dialog->SetShown(false);  // tells the card field the count-down is over
    }
}

// --- exit confirmation -------------------------------------------------------------------

ExitDialog::ExitDialog(ControlLibrary::DialogMessageObserver* owner) : BaseDialog(owner) {
    m_dialog->SetBackgroundImage("images/dialog/exit_window.jpg");
    ControlLibrary::IFont* font = MakeFont("fonts/KBChopinScript28.txt");
    ControlLibrary::ISound* press = Own(LoadSound("sounds/menu.ogg"));
    auto makeButton = [&](const std::string& text, const std::string& image) {
        const ButtonStyle style{
            font, image, kMenuButtonFrames, {kBlack, kPaleYellow, kGrey, kBlack, kBlack}, press};
        return MakeChildButton(style, text, ExitLayout::kButtonSize, ExitLayout::kCaptionY);
    };
    m_yesButton = makeButton(Tr("Yes"), "images/dialog/btn_yes.png");
    m_noButton = makeButton(Tr("No"), "images/dialog/btn_no.png");
    m_label = MakeLabel(font, Tr("Are you sure want to exit?"), Layer::kLabels, kPaleYellow);
    m_shade = Own(GetFactory()->CreateImageVO());
    m_shade->LoadImage("images/dialog/black_under_exit.png", true);
    m_shade->SetAlignment(kAlignStart, kAlignStart);
    m_shade->SetPosition(0, 0);
}

void ExitDialog::Layout() {
    Place(m_label, ExitLayout::kLabel);
    Place(m_yesButton, ExitLayout::kYes);
    Place(m_noButton, ExitLayout::kNo);
}

void ExitDialog::OnMouseClick(int32_t id) {
    if (id == m_yesButton->GetId()) {
        m_yes = true;
        Show(false);
    } else if (id == m_noButton->GetId()) {
        Show(false);
    }
}

void ExitDialog::OnDialogShown(int32_t /*id*/, bool shown) {
    if (shown) {
        m_shade->SetZOrder(static_cast<uint16_t>(m_dialog->GetZOrder() - 1));
    }
    m_shade->SetShown(shown);
}

}  // namespace Gamespace
