// The application object's sound, music and volumes, and its pictures (prefetched, shared).

#include "framework/app/BriskAppBase.h"
#include "framework/app/Demo.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "framework/app/Dialog.h"
#include "framework/app/ResourceManager.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
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

// --- volumes -------------------------------------------------------------------

double BriskAppBase::GetMasterVolume() {
    return m_soundManager != nullptr ? m_soundManager->GetSystemVolume() : m_volumes.master;
}

void BriskAppBase::SetMasterVolume(double volume) {
    m_volumes.sfx = volume;
    m_volumes.master = volume;
    if (m_soundManager != nullptr) {
        m_soundManager->SetSystemVolume(volume);
    }
}

void BriskAppBase::SetMusicVolume(double volume) {
    m_volumes.music = volume;
    if (m_musicInterface != nullptr) {
        m_musicInterface->SetMusicMasterVolume(IsMuted() ? 0.0 : volume);
    }
    if (m_soundManager != nullptr) {
        m_soundManager->SetMusicVolume(IsMuted() ? 0.0 : volume);  // music played as a sound
    }
}

void BriskAppBase::SetSfxVolume(double volume) {
    m_volumes.sfx = volume;
    if (m_soundManager != nullptr) {
        m_soundManager->SetSoundsVolume(IsMuted() ? 0.0 : volume);
    }
}

std::unique_ptr<MusicInterface> BriskAppBase::CreateMusicInterface() {
    return Brisk::CreateMusicInterface(m_audioDevice != nullptr ? m_mixer.get() : nullptr,
                                       m_commandLine.noSound);
}

void BriskAppBase::PlaySample(int id, int pan) {
    if (m_soundManager == nullptr) {
        return;
    }
    if (SoundInstance* instance = m_soundManager->NewInstance(id)) {
        instance->SetPan(pan);
        instance->Play(false, true);
    }
}

void BriskAppBase::PlaySample(int id) {
    PlaySample(id, 0);
}

void BriskAppBase::Mute(bool autoMute) {
    ++m_volumes.muteCount;
    if (autoMute) {
        ++m_volumes.autoMuteCount;
    }
    SetMusicVolume(m_volumes.music);
    SetSfxVolume(m_volumes.sfx);
}

void BriskAppBase::Unmute(bool autoMute) {
    if (m_volumes.muteCount > 0) {
        --m_volumes.muteCount;
        if (autoMute && m_volumes.autoMuteCount > 0) {
            --m_volumes.autoMuteCount;
        }
    }
    SetMusicVolume(m_volumes.music);
    SetSfxVolume(m_volumes.sfx);
}

double BriskAppBase::GetLoadingProgress() {
    if (m_loading.threadCompleted) {
        return 1.0;
    }
    if (!m_loading.threadStarted) {
        return 0.0;
    }
    const int total = m_loadingTasksTotal;
    if (total <= 0) {
        return 0.0;
    }
    const double progress = static_cast<double>(m_loadingTasksDone) / total;
    return progress < 1.0 ? progress : 1.0;
}

// --- images ---------------------------------------------------------------------

SharedImageRef::SharedImageRef(Entry* entry) : m_entry(entry) {
    if (m_entry != nullptr) {
        ++m_entry->refCount;
    }
}

SharedImageRef::SharedImageRef(const SharedImageRef& other) : SharedImageRef(other.m_entry) {}

SharedImageRef& SharedImageRef::operator=(const SharedImageRef& other) {
    if (other.m_entry != m_entry) {
        Release();
        m_entry = other.m_entry;
        if (m_entry != nullptr) {
            ++m_entry->refCount;
        }
    }
    return *this;
}

SharedImageRef::~SharedImageRef() {
    Release();
}

void SharedImageRef::Release() {
    if (m_entry != nullptr && --m_entry->refCount == 0) {
        if (BriskAppBase* app = BriskAppBase::Get()) {
            app->m_sharedImageReleased = true;
        }
    }
    m_entry = nullptr;
}

DDImage* SharedImageRef::GetImage() const {
    return m_entry != nullptr ? m_entry->image.get() : nullptr;
}

void BriskAppBase::PrefetchPictures(const std::string& archive, const std::string& folder) {
    const std::string wanted = PakInterface::NormalizePakName(folder);
    std::vector<std::string> names;
    for (const auto& [key, entry] : PakInterface::Get()->Entries()) {
        if (entry.archive == nullptr || entry.archive->name != archive) {
            continue;
        }
        const std::string& name = entry.name;
        const size_t sep = name.find_last_of("/\\");
        const size_t dot = name.find_last_of('.');
        if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) {
            continue;
        }
        const std::string extension = ToLowerAscii(name.substr(dot));
        const std::string stem = name.substr(sep == std::string::npos ? 0 : sep + 1,
                                             dot - (sep == std::string::npos ? 0 : sep + 1));
        const bool picture = extension == ".png" || extension == ".jpg" || extension == ".jpeg" ||
                             extension == ".gif" || extension == ".tga";
        // Alpha images ("_name" or "name_") are read with their colour picture.
        if (picture && !stem.empty() && stem.front() != '_' && stem.back() != '_' &&
            PakInterface::NormalizePakName(name).starts_with(wanted)) {
            names.push_back(name);
        }
    }
    for (const std::string& name : names) {
        std::unique_ptr<ImageLib::Image> decoded = ImageLib::DecodeImageFile(name, true);
        if (decoded != nullptr) {
            std::lock_guard lock(m_prefetchLock);
            m_prefetched[PakInterface::NormalizePakName(name)] = std::move(decoded);
        }
    }
}

void BriskAppBase::DropPrefetchedPictures() {
    std::lock_guard lock(m_prefetchLock);
    m_prefetched.clear();
}

size_t BriskAppBase::CountPrefetchedPictures() {
    std::lock_guard lock(m_prefetchLock);
    return m_prefetched.size();
}

void BriskAppBase::KeepPicture(const std::string& name,
                               std::shared_ptr<const ImageLib::Image> picture) {
    std::lock_guard lock(m_prefetchLock);
    m_kept[name] = std::move(picture);
}

std::shared_ptr<const ImageLib::Image> BriskAppBase::FindKeptPicture(const std::string& name) {
    std::lock_guard lock(m_prefetchLock);
    const auto it = m_kept.find(name);
    return it != m_kept.end() ? it->second : nullptr;
}

void BriskAppBase::ForgetKeptPictures(const std::string& prefix) {
    std::lock_guard lock(m_prefetchLock);
    std::erase_if(m_kept, [&](const auto& entry) { return entry.first.starts_with(prefix); });
}

std::unique_ptr<DDImage> BriskAppBase::GetImage(const std::string& file, bool commitBits) {
    std::unique_ptr<ImageLib::Image> decoded;
    {
        std::lock_guard lock(m_prefetchLock);
        if (const auto kept = m_kept.find(file); kept != m_kept.end() && kept->second != nullptr) {
            const ImageLib::Image& picture = *kept->second;
            decoded = std::make_unique<ImageLib::Image>(picture.GetWidth(), picture.GetHeight());
            std::copy(picture.m_bits.begin(), picture.m_bits.end(), decoded->m_bits.begin());
        }
        if (decoded == nullptr && !m_prefetched.empty()) {
            const auto it = m_prefetched.find(PakInterface::NormalizePakName(file));
            if (it != m_prefetched.end()) {
                decoded = std::move(it->second);
                m_prefetched.erase(it);
            }
        }
    }
    if (decoded == nullptr) {
        decoded = ImageLib::DecodeImageFile(file, true);
    }
    if (decoded == nullptr) {
        return nullptr;
    }
    auto image = std::make_unique<DDImage>(m_display.get());
    image->m_name = file;
    const int width = decoded->GetWidth();
    const int height = decoded->GetHeight();
    image->SetBits(decoded->TakeBits(), width, height, commitBits);
    return image;
}

SharedImageRef BriskAppBase::GetSharedImage(const std::string& file, const std::string& variant,
                                            bool* isNew) {
    std::unique_lock<std::recursive_mutex> lock;
    if (m_display != nullptr) {
        lock = std::unique_lock(m_display->GetLock());
    }
    auto& slot = m_sharedImages[{file, variant}];
    const bool made = slot == nullptr;
    if (made) {
        slot = std::make_unique<SharedImageRef::Entry>();
        if (!file.empty() && file[0] == '!') {
            slot->image = std::make_unique<DDImage>(m_display.get());
            slot->image->m_name = file;
        } else {
            slot->image = GetImage(file, false);
        }
    }
    if (isNew != nullptr) {
        *isNew = made;
    }
    if (slot->image == nullptr) {
        m_sharedImages.erase({file, variant});
        return {};
    }
    return SharedImageRef(slot.get());
}

void BriskAppBase::AppFontHost::ReportError(const std::string& text) {
    if (!m_reported.insert(text).second) {
        return;
    }
    std::string shown = text;
    for (char& c : shown) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 32 && c != '\n' && c != '\t') || u >= 127) {
            c = '?';  // a damaged descriptor's bytes, quoted in the error
        }
    }
    m_app->Popup(shown);
}

bool BriskAppBase::AppFontHost::SizeForLater(const std::string& path, int* width, int* height) {
    return ImageLib::ReadImageSize(path, width, height);
}

FontImage BriskAppBase::AppFontHost::LoadImage(const std::string& path) {
    bool isNew = false;
    SharedImageRef ref = m_app->GetSharedImage(path, "", &isNew);
    if (!ref) {
        return {};
    }
    FontImage image;
    image.image = ref.GetImage();
    image.isNew = isNew;
    image.keepAlive = std::make_shared<SharedImageRef>(ref);
    return image;
}

}  // namespace Brisk
