#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
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
    // The size of the picture at `path` read without decoding it, when the
    // host can decode it later (LoadImage on a glyph's first draw; the host
    // then outlives the fonts it loads). False: LoadImage now.
    virtual bool SizeForLater(const std::string& /*path*/, int* /*width*/, int* /*height*/) {
        return false;
    }
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
    // Tables by glyph slot (see FontData::MapChar): slots 0-255 are the
    // characters 0-255, further slots the other characters the descriptor
    // names, in the order it names them.
    std::vector<Rect> imageRects = std::vector<Rect>(256);
    std::vector<Point> charOffsets = std::vector<Point>(256);
    std::vector<int> charWidths = std::vector<int>(256);
    std::vector<int> charOrders = std::vector<int>(256);
    std::array<std::array<int8_t, 256>, 256> kerning{};  // [first][second], slots below 256
    std::unordered_map<uint32_t, int8_t> wideKerning;    // other pairs, by KerningKey
    static uint32_t KerningKey(size_t first, size_t second) {
        return static_cast<uint32_t>(first << 16 | second);
    }
    int Kerning(size_t first, size_t second) const {
        if (first < 256 && second < 256) {
            return kerning[first][second];
        }
        const auto it = wideKerning.find(KerningKey(first, second));
        return it == wideKerning.end() ? 0 : it->second;
    }
    Color colorMult{255, 255, 255, 255};
    Color colorAdd{0, 0, 0, 0};
    FontImage image;
    // While `imagePending`, the image is decoded from `imagePath` on a glyph's
    // first draw (FontData::LayerImage) and has `imageBounds`' size.
    bool imagePending = false;
    std::string imagePath;
    Rect imageBounds;
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
    // The glyph slot `code` draws with, after the descriptor's character
    // map; 0 (which no descriptor can name) for a character it never names.
    uint16_t MapChar(char32_t code) const {
        if (code < 256) {
            return m_charMap[code];
        }
        const auto it = m_wideMap.find(code);
        return it == m_wideMap.end() ? 0 : it->second;
    }
    size_t GetSlotCount() const { return 256 + m_wideChars.size(); }
    // Most slots a descriptor may make (every table of every layer has one
    // entry per slot).
    static constexpr size_t kMaxSlots = 8192;
    int GetDefaultPointSize() const { return m_defaultPointSize; }
    bool IsLoaded() const { return m_loaded; }
    // Marks loaded data unusable (its layers cannot be drawn).
    void Fail() { m_loaded = false; }
    const std::string& GetLastError() const { return m_lastError; }
    using DescParser::GetDefine;
    // The picture of `layer` (one of ours); one waiting for its first draw
    // is decoded now with `decode`, else null with `*waiting` set. Null for
    // a layer without one or one that fails to decode (reported once).
    // Safe from any thread.
    MemoryImage* LayerImage(const FontLayer& layer, bool decode, bool* waiting = nullptr);

private:
    // Parameter readers; each reports its own error and returns false.
    bool Deref(const DataElement& in, const DataElement** out);
    bool GetInt(const DataElement& e, int* out);
    bool GetReal(const DataElement& e, double* out);
    bool GetText(const DataElement& e, std::string* out);
    bool GetList(const DataElement& e, const DataElement** out);
    bool GetColor(const DataElement& e, Color* out);
    bool GetChars(const DataElement& e, std::vector<char32_t>* out);
    // The slot of `code`'s own glyph, made on first use (false when there
    // are too many; reported).
    bool GetSlot(char32_t code, uint16_t* slot);
    bool GetSlots(const std::vector<char32_t>& codes, std::vector<uint16_t>* slots);
    void GrowLayer(FontLayer* layer) const;
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
                       std::vector<int>* table);

    FontHost* m_host;        // not owned
    std::mutex m_imageLock;  // guards the layers' images once loaded
    std::vector<std::unique_ptr<FontLayer>> m_layers;
    std::array<uint16_t, 256> m_charMap{};              // characters below 256: slot
    std::unordered_map<char32_t, uint16_t> m_wideMap;   // other characters: slot
    std::unordered_map<char32_t, uint16_t> m_ownSlots;  // other characters: own glyph's slot
    std::vector<char32_t> m_wideChars;                  // slot 256 + i: character
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
    std::vector<Rect> rects;                   // by glyph slot
    double factor = 1.0;
    bool scaled = false;   // drawn from scaledImage, sheetWidth x sheetHeight
    bool waiting = false;  // image (or scaledImage) made on the first draw
    int sheetWidth = 0;
    int sheetHeight = 0;
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
    int CharWidth(char32_t ch) override { return CharWidthKern(ch, 0); }
    // `previous` 0 means none.
    int CharWidthKern(char32_t ch, char32_t previous) override;
    // Whether an active layer has a glyph (a picture or an advance) for `ch`.
    bool HasGlyph(char32_t ch);
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
    // Decodes the pictures of the active layers still waiting for them.
    void EnsurePixels();
    void FillScaledSheet(ActiveFontLayer* active, MemoryImage* source) const;

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
