#pragma once

// A factory on a test application without a window, drawing into a memory
// canvas, plus an observer that records what reaches it.

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "support/TestApp.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "controls/Factory_impl.h"
#include "controls/IImageVO.h"
#include "controls/IRectVO.h"
#include "controls/Resources.h"
#include "controls/VisibleObject_impl.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageLib.h"

namespace TestSupport {

class RecordingObserver : public ControlLibrary::MouseMessageObserver,
                          public ControlLibrary::KeybdMessageObserver,
                          public ControlLibrary::KeybdSysMessageObserver {
public:
    void OnMouseClick(int32_t id) override { Add("click", id); }
    void OnMouseDown(int32_t id) override { Add("down", id); }
    void OnMouseEnter(int32_t id) override { Add("enter", id); }
    void OnMouseMove(int32_t id, int32_t, int32_t) override { Add("move", id); }
    void OnMouseLeave(int32_t id) override { Add("leave", id); }
    void OnChar(int32_t id, char ch) override { Add("char" + std::string(1, ch), id); }
    void OnKeyDown(int32_t id, int32_t key) override { Add("keydown" + std::to_string(key), id); }
    void OnKeyUp(int32_t id, int32_t key) override { Add("keyup" + std::to_string(key), id); }
    void OnSysKeyDown(int32_t key) override { events.push_back("sysdown" + std::to_string(key)); }
    void OnSysKeyUp(int32_t key) override { events.push_back("sysup" + std::to_string(key)); }
    bool IsKeybdActive() override { return active; }

    void Add(const std::string& what, int32_t id) {
        events.push_back(what + " " + std::to_string(id));
    }
    // The events so far, joined by commas; clears them.
    std::string Take() { return TestSupport::TakeJoined(&events); }

    std::vector<std::string> events;
    bool active = true;
};

class ControlsTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        factory = std::make_unique<ControlLibrary::Factory_impl>(&app, nullptr);
    }
    void TearDown() override {
        factory.reset();
        TempDirTest::TearDown();
    }

    // A shown rectangle filled with `colour`.
    ControlLibrary::IRectVO* FilledRect(int x, int y, uint32_t w, uint32_t h,
                                        ControlLibrary::Colour colour = {255, 255, 255}) {
        ControlLibrary::IRectVO* r = factory->CreateRectVO();
        r->SetStyle(1);
        r->SetPosition(x, y);
        r->SetSize(w, h);
        r->SetColour(colour);
        r->SetShown(true);
        return r;
    }

    // Draws every listed object onto a fresh black canvas.
    void Draw() {
        const std::vector<uint32_t> black(kWidth * kHeight, 0xFF000000u);
        canvas.SetBits(black.data(), kWidth, kHeight);
        Brisk::Graphics g(&canvas);
        factory->DrawAll(&g);
    }
    // Whether the canvas pixel is `rgb`, give or take 2 in each channel (text
    // is tinted by multiplying, which may round a full channel down).
    bool PixelNear(int x, int y, uint32_t rgb) {
        const uint32_t p = Pixel(x, y);
        for (int shift : {0, 8, 16}) {
            const int a = static_cast<int>((p >> shift) & 0xFF);
            const int b = static_cast<int>((rgb >> shift) & 0xFF);
            if (std::abs(a - b) > 2) {
                return false;
            }
        }
        return true;
    }
    // The canvas pixel, without alpha.
    uint32_t Pixel(int x, int y) { return canvas.GetBits()[y * kWidth + x] & 0xFFFFFF; }

    // Writes a w x h PNG whose pixel (x, y) is 0xFF000000 | pixel(x, y).
    template <class Fn>
    static void WritePicture(const std::string& path, int w, int h, Fn pixel) {
        WritePictureArgb(path, w, h, [&](int x, int y) { return 0xFF000000u | pixel(x, y); });
    }
    template <class Fn>
    static void WritePictureArgb(const std::string& path, int w, int h, Fn pixel) {
        ImageLib::Image image(w, h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                image.GetBits()[y * w + x] = pixel(x, y);
            }
        }
        ASSERT_TRUE(ImageLib::WritePNG(path, image));
    }

    // A font whose digits and letters (ASCII, and "é" and "€" in UTF-8) are
    // solid white 10 x 20 cells, 10 pixels apart, and whose space is an
    // empty cell of the same width.
    ControlLibrary::IFont* MonoFont() {
        std::vector<std::string> chars;
        for (const char c : " 0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") {
            if (c != '\0') {
                chars.emplace_back(1, c);
            }
        }
        chars.insert(chars.end(), {"\xC3\xA9", "\xE2\x82\xAC"});
        const int count = static_cast<int>(chars.size());
        std::filesystem::create_directories("fonts");
        WritePictureArgb("fonts/mono.png", 10 * count, 20,
                         [](int x, int) { return x < 10 ? 0u : 0xFFFFFFFFu; });
        std::string list, rects, widths;
        for (int i = 0; i < count; ++i) {
            const std::string sep = i == 0 ? "" : ", ";
            list += sep + "'" + chars[static_cast<size_t>(i)] + "'";
            rects += sep + "(" + std::to_string(10 * i) + ",0,10,20)";
            widths += sep + "10";
        }
        std::ofstream("fonts/mono.txt")
            << "CreateLayer Main; LayerSetImage Main 'mono.png'; LayerSetAscent Main 16;\n"
            << "LayerSetImageMap Main (" << list << ") (" << rects << ");\n"
            << "LayerSetCharWidths Main (" << list << ") (" << widths << ");\n";
        ControlLibrary::IFont* font = factory->CreateFont();
        EXPECT_TRUE(font->Load("fonts/mono.txt"));
        return font;
    }

    // The leftmost and rightmost columns holding a pixel other than black.
    std::pair<int, int> InkColumns() {
        int left = kWidth, right = -1;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (Pixel(x, y) != 0) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        return {left, right};
    }
    // The topmost and bottom rows holding a pixel other than black.
    std::pair<int, int> InkRows() {
        int top = kHeight, bottom = -1;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (Pixel(x, y) != 0) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        return {top, bottom};
    }

    static constexpr int kWidth = 200;
    static constexpr int kHeight = 200;
    TestApp app;
    std::unique_ptr<ControlLibrary::Factory_impl> factory;
    Brisk::MemoryImage canvas;
};

}  // namespace TestSupport
