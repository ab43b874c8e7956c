#include "framework/app/ResourceManager.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "framework/app/BriskAppBase.h"
#include "framework/app/SystemFont.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/resources/ImageFont.h"
#include "framework/resources/ImageLib.h"
#include "framework/sound/SoundManager.h"

namespace Brisk {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string WithoutTrailingSlash(std::string path) {
    while (!path.empty() && (path.back() == '/' || path.back() == '\\')) {
        path.pop_back();
    }
    return path;
}

// The file name of a path without folders and extension.
std::string FileNameOf(const std::string& path) {
    const size_t sep = path.find_last_of("/\\");
    std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name;
}

// A decimal integer clamped to the int range; 0 when there is none.
int ToInt(const std::string& text) {
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<int>(
        std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

double ToReal(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

// The items of a list separated by commas, blanks, tabs or line breaks.
std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = text.find_first_not_of(", \t\r\n", pos);
        if (start == std::string::npos) {
            break;
        }
        const size_t end = text.find_first_of(", \t\r\n", start);
        items.push_back(text.substr(start, end - start));
        pos = end;
    }
    return items;
}

std::vector<int> ToIntList(const std::string& text) {
    std::vector<int> values;
    for (const std::string& item : SplitList(text)) {
        values.push_back(ToInt(item));
    }
    return values;
}

}  // namespace

ResourceManager::FontRes::~FontRes() = default;

ResourceManager::ResourceManager(BriskAppBase* app) : m_app(app) {}

ResourceManager::~ResourceManager() {
    for (ResMap* map : {&m_imageMap, &m_soundMap, &m_fontMap}) {
        for (auto& entry : *map) {
            Unload(entry.second.get());
        }
    }
}

// --- errors ---------------------------------------------------------------------

bool ResourceManager::Fail(const std::string& message) {
    if (m_hasFailed) {
        return false;
    }
    m_hasFailed = true;
    m_error = message;
    if (m_xml != nullptr) {
        if (m_xml->GetCurrentLineNum() > 0) {
            m_error += " on Line " + std::to_string(m_xml->GetCurrentLineNum());
        }
        if (!m_xml->GetFileName().empty()) {
            m_error += " in File '" + m_xml->GetFileName() + "'";
        }
    }
    return false;
}

// --- parsing --------------------------------------------------------------------

std::string ResourceManager::WithPathPrefix(const std::string& path) const {
    return StartsWith(path, "!") ? path : m_defaultPath + path;
}

bool ResourceManager::ParseCommonResource(const XmlNode& element, std::unique_ptr<BaseRes> res,
                                          ResMap* map) {
    const std::string* path = element.Find("path");
    if (path == nullptr || path->empty()) {
        return Fail("No path specified.");
    }
    for (const auto& [key, value] : element.attributes) {
        res->xmlAttributes[key] = value;
    }
    res->fromProgram = *path == "!program";
    res->path = WithPathPrefix(*path);
    const std::string* id = element.Find("id");
    res->id = m_defaultIdPrefix + (id != nullptr ? *id : FileNameOf(*path));
    res->resGroup = m_currentGroup;
    if (map->count(res->id) != 0) {
        return Fail("Resource already defined.");
    }
    m_groups[m_currentGroup].push_back(res.get());
    (*map)[res->id] = std::move(res);
    return true;
}

bool ResourceManager::ParseSoundResource(const XmlNode& element) {
    auto res = std::make_unique<SoundRes>();
    if (const std::string* v = element.Find("volume")) {
        res->volume = ToReal(*v);
    }
    if (const std::string* v = element.Find("pan")) {
        res->panning = ToInt(*v);
    }
    return ParseCommonResource(element, std::move(res), &m_soundMap);
}

bool ResourceManager::ParseImageResource(const XmlNode& element) {
    auto res = std::make_unique<ImageRes>();
    auto has = [&](const char* key) { return element.Find(key) != nullptr; };
    res->palettize = !has("nopal");
    res->a4r4g4b4 = has("a4r4g4b4");
    res->ddSurface = has("ddsurface");
    res->a8r8g8b8 = has("a8r8g8b8");
    res->minimizeSubdivisions = has("minsubdivide");
    res->useAlpha = !has("noalpha");
    const bool is3D =
        m_app != nullptr && m_app->GetDisplay() != nullptr && m_app->GetDisplay()->Is3D();
    res->purgeBits = has("nobits") || (has("nobits3d") && is3D) || (has("nobits2d") && !is3D);
    if (const std::string* v = element.Find("alphaimage")) {
        res->alphaImage = WithPathPrefix(*v);
    }
    if (const std::string* v = element.Find("alphacolor")) {
        res->alphaColor = static_cast<uint32_t>(std::strtoul(v->c_str(), nullptr, 16));
    }
    if (const std::string* v = element.Find("variant")) {
        res->variant = *v;
    }
    if (const std::string* v = element.Find("alphagrid")) {
        res->alphaGridImage = WithPathPrefix(*v);
    }
    // A picture is at least one cel each way.
    if (const std::string* v = element.Find("rows")) {
        res->rows = std::max(1, ToInt(*v));
    }
    if (const std::string* v = element.Find("cols")) {
        res->cols = std::max(1, ToInt(*v));
    }
    if (const std::string* v = element.Find("anim")) {
        AnimInfo& anim = res->animInfo;
        if (*v == "none") {
            anim.type = AnimType_None;
        } else if (*v == "once") {
            anim.type = AnimType_Once;
        } else if (*v == "loop") {
            anim.type = AnimType_Loop;
        } else if (*v == "pingpong") {
            anim.type = AnimType_PingPong;
        } else {
            return Fail("Invalid animation type.");
        }
        if (anim.type != AnimType_None) {
            anim.numCels = std::max(res->rows, res->cols);
            if (const std::string* d = element.Find("framedelay")) {
                anim.frameDelay = ToInt(*d);
            }
            if (const std::string* d = element.Find("begindelay")) {
                anim.beginDelay = ToInt(*d);
            }
            if (const std::string* d = element.Find("enddelay")) {
                anim.endDelay = ToInt(*d);
            }
            if (const std::string* d = element.Find("perframedelay")) {
                anim.perFrameDelay = ToIntList(*d);
            }
            if (const std::string* d = element.Find("framemap")) {
                anim.frameMap = ToIntList(*d);
            }
        }
    }
    return ParseCommonResource(element, std::move(res), &m_imageMap);
}

bool ResourceManager::ParseFontResource(const XmlNode& element) {
    auto res = std::make_unique<FontRes>();
    const std::string* path = element.Find("path");
    if (path != nullptr && StartsWith(*path, "!sys:")) {
        res->sysFont = true;
        const std::string* size = element.Find("size");
        res->size = size != nullptr ? ToInt(*size) : -1;
        if (res->size <= 0) {
            return Fail("SysFont needs point size");
        }
        res->bold = element.Find("bold") != nullptr;
        res->italic = element.Find("italic") != nullptr;
        res->shadow = element.Find("shadow") != nullptr;
        res->underline = element.Find("underline") != nullptr;
    }
    if (const std::string* v = element.Find("image")) {
        res->imagePath = WithPathPrefix(*v);
    }
    if (const std::string* v = element.Find("tags")) {
        res->tags = *v;
    }
    return ParseCommonResource(element, std::move(res), &m_fontMap);
}

bool ResourceManager::ParseSetDefaults(const XmlNode& element) {
    if (const std::string* v = element.Find("path")) {
        m_defaultPath = WithoutTrailingSlash(*v) + "/";
    }
    if (const std::string* v = element.Find("idprefix")) {
        m_defaultIdPrefix = WithoutTrailingSlash(*v);
    }
    return true;
}

bool ResourceManager::ParseResources() {
    // The next node that is neither an instruction nor a comment.
    auto next = [&](XmlNode* node) {
        while (m_xml->NextNode(node)) {
            if (node->type != XmlNode::Type::Instruction && node->type != XmlNode::Type::Comment) {
                return true;
            }
        }
        return false;
    };
    auto readerFailed = [&] {
        return Fail(m_xml->HasFailed() ? m_xml->GetErrorText() : "Unexpected End of File");
    };
    XmlNode node;
    for (;;) {
        if (!next(&node)) {
            return readerFailed();
        }
        if (node.type == XmlNode::Type::End) {
            return true;  // the section's own end
        }
        if (node.type != XmlNode::Type::Element) {
            return Fail("Element Not Expected '" + node.name + "'");
        }
        bool ok = false;
        if (node.name == "Image") {
            ok = ParseImageResource(node);
        } else if (node.name == "Sound") {
            ok = ParseSoundResource(node);
        } else if (node.name == "Font") {
            ok = ParseFontResource(node);
        } else if (node.name == "SetDefaults") {
            ok = ParseSetDefaults(node);
        } else {
            return Fail("Invalid Section '" + node.name + "'");
        }
        if (!ok) {
            return false;
        }
        if (!next(&node)) {
            return readerFailed();
        }
        if (node.type != XmlNode::Type::End) {
            return Fail("Unexpected element found.");
        }
    }
}

bool ResourceManager::DoParseResources() {
    XmlNode node;
    while (m_xml->NextNode(&node)) {
        if (node.type != XmlNode::Type::Element) {
            continue;  // instructions, comments and the manifest's end
        }
        if (node.name == "ResourceManifest") {
            continue;
        }
        if (node.name != "Resources") {
            return Fail("Invalid Section '" + node.name + "'");
        }
        const std::string* id = node.Find("id");
        if (id == nullptr || id->empty()) {
            return Fail("No id specified.");
        }
        m_currentGroup = *id;
        m_groups[m_currentGroup];  // an empty section is a group too
        if (!ParseResources()) {
            return false;
        }
    }
    return !m_xml->HasFailed() || Fail(m_xml->GetErrorText());
}

bool ResourceManager::ParseResourcesFile(const std::string& fileName) {
    XmlReader reader;
    if (!reader.OpenFile(fileName)) {
        return Fail("Resource file not found: " + fileName);
    }
    m_xml = &reader;
    const bool ok = DoParseResources();
    m_xml = nullptr;
    return ok;
}

bool ResourceManager::ParseResourcesText(const std::string& text, const std::string& fileName) {
    XmlReader reader;
    reader.OpenText(text, fileName);
    m_xml = &reader;
    const bool ok = DoParseResources();
    m_xml = nullptr;
    return ok;
}

// --- loading --------------------------------------------------------------------

bool ResourceManager::ApplyAlphaImages(ImageRes* res, DDImage* image) {
    const int width = image->GetWidth();
    const int height = image->GetHeight();
    auto decode = [&](const std::string& path) { return ImageLib::DecodeImageFile(path, false); };
    if (!res->alphaGridImage.empty()) {
        std::unique_ptr<ImageLib::Image> grid = decode(res->alphaGridImage);
        if (grid == nullptr) {
            return Fail("Failed to load image: " + res->alphaGridImage);
        }
        const int cellWidth = width / res->cols;
        const int cellHeight = height / res->rows;
        if (grid->m_width != cellWidth || grid->m_height != cellHeight ||
            cellWidth * res->cols != width || cellHeight * res->rows != height) {
            return Fail("GridAlphaImage size mismatch between " + res->path + " and " +
                        res->alphaGridImage);
        }
        uint32_t* bits = image->GetBits();
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint32_t a = grid->m_bits[static_cast<size_t>((y % cellHeight) * cellWidth +
                                                                    x % cellWidth)] &
                                   0xFF;
                uint32_t& p = bits[static_cast<size_t>(y) * static_cast<size_t>(width) +
                                   static_cast<size_t>(x)];
                p = (p & 0x00FFFFFF) | (a << 24);
            }
        }
        image->BitsChanged();
    }
    if (!res->alphaImage.empty()) {
        std::unique_ptr<ImageLib::Image> alpha = decode(res->alphaImage);
        if (alpha == nullptr) {
            return Fail("Failed to load image: " + res->alphaImage);
        }
        if (alpha->m_width != width || alpha->m_height != height) {
            return Fail("AlphaImage size mismatch between " + res->path + " and " +
                        res->alphaImage);
        }
        uint32_t* bits = image->GetBits();
        const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
        for (size_t i = 0; i < n; ++i) {
            bits[i] = (bits[i] & 0x00FFFFFF) | ((alpha->m_bits[i] & 0xFF) << 24);
        }
        image->BitsChanged();
    }
    return true;
}

bool ResourceManager::LoadImage(ImageRes* res) {
    if (m_app == nullptr) {
        return Fail("Failed to load image: " + res->path);
    }
    bool isNew = false;
    const uint32_t oldFill = ImageLib::gAlphaFillColor;
    ImageLib::gAlphaFillColor = res->alphaColor;
    SharedImageRef ref = m_app->GetSharedImage(res->path, res->variant, &isNew);
    ImageLib::gAlphaFillColor = oldFill;
    if (!ref) {
        return Fail("Failed to load image: " + res->path);
    }
    DDImage* image = ref.GetImage();
    if (isNew) {
        if (!ApplyAlphaImages(res, image)) {
            return false;
        }
        image->m_numRows = res->rows;
        image->m_numCols = res->cols;
        if (res->palettize) {
            image->Palettize();
        }
        if (res->purgeBits) {
            image->DeleteSoftwareBuffers();
        }
    }
    res->image = ref;
    ResourceLoaded(res);
    return true;
}

bool ResourceManager::LoadSound(SoundRes* res) {
    SoundManager* sounds = m_app != nullptr ? m_app->GetSoundManager() : nullptr;
    const int id = sounds != nullptr ? sounds->FindFreeSoundId() : -1;
    if (id < 0) {
        return Fail("Out of free sound ids");
    }
    if (!sounds->LoadSoundFile(id, res->path)) {
        return Fail("Failed to load sound: " + res->path);
    }
    if (res->volume >= 0) {
        sounds->SetDefaultVolume(id, res->volume);
    }
    if (res->panning != 0) {
        sounds->SetDefaultPan(id, res->panning);
    }
    res->soundId = id;
    ResourceLoaded(res);
    return true;
}

bool ResourceManager::LoadFont(FontRes* res) {
    QuietFontHost host;  // failures are reported below, not shown
    std::unique_ptr<Font> font;
    if (res->sysFont) {
        const int style = (res->bold ? kFontBold : 0) | (res->italic ? kFontItalic : 0) |
                          (res->underline ? kFontUnderline : 0);
        font = CreateSystemFont(res->path.substr(5), res->size, style);
    } else if (!res->imagePath.empty()) {
        FontImage image = host.LoadImage(res->imagePath);
        if (image.image == nullptr) {
            return Fail("Failed to load image: " + res->imagePath);
        }
        auto legacy = std::make_unique<ImageFont>(std::move(image), res->path);
        if (!legacy->IsLoaded()) {
            return Fail("Failed to load font: " + res->path);
        }
        font = std::move(legacy);
    } else if (StartsWith(res->path, "!ref:")) {
        const std::string name = res->path.substr(5);
        auto* ref = static_cast<FontRes*>(Find(ResType_Font, name));
        // Only a font loaded before this one can be copied (no chains to follow).
        if (ref == nullptr || !ref->IsLoaded()) {
            return Fail("Ref font not found: " + name);
        }
        font = ref->font->Duplicate();
    } else {
        auto descriptor = std::make_unique<ImageFont>(&host, res->path);
        if (!descriptor->IsLoaded()) {
            return Fail("Failed to load font: " + res->path);
        }
        font = std::move(descriptor);
    }
    if (auto* imageFont = dynamic_cast<ImageFont*>(font.get())) {
        for (const std::string& tag : SplitList(res->tags)) {
            imageFont->AddTag(tag);
        }
        imageFont->Prepare();
    }
    res->font = std::move(font);
    ResourceLoaded(res);
    return true;
}

bool ResourceManager::LoadResource(BaseRes* res) {
    if (res->IsLoaded()) {
        return true;
    }
    switch (res->type) {
        case ResType_Image:
            return LoadImage(static_cast<ImageRes*>(res));
        case ResType_Sound:
            return LoadSound(static_cast<SoundRes*>(res));
        case ResType_Font:
            return LoadFont(static_cast<FontRes*>(res));
    }
    return false;
}

bool ResourceManager::LoadResources(const std::string& group) {
    auto it = m_groups.find(group);
    if (it == m_groups.end()) {
        return Fail("Resource group not found: " + group);
    }
    for (BaseRes* res : it->second) {
        // Resources the program supplies itself are not loaded from files.
        if (res->fromProgram) {
            continue;
        }
        if (!LoadResource(res)) {
            return false;
        }
    }
    return true;
}

void ResourceManager::Unload(BaseRes* res) {
    switch (res->type) {
        case ResType_Image:
            static_cast<ImageRes*>(res)->image = SharedImageRef();
            break;
        case ResType_Sound: {
            auto* sound = static_cast<SoundRes*>(res);
            SoundManager* sounds = m_app != nullptr ? m_app->GetSoundManager() : nullptr;
            if (sound->soundId >= 0 && sounds != nullptr) {
                sounds->FreeSound(sound->soundId);
            }
            sound->soundId = -1;
            break;
        }
        case ResType_Font:
            static_cast<FontRes*>(res)->font.reset();
            break;
    }
}

void ResourceManager::DeleteResources(const std::string& group) {
    auto it = m_groups.find(group);
    if (it == m_groups.end()) {
        return;
    }
    const std::vector<BaseRes*> members = std::move(it->second);
    m_groups.erase(it);
    for (BaseRes* res : members) {
        Unload(res);
        MapOf(res->type).erase(res->id);  // deletes res
    }
}

bool ResourceManager::IsGroupLoaded(const std::string& group) {
    auto it = m_groups.find(group);
    return it != m_groups.end() &&
           std::all_of(it->second.begin(), it->second.end(),
                       [](const BaseRes* r) { return r->fromProgram || r->IsLoaded(); });
}

int ResourceManager::GetNumResources(const std::string& group) {
    auto it = m_groups.find(group);
    return it != m_groups.end() ? static_cast<int>(it->second.size()) : 0;
}

// --- lookups --------------------------------------------------------------------

ResourceManager::ResMap& ResourceManager::MapOf(ResType type) {
    switch (type) {
        case ResType_Image:
            return m_imageMap;
        case ResType_Sound:
            return m_soundMap;
        case ResType_Font:
            break;
    }
    return m_fontMap;
}

ResourceManager::BaseRes* ResourceManager::Find(ResType type, const std::string& id) {
    ResMap& map = MapOf(type);
    auto it = map.find(id);
    return it != map.end() ? it->second.get() : nullptr;
}

ResourceManager::BaseRes* ResourceManager::FindLoadedOrThrow(ResType type, const std::string& id,
                                                             const char* kind) {
    BaseRes* res = Find(type, id);
    if (res != nullptr && res->IsLoaded()) {
        return res;
    }
    if (res != nullptr && res->fromProgram && m_allowMissingProgramResources) {
        return nullptr;
    }
    const std::string message = std::string(kind) + " resource not found: " + id;
    Fail(message);
    throw ResourceManagerException(message);
}

DDImage* ResourceManager::GetImageThrow(const std::string& id) {
    auto* res = static_cast<ImageRes*>(FindLoadedOrThrow(ResType_Image, id, "Image"));
    return res != nullptr ? res->image.GetImage() : nullptr;
}

int ResourceManager::GetSoundThrow(const std::string& id) {
    auto* res = static_cast<SoundRes*>(FindLoadedOrThrow(ResType_Sound, id, "Sound"));
    return res != nullptr ? res->soundId : -1;
}

Font* ResourceManager::GetFontThrow(const std::string& id) {
    auto* res = static_cast<FontRes*>(FindLoadedOrThrow(ResType_Font, id, "Font"));
    return res != nullptr ? res->font.get() : nullptr;
}

}  // namespace Brisk
