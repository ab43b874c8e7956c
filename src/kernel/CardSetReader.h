#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace KernelLibrary {

// The player's own card sets: a folder of face pictures (PNG or JPEG), an
// optional "back.png" or "back.jpg" and an optional "set.xml"
// (<cardset name="..." author="..."/>). Every file is read with the limits of
// the game's own data: regular files only (no link followed), bounded sizes,
// pictures refused by their header before anything large is allocated.

inline constexpr size_t kMinCardSetFaces = 10;
// More faces than this are not read (the first ones by file name are).
inline constexpr size_t kMaxCardSetFaces = 60;
// A folder is looked through up to this many entries.
inline constexpr size_t kMaxCardSetEntries = 1000;
inline constexpr size_t kMaxSetInfoBytes = 64 * 1024;
// A set's name is cut to this many characters.
inline constexpr size_t kMaxCardSetName = 24;
// Every picture is made into a card of this size (the built-in cards' size).
inline constexpr int kCardPictureSize = 96;

// One file of a set's folder: its name and bytes, or why it could not be read.
struct CardSetFile {
    std::string name;
    std::optional<std::vector<uint8_t>> bytes;
    std::string error;
};

// 0xAARRGGBB pixels, rows from the top.
struct CardPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

struct CardSetContent {
    std::string name;                // from set.xml, else the folder's name
    std::string author;              // from set.xml; may be empty
    std::vector<CardPicture> faces;  // in the order of their file names
    std::optional<CardPicture> back;
};

// A set, or the one reason it cannot be used ("<file>: <why>" or "<why>").
struct CardSetRead {
    std::optional<CardSetContent> set;
    std::string problem;
};

// A picture file's bytes made into a card: scaled with area averaging to fit
// the card's face, keeping its shape, letter-boxed on the card's colour, on
// a rounded card. Nullopt, with `why` filled, when it is no picture we read.
std::optional<CardPicture> MakeCardPicture(const std::vector<uint8_t>& bytes, std::string* why);

// The set the files of a folder named `folderName` make (the reader without
// the file system: what the fuzzer feeds). A file that is not a picture or
// set.xml is ignored; a picture that cannot be read refuses the whole set.
CardSetRead BuildCardSet(const std::vector<CardSetFile>& files, const std::string& folderName);

// Reads the set in `folder`. A link, or a folder that cannot be listed, is
// refused with the reason.
CardSetRead ReadCardSetFolder(const std::string& folder);

// The folders (with a trailing '/') below which the player's sets are found:
// "cards/" in the per-user data folder, then "cards/" beside the game. Each
// set folder in them, by name; links are skipped.
std::vector<std::string> ListCardSetFolders(const std::vector<std::string>& roots);
std::vector<std::string> CardSetRoots();

}  // namespace KernelLibrary
