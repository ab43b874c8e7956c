#include "kernel/CardSetReader.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "common/Catalogue.h"
#include "framework/platform/Files.h"
#include "framework/platform/Paths.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/ImageScale.h"
#include "framework/resources/XmlReader.h"

namespace KernelLibrary {
namespace {

namespace fs = std::filesystem;
using CommonLibrary::Format;
using CommonLibrary::Tr;

// The card: a rounded cream face with a soft rim, the picture inside a margin.
constexpr uint32_t kCardColour = 0xFFF8F1E4;
constexpr uint32_t kRimColour = 0xFF8C7A5E;
constexpr double kFaceInset = 2;    // the face's edge from the picture's edge
constexpr double kFaceRadius = 12;  // its corners
constexpr double kRimWidth = 2;
constexpr int kPictureInset = 8;  // the picture's box from the picture's edge

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool IsPictureName(const std::string& name) {
    const std::string lower = Lower(name);
    return EndsWith(lower, ".png") || EndsWith(lower, ".jpg") || EndsWith(lower, ".jpeg");
}

bool IsBackName(const std::string& name) {
    const std::string lower = Lower(name);
    return lower == "back.png" || lower == "back.jpg" || lower == "back.jpeg";
}

// Printable ASCII only (what the game's fonts draw), blanks trimmed, cut short.
std::string CleanName(const std::string& text) {
    std::string clean;
    for (const char c : text) {
        if (c >= 32 && c <= 126) {
            clean.push_back(c);
        }
    }
    const size_t first = clean.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    clean = clean.substr(first, clean.find_last_not_of(' ') - first + 1);
    return clean.substr(0, kMaxCardSetName);
}

// How much of the pixel at (x, y) the rounded rectangle (inset, radius) covers, 0 to 1.
double Coverage(int x, int y, double inset, double radius, double size) {
    constexpr int kSamples = 4;
    int inside = 0;
    for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
            const double px = x + (sx + 0.5) / kSamples;
            const double py = y + (sy + 0.5) / kSamples;
            const double lo = inset + radius;
            const double hi = size - inset - radius;
            const double cx = std::clamp(px, lo, hi);
            const double cy = std::clamp(py, lo, hi);
            const bool inBox =
                px >= inset && px <= size - inset && py >= inset && py <= size - inset;
            if (inBox && (px - cx) * (px - cx) + (py - cy) * (py - cy) <= radius * radius) {
                ++inside;
            }
        }
    }
    return static_cast<double>(inside) / (kSamples * kSamples);
}

uint32_t Over(uint32_t top, uint32_t below) {
    const uint32_t a = top >> 24;
    auto mix = [&](int shift) {
        const uint32_t t = (top >> shift) & 0xFF;
        const uint32_t b = (below >> shift) & 0xFF;
        return ((t * a + b * (255 - a) + 127) / 255) << shift;
    };
    return (below & 0xFF000000) | mix(16) | mix(8) | mix(0);
}

uint32_t WithAlpha(uint32_t colour, double alpha) {
    const auto a = static_cast<uint32_t>(std::lround(alpha * 255));
    return (a << 24) | (colour & 0x00FFFFFF);
}

std::unique_ptr<ImageLib::Image> Decode(const std::vector<uint8_t>& bytes) {
    static constexpr uint8_t kPng[] = {0x89, 'P', 'N', 'G'};
    if (bytes.size() >= 4 && std::equal(std::begin(kPng), std::end(kPng), bytes.begin())) {
        return ImageLib::DecodePNG(bytes.data(), bytes.size());
    }
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
        return ImageLib::DecodeJPEG(bytes.data(), bytes.size());
    }
    return nullptr;
}

// The size a PNG's header declares, when the bytes are a PNG.
std::optional<std::pair<uint32_t, uint32_t>> PngSize(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < 24 || bytes[0] != 0x89 || bytes[1] != 'P') {
        return std::nullopt;
    }
    auto u32 = [&](size_t at) {
        return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
               (uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
    };
    return std::make_pair(u32(16), u32(20));
}

// The empty card: the rim's colour on the whole rounded shape, the card's
// colour inside it. Made once.
const std::vector<uint32_t>& EmptyCard() {
    static const std::vector<uint32_t> pixels = [] {
        constexpr int size = kCardPictureSize;
        std::vector<uint32_t> card(static_cast<size_t>(size) * size, 0);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const double outer = Coverage(x, y, kFaceInset, kFaceRadius, size);
                const double inner =
                    Coverage(x, y, kFaceInset + kRimWidth, kFaceRadius - kRimWidth, size);
                const uint32_t face = Over(WithAlpha(kCardColour, inner), kRimColour | 0xFF000000);
                card[static_cast<size_t>(y) * size + x] = WithAlpha(face, outer);
            }
        }
        return card;
    }();
    return pixels;
}

CardPicture ToCard(const ImageLib::Image& picture) {
    constexpr int size = kCardPictureSize;
    CardPicture card{size, size, EmptyCard()};
    // The picture, its shape kept, centred in the box inside the margin.
    const int box = size - 2 * kPictureInset;
    int fitWidth = 0;
    int fitHeight = 0;
    ImageLib::FitSize(picture.GetWidth(), picture.GetHeight(), box, box, &fitWidth, &fitHeight);
    const ImageLib::Image scaled = ImageLib::Resample(picture, fitWidth, fitHeight);
    const int left = kPictureInset + (box - fitWidth) / 2;
    const int top = kPictureInset + (box - fitHeight) / 2;
    for (int y = 0; y < scaled.GetHeight(); ++y) {
        for (int x = 0; x < scaled.GetWidth(); ++x) {
            uint32_t& target = card.pixels[static_cast<size_t>(top + y) * size + left + x];
            target = Over(scaled.GetBits()[static_cast<size_t>(y) * scaled.GetWidth() + x], target);
        }
    }
    return card;
}

}  // namespace

std::optional<CardPicture> MakeCardPicture(const std::vector<uint8_t>& bytes, std::string* why) {
    if (const auto declared = PngSize(bytes);
        declared && !ImageLib::SizeAllowed(declared->first, declared->second)) {
        *why = Format(Tr("the picture is too large ({width} x {height} pixels)"),
                      {{"width", std::to_string(declared->first)},
                       {"height", std::to_string(declared->second)}});
        return std::nullopt;
    }
    const std::unique_ptr<ImageLib::Image> decoded = Decode(bytes);
    if (decoded == nullptr || decoded->GetWidth() <= 0 || decoded->GetHeight() <= 0) {
        *why =
            Tr("it is not a PNG or JPEG picture that can be read (damaged, cut off or too large)");
        return std::nullopt;
    }
    return ToCard(*decoded);
}

CardSetRead BuildCardSet(const std::vector<CardSetFile>& files, const std::string& folderName) {
    CardSetRead result;
    CardSetContent set;
    set.name = CleanName(folderName);
    std::vector<const CardSetFile*> faces;
    const CardSetFile* back = nullptr;
    const CardSetFile* info = nullptr;
    for (const CardSetFile& file : files) {
        if (Lower(file.name) == "set.xml") {
            info = &file;
        } else if (IsBackName(file.name)) {
            back = back == nullptr ? &file : back;
        } else if (IsPictureName(file.name)) {
            faces.push_back(&file);
        }
    }
    std::sort(faces.begin(), faces.end(),
              [](const CardSetFile* a, const CardSetFile* b) { return a->name < b->name; });
    if (faces.size() > kMaxCardSetFaces) {
        faces.resize(kMaxCardSetFaces);
    }
    if (faces.size() < kMinCardSetFaces) {
        result.problem = Format(
            Tr("it holds {n} face pictures; a set needs at least {least}"),
            {{"n", std::to_string(faces.size())}, {"least", std::to_string(kMinCardSetFaces)}});
        return result;
    }
    auto readPicture = [&](const CardSetFile& file) -> std::optional<CardPicture> {
        std::string why = file.error;
        std::optional<CardPicture> picture;
        if (file.bytes) {
            picture = MakeCardPicture(*file.bytes, &why);
        }
        if (!picture) {
            result.problem =
                Format(Tr("{file}: {why}"),
                       {{"file", file.name}, {"why", why.empty() ? Tr("it cannot be read") : why}});
        }
        return picture;
    };
    for (const CardSetFile* face : faces) {
        std::optional<CardPicture> picture = readPicture(*face);
        if (!picture) {
            return result;
        }
        set.faces.push_back(std::move(*picture));
    }
    if (back != nullptr) {
        set.back = readPicture(*back);
        if (!set.back) {
            return result;
        }
    }
    if (info != nullptr && info->bytes) {
        Brisk::XmlReader xml;
        xml.OpenText(std::string(info->bytes->begin(), info->bytes->end()), info->name);
        Brisk::XmlNode node;
        while (xml.NextNode(&node)) {
            if (node.type != Brisk::XmlNode::Type::Element || Lower(node.name) != "cardset") {
                continue;
            }
            if (const std::string* name = node.Find("name"); name && !CleanName(*name).empty()) {
                set.name = CleanName(*name);
            }
            if (const std::string* author = node.Find("author")) {
                set.author = CleanName(*author);
            }
            break;
        }
    }
    if (set.name.empty()) {
        set.name = "?";
    }
    result.set = std::move(set);
    return result;
}

CardSetRead ReadCardSetFolder(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();  // a trailing '/' would look through a link
    }
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    CardSetRead refused;
    if (ec || !fs::exists(status)) {
        refused.problem = Tr("the folder does not exist");
        return refused;
    }
    if (fs::is_symlink(status)) {
        refused.problem = Tr("the folder is a link, which the game does not follow");
        return refused;
    }
    if (!fs::is_directory(status)) {
        refused.problem = Tr("it is not a folder");
        return refused;
    }
    std::vector<CardSetFile> files;
    size_t entries = 0;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
        if (++entries > kMaxCardSetEntries) {
            break;
        }
        const std::string name = it->path().filename().string();
        const std::string lower = Lower(name);
        const bool wanted = lower == "set.xml" || IsPictureName(name);
        if (!wanted) {
            continue;
        }
        CardSetFile file;
        file.name = name;
        const size_t limit = lower == "set.xml" ? kMaxSetInfoBytes : ImageLib::kMaxImageFileBytes;
        const std::string filePath = path + "/" + name;
        file.bytes = Brisk::Platform::ReadRegularFile(filePath, limit + 1, &file.error);
        if (file.error.starts_with(filePath + ": ")) {
            file.error.erase(0, filePath.size() + 2);  // the set's message names the file
        }
        if (file.bytes && file.bytes->size() > limit) {
            file.bytes.reset();
            file.error = Format(Tr("it is larger than the {size} KiB allowed"),
                                {{"size", std::to_string(limit >> 10)}});
        }
        if (!file.bytes && lower == "set.xml") {
            continue;  // a set without its name still plays
        }
        files.push_back(std::move(file));
    }
    if (ec) {
        refused.problem = Format(Tr("the folder cannot be read: {why}"), {{"why", ec.message()}});
        return refused;
    }
    return BuildCardSet(files, fs::path(path).filename().string());
}

std::vector<std::string> CardSetRoots() {
    return {Brisk::Platform::DataHome() + "Vornique/cards/", "cards/"};
}

std::vector<std::string> ListCardSetFolders(const std::vector<std::string>& roots) {
    std::vector<std::string> folders;
    for (const std::string& root : roots) {
        std::vector<std::string> here;
        std::error_code ec;
        size_t entries = 0;
        for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
            if (++entries > kMaxCardSetEntries) {
                break;
            }
            std::error_code statusError;
            const fs::file_status status = it->symlink_status(statusError);
            if (!statusError && fs::is_directory(status) && !fs::is_symlink(status)) {
                here.push_back(root + it->path().filename().string() + "/");
            }
        }
        std::sort(here.begin(), here.end());
        folders.insert(folders.end(), here.begin(), here.end());
    }
    return folders;
}

}  // namespace KernelLibrary
