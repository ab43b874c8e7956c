// Renders one visible object of every kind, with the game's own pictures and
// fonts, into a 1024 x 768 PNG to look at:
//   controls_gallery build/data.pak gallery.png

#include <cstdio>
#include <string>
#include <vector>

#include "controls/Factory_impl.h"
#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IImageVO.h"
#include "controls/IRectVO.h"
#include "controls/IStringVO.h"
#include "controls/ITextVO.h"
#include "controls/Resources.h"
#include "framework/app/BriskAppBase.h"
#include "framework/app/ButtonWidget.h"
#include "framework/app/Dialog.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/PakInterface.h"

using namespace ControlLibrary;

namespace {

constexpr Colour kWhite{255, 255, 255};
constexpr Colour kGold{248, 208, 87};

IFont* Font(Factory_impl& factory, const std::string& path) {
    IFont* font = factory.CreateFont();
    if (!font->Load(path)) {
        std::fprintf(stderr, "cannot load %s\n", path.c_str());
    }
    return font;
}

IStringVO* Label(Factory_impl& factory, IFont* font, const std::string& text, int x, int y) {
    IStringVO* s = factory.CreateStringVO();
    s->SetFont(font);
    s->SetText(text);
    s->SetPosition(x, y);
    s->SetShadow(true);
    s->SetShadowOffset(1, 1);
    s->SetShown(true);
    return s;
}

void Build(Factory_impl& factory) {
    IFont* script = Font(factory, "fonts/KBChopinScript28.txt");
    IFont* small = Font(factory, "fonts/MonotypeCorsiva14Italics.txt");
    IFont* sans = Font(factory, "fonts/a_BosaNova14.txt");

    IImageVO* background = factory.CreateImageVO();
    background->LoadImage("images/start_fon.jpg", true);
    background->SetShown(true);

    Label(factory, script, "Image, string, link, rectangle", 40, 20);
    for (int i = 0; i < 3; ++i) {
        IImageVO* card = factory.CreateImageVO();
        card->LoadImage(
            i == 0 ? "images/vis_cover/01.jpg" : "images/vis_pairs/0" + std::to_string(i) + ".png",
            false);
        card->SetSize(90, 90);
        card->SetPosition(40 + i * 100, 70);
        card->SetShown(true);
    }
    IImageVO* plain = factory.CreateImageVO();  // no picture: a white square
    plain->SetPosition(340, 105);
    plain->SetShown(true);

    ILinkVO* link = factory.CreateLinkVO();
    link->SetFont(small);
    link->SetText("Vornique home page");
    link->SetHoverColour(kGold);
    link->SetAddress("https://example.org/");
    link->SetPosition(400, 80);
    link->SetShown(true);

    IRectVO* outline = factory.CreateRectVO();
    outline->SetPosition(400, 120);
    outline->SetSize(120, 40);
    outline->SetColour(kGold);
    outline->SetShown(true);
    IRectVO* filled = factory.CreateRectVO();
    filled->SetStyle(1);
    filled->SetPosition(540, 120);
    filled->SetSize(120, 40);
    filled->SetColour({40, 90, 160});
    filled->SetShown(true);

    Label(factory, script, "Buttons and check box", 40, 190);
    const RectSet frames{{{0, 0, 108, 27}, {0, 27, 108, 27}, {0, 54, 108, 27}, {0, 81, 108, 27}}};
    const char* captions[] = {"Normal", "Disabled"};
    for (int i = 0; i < 2; ++i) {
        IButtonVO* b = factory.CreateButtonVO();
        b->SetImages({"images/btn_def.png", "", "", ""});
        b->SetSourceRects(frames);
        b->SetFonts({small, nullptr, nullptr, nullptr});
        b->SetTextColours({kWhite, kGold, Colour{200, 200, 200}, Colour{90, 90, 90}, kWhite});
        b->SetText(captions[i]);
        b->SetSize(108, 27);
        b->SetPosition(40 + i * 130, 240);
        b->SetEnabled(i == 0);
        b->SetShown(true);
    }
    IButtonVO* coloured = factory.CreateButtonVO();  // no picture: the look colours
    coloured->SetFonts({small, nullptr, nullptr, nullptr});
    coloured->SetText("Colours");
    coloured->SetSize(108, 27);
    coloured->SetPosition(300, 240);
    coloured->SetShown(true);
    for (int i = 0; i < 2; ++i) {
        ICheckBoxVO* c = factory.CreateCheckBoxVO();
        c->SetFonts({small, nullptr, nullptr, nullptr});
        c->SetText(i == 0 ? "Checked" : "Unchecked");
        c->SetChecked(i == 0);
        c->SetSize(140, 20);
        c->SetPosition(440 + i * 160, 244);
        c->SetShown(true);
    }

    Label(factory, script, "Edit box and text box", 40, 300);
    IEditBoxVO* edit = factory.CreateEditBoxVO();
    edit->SetFont(small);
    edit->SetSize(310, 33);
    edit->SetPosition(40, 350);
    edit->SetColour({60, 40, 20});
    edit->SetTextColour(kWhite);
    edit->SetTextOffset(0, -5);
    edit->SetText("Anna");
    edit->SetShown(true);

    ITextBoxVO* text = factory.CreateTextBoxVO();
    text->SetSize(420, 120);
    text->SetPosition(400, 340);
    text->AddParagraph("Find the pairs", script, 1, kGold);
    text->AddParagraph(
        "Turn two cards at a time. Equal pictures stay open; unequal ones turn back on the "
        "next press. Fewer attempts and less time make a better result.",
        sans, 0, kWhite);
    text->SetShown(true);

    Label(factory, script, "Dialog", 40, 480);
    IDialogVO* dialog = factory.CreateDialogVO();
    dialog->SetModeless(1);
    dialog->SetSize(400, 200);
    dialog->SetPosition(40, 530);
    dialog->SetBackgroundImage("images/dialog_add_del.png");
    IStringVO* prompt = factory.CreateStringVO();
    prompt->SetFont(script);
    prompt->SetText("Enter your name:");
    IButtonVO* ok = factory.CreateButtonVO();
    ok->SetImages({"images/btn_def.png", "", "", ""});
    ok->SetSourceRects(frames);
    ok->SetFonts({small, nullptr, nullptr, nullptr});
    ok->SetTextColours({kWhite, kGold, kWhite, kWhite, kWhite});
    ok->SetText("Ok");
    ok->SetSize(108, 27);
    dialog->AddChild(prompt);
    dialog->AddChild(ok);
    prompt->SetAlignment(1, 1);
    prompt->SetPosition(200, 60);
    ok->SetAlignment(1, 1);
    ok->SetPosition(200, 150);
    dialog->SetShown(true);

    IDialogVO* plainDialog = factory.CreateDialogVO();  // no picture: outline and colour
    plainDialog->SetModeless(1);
    plainDialog->SetPosition(480, 560);
    plainDialog->SetShown(true);
}

// The framework's own message dialog and plain button, in their default
// fonts and colours, beside the game's controls.
void DrawFrameworkWidgets(Brisk::Graphics* g) {
    auto draw = [&](Brisk::Widget* w) {
        g->PushState();
        g->Translate(w->m_x, w->m_y);
        w->Draw(g);
        g->PopState();
    };
    Brisk::ButtonWidget button(1, nullptr);
    button.m_label = "Bevelled button";
    button.Resize(720, 245, 150, 26);
    draw(&button);

    Brisk::Dialog dialog(nullptr, nullptr, 1, false, "Framework dialog",
                         "Message dialogs of the framework: a header, word-wrapped lines and up "
                         "to two buttons.",
                         "", Brisk::Dialog::BUTTONS_YES_NO, nullptr);
    dialog.Resize(620, 470, 390, dialog.GetPreferredHeight(390));
    draw(&dialog);
    draw(dialog.GetYesButton());
    draw(dialog.GetNoButton());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: controls_gallery data.pak out.png\n");
        return 2;
    }
    Brisk::BriskAppBase app;
    if (!Brisk::PakInterface::Get()->AddArchive(argv[1])) {
        std::fprintf(stderr, "%s is missing or no valid archive\n", argv[1]);
        return 1;
    }
    Factory_impl factory(&app, nullptr);
    Build(factory);

    Brisk::DDImage backBuffer;
    std::vector<uint32_t> black(1024 * 768, 0xFF000000u);
    backBuffer.SetBits(black.data(), 1024, 768);
    Brisk::Graphics g(&backBuffer);
    factory.DrawAll(&g);
    DrawFrameworkWidgets(&g);

    ImageLib::Image out(1024, 768);
    const uint32_t* bits = backBuffer.GetBits();
    for (size_t i = 0; i < out.m_bits.size(); ++i) {
        out.m_bits[i] = bits[i] | 0xFF000000u;
    }
    if (!ImageLib::WritePNG(argv[2], out)) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
