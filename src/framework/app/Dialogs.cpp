// The application's registry of framework message dialogs, and the default
// fonts those dialogs and buttons draw with.
#include <algorithm>
#include <cmath>

#include "framework/app/BriskAppBase.h"
#include "framework/app/Dialog.h"
#include "framework/app/SystemFont.h"
#include "framework/widgets/WidgetManager.h"

namespace Brisk {

FontImage QuietFontHost::LoadImage(const std::string& path) {
    BriskAppBase* app = BriskAppBase::Get();
    return app != nullptr ? app->GetFontHost()->LoadImage(path) : m_decoder.LoadImage(path);
}

void QuietFontHost::ReportError(const std::string& text) {
    DebugOutput(text + "\n");
}

std::unique_ptr<Font> CreateSystemFont(const std::string& /*face*/, int pointSize, int style) {
    QuietFontHost host;  // used only while the descriptor loads
    const bool bold = (style & kFontBold) != 0;
    auto font =
        std::make_unique<ImageFont>(&host, bold ? "fonts/UiSansBold16.txt" : "fonts/UiSans13.txt");
    if (!font->IsLoaded()) {
        return std::make_unique<Font>();
    }
    // Points at 96 dots an inch; the fonts' own sizes are in pixels.
    const int pixels = static_cast<int>(std::lround(std::max(pointSize, 1) * 96.0 / 72.0));
    if (pixels != font->GetDefaultPointSize()) {
        font->SetPointSize(pixels);
    }
    return font;
}

std::unique_ptr<Dialog> BriskAppBase::NewDialog(int id, bool modal, const std::string& header,
                                                const std::string& lines, const std::string& footer,
                                                int buttonMode) {
    return std::make_unique<Dialog>(nullptr, nullptr, id, modal, header, lines, footer, buttonMode,
                                    this);
}

Dialog* BriskAppBase::DoDialog(int id, bool modal, const std::string& header,
                               const std::string& lines, const std::string& footer,
                               int buttonMode) {
    KillDialog(id);
    return AddDialog(id, NewDialog(id, modal, header, lines, footer, buttonMode));
}

Dialog* BriskAppBase::GetDialog(int id) {
    auto it = m_dialogMap.find(id);
    return it != m_dialogMap.end() ? it->second.get() : nullptr;
}

Dialog* BriskAppBase::AddDialog(std::unique_ptr<Dialog> dialog) {
    if (dialog == nullptr) {
        return nullptr;
    }
    const int id = dialog->GetId();
    return AddDialog(id, std::move(dialog));
}

Dialog* BriskAppBase::AddDialog(int id, std::unique_ptr<Dialog> dialog) {
    KillDialog(id);
    if (dialog == nullptr) {
        return nullptr;
    }
    Dialog* d = dialog.get();
    if (d->m_width == 0) {
        const int width = m_windowSettings.width / 2;
        const int height = d->GetPreferredHeight(width);
        d->Resize((m_windowSettings.width - width) / 2, m_windowSettings.height / 5, width, height);
    }
    m_dialogMap[id] = std::move(dialog);
    m_widgetManager->AddWidget(d);
    if (d->IsModal()) {
        m_widgetManager->BeginModal(d);
        OnModalOpen();
    }
    return d;
}

bool BriskAppBase::KillDialog(Dialog* dialog) {
    return dialog != nullptr && KillDialog(dialog->GetId());
}

bool BriskAppBase::KillDialog(int id) {
    return KillDialog(id, true, true);
}

bool BriskAppBase::KillDialog(int id, bool remove, bool doDelete,
                              std::unique_ptr<Dialog>* detached) {
    auto it = m_dialogMap.find(id);
    if (it == m_dialogMap.end()) {
        return false;
    }
    std::unique_ptr<Dialog> dialog = std::move(it->second);
    m_dialogMap.erase(it);
    Dialog* d = dialog.get();
    if (d->GetResult() == Dialog::kNoResult) {
        d->SetResult(0);
    }
    // The modal layer ends while the dialog is still its base.
    if (d->IsModal()) {
        m_widgetManager->EndModal(d);
    }
    if ((remove || doDelete) && d->GetParent() != nullptr) {
        d->GetParent()->RemoveWidget(d);
    }
    if (d->IsModal()) {
        OnModalClose();
    }
    if (doDelete) {
        SafeDeleteWidget(std::move(dialog));
    } else if (detached != nullptr) {
        *detached = std::move(dialog);
    } else {
        m_detachedDialogs.push_back(std::move(dialog));
    }
    return true;
}

int BriskAppBase::GetDialogCount() {
    return static_cast<int>(m_dialogMap.size());
}

}  // namespace Brisk
