// The factory's image and font caches and its sound table.
#include <algorithm>
#include <stdexcept>

#include "controls/Factory_impl.h"
#include "framework/app/BriskAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/resources/ImageFont.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/ImageScale.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"

namespace ControlLibrary {
namespace {

// Finds `path` among the used entries and counts one more use, or makes a
// new entry in the first empty one with `make`. The index, or -1.
template <class Entry, class Make>
int32_t LoadCached(std::vector<Entry>& entries, const std::string& path, Make make) {
    if (path.empty()) {
        return -1;
    }
    int32_t empty = -1;
    for (size_t i = 0; i < entries.size(); ++i) {
        Entry& entry = entries[i];
        if (entry.count > 0 && entry.path == path) {
            if (entry.count == INT16_MAX) {
                return -1;
            }
            ++entry.count;
            return static_cast<int32_t>(i);
        }
        if (empty < 0 && entry.count <= 0) {
            empty = static_cast<int32_t>(i);
        }
    }
    if (empty < 0) {
        return -1;
    }
    try {
        if (!make(entries[empty])) {
            return -1;
        }
    } catch (const std::exception&) {
        return -1;
    }
    entries[empty].path = path;
    entries[empty].count = 1;
    entries[empty].spare = -1;
    return empty;
}

// Drops one use of the entry at `*index`; the last use empties it.
template <class Entry>
bool ReleaseCached(std::vector<Entry>& entries, int32_t* index) {
    if (*index < 0 || *index >= static_cast<int32_t>(entries.size())) {
        return false;
    }
    Entry& entry = entries[*index];
    if (entry.count <= 0) {
        *index = -1;
        return false;
    }
    if (--entry.count < 1) {
        entry = Entry{};
    }
    *index = -1;
    return true;
}

}  // namespace

// --- images -----------------------------------------------------------------------

bool Factory_impl::LoadImage(const std::string& path, int32_t* index) {
    std::lock_guard lock(m_cacheLock);
    const int32_t found = LoadCached(m_images, path, [&](ImageEntry& entry) {
        int width = 0;
        int height = 0;
        if (ImageLib::ReadImageSize(path, &width, &height)) {
            entry.pending = true;
            entry.pendingSize = {static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
            return true;
        }
        entry.image = m_app->GetImage(path, true);
        return entry.image != nullptr;
    });
    if (found < 0) {
        return false;
    }
    *index = found;
    return true;
}

void Factory_impl::KeepPicture(const std::string& path, int32_t width, int32_t height,
                               std::vector<uint32_t> pixels) {
    auto picture = std::make_shared<ImageLib::Image>();
    picture->m_width = width;
    picture->m_height = height;
    picture->m_bits = std::move(pixels);
    m_app->KeepPicture(path, std::move(picture));
}

bool Factory_impl::KeepThumbnail(const std::string& source, const std::string& path, int32_t size) {
    std::shared_ptr<const ImageLib::Image> picture = m_app->FindKeptPicture(source);
    if (picture == nullptr) {
        picture = ImageLib::DecodeImageFile(source, true);
    }
    if (picture == nullptr) {
        return false;
    }
    int32_t width = 0;
    int32_t height = 0;
    ImageLib::FitSize(picture->GetWidth(), picture->GetHeight(), size, size, &width, &height);
    auto thumbnail = std::make_shared<ImageLib::Image>(ImageLib::Resample(*picture, width, height));
    if (thumbnail->GetWidth() == 0) {
        return false;
    }
    m_app->KeepPicture(path, std::move(thumbnail));
    return true;
}

void Factory_impl::ForgetPictures(const std::string& prefix) {
    m_app->ForgetKeptPictures(prefix);
}

bool Factory_impl::ReleaseImage(int32_t* index) {
    std::lock_guard lock(m_cacheLock);
    return ReleaseCached(m_images, index);
}

bool Factory_impl::HoldsImage(int32_t index) const {
    return index >= 0 && index < kImageCacheSize &&
           (m_images[index].image != nullptr || m_images[index].pending);
}

Size Factory_impl::ImageSizeAt(int32_t index) const {
    const ImageEntry& entry = m_images[index];
    if (entry.image == nullptr) {
        return entry.pendingSize;
    }
    return {static_cast<uint32_t>(entry.image->GetWidth()),
            static_cast<uint32_t>(entry.image->GetHeight())};
}

Brisk::DDImage* Factory_impl::DecodedImage(int32_t index) {
    if (!HoldsImage(index)) {
        return nullptr;
    }
    ImageEntry& entry = m_images[index];
    if (entry.pending) {
        entry.pending = false;
        entry.image = m_app->GetImage(entry.path, true);
        if (entry.image != nullptr && ImageSizeAt(index) != entry.pendingSize) {
            entry.image.reset();  // not the picture whose size was given out
        }
        if (entry.image == nullptr) {
            entry.pending = true;  // still held, drawn as nothing
            return nullptr;
        }
    }
    return entry.image.get();
}

bool Factory_impl::GetImageSize(int32_t index, Size* size) {
    std::lock_guard lock(m_cacheLock);
    if (!HoldsImage(index)) {
        return false;
    }
    *size = ImageSizeAt(index);
    return true;
}

void Factory_impl::GetImagePath(int32_t index, std::string* path) {
    std::lock_guard lock(m_cacheLock);
    if (HoldsImage(index)) {
        *path = m_images[index].path;
    }
}

int32_t Factory_impl::CountCachedImages() {
    std::lock_guard lock(m_cacheLock);
    int32_t count = 0;
    for (const ImageEntry& entry : m_images) {
        count += entry.image != nullptr || entry.pending ? 1 : 0;
    }
    return count;
}

int32_t Factory_impl::CountDecodedImages() {
    std::lock_guard lock(m_cacheLock);
    return static_cast<int32_t>(std::count_if(
        m_images.begin(), m_images.end(), [](const ImageEntry& e) { return e.image != nullptr; }));
}

int32_t Factory_impl::GetImageUseCount(int32_t index) {
    std::lock_guard lock(m_cacheLock);
    if (index < 0 || index >= kImageCacheSize) {
        return 0;
    }
    return m_images[index].count;
}

// --- fonts ------------------------------------------------------------------------

int32_t Factory_impl::LoadFont(const std::string& path) {
    std::lock_guard lock(m_cacheLock);
    return LoadCached(m_fonts, path, [&](FontEntry& entry) {
        auto font = std::make_unique<Brisk::ImageFont>(m_app->GetFontHost(), path);
        if (!font->IsLoaded()) {
            return false;
        }
        entry.font = std::move(font);
        return true;
    });
}

void Factory_impl::ReleaseFontIndex(int32_t* index) {
    std::lock_guard lock(m_cacheLock);
    ReleaseCached(m_fonts, index);
}

int32_t Factory_impl::GetFontHeight(int32_t index) {
    std::lock_guard lock(m_cacheLock);
    if (index < 0 || index >= kFontCacheSize || m_fonts[index].font == nullptr) {
        return 0;
    }
    return m_fonts[index].font->GetHeight();
}

int32_t Factory_impl::GetTextWidth(int32_t index, const std::string& text) {
    std::lock_guard lock(m_cacheLock);
    if (index < 0 || index >= kFontCacheSize || m_fonts[index].font == nullptr) {
        return 0;
    }
    return m_fonts[index].font->StringWidth(text);
}

// --- sounds -----------------------------------------------------------------------
//
// Each loaded id remembers which player loaded it and the serial of the
// instance last started for it. Instances are looked up by serial, so an
// instance the sound manager has freed is never touched again. Ids are only
// handed out below the table size, so every loaded id has its entry.

int32_t Factory_impl::TakeSoundId() {
    std::lock_guard lock(m_idLock);
    return m_soundIds.Take();
}

void Factory_impl::ReturnSoundId(int32_t id) {
    std::lock_guard lock(m_idLock);
    m_soundIds.Return(id);
}

size_t Factory_impl::CountSoundIdsInUse() {
    std::lock_guard lock(m_idLock);
    return m_soundIds.CountUsed();
}

int32_t Factory_impl::LoadSound(const std::string& path) {
    const int32_t id = TakeSoundId();
    if (id >= kSoundTableSize) {
        ReturnSoundId(id);
        return -1;
    }
    Brisk::SoundManager* sounds = m_app->GetSoundManager();
    Brisk::MusicInterface* music = m_app->GetMusicInterface();
    std::lock_guard lock(m_soundLock);
    SoundEntry& entry = m_sounds[id];
    if (sounds != nullptr && sounds->LoadSoundFile(id, path)) {
        entry = {SoundPlayer::SoundManager, 0};
        return id;
    }
    if (music != nullptr && music->LoadMusicFile(id, path)) {
        entry = {SoundPlayer::Music, 0};
        return id;
    }
    ReturnSoundId(id);
    return -1;
}

void Factory_impl::UnloadSound(int32_t* id) {
    const int32_t loaded = *id;
    *id = -1;
    if (loaded < 0 || loaded >= kSoundTableSize) {
        return;
    }
    {
        std::lock_guard lock(m_soundLock);
        SoundEntry& entry = m_sounds[loaded];
        if (entry.player == SoundPlayer::SoundManager) {
            Brisk::SoundManager* sounds = m_app->GetSoundManager();
            if (Brisk::SoundInstance* instance = sounds->FindInstance(entry.instanceSerial)) {
                instance->Free();
            }
            sounds->FreeSound(loaded);
        } else if (entry.player == SoundPlayer::Music) {
            m_app->GetMusicInterface()->FreeMusic(loaded);
        } else {
            return;  // not loaded: the id is not ours to return
        }
        entry = {};
    }
    ReturnSoundId(loaded);
}

void Factory_impl::PlaySound(int32_t id, bool loop, bool music) {
    if (id < 0 || id >= kSoundTableSize) {
        return;
    }
    std::lock_guard lock(m_soundLock);
    SoundEntry& entry = m_sounds[id];
    if (entry.player == SoundPlayer::SoundManager) {
        Brisk::SoundManager* sounds = m_app->GetSoundManager();
        // A stopped instance no longer frees itself; the table was its only
        // holder, so it is freed here instead of keeping its slot for ever.
        Brisk::SoundInstance* previous = sounds->FindInstance(entry.instanceSerial);
        if (previous != nullptr && !previous->IsPlaying()) {
            previous->Free();
        }
        if (Brisk::SoundInstance* instance = sounds->NewInstance(id)) {
            instance->SetMusic(music);  // at its own volume from the first sample
            instance->Play(loop, !loop);
            entry.instanceSerial = instance->GetSerial();
        }
    } else if (entry.player == SoundPlayer::Music) {
        m_app->GetMusicInterface()->StartMusic(id, 0, !loop);
    }
}

template <class OnInstance, class OnMusic, class Result>
Result Factory_impl::RouteSound(int32_t id, OnInstance onInstance, OnMusic onMusic,
                                Result otherwise) {
    if (id < 0 || id >= kSoundTableSize) {
        return otherwise;
    }
    std::lock_guard lock(m_soundLock);
    const SoundEntry& entry = m_sounds[id];
    if (entry.player == SoundPlayer::SoundManager) {
        // Null once the sound manager freed it (a finished one-shot).
        Brisk::SoundInstance* instance =
            m_app->GetSoundManager()->FindInstance(entry.instanceSerial);
        return instance != nullptr ? onInstance(instance) : otherwise;
    }
    if (entry.player == SoundPlayer::Music) {
        return onMusic(m_app->GetMusicInterface());
    }
    return otherwise;
}

void Factory_impl::StopSound(int32_t id) {
    RouteSound(
        id, [](Brisk::SoundInstance* i) { return (i->Stop(), true); },
        [id](Brisk::MusicInterface* m) { return (m->StopMusic(id), true); }, false);
}

bool Factory_impl::IsSoundPlaying(int32_t id) {
    return RouteSound(
        id, [](Brisk::SoundInstance* i) { return i->IsPlaying(); },
        [id](Brisk::MusicInterface* m) { return m->IsMusicPlaying(id); }, false);
}

void Factory_impl::SetSoundMusic(int32_t id, bool music) {
    RouteSound(
        id, [music](Brisk::SoundInstance* i) { return (i->SetMusic(music), true); },
        [](Brisk::MusicInterface*) { return true; },  // the music player's own volume
        false);
}

void Factory_impl::SetSoundVolume(int32_t id, double volume) {
    RouteSound(
        id, [volume](Brisk::SoundInstance* i) { return (i->SetVolume(volume), true); },
        [id, volume](Brisk::MusicInterface* m) { return (m->SetMusicVolume(id, volume), true); },
        false);
}

}  // namespace ControlLibrary
