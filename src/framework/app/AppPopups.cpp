// The application object's pop-ups, message boxes, URL opening and second-copy notices.

#include "framework/app/BriskAppBase.h"
#include "framework/app/Demo.h"

#include <cassert>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "common/Catalogue.h"
#include "framework/app/Dialog.h"
#include "framework/app/ResourceManager.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Utf8.h"
#include "framework/platform/Audio.h"
#include "framework/platform/Cursor.h"
#include "framework/platform/Events.h"
#include "framework/platform/MessageBox.h"
#include "framework/platform/Paths.h"
#include "framework/platform/Process.h"
#include "framework/platform/Signals.h"
#include "framework/platform/SingleInstance.h"
#include "framework/platform/Threads.h"
#include "framework/platform/Window.h"
#include "framework/resources/Ascii.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/PakInterface.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"

namespace Brisk {

// --- popups --------------------------------------------------------------------

void BriskAppBase::BeginPopup() {
    if (!m_windowSettings.windowIsWindowed) {
        m_life.inPopup = true;
    }
}

void BriskAppBase::EndPopup() {
    m_life.inPopup = false;
    ClearUpdateBacklog(false);
    m_input.ctrlDown = false;
    m_input.altDown = false;
    // Keys let go while the pop-up had them never reached the widgets.
    m_widgetManager->ReleaseHeldKeys();
    if (m_widgetManager->HasHeldButtons()) {
        m_widgetManager->ReleaseHeldButtons();
        Platform::Window::CaptureMouse(false);
    }
}

namespace {

// The message boxes' buttons in the player's language.
Platform::MessageBoxCaptions BoxCaptions() {
    return {CommonLibrary::Tr("OK"), CommonLibrary::Tr("Cancel"), CommonLibrary::Tr("Yes"),
            CommonLibrary::Tr("No")};
}

}  // namespace

int BriskAppBase::MsgBox(const std::string& text, const std::string& caption, int flags) {
    if (m_commandLine.screensaverMode) {
        LogScreenSaverError(text);
        return Platform::kAnswerOk;
    }
    Platform::MessageBoxIcon icon = Platform::MessageBoxIcon::None;
    switch (flags & 0xF0) {
        case MB_ICONERROR:
            icon = Platform::MessageBoxIcon::Error;
            break;
        case MB_ICONWARNING:
            icon = Platform::MessageBoxIcon::Warning;
            break;
        case MB_ICONQUESTION:
        case MB_ICONINFORMATION:
            icon = Platform::MessageBoxIcon::Information;
            break;
        default:
            break;
    }
    Platform::MessageBoxButtons buttons = Platform::MessageBoxButtons::Ok;
    if ((flags & 0xF) == MB_OKCANCEL) {
        buttons = Platform::MessageBoxButtons::OkCancel;
    } else if ((flags & 0xF) == MB_YESNO) {
        buttons = Platform::MessageBoxButtons::YesNo;
    }
    if (m_demo != nullptr && m_commandLine.playingDemo) {
        // The recording's answer, without asking the person watching.
        const auto& steps = m_demo->steps;
        while (m_demoMsgBoxNext < steps.size()) {
            const DemoStep& step = steps[m_demoMsgBoxNext++];
            if (step.kind == DemoRecord::MsgBox) {
                std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
                return static_cast<int>(step.a);
            }
        }
    }
    BeginPopup();
    // The desktop's boxes read UTF-8 only: a stray byte shows as its
    // Windows-1252 character instead of spoiling the whole box.
    const int answer = Platform::ShowMessageBox(ToValidUtf8(caption), ToValidUtf8(text), icon,
                                                buttons, m_window.get(), BoxCaptions());
    EndPopup();
    if (m_commandLine.recordingDemo) {
        DemoEvent e;
        e.kind = DemoRecord::MsgBox;
        e.answer = answer;
        RecordDemoEvent(e);
    }
    return answer;
}

void BriskAppBase::Popup(const std::string& text) {
    if (m_commandLine.screensaverMode) {
        LogScreenSaverError(text);
        return;
    }
    BeginPopup();
    if (!m_life.shutdown) {
        Platform::ShowMessageBox(ToValidUtf8(GetString("FATAL_ERROR", "FATAL ERROR")),
                                 ToValidUtf8(text), Platform::MessageBoxIcon::Error,
                                 Platform::MessageBoxButtons::Ok, m_window.get(), BoxCaptions());
    }
    EndPopup();
}

void BriskAppBase::LogScreenSaverError(const std::string& text) {
    std::FILE* f = std::fopen("ScrError.txt", "ae");
    if (f == nullptr) {
        return;
    }
    char stamp[32] = "";
    const std::time_t t = std::time(nullptr);
    if (const std::tm* tm = std::localtime(&t)) {
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", tm);
    }
    std::fprintf(f, "%s %s %u\n", stamp, text.c_str(), static_cast<unsigned>(Now()));
    std::fclose(f);
}

// --- URLs ----------------------------------------------------------------------

bool BriskAppBase::OpenURL(const std::string& url, bool shutdownAfter) {
    if (!m_url.url.empty() && m_url.url == url) {
        return true;
    }
    m_url.url = url;
    m_url.shutdownAfter = shutdownAfter;
    m_url.time = Now();
    if (Platform::OpenUrl(url)) {
        return true;
    }
    OnURLOpenFailed(url);
    return false;
}

void BriskAppBase::OnURLOpenFailed(const std::string& /*url*/) {
    m_url.url.clear();
}

void BriskAppBase::OnURLOpened(const std::string& /*url*/) {
    m_url.url.clear();
    if (m_url.shutdownAfter) {
        Shutdown();
    }
}

std::string BriskAppBase::GetProductVersion(const std::string& /*path*/) {
    return VQ_PRODUCT_VERSION;
}

std::string BriskAppBase::GetDiagnosticInfo() {
    return "Product: " + m_identity.productName + " " + m_identity.productVersion +
           "\nVideo driver: " + Platform::VideoDriverName() + "\n";
}

void BriskAppBase::HandleSecondInstance() {
    if (!m_commandLine.enforceSingleInstance) {
        return;
    }
    Platform::SingleInstance::NotifyFirst("Notify" + m_identity.productName, 0, 0);
    m_life.shutdown = true;  // the settings are not written
    DoExit(0);
}

void BriskAppBase::HandleNotifyMessage(int64_t wparam, int64_t /*lparam*/) {
    if (wparam == 0 && m_window != nullptr) {
        m_window->RestoreAndRaise();
    }
}

bool BriskAppBase::IsReservedAltKey(int key) {
    return key == '\r' || key == 'r' || key == 'R';
}

}  // namespace Brisk
