#include "framework/app/Demo.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace Brisk {
namespace {

constexpr char kMagic[8] = {'V', 'Q', 'D', 'E', 'M', 'O', '\r', '\n'};
constexpr size_t kMaxName = 4096;           // a file path or a settings value name
constexpr size_t kMaxFileBytes = 1u << 20;  // one saved file

using Platform::MessageId;

// The messages a demo may hold: the input and window messages the main loop
// dispatches from its queue.
bool IsDemoMessage(uint16_t id) {
    if (Platform::IsMouseMessage(static_cast<MessageId>(id))) {
        return true;
    }
    switch (static_cast<MessageId>(id)) {
        case MessageId::Close:
        case MessageId::MouseWheel:
        case MessageId::KeyDown:
        case MessageId::KeyUp:
        case MessageId::Char:
        case MessageId::SysKeyDown:
        case MessageId::SysKeyUp:
        case MessageId::ActivateApp:
        case MessageId::Move:
        case MessageId::Size:
        case MessageId::SysColorChange:
        case MessageId::DisplayChange:
            return true;
        default:
            return false;
    }
}

class Out {
public:
    void U8(uint8_t v) { m_bytes.push_back(v); }
    void U16(uint16_t v) { Le(v, 2); }
    void U32(uint32_t v) { Le(v, 4); }
    void I32(int32_t v) { Le(static_cast<uint32_t>(v), 4); }
    void I64(int64_t v) { Le(static_cast<uint64_t>(v), 8); }
    void Text(const std::string& s) {
        const size_t n = std::min(s.size(), kMaxName);
        U16(static_cast<uint16_t>(n));
        m_bytes.insert(m_bytes.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    }
    void Bytes(const std::vector<uint8_t>& b) {
        U32(static_cast<uint32_t>(b.size()));
        m_bytes.insert(m_bytes.end(), b.begin(), b.end());
    }
    std::vector<uint8_t>& Get() { return m_bytes; }

private:
    void Le(uint64_t v, int n) {
        for (int i = 0; i < n; ++i) {
            m_bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
    }
    std::vector<uint8_t> m_bytes;
};

// Reads fields from a span; every read checks the bytes left, and the first
// failure sticks.
class In {
public:
    explicit In(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    bool Ok() const { return m_ok; }
    size_t Left() const { return m_bytes.size() - m_pos; }
    size_t Pos() const { return m_pos; }
    uint8_t U8() { return static_cast<uint8_t>(Le(1)); }
    uint16_t U16() { return static_cast<uint16_t>(Le(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Le(4)); }
    int32_t I32() { return static_cast<int32_t>(static_cast<uint32_t>(Le(4))); }
    int64_t I64() { return static_cast<int64_t>(Le(8)); }
    std::string Text() {
        const size_t n = U16();
        if (!Take(n) || n > kMaxName) {
            return Fail(), std::string();
        }
        return std::string(reinterpret_cast<const char*>(m_bytes.data() + m_pos - n), n);
    }
    std::vector<uint8_t> Bytes(size_t limit) {
        const size_t n = U32();
        if (n > limit || !Take(n)) {
            return Fail(), std::vector<uint8_t>();
        }
        return {m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos - n),
                m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos)};
    }
    std::span<const uint8_t> Span(size_t n) {
        if (!Take(n)) {
            return {};
        }
        return m_bytes.subspan(m_pos - n, n);
    }
    void Fail() { m_ok = false; }

private:
    bool Take(size_t n) {
        if (!m_ok || n > Left()) {
            m_ok = false;
            return false;
        }
        m_pos += n;
        return true;
    }
    uint64_t Le(int n) {
        if (!Take(static_cast<size_t>(n))) {
            return 0;
        }
        uint64_t v = 0;
        for (int i = n - 1; i >= 0; --i) {
            v = (v << 8) | m_bytes[m_pos - static_cast<size_t>(n) + static_cast<size_t>(i)];
        }
        return v;
    }

    std::span<const uint8_t> m_bytes;
    size_t m_pos = 0;
    bool m_ok = true;
};

void WriteEvent(Out& out, const DemoEvent& e) {
    out.U8(static_cast<uint8_t>(e.kind));
    out.U32(e.update);
    switch (e.kind) {
        case DemoRecord::Message:
            out.U16(static_cast<uint16_t>(e.message.message));
            out.I64(e.message.wparam);
            out.I64(e.message.lparam);
            break;
        case DemoRecord::Registry:
            out.Text(e.name);
            out.U8(e.flag ? 1 : 0);
            out.U32(static_cast<uint32_t>(e.value.type));
            out.Bytes(e.value.data);
            break;
        case DemoRecord::MouseInside:
            out.U8(e.flag ? 1 : 0);
            out.I32(e.x);
            out.I32(e.y);
            break;
        case DemoRecord::MsgBox:
            out.I32(e.answer);
            break;
        default:
            break;  // the update is all there is
    }
}

// The fields of a timed record after its update, into `step` (a Registry
// record's name and value into `settings`); false when they do not fit.
bool ReadStepFields(In& in, DemoStep* step, std::vector<DemoSetting>* settings,
                    std::string* error) {
    switch (step->kind) {
        case DemoRecord::Message: {
            step->code = in.U16();
            step->a = in.I64();
            step->b = in.I64();
            if (in.Ok() && !IsDemoMessage(step->code)) {
                *error = "holds a message of unknown kind " + std::to_string(step->code);
                return false;
            }
            break;
        }
        case DemoRecord::Registry: {
            DemoSetting setting;
            setting.name = in.Text();
            step->flag = in.U8() != 0 ? 1 : 0;
            const uint32_t type = in.U32();
            setting.value.data = in.Bytes(kMaxFileBytes);
            if (in.Ok() && type != 1 && type != 3 && type != 4) {
                *error = "holds a setting of unknown type " + std::to_string(type);
                return false;
            }
            setting.value.type = static_cast<Platform::ValueType>(type);
            step->a = static_cast<int64_t>(settings->size());
            settings->push_back(std::move(setting));
            break;
        }
        case DemoRecord::MouseInside:
            step->flag = in.U8() != 0 ? 1 : 0;
            step->a = in.I32();
            step->b = in.I32();
            break;
        case DemoRecord::MsgBox:
            step->a = in.I32();
            break;
        default:
            break;
    }
    return true;
}

// How many records follow the header, judged by their lengths alone, so that
// the steps are allocated once.
size_t CountRecords(In in) {
    size_t count = 0;
    while (in.Left() >= 4) {
        const uint32_t length = in.U32();
        if (length == 0 || length > in.Left()) {
            break;
        }
        static_cast<void>(in.Span(length));
        ++count;
    }
    return count;
}

bool IsTimed(DemoRecord kind) {
    return kind >= DemoRecord::Message && kind <= DemoRecord::Terminate;
}

}  // namespace

std::optional<Demo> ParseDemo(std::span<const uint8_t> bytes, uint32_t rules, std::string* error) {
    In in(bytes);
    const std::span<const uint8_t> magic = in.Span(sizeof kMagic);
    if (!in.Ok() || std::memcmp(magic.data(), kMagic, sizeof kMagic) != 0) {
        *error = "is not a demo file";
        return std::nullopt;
    }
    Demo demo;
    const uint16_t format = in.U16();
    demo.header.rules = in.U32();
    demo.header.product = in.Text();
    demo.header.version = in.Text();
    if (!in.Ok()) {
        *error = "is cut off in its header";
        return std::nullopt;
    }
    if (format != kDemoFormatVersion) {
        *error = "has demo format " + std::to_string(format) + "; this program reads format " +
                 std::to_string(kDemoFormatVersion);
        return std::nullopt;
    }
    if (demo.header.rules != rules) {
        *error = "was recorded by " + demo.header.product + " " + demo.header.version +
                 " under game rules " + std::to_string(demo.header.rules) +
                 "; this program plays rules " + std::to_string(rules) +
                 " and would not replay it faithfully";
        return std::nullopt;
    }

    demo.steps.reserve(CountRecords(in));
    uint32_t lastUpdate = 0;
    bool loaded = false;
    while (in.Left() > 0) {
        const size_t at = in.Pos();
        const uint32_t length = in.U32();
        In record(in.Span(length));
        if (!in.Ok() || length == 0) {
            *error = "is cut off at byte " + std::to_string(at);
            return std::nullopt;
        }
        if (demo.finished) {
            *error = "goes on after its end record (byte " + std::to_string(at) + ")";
            return std::nullopt;
        }
        const auto kind = static_cast<DemoRecord>(record.U8());
        const std::string where = " at byte " + std::to_string(at);
        std::string problem;
        if (!IsTimed(kind) && kind != DemoRecord::End && kind != DemoRecord::Seed &&
            kind != DemoRecord::Window && kind != DemoRecord::File) {
            problem =
                "holds a record of unknown type " + std::to_string(static_cast<int>(kind)) + where;
        } else if (!demo.seed && kind != DemoRecord::Seed) {
            problem = "does not start with its deal (a record of type " +
                      std::to_string(static_cast<int>(kind)) + where + " comes first)";
        } else if (kind == DemoRecord::Seed) {
            if (demo.seed) {
                problem = "holds a second deal" + where;
            }
            demo.seed = record.U32();
            if (record.Left() > 0) {  // older demos give the seed alone
                demo.startDate = record.I64();
            }
        } else if ((kind == DemoRecord::Window || kind == DemoRecord::File) && loaded) {
            problem = "describes the start of its run after loading" + where;
        } else if (kind == DemoRecord::Window) {
            demo.windowed = record.U8() != 0;
            demo.refreshRate = record.I32();
        } else if (kind == DemoRecord::File) {
            DemoFile file;
            file.path = record.Text();
            file.bytes = record.Bytes(kMaxFileBytes);
            // Only plain names below the data folder: never an absolute path or "..".
            if (record.Ok() && (file.path.empty() || file.path[0] == '/' ||
                                file.path.find("..") != std::string::npos)) {
                problem = "names a saved file outside the player's folder";
            }
            demo.files.push_back(std::move(file));
        } else {  // a timed record or the end
            DemoStep step;
            step.kind = kind;
            step.update = record.U32();
            if (record.Ok() && step.update < lastUpdate) {
                problem = "goes back in time" + where;
            } else if (kind == DemoRecord::End) {
                demo.finished = true;
                demo.endUpdate = step.update;
            } else if (kind == DemoRecord::Loaded && loaded) {
                problem = "finishes loading twice" + where;
            } else if (ReadStepFields(record, &step, &demo.settings, &problem)) {
                loaded = loaded || kind == DemoRecord::Loaded;
                demo.steps.push_back(step);
            }
            lastUpdate = std::max(lastUpdate, step.update);
        }
        if (problem.empty() && (!record.Ok() || record.Left() != 0)) {
            problem = "has a damaged record" + where;
        }
        if (!problem.empty()) {
            *error = problem;
            return std::nullopt;
        }
    }
    if (!demo.seed) {
        *error = "holds no deal (its recording never started)";
        return std::nullopt;
    }
    if (!demo.finished) {
        demo.endUpdate = lastUpdate;
    }
    return demo;
}

DemoEvent Demo::Event(size_t index) const {
    const DemoStep& step = steps[index];
    DemoEvent e;
    e.kind = step.kind;
    e.update = step.update;
    e.flag = step.flag != 0;
    switch (step.kind) {
        case DemoRecord::Message:
            e.message = {0, static_cast<MessageId>(step.code), step.a, step.b};
            break;
        case DemoRecord::MouseInside:
            e.x = static_cast<int32_t>(step.a);
            e.y = static_cast<int32_t>(step.b);
            break;
        case DemoRecord::MsgBox:
            e.answer = static_cast<int32_t>(step.a);
            break;
        case DemoRecord::Registry: {
            const DemoSetting& setting = settings[static_cast<size_t>(step.a)];
            e.name = setting.name;
            e.value = setting.value;
            break;
        }
        default:
            break;
    }
    return e;
}

// --- writing ---------------------------------------------------------------------

std::unique_ptr<DemoWriter> DemoWriter::Create(const std::string& path, const DemoHeader& header,
                                               std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *error = std::strerror(errno);
        return nullptr;
    }
    std::unique_ptr<DemoWriter> writer(new DemoWriter(file));
    Out out;
    for (char c : kMagic) {
        out.U8(static_cast<uint8_t>(c));
    }
    out.U16(kDemoFormatVersion);
    out.U32(header.rules);
    out.Text(header.product);
    out.Text(header.version);
    if (std::fwrite(out.Get().data(), 1, out.Get().size(), file) != out.Get().size() ||
        std::fflush(file) != 0) {
        *error = std::strerror(errno);
        return nullptr;
    }
    return writer;
}

DemoWriter::~DemoWriter() {
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

void DemoWriter::Record(const std::vector<uint8_t>& record) {
    if (!m_healthy || m_file == nullptr) {
        return;
    }
    Out length;
    length.U32(static_cast<uint32_t>(record.size()));
    if (std::fwrite(length.Get().data(), 1, 4, m_file) != 4 ||
        std::fwrite(record.data(), 1, record.size(), m_file) != record.size()) {
        m_healthy = false;
    }
}

void DemoWriter::Seed(uint32_t seed, int64_t startDate) {
    Out out;
    out.U8(static_cast<uint8_t>(DemoRecord::Seed));
    out.U32(seed);
    out.I64(startDate);
    Record(out.Get());
}

void DemoWriter::Window(bool windowed, int32_t refreshRate) {
    Out out;
    out.U8(static_cast<uint8_t>(DemoRecord::Window));
    out.U8(windowed ? 1 : 0);
    out.I32(refreshRate);
    Record(out.Get());
}

void DemoWriter::File(const DemoFile& file) {
    if (file.bytes.size() > kMaxFileBytes || file.path.size() > kMaxName) {
        return;  // nothing a player keeps is this big; the replay reads it as missing
    }
    Out out;
    out.U8(static_cast<uint8_t>(DemoRecord::File));
    out.Text(file.path);
    out.Bytes(file.bytes);
    Record(out.Get());
}

void DemoWriter::Event(const DemoEvent& event) {
    Out out;
    WriteEvent(out, event);
    Record(out.Get());
}

void DemoWriter::Flush() {
    if (m_healthy && m_file != nullptr && std::fflush(m_file) != 0) {
        m_healthy = false;
    }
}

bool DemoWriter::Finish(uint32_t update) {
    if (m_file == nullptr) {
        return m_healthy;
    }
    DemoEvent end;
    end.kind = DemoRecord::End;
    end.update = update;
    Event(end);
    Flush();
    if (std::fclose(m_file) != 0) {
        m_healthy = false;
    }
    m_file = nullptr;
    return m_healthy;
}

}  // namespace Brisk
