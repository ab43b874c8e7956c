#include "game/CardSets.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "common/ProcessWide.h"
#include "controls/Factory_impl.h"
#include "game/FieldMgr.h"
#include "game/Texts.h"
#include "kernel/CardSetReader.h"

namespace Gamespace {

using ControlLibrary::GetFactory;

namespace {

std::unique_ptr<CardSets>& g_sets = CommonLibrary::ProcessWide<CardSets>();

// Where the pictures made at run time are kept, by prefix.
constexpr const char* kOwnPictures = "cardsets/";
constexpr const char* kThumbnails = "cardthumbs/";
constexpr int32_t kThumbnailSize = 56;

struct BuiltInSet {
    const char* id;
    const char* name;
    const char* folder;
    int faces;
};

// The sets generated with the game's data, the first one its original cards.
constexpr BuiltInSet kOtherBuiltIns[] = {
    {"Shapes", TrLater("Shapes"), "images/sets/shapes/", 18},
    {"Animals", TrLater("Animals"), "images/sets/animals/", 18},
};

std::string Numbered(const std::string& folder, int number, const char* extension) {
    char name[16];
    std::snprintf(name, sizeof name, "%02d%s", number, extension);
    return folder + name;
}

}  // namespace

CardSets* CardSets::Instance() {
    if (g_sets == nullptr) {
        g_sets = std::make_unique<CardSets>();
    }
    return g_sets.get();
}

void CardSets::Destroy() {
    g_sets.reset();
}

CardSets::CardSets() {
    CardSet original;
    original.name = Tr("Pictures");
    original.back = "images/vis_cover/01.jpg";
    for (size_t i = 0; i < PictureCount(); ++i) {
        original.faces.push_back(PicturePath(i));
    }
    m_sets.push_back(std::move(original));
    for (const BuiltInSet& builtIn : kOtherBuiltIns) {
        CardSet set;
        set.id = builtIn.id;
        set.name = Tr(builtIn.name);
        set.back = std::string(builtIn.folder) + "back.jpg";
        for (int i = 1; i <= builtIn.faces; ++i) {
            set.faces.push_back(Numbered(builtIn.folder, i, ".png"));
        }
        m_sets.push_back(std::move(set));
    }
    m_builtIn = m_sets.size();
}

CardSets::~CardSets() {
    if (GetFactory() != nullptr) {
        GetFactory()->ForgetPictures(kOwnPictures);
        GetFactory()->ForgetPictures(kThumbnails);
    }
}

std::optional<CardSet> CardSets::Read(const std::string& folder, std::string* problem) {
    KernelLibrary::CardSetRead read = KernelLibrary::ReadCardSetFolder(folder);
    if (!read.set) {
        *problem = read.problem;
        return std::nullopt;
    }
    std::string name = folder;
    while (name.size() > 1 && name.back() == '/') {
        name.pop_back();
    }
    name = std::filesystem::path(name).filename().string();
    CardSet set;
    set.id = std::string(kOwnSetPrefix) + name.substr(0, 200);
    set.name = read.set->name;
    set.author = read.set->author;
    set.own = true;
    const std::string kept = kOwnPictures + std::to_string(++m_reads) + "/";
    ControlLibrary::Factory_impl* factory = GetFactory();
    int number = 0;
    for (KernelLibrary::CardPicture& face : read.set->faces) {
        set.faces.push_back(Numbered(kept, ++number, ""));
        factory->KeepPicture(set.faces.back(), face.width, face.height, std::move(face.pixels));
    }
    if (read.set->back) {
        set.back = kept + "back";
        factory->KeepPicture(set.back, read.set->back->width, read.set->back->height,
                             std::move(read.set->back->pixels));
    } else {
        set.back = m_sets.front().back;
    }
    return set;
}

std::vector<std::string> CardSets::LoadOwnSets(const std::vector<std::string>& roots) {
    for (size_t i = m_builtIn; i < m_sets.size(); ++i) {
        const std::string& face = m_sets[i].faces.front();
        GetFactory()->ForgetPictures(face.substr(0, face.rfind('/') + 1));
    }
    m_sets.resize(m_builtIn);
    std::vector<std::string> refused;
    for (const std::string& folder : KernelLibrary::ListCardSetFolders(roots)) {
        std::string problem;
        std::optional<CardSet> set = Read(folder, &problem);
        if (!set) {
            refused.push_back(folder + ": " + problem);
        } else if (Find(set->id) == nullptr) {  // the same name twice: the first one counts
            m_sets.push_back(std::move(*set));
        }
    }
    return refused;
}

std::optional<std::string> CardSets::UseForThisRun(const std::string& folder) {
    std::string problem;
    std::optional<CardSet> set = Read(folder, &problem);
    if (!set) {
        return problem;
    }
    m_runSet = std::make_unique<CardSet>(std::move(*set));
    return std::nullopt;
}

const CardSet* CardSets::Find(const std::string& id) const {
    const auto it =
        std::find_if(m_sets.begin(), m_sets.end(), [&](const CardSet& s) { return s.id == id; });
    return it != m_sets.end() ? &*it : nullptr;
}

const CardSet& CardSets::ForPlayer(const Player& player) const {
    if (m_runSet != nullptr) {
        return *m_runSet;
    }
    const CardSet* chosen = Find(player.cardSet);
    return chosen != nullptr ? *chosen : m_sets.front();
}

BestsKey CardSets::KeyOf(const CardSet& set) {
    BestsKey key;
    key.cardSet = set.id;
    return key;
}

std::string CardSets::Thumbnail(const std::string& path) {
    const std::string thumbnail = kThumbnails + path;
    if (std::find(m_thumbnails.begin(), m_thumbnails.end(), thumbnail) != m_thumbnails.end()) {
        return thumbnail;
    }
    if (!GetFactory()->KeepThumbnail(path, thumbnail, kThumbnailSize)) {
        return {};
    }
    m_thumbnails.push_back(thumbnail);
    return thumbnail;
}

}  // namespace Gamespace
