#pragma once

#include <cstdint>
#include <vector>

#include "game/Dialogs.h"

namespace KernelLibrary {
class ISysApp;
}

namespace Gamespace {

// Makes the machine-wide options heard and seen: the volumes and the screen
// mode. `sysApp` may be null (nothing to apply to).
void ApplyMachineOptions(KernelLibrary::ISysApp* sysApp);

// "Options": the music's and the effects' volumes, each with a mute, full
// screen, the preview length, the clock during play, "Reduce motion" and the
// language (which the texts take at the game's next start).
// Every press applies at once (option observers hear OnOptionsChanged);
// closing with "Ok" or Escape saves the options and the current player.
class OptionsDlg : public BaseDialog {
public:
    // `sysApp` (may be null) must outlive the dialog.
    OptionsDlg(ControlLibrary::DialogMessageObserver* owner, KernelLibrary::ISysApp* sysApp);
    // Opens with the captions as the options stand now (Alt+Enter may have
    // changed the screen mode meanwhile); saves when it closes.
    void Show(bool on) override;
    void Layout() override;
    void OnMouseClick(int32_t id) override;
    std::vector<ControlLibrary::IButtonVO*> KeyButtons() const override;
    ControlLibrary::IButtonVO* EscapeButton() const override { return m_ok; }

    // The buttons, for tests and the keyboard.
    enum Row : uint8_t {
        kMusic,
        kEffects,
        kFullScreen,
        kPreview,
        kClock,
        kMotion,
        kLanguage,
        kRowCount
    };
    // A volume row's buttons: quieter, louder, mute.
    ControlLibrary::IButtonVO* GetQuieter(Row row) const { return m_volumeRows[row].quieter; }
    ControlLibrary::IButtonVO* GetLouder(Row row) const { return m_volumeRows[row].louder; }
    ControlLibrary::IButtonVO* GetMute(Row row) const { return m_volumeRows[row].mute; }
    // The single button of every other row.
    ControlLibrary::IButtonVO* GetToggle(Row row) const { return m_toggles[row]; }
    ControlLibrary::IStringVO* GetVolumeLabel(Row row) const { return m_volumeRows[row].value; }
    ControlLibrary::IButtonVO* GetOkButton() const { return m_ok; }
    // Says when the language chosen is not yet the one the texts speak.
    ControlLibrary::IStringVO* GetLanguageNote() const { return m_languageNote; }

private:
    struct VolumeRow {
        ControlLibrary::IButtonVO* quieter = nullptr;
        ControlLibrary::IButtonVO* louder = nullptr;
        ControlLibrary::IButtonVO* mute = nullptr;
        ControlLibrary::IStringVO* value = nullptr;
    };
    // The captions and values as the options stand.
    void Refresh();
    // Applies a change at once and tells the option observers.
    void Changed();

    KernelLibrary::ISysApp* m_sysApp;  // not owned
    ControlLibrary::IStringVO* m_title;
    ControlLibrary::IStringVO* m_names[kRowCount] = {};
    VolumeRow m_volumeRows[2];
    ControlLibrary::IButtonVO* m_toggles[kRowCount] = {};
    ControlLibrary::IButtonVO* m_ok;
    ControlLibrary::IStringVO* m_languageNote;
};

}  // namespace Gamespace
