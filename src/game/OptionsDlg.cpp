#include "game/OptionsDlg.h"

#include <algorithm>
#include <string>

#include "kernel/ISysApp.h"

namespace Gamespace {

namespace {

constexpr const char* kOn = TrLater("On");
constexpr const char* kOff = TrLater("Off");

namespace OptionsLayout {
constexpr Extent kSize{520, 440};
constexpr Spot kTitle{0, -185};
constexpr int32_t kFirstRowY = -125;
constexpr int32_t kRowGap = 40;
constexpr int32_t kNameX = -135;
constexpr int32_t kToggleX = 90;
constexpr int32_t kQuieterX = -15;
constexpr int32_t kValueX = 40;
constexpr int32_t kLouderX = 95;
constexpr int32_t kMuteX = 190;
constexpr Extent kStepSize{40, 26};
constexpr Spot kOk{0, 180};
constexpr Spot kLanguageNote{0, 148};
}  // namespace OptionsLayout

// The languages offered, each named in itself; "" follows the environment.
struct LanguageChoice {
    const char* language;
    const char* name;
};
constexpr LanguageChoice kLanguages[] = {
    {"", TrLater("Automatic")}, {"en", "English"},  {"de", "Deutsch"},
    {"es", "Español"},          {"fr", "Français"}, {"it", "Italiano"},
};

size_t LanguageIndex(const std::string& language) {
    for (size_t i = 0; i < std::size(kLanguages); ++i) {
        if (language == kLanguages[i].language) {
            return i;
        }
    }
    return 0;  // a language of a later version: as the environment says
}

std::string PreviewCaption(uint8_t seconds) {
    switch (seconds) {
        case 0:
            return Tr("None");
        case 5:
            return Tr("5 s");
        case 10:
            return Tr("10 s");
        default:
            return Tr("3 s");
    }
}

// The next preview length after `seconds`, round to the first.
uint8_t NextPreview(uint8_t seconds) {
    const auto at = std::find(kPreviewChoices.begin(), kPreviewChoices.end(), seconds);
    if (at == kPreviewChoices.end() || at + 1 == kPreviewChoices.end()) {
        return kPreviewChoices.front();
    }
    return *(at + 1);
}

VolumeSetting& VolumeOf(OptionsDlg::Row row) {
    OptionValues& options = GetOptionValues();
    return row == OptionsDlg::kMusic ? options.music : options.effects;
}

}  // namespace

void ApplyMachineOptions(KernelLibrary::ISysApp* sysApp) {
    if (sysApp != nullptr) {
        const OptionValues& options = GetOptionValues();
        sysApp->SetVolumes(options.music.Level(), options.effects.Level());
    }
}

OptionsDlg::OptionsDlg(ControlLibrary::DialogMessageObserver* owner, KernelLibrary::ISysApp* sysApp)
    : BaseDialog(owner), m_sysApp(sysApp) {
    m_dialog->SetSize(OptionsLayout::kSize.width, OptionsLayout::kSize.height);
    m_dialog->SetBackgroundImage("images/dialog/dlg_options.png");
    ControlLibrary::IFont* font = MakeFont(kMenuFont);
    m_title = MakeLabel(MakeFont("fonts/KBChopinScript36.txt"), Tr("Options"),
                        Layer::kDialogControls, kGold);
    const char* names[kRowCount] = {TrLater("Music volume"),      TrLater("Effects volume"),
                                    TrLater("Full screen"),       TrLater("Preview"),
                                    TrLater("Clock during play"), TrLater("Reduce motion"),
                                    TrLater("Language")};
    for (int row = 0; row < kRowCount; ++row) {
        m_names[row] = MakeLabel(font, Tr(names[row]), Layer::kDialogControls, kPaleYellow);
    }
    const ButtonStyle style{font,
                            "images/btn_def.png",
                            kMenuButtonFrames,
                            {kWhite, kPaleYellow, kGrey, kBlack, kBlack}};
    for (VolumeRow& volume : m_volumeRows) {
        volume.quieter = MakeChildButton(style, "-", OptionsLayout::kStepSize, -5);
        volume.value = MakeLabel(font, "", Layer::kDialogControls, kWhite);
        volume.louder = MakeChildButton(style, "+", OptionsLayout::kStepSize, -5);
        volume.mute = MakeMenuButton(font, Tr("Mute"));
    }
    for (int row = kFullScreen; row < kRowCount; ++row) {
        m_toggles[row] = MakeMenuButton(font, "");
    }
    m_ok = MakeMenuButton(font, Tr("Ok"));
    m_languageNote = MakeLabel(MakeFont("fonts/Pristina18.txt"), "", Layer::kDialogControls, kGrey);
    Refresh();
}

std::vector<ControlLibrary::IButtonVO*> OptionsDlg::KeyButtons() const {
    // Reading order: row by row, left to right, then "Ok".
    std::vector<ControlLibrary::IButtonVO*> buttons;
    for (const VolumeRow& volume : m_volumeRows) {
        buttons.insert(buttons.end(), {volume.quieter, volume.louder, volume.mute});
    }
    for (int row = kFullScreen; row < kRowCount; ++row) {
        buttons.push_back(m_toggles[row]);
    }
    buttons.push_back(m_ok);
    return buttons;
}

void OptionsDlg::Layout() {
    using namespace OptionsLayout;
    Place(m_title, kTitle);
    for (int row = 0; row < kRowCount; ++row) {
        const int32_t y = kFirstRowY + row * kRowGap;
        Place(m_names[row], {kNameX, y});
        if (row < kFullScreen) {
            const VolumeRow& volume = m_volumeRows[row];
            Place(volume.quieter, {kQuieterX, y});
            Place(volume.value, {kValueX, y});
            Place(volume.louder, {kLouderX, y});
            Place(volume.mute, {kMuteX, y});
        } else {
            Place(m_toggles[row], {kToggleX, y});
        }
    }
    Place(m_ok, kOk);
    Place(m_languageNote, kLanguageNote);
}

void OptionsDlg::Refresh() {
    for (Row row : {kMusic, kEffects}) {
        const VolumeSetting& setting = VolumeOf(row);
        VolumeRow& volume = m_volumeRows[row];
        volume.value->SetText(Filled("{n}%", {{"n", std::to_string(setting.percent)}}));
        volume.value->SetColour(setting.muted ? kGrey : kWhite);
        volume.mute->SetText(setting.muted ? Tr("Unmute") : Tr("Mute"));
        volume.quieter->SetEnabled(setting.percent > 0);
        volume.louder->SetEnabled(setting.percent < VolumeSetting::kFull);
    }
    OptionValues& options = GetOptionValues();
    if (const auto chosen = m_sysApp != nullptr ? m_sysApp->ChosenFullScreen() : std::nullopt) {
        options.fullScreen = *chosen;  // Alt+Enter changes the same setting
    }
    const ComfortOptions& comfort = PlayerList::Instance()->GetCurrent().comfort;
    m_toggles[kFullScreen]->SetText(Tr(options.fullScreen ? kOn : kOff));
    m_toggles[kPreview]->SetText(PreviewCaption(comfort.previewSeconds));
    m_toggles[kClock]->SetText(comfort.clockHidden ? Tr("Hidden") : Tr("Shown"));
    m_toggles[kMotion]->SetText(Tr(comfort.reduceMotion ? kOn : kOff));
    const LanguageChoice& language = kLanguages[LanguageIndex(options.language)];
    m_toggles[kLanguage]->SetText(options.language.empty() ? Tr(language.name) : language.name);
    // The texts were made when the game started: a new choice shows from the next start.
    const std::string& spoken = CommonLibrary::GetLanguage();
    const bool later =
        !options.language.empty() && options.language != (spoken.empty() ? "en" : spoken);
    m_languageNote->SetText(later ? Tr("The game speaks it from its next start.") : "");
}

void OptionsDlg::Changed() {
    ApplyMachineOptions(m_sysApp);
    Refresh();
    for (IOptionObserver* observer : GetOptionObservers()) {
        observer->OnOptionsChanged();
    }
}

void OptionsDlg::Show(bool on) {
    if (on) {
        Refresh();
    } else if (IsShown()) {
        // Failures are told to the player by the save reporter, once.
        static_cast<void>(SaveOptions());
        static_cast<void>(PlayerList::Instance()->SaveAll());
    }
    BaseDialog::Show(on);
}

void OptionsDlg::OnMouseClick(int32_t id) {
    if (id == m_ok->GetId()) {
        Show(false);
        return;
    }
    for (Row row : {kMusic, kEffects}) {
        VolumeSetting& setting = VolumeOf(row);
        const VolumeRow& volume = m_volumeRows[row];
        if (id == volume.quieter->GetId()) {
            setting.percent = static_cast<uint8_t>(
                std::max(0, setting.percent - static_cast<int>(VolumeSetting::kStep)));
            setting.muted = false;  // a change of level is meant to be heard
        } else if (id == volume.louder->GetId()) {
            setting.percent = static_cast<uint8_t>(
                std::min<int>(VolumeSetting::kFull, setting.percent + VolumeSetting::kStep));
            setting.muted = false;
        } else if (id == volume.mute->GetId()) {
            setting.muted = !setting.muted;
        } else {
            continue;
        }
        Changed();
        return;
    }
    ComfortOptions& comfort = PlayerList::Instance()->GetCurrent().comfort;
    OptionValues& options = GetOptionValues();
    if (id == m_toggles[kFullScreen]->GetId()) {
        options.fullScreen = !options.fullScreen;
        if (m_sysApp != nullptr) {
            static_cast<void>(m_sysApp->SwitchFullScreen(options.fullScreen));
        }
    } else if (id == m_toggles[kPreview]->GetId()) {
        comfort.previewSeconds = NextPreview(comfort.previewSeconds);
    } else if (id == m_toggles[kClock]->GetId()) {
        comfort.clockHidden = !comfort.clockHidden;
    } else if (id == m_toggles[kMotion]->GetId()) {
        comfort.reduceMotion = !comfort.reduceMotion;
    } else if (id == m_toggles[kLanguage]->GetId()) {
        options.language =
            kLanguages[(LanguageIndex(options.language) + 1) % std::size(kLanguages)].language;
    } else {
        return;
    }
    Changed();
}

}  // namespace Gamespace
