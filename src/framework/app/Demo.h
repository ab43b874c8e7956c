#pragma once

// Demo files: everything that makes one run of the program differ from
// another, written as it happens so that a later run can replay it exactly.
//
// Layout (integers little-endian): the magic "VQDEMO\r\n", a u16 format
// version, a u32 rules version, the product name and version (each a u16
// length and its bytes); then records, each a u32 length followed by that
// many bytes: a u8 record type and its fields. A demo finished cleanly ends
// with an End record; one whose recording was cut off (a crash) ends at a
// record boundary without it and still plays.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "framework/platform/Messages.h"
#include "framework/platform/SettingsStore.h"

namespace Brisk {

inline constexpr uint16_t kDemoFormatVersion = 1;
// The largest demo file read: a few hours of input.
inline constexpr size_t kMaxDemoBytes = 64u << 20;

enum class DemoRecord : uint8_t {
    Seed = 1,         // u32: the run's random seed (the game's deals); i64: its start date
    Window = 2,       // u8 windowed, i32 refresh rate
    File = 3,         // string path, u32 size + bytes: a saved file as it was at the start
    Message = 4,      // u32 update, u16 message, i64 wparam, i64 lparam (mouse: widget coordinates)
    Loaded = 5,       // u32 update: the loading thread's completion was handled
    Registry = 6,     // u32 update, string name, u8 found, u32 type, u32 size + bytes
    MouseInside = 7,  // u32 update, u8 inside, i32 x, i32 y (widget coordinates)
    MsgBox = 8,       // u32 update, i32 answer
    Terminate = 9,    // u32 update: a termination signal ended the run
    End = 10,         // u32 update: the recording finished cleanly
};

struct DemoHeader {
    uint32_t rules = 0;  // the game's rules version; another one plays differently
    std::string product;
    std::string version;
};

// A saved file of the player's, relative to the player's data folder.
struct DemoFile {
    std::string path;
    std::vector<uint8_t> bytes;
};

// One timed record: what happened after `update` updates had run. What a
// recording writes and what a playback hands out; a parsed demo keeps its
// records compactly (DemoStep) and expands them one at a time.
struct DemoEvent {
    DemoRecord kind = DemoRecord::Message;
    uint32_t update = 0;
    Platform::WindowMessage message;  // Message (window 0: the main window)
    bool flag = false;                // Registry: found; MouseInside: inside
    int32_t x = 0;                    // MouseInside
    int32_t y = 0;
    int32_t answer = 0;           // MsgBox
    std::string name;             // Registry
    Platform::StoredValue value;  // Registry
};

// A timed record as a parsed demo keeps it: 24 bytes whatever its kind, so
// that a long demo costs little more than its file. Message: `code` the
// message id, `a` wparam, `b` lparam. MouseInside: `flag`, `a` x, `b` y.
// MsgBox: `a` the answer. Registry: `flag` found, `a` the index of its name
// and value in Demo::settings.
struct DemoStep {
    DemoRecord kind = DemoRecord::Message;
    uint8_t flag = 0;
    uint16_t code = 0;
    uint32_t update = 0;
    int64_t a = 0;
    int64_t b = 0;
};

// A settings value the recording read: its name and what it found.
struct DemoSetting {
    std::string name;
    Platform::StoredValue value;
};

struct Demo {
    DemoHeader header;
    std::optional<uint32_t> seed;
    // Seconds since 1970 UTC when the recording started (older demos: none).
    std::optional<int64_t> startDate;
    bool windowed = true;
    int32_t refreshRate = 0;
    std::vector<DemoFile> files;
    std::vector<DemoStep> steps;        // the timed records, in the order they happened
    std::vector<DemoSetting> settings;  // the Registry records' names and values
    bool finished = false;              // an End record closes it
    uint32_t endUpdate = 0;             // the End record's update, else the last event's

    // The timed record at `index` (< steps.size()) as the recording wrote it.
    DemoEvent Event(size_t index) const;
};

// Reads a whole demo. A file that is not a demo, comes from a newer format,
// was recorded under other rules than `rules`, holds its records out of
// order, or is damaged anywhere gives nullopt and `error` says what is wrong
// (one line, no file name). Callers bound `bytes` by kMaxDemoBytes.
std::optional<Demo> ParseDemo(std::span<const uint8_t> bytes, uint32_t rules, std::string* error);

// Writes a demo as the run goes. Every record reaches the file at the next
// Flush (the main loop flushes after each update), so a crash keeps all but
// the last moments.
class DemoWriter {
public:
    // Creates (or replaces) the file and writes the header; null with
    // `error` (the reason) when it cannot be written.
    static std::unique_ptr<DemoWriter> Create(const std::string& path, const DemoHeader& header,
                                              std::string* error);
    ~DemoWriter();
    DemoWriter(const DemoWriter&) = delete;
    DemoWriter& operator=(const DemoWriter&) = delete;

    void Seed(uint32_t seed, int64_t startDate);
    void Window(bool windowed, int32_t refreshRate);
    void File(const DemoFile& file);
    void Event(const DemoEvent& event);
    // Pushes what was written to the file.
    void Flush();
    // Writes the End record and closes the file; false when any write failed
    // (after a failed write, a full disk, the demo stops growing).
    bool Finish(uint32_t update);

private:
    explicit DemoWriter(std::FILE* file) : m_file(file) {}
    void Record(const std::vector<uint8_t>& record);

    std::FILE* m_file;
    bool m_healthy = true;
};

}  // namespace Brisk
