#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/app/SharedImageRef.h"
#include "framework/graphics/Font.h"
#include "framework/resources/XmlReader.h"

namespace Brisk {

class DDImage;

// Thrown by the lookups of the resource manager for an unknown id.
class ResourceManagerException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Named images, sounds and fonts defined by resource sections in XML:
//
//   <ResourceManifest>
//     <Resources id="Menu">
//       <SetDefaults path="images" idprefix="IMAGE_"/>
//       <Image id="BUTTON" path="button.png" rows="2"/>
//       <Sound id="SOUND_CLICK" path="!program"/>
//       <Font id="FONT_TITLE" path="fonts/title.txt" tags="bold"/>
//     </Resources>
//   </ResourceManifest>
//
// Each "Resources" section is a group; a group is loaded (and unloaded) as
// a whole, and its resources are then fetched by id. Parsing and loading
// report the first error of a run (see GetErrorText). Main thread only.
class ResourceManager {
public:
    enum ResType { ResType_Image, ResType_Sound, ResType_Font };
    enum AnimType {
        AnimType_None = 0,
        AnimType_Once = 1,
        AnimType_PingPong = 2,
        AnimType_Loop = 3
    };

    struct AnimInfo {
        int type = AnimType_None;
        int frameDelay = 0;
        int beginDelay = 0;
        int endDelay = 0;
        int numCels = 1;
        std::vector<int> perFrameDelay;
        std::vector<int> frameMap;
    };

    struct BaseRes {
        explicit BaseRes(ResType t) : type(t) {}
        virtual ~BaseRes() = default;
        virtual bool IsLoaded() const = 0;
        ResType type;
        std::string id;
        std::string resGroup;
        std::string path;
        std::map<std::string, std::string> xmlAttributes;
        bool fromProgram = false;
    };

    struct ImageRes : BaseRes {
        ImageRes() : BaseRes(ResType_Image) {}
        bool IsLoaded() const override { return static_cast<bool>(image); }
        SharedImageRef image;
        bool palettize = true;
        bool a4r4g4b4 = false;
        bool ddSurface = false;
        bool purgeBits = false;
        bool a8r8g8b8 = false;
        bool minimizeSubdivisions = false;
        bool useAlpha = true;
        std::string alphaImage;
        std::string alphaGridImage;
        uint32_t alphaColor = 0xFFFFFF;
        std::string variant;
        int rows = 1;
        int cols = 1;
        AnimInfo animInfo;
    };

    struct SoundRes : BaseRes {
        SoundRes() : BaseRes(ResType_Sound) {}
        bool IsLoaded() const override { return soundId >= 0; }
        int soundId = -1;
        double volume = -1.0;  // -1: leave the sound's volume alone
        int panning = 0;
    };

    struct FontRes : BaseRes {
        FontRes() : BaseRes(ResType_Font) {}
        ~FontRes() override;
        bool IsLoaded() const override { return font != nullptr; }
        std::unique_ptr<Font> font;
        bool sysFont = false;
        int size = -1;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool shadow = false;
        std::string imagePath;  // the picture of a picture-and-widths font
        std::string tags;
    };

    using ResMap = std::map<std::string, std::unique_ptr<BaseRes>>;

    // `app` (may be null: then sections parse but nothing loads) must
    // outlive the manager.
    explicit ResourceManager(BriskAppBase* app);
    virtual ~ResourceManager();
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    // --- parsing (the reader is positioned inside the element) -------------
    virtual bool ParseCommonResource(const XmlNode& element, std::unique_ptr<BaseRes> res,
                                     ResMap* map);
    virtual bool ParseSoundResource(const XmlNode& element);
    virtual bool ParseImageResource(const XmlNode& element);
    virtual bool ParseFontResource(const XmlNode& element);
    virtual bool ParseSetDefaults(const XmlNode& element);
    // The body of one section, up to and including its end element.
    virtual bool ParseResources();
    // Every section of the reader's text ("Resources" elements, optionally
    // inside one "ResourceManifest").
    virtual bool DoParseResources();
    virtual bool ParseResourcesFile(const std::string& fileName);

    // --- loading ------------------------------------------------------------
    virtual bool LoadImage(ImageRes* res);
    virtual bool LoadFont(FontRes* res);
    virtual bool LoadSound(SoundRes* res);
    // Loads what is not yet loaded of the group; false at the first failure.
    virtual bool LoadResources(const std::string& group);
    // Unloads the group and forgets its resources.
    virtual void DeleteResources(const std::string& group);
    // Runs after each resource has loaded; does nothing here.
    virtual void ResourceLoaded(BaseRes* /*res*/) {}
    virtual bool IsGroupLoaded(const std::string& group);
    virtual int GetNumResources(const std::string& group);

    // --- lookups: the loaded object, else ResourceManagerException ----------
    virtual DDImage* GetImageThrow(const std::string& id);
    virtual int GetSoundThrow(const std::string& id);
    virtual Font* GetFontThrow(const std::string& id);

    // Parses sections from a text (as ParseResourcesFile does from a file).
    bool ParseResourcesText(const std::string& text, const std::string& fileName = {});
    bool HadError() const { return m_hasFailed; }
    const std::string& GetErrorText() const { return m_error; }
    // Forgets the kept error, so that the next one is reported.
    void ClearError() {
        m_hasFailed = false;
        m_error.clear();
    }
    // Lookups of resources marked "!program" that were never loaded give
    // null (or -1) instead of throwing.
    void SetAllowMissingProgramImages(bool allow) { m_allowMissingProgramResources = allow; }

private:
    // Keeps the first error of a run (with the reader's line and file);
    // always false.
    bool Fail(const std::string& message);
    ResMap& MapOf(ResType type);
    BaseRes* Find(ResType type, const std::string& id);
    // The loaded resource; null for a missing program resource when that
    // is allowed; otherwise reports "<kind> resource not found: <id>" and
    // throws.
    BaseRes* FindLoadedOrThrow(ResType type, const std::string& id, const char* kind);
    // A path with the default prefix in front, unless it starts with "!".
    std::string WithPathPrefix(const std::string& path) const;
    bool LoadResource(BaseRes* res);
    bool ApplyAlphaImages(ImageRes* res, DDImage* image);
    void Unload(BaseRes* res);

    BriskAppBase* m_app;  // not owned
    ResMap m_imageMap;
    ResMap m_soundMap;
    ResMap m_fontMap;
    std::map<std::string, std::vector<BaseRes*>> m_groups;
    std::string m_currentGroup;
    std::string m_defaultPath;
    std::string m_defaultIdPrefix;
    XmlReader* m_xml = nullptr;  // the reader of the parse in progress
    std::string m_error;
    bool m_hasFailed = false;
    bool m_allowMissingProgramResources = false;
};

}  // namespace Brisk
