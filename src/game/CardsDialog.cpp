#include "game/CardsDialog.h"

#include <algorithm>

#include "controls/Factory_impl.h"
#include "game/CardSets.h"

namespace Gamespace {

using ControlLibrary::GetFactory;

namespace {

namespace CardsLayout {
constexpr Extent kSize{600, 480};
constexpr Spot kTitle{0, -205};
constexpr int32_t kFirstRowY = -150;
constexpr int32_t kRowGap = 85;
constexpr int32_t kFirstThumbnailX = -250;
constexpr int32_t kThumbnailGap = 62;
constexpr int32_t kNameX = 130;
constexpr int32_t kAuthorY = 31;  // below the name
constexpr Extent kNameSize{260, 44};
constexpr int32_t kNameCaptionY = -2;
constexpr Spot kPrevious{-190, 200};
constexpr Spot kNext{-70, 200};
constexpr Spot kCancel{190, 200};
}  // namespace CardsLayout

const ControlLibrary::RectSet kNameFrames{
    {{0, 0, 260, 44}, {0, 44, 260, 44}, {0, 88, 260, 44}, {0, 132, 260, 44}}};
constexpr const char* kNameFont = "fonts/UiSansBold16.txt";

}  // namespace

CardsDialog::CardsDialog(ControlLibrary::DialogMessageObserver* owner) : BaseDialog(owner) {
    m_dialog->SetSize(CardsLayout::kSize.width, CardsLayout::kSize.height);
    m_dialog->SetBackgroundImage("images/dialog/dlg_cards.png");
    ControlLibrary::IFont* menuFont = MakeFont(kMenuFont);
    m_title = MakeLabel(MakeFont("fonts/Pristina18.txt"), Tr("Choose the cards to play with:"),
                        Layer::kLabels, kPaleYellow);
    const ButtonStyle nameStyle{MakeFont(kNameFont),
                                "images/dialog/btn_set.png",
                                kNameFrames,
                                {kWhite, kPaleYellow, kGrey, kBlack, kBlack}};
    ControlLibrary::IFont* authorFont = MakeFont(kMenuFont);
    for (Row& row : m_rows) {
        row.button =
            MakeChildButton(nameStyle, "", CardsLayout::kNameSize, CardsLayout::kNameCaptionY);
        row.button->SetBackgroundHidden(false);  // the whole row's plate lights
        for (ControlLibrary::IImageVO*& thumbnail : row.thumbnails) {
            thumbnail = Own(GetFactory()->CreateImageVO());
            thumbnail->SetAlignment(kAlignCentre, kAlignCentre);
            thumbnail->SetZOrder(Layer::kDialogControls);
            m_dialog->AddChild(thumbnail);
        }
        row.author = MakeLabel(authorFont, "", Layer::kLabels, kGrey);
    }
    m_previous = MakeMenuButton(menuFont, Tr("Previous"));
    m_next = MakeMenuButton(menuFont, Tr("Next"));
    for (ControlLibrary::IButtonVO* page : {m_previous, m_next}) {
        page->SetBackgroundHidden(false);  // their plates show only with them
    }
    m_cancel = MakeMenuButton(menuFont, Tr("Cancel"));
}

size_t CardsDialog::PageCount() const {
    const size_t sets = CardSets::Instance()->All().size();
    return std::max<size_t>(1, (sets + kRowsPerPage - 1) / kRowsPerPage);
}

void CardsDialog::Show(bool on) {
    if (!on) {
        BaseDialog::Show(false);
        return;
    }
    // The player's set: its page, its name lit.
    CardSets* sets = CardSets::Instance();
    const CardSet& current = sets->ForPlayer(PlayerList::Instance()->GetCurrent());
    const auto& all = sets->All();
    const auto at = static_cast<size_t>(
        std::find_if(all.begin(), all.end(), [&](const CardSet& s) { return s.id == current.id; }) -
        all.begin());
    const size_t index = at < all.size() ? at : 0;
    BaseDialog::Show(true);  // shows every child: the page then hides what it does not use
    ShowPage(index / kRowsPerPage);
    Highlight(static_cast<int>(index % kRowsPerPage));
}

void CardsDialog::ShowPage(size_t page) {
    CardSets* sets = CardSets::Instance();
    const auto& all = sets->All();
    m_page = std::min(page, PageCount() - 1);
    const std::string& chosen = PlayerList::Instance()->GetCurrent().cardSet;
    for (size_t r = 0; r < kRowsPerPage; ++r) {
        Row& row = m_rows[r];
        row.set = m_page * kRowsPerPage + r;
        row.used = row.set < all.size();
        row.button->SetShown(row.used);
        row.button->SetEnabled(row.used);  // the keyboard walks only the shown sets
        row.author->SetShown(row.used);
        for (size_t k = 0; k < kThumbnails; ++k) {
            row.thumbnails[k]->SetShown(false);
        }
        if (!row.used) {
            continue;
        }
        const CardSet& set = all[row.set];
        row.button->SetText(set.name);
        // The player's own choice stands out in gold.
        const Colour caption = set.id == chosen ? kGold : kWhite;
        row.button->SetTextColours({caption, kPaleYellow, kGrey, kBlack, kBlack});
        row.author->SetText(set.author.empty() ? std::string()
                                               : Filled("by {author}", {{"author", set.author}}));
        for (size_t k = 0; k < kThumbnails; ++k) {
            // The back, then faces spread over the set.
            const std::string& source =
                k == 0 ? set.back : set.faces[(k - 1) * set.faces.size() / (kThumbnails - 1)];
            const std::string thumbnail = sets->Thumbnail(source);
            if (!thumbnail.empty() && row.thumbnails[k]->LoadImage(thumbnail, true)) {
                row.thumbnails[k]->SetShown(true);
            }
        }
    }
    const bool paged = PageCount() > 1;
    m_previous->SetShown(paged);
    m_next->SetShown(paged);
    m_previous->SetEnabled(paged && m_page > 0);
    m_next->SetEnabled(paged && m_page + 1 < PageCount());
    Layout();
}

void CardsDialog::Layout() {
    Place(m_title, CardsLayout::kTitle);
    for (size_t r = 0; r < kRowsPerPage; ++r) {
        const int32_t y = CardsLayout::kFirstRowY + static_cast<int32_t>(r) * CardsLayout::kRowGap;
        Row& row = m_rows[r];
        Place(row.button, {CardsLayout::kNameX, y});
        Place(row.author, {CardsLayout::kNameX, y + CardsLayout::kAuthorY});
        for (size_t k = 0; k < kThumbnails; ++k) {
            Place(row.thumbnails[k], {CardsLayout::kFirstThumbnailX +
                                          static_cast<int32_t>(k) * CardsLayout::kThumbnailGap,
                                      y});
        }
    }
    Place(m_previous, CardsLayout::kPrevious);
    Place(m_next, CardsLayout::kNext);
    Place(m_cancel, CardsLayout::kCancel);
}

std::vector<ControlLibrary::IButtonVO*> CardsDialog::KeyButtons() const {
    std::vector<ControlLibrary::IButtonVO*> buttons;
    for (const Row& row : m_rows) {
        buttons.push_back(row.button);
    }
    buttons.push_back(m_previous);
    buttons.push_back(m_next);
    buttons.push_back(m_cancel);
    return buttons;
}

void CardsDialog::OnMouseClick(int32_t id) {
    if (id == m_cancel->GetId()) {
        Show(false);
        return;
    }
    if (id == m_previous->GetId() || id == m_next->GetId()) {
        ShowPage(id == m_next->GetId() ? m_page + 1 : (m_page > 0 ? m_page - 1 : 0));
        Highlight(-1);
        return;
    }
    for (const Row& row : m_rows) {
        if (row.used && id == row.button->GetId()) {
            PlayerList* players = PlayerList::Instance();
            if (!players->GetPlayers().empty()) {
                players->GetCurrent().cardSet = CardSets::Instance()->All()[row.set].id;
                // The choice survives a crash; a failure is told by the reporter.
                static_cast<void>(players->SaveAll());
            }
            Show(false);
            return;
        }
    }
}

}  // namespace Gamespace
