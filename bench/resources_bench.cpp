// The file layer and the picture decoders: opening and reading every entry
// of a 300-entry archive, and decoding a 1024 x 768 JPEG and PNG.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "framework/resources/ImageLib.h"
#include "framework/resources/PakInterface.h"

namespace fs = std::filesystem;

namespace {

// A scene-like picture: smooth gradients with some noise, as photos and
// rendered art are (pure noise would make the codecs look worse than they are).
ImageLib::Image Picture() {
    ImageLib::Image img(1024, 768);
    std::mt19937 rng(3);
    for (int y = 0; y < 768; ++y) {
        for (int x = 0; x < 1024; ++x) {
            const auto r = static_cast<uint32_t>(128 + 100 * std::sin(x * 0.01) + rng() % 8);
            const auto g = static_cast<uint32_t>(128 + 100 * std::cos(y * 0.013) + rng() % 8);
            const auto b = static_cast<uint32_t>((x + y) / 8 % 256);
            img.m_bits[static_cast<size_t>(y * 1024 + x)] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
    return img;
}

void BM_DecodeJpeg1024x768(benchmark::State& state) {
    const auto bytes = ImageLib::EncodeJPEG(Picture(), 85);
    for (auto _ : state) {
        auto img = ImageLib::DecodeJPEG(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(img.get());
    }
    state.counters["file_kb"] = static_cast<double>(bytes.size()) / 1024;
}
BENCHMARK(BM_DecodeJpeg1024x768)->Unit(benchmark::kMillisecond);

void BM_DecodePng1024x768(benchmark::State& state) {
    const auto bytes = ImageLib::EncodePNG(Picture());
    for (auto _ : state) {
        auto img = ImageLib::DecodePNG(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(img.get());
    }
    state.counters["file_kb"] = static_cast<double>(bytes.size()) / 1024;
}
BENCHMARK(BM_DecodePng1024x768)->Unit(benchmark::kMillisecond);

void BM_ReadEvery300ArchiveEntries(benchmark::State& state) {
    const fs::path dir = fs::temp_directory_path() / ("vq-pakbench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    // An archive of 300 entries of 1 to 32 KiB.
    std::mt19937 rng(1);
    std::string plain;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) plain.push_back(static_cast<char>(v >> (8 * i)));
    };
    u32(Brisk::kPakMagic);
    u32(0);
    std::vector<std::string> names;
    std::vector<uint32_t> sizes;
    for (int i = 0; i < 300; ++i) {
        names.push_back("images\\set" + std::to_string(i % 7) + "\\picture" + std::to_string(i) + ".png");
        sizes.push_back(1024 + rng() % (31 * 1024));
        plain.push_back(0);
        plain.push_back(static_cast<char>(names.back().size()));
        plain += names.back();
        u32(sizes.back());
        u32(0);
        u32(0);
    }
    plain.push_back(static_cast<char>(0x80));
    for (uint32_t size : sizes) {
        plain.append(size, static_cast<char>(rng()));
    }
    for (char& c : plain) {
        c = static_cast<char>(c ^ Brisk::kPakScramble);
    }
    const std::string archive = (dir / "bench.pak").string();
    std::ofstream(archive, std::ios::binary) << plain;
    Brisk::PakInterface pak;
    if (!pak.AddArchive(archive)) {
        state.SkipWithError("could not mount the archive");
        return;
    }
    std::vector<char> buffer(32 * 1024);
    size_t total = 0;
    for (auto _ : state) {
        for (const std::string& name : names) {
            Brisk::PakFile* f = pak.OpenFile(name, "rb");
            total += pak.Read(buffer.data(), 1, buffer.size(), f);
            pak.CloseFile(f);
        }
    }
    benchmark::DoNotOptimize(total);
    state.counters["MB_per_s"] = benchmark::Counter(
        static_cast<double>(total) / 1e6, benchmark::Counter::kIsRate);
    fs::remove_all(dir);
}
BENCHMARK(BM_ReadEvery300ArchiveEntries)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
