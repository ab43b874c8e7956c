// Renders every picture and a sample of every font from an archive into one
// PNG, for reviewing the art at a glance, with our own loaders.
// Usage: contact_sheet ARCHIVE OUTPUT.png

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageFont.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/PakInterface.h"

namespace {

std::unique_ptr<Brisk::MemoryImage> Load(const std::string& name) {
    auto decoded = ImageLib::DecodeImageFile(name, true);
    if (decoded == nullptr) {
        std::fprintf(stderr, "contact_sheet: cannot decode %s\n", name.c_str());
        return nullptr;
    }
    auto image = std::make_unique<Brisk::MemoryImage>();
    image->SetBits(decoded->GetBits(), decoded->GetWidth(), decoded->GetHeight());
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: contact_sheet ARCHIVE OUTPUT.png\n");
        return 2;
    }
    if (!Brisk::PakInterface::Get()->AddArchive(argv[1])) {
        std::fprintf(stderr, "contact_sheet: cannot mount %s\n", argv[1]);
        return 1;
    }
    Brisk::MemoryImage sheet;
    constexpr int kSheetHeight = 2420;
    std::vector<uint32_t> bg(1600 * kSheetHeight, 0xFF676657);  // the backdrop (103, 102, 87)
    sheet.SetBits(bg.data(), 1600, kSheetHeight);
    Brisk::Graphics g(&sheet);

    // The two backgrounds at half size, side by side.
    int x = 0;
    for (const char* name : {"images/start_fon.jpg", "images/game_fon/1.jpg"}) {
        if (auto img = Load(name)) {
            g.DrawImage(img.get(), {x, 0, 512, 384}, img->GetRect());
        }
        x += 520;
    }
    // Cards and the back.
    x = 0;
    for (int i = 1; i <= 10; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "images/vis_pairs/%02d.png", i);
        if (auto img = Load(name)) {
            g.DrawImage(img.get(), x, 400);
        }
        x += 105;
    }
    if (auto img = Load("images/vis_cover/01.jpg")) {
        g.DrawImage(img.get(), x + 20, 400);
    }
    // Dialogs and buttons.
    int y = 520;
    x = 0;
    for (const char* name : {"images/dialog/new_player.png", "images/dialog_add_del.png",
                             "images/dialog/exit_window.jpg", "images/dialog/dlg_menu.jpg"}) {
        if (auto img = Load(name)) {
            g.DrawImage(img.get(), x, y);
            x += img->GetWidth() + 10;
        }
    }
    y = 740;
    x = 0;
    if (auto img = Load("images/dialog/dlg_finish.png")) {
        g.DrawImage(img.get(), x, y);
        x += 410;
    }
    for (const char* name :
         {"images/btn_def.png", "images/btn_default.png", "images/dialog/btn_def.png",
          "images/dialog/btn_yes.png", "images/dialog/btn_no.png", "icon.png"}) {
        if (auto img = Load(name)) {
            g.DrawImage(img.get(), x, y);
            x += img->GetWidth() + 10;
        }
    }
    // Every font, once on the backdrop and once on the start background.
    Brisk::DecodingFontHost host;
    auto start = Load("images/start_fon.jpg");
    if (start != nullptr) {
        g.DrawImage(start.get(), {1040, 740, 560, 420}, {232, 174, 560, 420});
    }
    y = 1160;
    const char* fonts[] = {"KBChopinScript28",         "KBChopinScript36", "KBChopinScript72",
                           "MonotypeCorsiva14Italics", "Pristina18",       "a_BosaNova14"};
    const Brisk::Color colours[] = {Brisk::Color(255, 215, 80),  Brisk::Color(255, 255, 120),
                                    Brisk::Color(60, 120, 255),  Brisk::Color(255, 255, 255),
                                    Brisk::Color(250, 240, 170), Brisk::Color(255, 255, 0)};
    int fy = 760;
    for (int i = 0; i < 6; ++i) {
        Brisk::ImageFont font(&host, std::string("fonts/") + fonts[i] + ".txt");
        if (!font.IsLoaded()) {
            std::fprintf(stderr, "contact_sheet: font %s did not load: %s\n", fonts[i],
                         host.errors.c_str());
            continue;
        }
        g.SetFont(&font);
        g.SetColor(colours[i]);
        const std::string text = std::string("Welcom, Anna! 0:42 Menu Easy Hard ") + fonts[i];
        g.DrawString(text, 10, y + font.GetAscent());
        g.DrawString("Play  Exit  Congratulations!", 1050, fy + font.GetAscent());
        y += font.GetHeight() + 6;
        fy += font.GetHeight() + 4;
    }
    g.SetFont(nullptr);
    // The other built-in card sets: every face, then the back, fifteen to a row.
    y = 1500;
    for (const char* folder : {"images/sets/shapes/", "images/sets/animals/"}) {
        std::vector<std::string> names;
        for (int i = 1; i <= 18; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "%s%02d.png", folder, i);
            names.emplace_back(name);
        }
        names.push_back(std::string(folder) + "back.jpg");
        for (size_t i = 0; i < names.size(); ++i) {
            if (auto img = Load(names[i])) {
                g.DrawImage(img.get(), static_cast<int>(i % 15) * 105,
                            y + static_cast<int>(i / 15) * 105);
            }
        }
        y += 215;
    }
    // The card set choice's panel and its name plates.
    x = 0;
    for (const char* name : {"images/dialog/dlg_cards.png", "images/dialog/btn_set.png"}) {
        if (auto img = Load(name)) {
            g.DrawImage(img.get(), x, y);
            x += img->GetWidth() + 10;
        }
    }
    ImageLib::Image out(sheet.GetWidth(), sheet.GetHeight());
    std::copy(sheet.GetBits(), sheet.GetBits() + out.m_bits.size(), out.m_bits.begin());
    if (!ImageLib::WritePNG(argv[2], out)) {
        std::fprintf(stderr, "contact_sheet: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
