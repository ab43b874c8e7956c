#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/graphics/Color.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Geometry.h"
#include "framework/resources/DescParser.h"

namespace Brisk {

class MemoryImage;

// A picture a font layer draws from, kept alive by `keepAlive`.
struct FontImage {
    MemoryImage* image = nullptr;
    std::shared_ptr<void> keepAlive;
    bool isNew = false;  // just loaded (not shared with anything yet)
};

// What fonts need from the application: images by path and error reports.
class FontHost {
public:
    virtual ~FontHost() = default;
    // The image at `path` (through the shared-image cache); image null on failure.
    virtual FontImage LoadImage(const std::string& path) = 0;
    // Shows a descriptor error to the user.
    virtual void ReportError(const std::string& text) = 0;
};

// A host that decodes layer pictures itself (no shared cache) and collects
// error texts: for tools and tests that run without the application.
class DecodingFontHost : public FontHost {
public:
    FontImage LoadImage(const std::string& path) override;
    void ReportError(const std::string& text) override { errors += text; }
    std::string errors;
};

// One layer of a font: glyph rectangles in an image, widths, offsets,
// kerning, colours and drawing order.
struct FontLayer {
    std::string name;
    std::vector<std::string> requiredTags;
    std::vector<std::string> excludedTags;
    std::array<Rect, 256> imageRects{};
    std::array<Point, 256> charOffsets{};
    std::array<std::array<int8_t, 256>, 256> kerning{};  // [first][second]
    std::array<int, 256> charWidths{};
    std::array<int, 256> charOrders{};
    Color colorMult{255, 255, 255, 255};
    Color colorAdd{0, 0, 0, 0};
    FontImage image;
    int drawMode = -1;
    Point offset;
    int spacing = 0;
    int minPointSize = -1;
    int maxPointSize = -1;
    int pointSize = 0;
    int ascent = 0;
    int ascentPadding = 0;
    int height = 0;
    int defaultHeight = 0;  // computed from the image map
    int lineSpacingOffset = 0;
    int baseOrder = 0;
};

// The layers and settings of a descriptor, shared by every copy of a font.
class FontData : public DescParser {
public:
    // `host` (may be null: then images cannot load and errors are dropped)
    // must outlive the data.
    explicit FontData(FontHost* host) : m_host(host) {}

    // Loads the descriptor once; a second load fails.
    [[nodiscard]] bool Load(const std::string& path);
    // The older form: one layer drawn from `image` (glyphs side by side)
    // with the widths read from a text file on disk: the space width, the
    // height, then pairs of a character and its width. Loads once too.
    [[nodiscard]] bool LoadLegacy(FontImage image, const std::string& widthsPath);
    bool Error(const std::string& message) override;
    bool HandleCommand(const DataElement& command) override;

    FontLayer* GetLayer(const std::string& name);
    const std::vector<std::unique_ptr<FontLayer>>& GetLayers() const { return m_layers; }
    uint8_t MapChar(char c) const { return m_charMap[static_cast<uint8_t>(c)]; }
    int GetDefaultPointSize() const { return m_defaultPointSize; }
    bool IsLoaded() const { return m_loaded; }
    // Marks loaded data unusable (its layers cannot be drawn).
    void Fail() { m_loaded = false; }
    const std::string& GetLastError() const { return m_lastError; }
    using DescParser::GetDefine;

private:
    // Parameter readers; each reports its own error and returns false.
    bool Deref(const DataElement& in, const DataElement** out);
    bool GetInt(const DataElement& e, int* out);
    bool GetReal(const DataElement& e, double* out);
    bool GetText(const DataElement& e, std::string* out);
    bool GetList(const DataElement& e, const DataElement** out);
    bool GetColor(const DataElement& e, Color* out);
    bool GetChars(const DataElement& e, std::vector<uint8_t>* out);
    bool GetInts(const DataElement& e, std::vector<int>* out);
    bool GetLayerParam(const DataElement& e, FontLayer** out);
    bool GetRect(const DataElement& e, Rect* out);
    DataElement Resolve(const DataElement& e);

    // The descriptor's commands; `p` holds the command and its parameters,
    // already counted, `layer` the layer a layer command names.
    using Params = std::vector<DataElement>;
    bool Define(const Params& p);
    bool CreateHorzSpanRectList(const Params& p);
    bool SetDefaultPointSize(const Params& p);
    bool SetCharMap(const Params& p);
    bool CreateLayer(const Params& p);  // and CreateLayerFrom
    bool LayerRequireTags(const Params& p, FontLayer* layer);
    bool LayerExcludeTags(const Params& p, FontLayer* layer);
    bool LayerPointRange(const Params& p, FontLayer* layer);
    bool LayerSetImage(const Params& p, FontLayer* layer);
    bool LayerSetDrawMode(const Params& p, FontLayer* layer);
    bool LayerSetOffset(const Params& p, FontLayer* layer);
    bool LayerSetCharWidths(const Params& p, FontLayer* layer);
    bool LayerSetCharOrders(const Params& p, FontLayer* layer);
    bool LayerSetImageMap(const Params& p, FontLayer* layer);
    bool LayerSetCharOffsets(const Params& p, FontLayer* layer);
    bool LayerSetKerningPairs(const Params& p, FontLayer* layer);
    // Shared by the commands above.
    bool ReadTags(const DataElement& list, std::vector<std::string>* tags);
    bool ReadCharTable(const DataElement& charList, const DataElement& valueList,
                       std::array<int, 256>* table);

    FontHost* m_host;  // not owned
    std::vector<std::unique_ptr<FontLayer>> m_layers;
    std::array<uint8_t, 256> m_charMap{};
    int m_defaultPointSize = 0;
    std::string m_path;
    std::string m_lastError;
    bool m_loaded = false;
    bool m_mapInitialised = false;
};

// A layer taking part at the font's current point size and tags, with the
// image it draws from (its own scaled copy when scaled).
struct ActiveFontLayer {
    const FontLayer* base = nullptr;
    MemoryImage* image = nullptr;              // not owned unless scaledImage holds it
    std::unique_ptr<MemoryImage> scaledImage;  // when drawn scaled
    std::array<Rect, 256> rects{};
    double factor = 1.0;
};

// A font drawn from layered glyph images described by a descriptor file.
class ImageFont : public Font {
public:
    // Loads the descriptor; IsLoaded tells whether it worked.
    ImageFont(FontHost* host, const std::string& descriptorPath);
    // A font from a picture of glyphs side by side and a widths file (see
    // FontData::LoadLegacy).
    ImageFont(FontImage image, const std::string& widthsPath);
    ~ImageFont() override;

    int GetAscent() override;
    int GetAscentPadding() override;
    int GetDescent() override { return GetHeight() - GetAscent(); }
    int GetHeight() override;
    int GetLineSpacingOffset() override;
    int GetLineSpacing() override { return GetHeight() + GetLineSpacingOffset(); }
    int CharWidth(char ch) override { return CharWidthKern(ch, 0); }
    // `previous` 0 means none.
    int CharWidthKern(char ch, char previous) override;
    void DrawString(Graphics* g, int x, int y, const std::string& text, const Color& color,
                    const Rect& clip) override;
    std::unique_ptr<Font> Duplicate() override;
    // Rebuilds the active layers; a layer whose scaled sheet would be too
    // large is reported and left out.
    virtual void Prepare();
    // Draws and optionally reports the glyph rectangles and the drawn width.
    virtual void DrawStringEx(Graphics* g, int x, int y, const std::string& text,
                              const Color& color, const Rect& clip, std::vector<Rect>* rects,
                              int* width);
    virtual void SetPointSize(int pointSize);
    virtual int GetPointSize() { return m_pointSize; }
    virtual void SetScale(double scale);
    virtual int GetDefaultPointSize();
    virtual bool AddTag(const std::string& tag);
    virtual bool RemoveTag(const std::string& tag);
    virtual bool HasTag(const std::string& tag);
    virtual std::string GetDefine(const std::string& name);
    virtual void EnsurePrepared();

    bool IsLoaded() const { return m_data != nullptr && m_data->IsLoaded(); }
    const std::vector<std::unique_ptr<ActiveFontLayer>>& GetActiveLayers() const {
        return m_activeLayers;
    }
    bool m_forceWhite = false;

    static constexpr int kMaxGlyphs = 4096;

private:
    bool m_allLayersDrawable = true;  // set by Prepare
    ImageFont(const ImageFont& other);

    std::shared_ptr<FontData> m_data;
    int m_pointSize = 0;
    double m_scale = 1.0;
    std::vector<std::string> m_tags;
    bool m_prepared = false;
    std::vector<std::unique_ptr<ActiveFontLayer>> m_activeLayers;
};

}  // namespace Brisk
