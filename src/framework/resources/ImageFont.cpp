#include "framework/resources/ImageFont.h"
#include "framework/resources/Ascii.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <new>

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Utf8.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/Saturate.h"

namespace Brisk {
namespace {

bool ParseInt(const std::string& s, int* out) {
    if (s.empty()) {
        return false;
    }
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < -0x7FFFFFFFL || v > 0x7FFFFFFFL) {
        return false;
    }
    *out = static_cast<int>(v);
    return true;
}

bool ParseReal(const std::string& s, double* out) {
    if (s.empty()) {
        return false;
    }
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v)) {
        return false;
    }
    *out = v;
    return true;
}

using detail::Trunc;

}  // namespace

FontImage DecodingFontHost::LoadImage(const std::string& path) {
    auto decoded = ImageLib::DecodeImageFile(path, true);
    if (decoded == nullptr) {
        return {};
    }
    auto image = std::make_shared<MemoryImage>();
    const int width = decoded->GetWidth();
    const int height = decoded->GetHeight();
    image->SetBits(decoded->TakeBits(), width, height);
    return {image.get(), image, true};
}

// --- FontData ---------------------------------------------------------------------

bool FontData::Load(const std::string& path) {
    if (m_loaded || !m_path.empty()) {
        return false;  // loaded once per data
    }
    m_path = path;
    if (!m_mapInitialised) {
        for (int i = 0; i < 256; ++i) {
            m_charMap[static_cast<size_t>(i)] = static_cast<uint16_t>(i);
        }
        m_mapInitialised = true;
    }
    m_loaded = LoadDescriptor(path);
    if (!m_loaded && m_lastError.empty()) {
        // Not there at all: the caller decides what a missing font means.
        m_lastError = "Font Descriptor Error in " + path + "\r\nUnable to open the descriptor file";
    }
    return m_loaded;
}

bool FontData::LoadLegacy(FontImage image, const std::string& widthsPath) {
    if (m_loaded || !m_path.empty()) {
        return false;
    }
    m_path = widthsPath;
    for (int i = 0; i < 256; ++i) {
        m_charMap[static_cast<size_t>(i)] = static_cast<uint16_t>(i);
    }
    m_mapInitialised = true;
    if (image.image == nullptr) {
        return Error("Layer image not set");
    }
    auto layer = std::make_unique<FontLayer>();
    const int imageWidth = image.image->GetWidth();
    const int imageHeight = image.image->GetHeight();
    layer->image = std::move(image);
    layer->height = imageHeight;
    layer->defaultHeight = imageHeight;

    // Read from disk with the C library: these files are never packed.
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(widthsPath.c_str(), "re"), &std::fclose);
    if (file == nullptr) {
        return Error("Unable to open the widths file");
    }
    int spaceWidth = 0;
    int height = 0;
    if (std::fscanf(file.get(), "%d %d", &spaceWidth, &height) != 2) {
        return Error("Space width and height expected");
    }
    layer->charWidths[static_cast<uint8_t>(' ')] = spaceWidth;
    layer->height = height;
    int x = 0;
    char ch = 0;
    int width = 0;
    while (std::fscanf(file.get(), " %c %d", &ch, &width) == 2) {
        if (width < 0 || width > imageWidth - x) {
            return Error("Image rectangle out of bounds");
        }
        uint16_t c = 0;
        if (!GetSlot(Windows1252Char(static_cast<unsigned char>(ch)), &c)) {
            return false;
        }
        GrowLayer(layer.get());
        layer->imageRects[c] = {x, 0, width, imageHeight};
        layer->charWidths[c] = width;
        x += width;
    }
    // A letter missing in one case borrows the other case's glyph.
    for (int upper = 'A'; upper <= 'Z'; ++upper) {
        const int lower = upper - 'A' + 'a';
        const auto u = static_cast<size_t>(upper);
        const auto l = static_cast<size_t>(lower);
        if (layer->charWidths[u] == 0 && layer->charWidths[l] != 0) {
            m_charMap[u] = static_cast<uint16_t>(lower);
        } else if (layer->charWidths[l] == 0 && layer->charWidths[u] != 0) {
            m_charMap[l] = static_cast<uint16_t>(upper);
        }
    }
    m_layers.push_back(std::move(layer));
    m_loaded = true;
    return true;
}

bool FontData::Error(const std::string& message) {
    std::string text = "Font Descriptor Error in " + m_path + "\r\n" + message;
    if (m_inCommand) {
        text += " on Line " + std::to_string(m_currentLine) + ":\r\n\r\n" + m_currentCommandText;
    }
    m_lastError = text;
    if (m_host != nullptr) {
        m_host->ReportError(text);
    }
    return false;
}

FontLayer* FontData::GetLayer(const std::string& name) {
    for (auto& layer : m_layers) {
        if (layer->name == name) {
            return layer.get();
        }
    }
    return nullptr;
}

DataElement FontData::Resolve(const DataElement& e) {
    if (!e.isList) {
        const DataElement* d = DescParser::GetDefine(e.text);
        return d != nullptr ? *d : e;
    }
    DataElement out;
    out.isList = true;
    for (const DataElement& child : e.list) {
        out.list.push_back(Resolve(child));
    }
    return out;
}

bool FontData::Deref(const DataElement& in, const DataElement** out) {
    if (in.isList) {
        *out = &in;
        return true;
    }
    const DataElement* d = DescParser::GetDefine(in.text);
    if (d == nullptr) {
        return Error("Unable to Dereference \"" + in.text + "\"");
    }
    *out = d;
    return true;
}

bool FontData::GetList(const DataElement& e, const DataElement** out) {
    if (!Deref(e, out)) {
        return false;
    }
    return (*out)->isList ? true : Error("Invalid Paramater Type");
}

bool FontData::GetInt(const DataElement& e, int* out) {
    const DataElement* v = &e;
    if (!e.isList) {
        if (const DataElement* d = DescParser::GetDefine(e.text)) {
            v = d;
        }
    }
    if (v->isList || !ParseInt(Unquote(v->text), out)) {
        return Error("Invalid Paramater Type");
    }
    return true;
}

bool FontData::GetReal(const DataElement& e, double* out) {
    const DataElement* v = &e;
    if (!e.isList) {
        if (const DataElement* d = DescParser::GetDefine(e.text)) {
            v = d;
        }
    }
    if (v->isList || !ParseReal(Unquote(v->text), out)) {
        return Error("Invalid Paramater Type");
    }
    return true;
}

bool FontData::GetText(const DataElement& e, std::string* out) {
    const DataElement* v = &e;
    if (!e.isList) {
        if (const DataElement* d = DescParser::GetDefine(e.text)) {
            v = d;  // a defined name stands for its value here too
        }
    }
    if (v->isList) {
        return Error("Invalid Paramater Type");
    }
    *out = Unquote(v->text);
    return true;
}

bool FontData::GetColor(const DataElement& e, Color* out) {
    const DataElement* list = nullptr;
    if (!GetList(e, &list)) {
        return false;
    }
    if (list->list.size() != 4) {
        return Error("Invalid Paramater Type");
    }
    int c[4];
    for (size_t i = 0; i < 4; ++i) {
        double v = 0;
        if (!GetReal(list->list[i], &v)) {
            return false;
        }
        c[i] = std::clamp(Trunc(v * 255), 0, 255);
    }
    *out = Color(c[0], c[1], c[2], c[3]);
    return true;
}

bool FontData::GetChars(const DataElement& e, std::vector<char32_t>* out) {
    const DataElement* list = nullptr;
    if (!GetList(e, &list)) {
        return false;
    }
    out->clear();
    for (const DataElement& item : list->list) {
        std::string t;
        if (!GetText(item, &t)) {
            return false;
        }
        // One byte as ever, or one character written in UTF-8.
        const std::u32string chars = DecodeText(t);
        if (chars.size() != 1) {
            return Error("Invalid Paramater Type");
        }
        out->push_back(chars[0]);
    }
    return true;
}

void FontData::GrowLayer(FontLayer* layer) const {
    const size_t n = GetSlotCount();
    if (layer->imageRects.size() < n) {
        layer->imageRects.resize(n);
        layer->charOffsets.resize(n);
        layer->charWidths.resize(n);
        layer->charOrders.resize(n);
    }
}

bool FontData::GetSlot(char32_t code, uint16_t* slot) {
    if (code < 256) {
        *slot = static_cast<uint16_t>(code);
        return true;
    }
    if (const auto it = m_ownSlots.find(code); it != m_ownSlots.end()) {
        *slot = it->second;
        return true;
    }
    if (GetSlotCount() >= kMaxSlots) {
        return Error("Too Many Characters");
    }
    *slot = static_cast<uint16_t>(GetSlotCount());
    m_wideChars.push_back(code);
    m_ownSlots[code] = *slot;
    m_wideMap.emplace(code, *slot);  // unless the character map sent it elsewhere
    for (auto& layer : m_layers) {
        GrowLayer(layer.get());
    }
    return true;
}

bool FontData::GetSlots(const std::vector<char32_t>& codes, std::vector<uint16_t>* slots) {
    slots->resize(codes.size());
    for (size_t i = 0; i < codes.size(); ++i) {
        if (!GetSlot(codes[i], &(*slots)[i])) {
            return false;
        }
    }
    return true;
}

bool FontData::GetInts(const DataElement& e, std::vector<int>* out) {
    const DataElement* list = nullptr;
    if (!GetList(e, &list)) {
        return false;
    }
    out->clear();
    for (const DataElement& item : list->list) {
        int v = 0;
        if (!GetInt(item, &v)) {
            return false;
        }
        out->push_back(v);
    }
    return true;
}

bool FontData::GetRect(const DataElement& e, Rect* out) {
    std::vector<int> v;
    if (!GetInts(e, &v)) {
        return false;
    }
    if (v.size() != 4) {
        return Error("Invalid Paramater Type");
    }
    *out = {v[0], v[1], v[2], v[3]};
    return true;
}

bool FontData::GetLayerParam(const DataElement& e, FontLayer** out) {
    std::string name;
    if (!GetText(e, &name)) {
        return false;
    }
    *out = GetLayer(name);
    return *out != nullptr ? true : Error("Undefined Layer");
}

bool FontData::Define(const Params& p) {
    if (p[1].isList) {
        return Error("Invalid Paramater Type");
    }
    const std::string& key = p[1].text;
    if (key.empty() || std::isdigit(static_cast<unsigned char>(key[0])) || key[0] == '-' ||
        key[0] == '+' || key[0] == '"' || key[0] == '\'') {
        return Error("Invalid Paramater Type");
    }
    m_defines[key] = Resolve(p[2]);
    return true;
}

bool FontData::CreateHorzSpanRectList(const Params& p) {
    Rect r;
    std::vector<int> widths;
    if (p[1].isList || !GetRect(p[2], &r) || !GetInts(p[3], &widths)) {
        return p[1].isList ? Error("Invalid Paramater Type") : false;
    }
    DataElement list;
    list.isList = true;
    int x = r.x;
    for (int w : widths) {
        DataElement rect;
        rect.isList = true;
        for (int v : {x, r.y, w, r.height}) {
            rect.list.push_back(DataElement::Text(std::to_string(v)));
        }
        list.list.push_back(std::move(rect));
        x += w;
    }
    m_defines[p[1].text] = std::move(list);
    return true;
}

bool FontData::SetDefaultPointSize(const Params& p) {
    return GetInt(p[1], &m_defaultPointSize);
}

bool FontData::SetCharMap(const Params& p) {
    std::vector<char32_t> from, to;
    std::vector<uint16_t> toSlots;
    if (!GetChars(p[1], &from) || !GetChars(p[2], &to)) {
        return false;
    }
    if (from.size() != to.size()) {
        return Error("List Size Mismatch");
    }
    if (!GetSlots(to, &toSlots)) {
        return false;
    }
    for (size_t i = 0; i < from.size(); ++i) {
        if (from[i] < 256) {
            m_charMap[from[i]] = toSlots[i];
        } else {
            m_wideMap[from[i]] = toSlots[i];
        }
    }
    return true;
}

bool FontData::CreateLayer(const Params& p) {
    const bool from = p.size() == 3;  // "CreateLayerFrom" names a source layer
    std::string layerName;
    if (!GetText(p[1], &layerName)) {
        return false;
    }
    if (GetLayer(layerName) != nullptr) {
        return Error("Layer Already Exists");
    }
    auto created = std::make_unique<FontLayer>();
    if (from) {
        FontLayer* source = nullptr;
        if (!GetLayerParam(p[2], &source)) {
            return false;
        }
        *created = *source;
    }
    created->name = layerName;
    GrowLayer(created.get());
    m_layers.push_back(std::move(created));
    return true;
}

bool FontData::ReadTags(const DataElement& e, std::vector<std::string>* tags) {
    const DataElement* list = nullptr;
    if (!GetList(e, &list)) {
        return false;
    }
    for (const DataElement& t : list->list) {
        std::string tag;
        if (!GetText(t, &tag)) {
            return false;
        }
        tags->push_back(ToLowerAscii(tag));
    }
    return true;
}

bool FontData::LayerRequireTags(const Params& p, FontLayer* layer) {
    return ReadTags(p[2], &layer->requiredTags);
}

bool FontData::LayerExcludeTags(const Params& p, FontLayer* layer) {
    return ReadTags(p[2], &layer->excludedTags);
}

bool FontData::LayerPointRange(const Params& p, FontLayer* layer) {
    return GetInt(p[2], &layer->minPointSize) && GetInt(p[3], &layer->maxPointSize);
}

bool FontData::LayerSetImage(const Params& p, FontLayer* layer) {
    std::string file;
    if (!GetText(p[2], &file)) {
        return false;
    }
    // Relative to the descriptor's folder.
    const size_t sep = m_path.find_last_of("/\\");
    const std::string path = sep == std::string::npos ? file : m_path.substr(0, sep + 1) + file;
    int width = 0;
    int height = 0;
    if (m_host != nullptr && m_host->SizeForLater(path, &width, &height)) {
        // Measuring needs only the rectangles: the pixels wait for a draw.
        layer->image = {};
        layer->imagePending = true;
        layer->imagePath = path;
        layer->imageBounds = {0, 0, width, height};
        return true;
    }
    FontImage image = m_host != nullptr ? m_host->LoadImage(path) : FontImage{};
    if (image.image == nullptr) {
        return Error("Failed to Load Image");
    }
    if (image.isNew) {
        image.image->Palettize();
    }
    layer->image = std::move(image);
    layer->imagePending = false;
    return true;
}

MemoryImage* FontData::LayerImage(const FontLayer& layer, bool decode, bool* waiting) {
    std::lock_guard lock(m_imageLock);
    if (waiting != nullptr) {
        *waiting = layer.imagePending && !decode;
    }
    if (!layer.imagePending || !decode) {
        return layer.image.image;
    }
    const auto own = std::find_if(m_layers.begin(), m_layers.end(),
                                  [&](const auto& l) { return l.get() == &layer; });
    if (own == m_layers.end()) {
        return nullptr;
    }
    FontLayer& target = **own;
    target.imagePending = false;
    FontImage image = m_host != nullptr ? m_host->LoadImage(target.imagePath) : FontImage{};
    if (image.image != nullptr && image.image->GetRect() != target.imageBounds) {
        image = {};  // not the picture whose size the rectangles were checked against
    }
    if (image.image == nullptr) {
        if (m_host != nullptr) {
            m_host->ReportError("Failed to Load Image \"" + target.imagePath + "\"");
        }
        return nullptr;  // the layer draws nothing
    }
    if (image.isNew) {
        image.image->Palettize();
    }
    target.image = std::move(image);
    return target.image.image;
}

bool FontData::LayerSetDrawMode(const Params& p, FontLayer* layer) {
    int mode = 0;
    if (!GetInt(p[2], &mode)) {
        return false;
    }
    if (mode != 0 && mode != 1) {
        return Error("Invalid Paramater Type");
    }
    layer->drawMode = mode;
    return true;
}

bool FontData::LayerSetOffset(const Params& p, FontLayer* layer) {
    std::vector<int> v;
    if (!GetInts(p[2], &v)) {
        return false;
    }
    if (v.size() != 2) {
        return Error("Invalid Paramater Type");
    }
    layer->offset = {v[0], v[1]};
    return true;
}

bool FontData::ReadCharTable(const DataElement& charList, const DataElement& valueList,
                             std::vector<int>* table) {
    std::vector<char32_t> codes;
    std::vector<uint16_t> chars;
    std::vector<int> values;
    if (!GetChars(charList, &codes) || !GetInts(valueList, &values)) {
        return false;
    }
    if (codes.size() != values.size()) {
        return Error("List Size Mismatch");
    }
    if (!GetSlots(codes, &chars)) {
        return false;
    }
    for (size_t i = 0; i < chars.size(); ++i) {
        (*table)[chars[i]] = values[i];
    }
    return true;
}

bool FontData::LayerSetCharWidths(const Params& p, FontLayer* layer) {
    return ReadCharTable(p[2], p[3], &layer->charWidths);
}

bool FontData::LayerSetCharOrders(const Params& p, FontLayer* layer) {
    return ReadCharTable(p[2], p[3], &layer->charOrders);
}

bool FontData::LayerSetImageMap(const Params& p, FontLayer* layer) {
    std::vector<char32_t> codes;
    std::vector<uint16_t> chars;
    const DataElement* rects = nullptr;
    if (!GetChars(p[2], &codes) || !GetList(p[3], &rects)) {
        return false;
    }
    if (codes.size() != rects->list.size()) {
        return Error("List Size Mismatch");
    }
    if (layer->image.image == nullptr && !layer->imagePending) {
        return Error("Layer image not set");
    }
    const Rect bounds = layer->imagePending ? layer->imageBounds : layer->image.image->GetRect();
    std::vector<Rect> parsed(codes.size());
    for (size_t i = 0; i < codes.size(); ++i) {
        if (!GetRect(rects->list[i], &parsed[i])) {
            return false;
        }
        const Rect& r = parsed[i];
        if (r.x < 0 || r.y < 0 || r.width < 0 || r.height < 0 ||
            int64_t{r.x} + r.width > bounds.width || int64_t{r.y} + r.height > bounds.height) {
            return Error("Image rectangle out of bounds");
        }
    }
    if (!GetSlots(codes, &chars)) {
        return false;
    }
    for (size_t i = 0; i < chars.size(); ++i) {
        layer->imageRects[chars[i]] = parsed[i];
    }
    layer->defaultHeight = 0;
    for (size_t c = 0; c < layer->imageRects.size(); ++c) {
        layer->defaultHeight =
            std::max(layer->defaultHeight, layer->imageRects[c].height + layer->charOffsets[c].y);
    }
    return true;
}

bool FontData::LayerSetCharOffsets(const Params& p, FontLayer* layer) {
    std::vector<char32_t> codes;
    std::vector<uint16_t> chars;
    const DataElement* pairs = nullptr;
    if (!GetChars(p[2], &codes) || !GetList(p[3], &pairs)) {
        return false;
    }
    if (codes.size() != pairs->list.size()) {
        return Error("List Size Mismatch");
    }
    if (!GetSlots(codes, &chars)) {
        return false;
    }
    for (size_t i = 0; i < chars.size(); ++i) {
        std::vector<int> v;
        if (!GetInts(pairs->list[i], &v)) {
            return false;
        }
        if (v.size() != 2) {
            return Error("Invalid Paramater Type");
        }
        layer->charOffsets[chars[i]] = {v[0], v[1]};
    }
    return true;
}

bool FontData::LayerSetKerningPairs(const Params& p, FontLayer* layer) {
    const DataElement* pairs = nullptr;
    std::vector<int> values;
    if (!GetList(p[2], &pairs) || !GetInts(p[3], &values)) {
        return false;
    }
    if (pairs->list.size() != values.size()) {
        return Error("List Size Mismatch");
    }
    for (size_t i = 0; i < values.size(); ++i) {
        std::string pair;
        if (!GetText(pairs->list[i], &pair)) {
            return false;
        }
        // Two characters in UTF-8; two bytes are two characters as ever.
        std::vector<char32_t> codes;
        if (pair.size() == 2) {
            codes = {Windows1252Char(static_cast<unsigned char>(pair[0])),
                     Windows1252Char(static_cast<unsigned char>(pair[1]))};
        } else {
            const std::u32string decoded = DecodeText(pair);
            codes.assign(decoded.begin(), decoded.end());
        }
        std::vector<uint16_t> slots;
        if (codes.size() != 2) {
            return Error("Invalid Paramater Type");
        }
        if (!GetSlots(codes, &slots)) {
            return false;
        }
        // Stored as a signed 8-bit value: 200 becomes -56.
        const auto value = static_cast<int8_t>(static_cast<uint8_t>(values[i] & 0xFF));
        if (slots[0] < 256 && slots[1] < 256) {
            layer->kerning[slots[0]][slots[1]] = value;
        } else {
            layer->wideKerning[FontLayer::KerningKey(slots[0], slots[1])] = value;
        }
    }
    return true;
}

bool FontData::HandleCommand(const DataElement& command) {
    const Params& p = command.list;
    const std::string name = ToLowerAscii(p[0].text);
    auto count = [&](size_t n) {
        return p.size() == n ? true : Error("Invalid Number of Parameters");
    };
    FontLayer* layer = nullptr;
    // Layer commands name their layer first.
    auto layerCommand = [&](size_t n) { return count(n) && GetLayerParam(p[1], &layer); };

    // The commands that set one number or colour of a layer.
    struct IntField {
        const char* command;
        int FontLayer::*field;
    };
    static constexpr IntField kIntFields[] = {
        {"layersetpointsize", &FontLayer::pointSize},
        {"layersetheight", &FontLayer::height},
        {"layersetascent", &FontLayer::ascent},
        {"layersetascentpadding", &FontLayer::ascentPadding},
        {"layersetlinespacingoffset", &FontLayer::lineSpacingOffset},
        {"layersetspacing", &FontLayer::spacing},
        {"layersetbaseorder", &FontLayer::baseOrder}};
    struct ColorField {
        const char* command;
        Color FontLayer::*field;
    };
    static constexpr ColorField kColorFields[] = {{"layersetcolormult", &FontLayer::colorMult},
                                                  {"layersetcoloradd", &FontLayer::colorAdd}};
    for (const IntField& f : kIntFields) {
        if (name == f.command) {
            return layerCommand(3) && GetInt(p[2], &(layer->*f.field));
        }
    }
    for (const ColorField& f : kColorFields) {
        if (name == f.command) {
            return layerCommand(3) && GetColor(p[2], &(layer->*f.field));
        }
    }

    // The other commands: their parameter count (with the command) and body.
    struct Plain {
        const char* command;
        size_t params;
        bool (FontData::*run)(const Params&);
    };
    static constexpr Plain kPlain[] = {
        {"define", 3, &FontData::Define},
        {"createhorzspanrectlist", 4, &FontData::CreateHorzSpanRectList},
        {"setdefaultpointsize", 2, &FontData::SetDefaultPointSize},
        {"setcharmap", 3, &FontData::SetCharMap},
        {"createlayer", 2, &FontData::CreateLayer},
        {"createlayerfrom", 3, &FontData::CreateLayer}};
    struct Layered {
        const char* command;
        size_t params;
        bool (FontData::*run)(const Params&, FontLayer*);
    };
    static constexpr Layered kLayered[] = {
        {"layerrequiretags", 3, &FontData::LayerRequireTags},
        {"layerexcludetags", 3, &FontData::LayerExcludeTags},
        {"layerpointrange", 4, &FontData::LayerPointRange},
        {"layersetimage", 3, &FontData::LayerSetImage},
        {"layersetdrawmode", 3, &FontData::LayerSetDrawMode},
        {"layersetoffset", 3, &FontData::LayerSetOffset},
        {"layersetcharwidths", 4, &FontData::LayerSetCharWidths},
        {"layersetcharorders", 4, &FontData::LayerSetCharOrders},
        {"layersetimagemap", 4, &FontData::LayerSetImageMap},
        {"layersetcharoffsets", 4, &FontData::LayerSetCharOffsets},
        {"layersetkerningpairs", 4, &FontData::LayerSetKerningPairs}};
    for (const Plain& c : kPlain) {
        if (name == c.command) {
            return count(c.params) && (this->*c.run)(p);
        }
    }
    for (const Layered& c : kLayered) {
        if (name == c.command) {
            return layerCommand(c.params) && (this->*c.run)(p, layer);
        }
    }
    return Error("Unknown Command");
}

}  // namespace Brisk
