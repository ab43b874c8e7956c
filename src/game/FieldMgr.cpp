#include "game/FieldMgr.h"
#include "common/ProcessWide.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "controls/Factory_impl.h"
#include "game/Dialogs.h"

namespace Gamespace {

using ControlLibrary::GetFactory;

// --- random numbers ---------------------------------------------------------------

int32_t RandomInRange(int32_t lo, int32_t hi) {
    if (hi < lo) {
        return 0;
    }
    if (hi == lo) {
        return lo;
    }
    const auto r = static_cast<uint32_t>(std::rand());
    return lo + static_cast<int32_t>(r % static_cast<uint32_t>(hi - lo));
}

int32_t RandomUnused(int32_t lo, int32_t hi, const std::vector<int32_t>& used) {
    for (;;) {
        const int32_t value = RandomInRange(lo, hi);
        if (std::find(used.begin(), used.end(), value) == used.end()) {
            return value;
        }
    }
}

// --- layouts and pictures ---------------------------------------------------------------

namespace {

std::vector<std::vector<CardLayout>> g_layouts;

std::vector<std::vector<CardLayout>> LayoutTable() {
    return {
        // Easy: 10 cards.
        {{{212, 450},
          {362, 300},
          {362, 450},
          {362, 600},
          {512, 300},
          {512, 600},
          {662, 300},
          {662, 450},
          {662, 600},
          {812, 450}},
         {{362, 300},
          {362, 450},
          {362, 600},
          {512, 225},
          {512, 375},
          {512, 525},
          {512, 675},
          {662, 300},
          {662, 450},
          {662, 600}},
         {{137, 450},
          {412, 375},
          {287, 450},
          {412, 525},
          {512, 225},
          {512, 675},
          {612, 375},
          {737, 450},
          {612, 525},
          {887, 450}},
         {{262, 300},
          {262, 450},
          {262, 600},
          {512, 325},
          {437, 450},
          {587, 450},
          {512, 575},
          {762, 300},
          {762, 450},
          {762, 600}}},
        // Medium: 16 cards.
        {{{212, 300},
          {212, 450},
          {212, 600},
          {362, 300},
          {362, 450},
          {362, 600},
          {512, 200},
          {512, 350},
          {512, 550},
          {512, 700},
          {662, 300},
          {662, 450},
          {662, 600},
          {812, 300},
          {812, 450},
          {812, 600}},
         {{212, 300},
          {162, 450},
          {212, 600},
          {362, 265},
          {337, 450},
          {362, 635},
          {512, 225},
          {512, 375},
          {512, 525},
          {512, 675},
          {662, 265},
          {687, 450},
          {662, 635},
          {812, 300},
          {862, 450},
          {812, 600}},
         {{282, 240},
          {397, 240},
          {512, 240},
          {627, 240},
          {742, 240},
          {397, 355},
          {627, 355},
          {282, 470},
          {512, 470},
          {742, 470},
          {397, 585},
          {627, 585},
          {282, 700},
          {437, 700},
          {587, 700},
          {742, 700}}},
        // Hard: 20 cards.
        {{{137, 300}, {287, 270}, {437, 240}, {587, 240}, {737, 270}, {887, 300}, {137, 450},
          {287, 450}, {437, 390}, {437, 530}, {587, 530}, {587, 390}, {737, 450}, {887, 450},
          {137, 600}, {287, 630}, {437, 660}, {587, 660}, {737, 630}, {887, 600}},
         {{137, 300}, {137, 450}, {137, 600}, {287, 240}, {287, 390}, {287, 520}, {287, 660},
          {437, 300}, {437, 450}, {437, 600}, {587, 300}, {587, 450}, {587, 600}, {737, 270},
          {737, 390}, {737, 520}, {737, 660}, {887, 240}, {887, 450}, {887, 600}},
         {{137, 300}, {137, 450}, {137, 600}, {287, 240}, {287, 450}, {287, 660}, {437, 240},
          {437, 390}, {437, 520}, {437, 660}, {587, 240}, {587, 390}, {587, 520}, {587, 660},
          {737, 240}, {737, 450}, {737, 660}, {887, 300}, {887, 450}, {887, 600}},
         {{282, 240}, {397, 240}, {512, 240}, {627, 240}, {742, 240}, {167, 355}, {397, 355},
          {627, 355}, {857, 355}, {282, 470}, {512, 470}, {742, 470}, {167, 585}, {397, 585},
          {627, 585}, {857, 585}, {282, 700}, {437, 700}, {587, 700}, {742, 700}}},
    };
}

const std::vector<std::string>& Pictures() {
    static const std::vector<std::string> pictures = [] {
        std::vector<std::string> list;
        for (int i = 1; i <= 10; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "images/vis_pairs/%02d.png", i);
            list.emplace_back(name);
        }
        return list;
    }();
    return pictures;
}

constexpr const char* kCoverPicture = "images/vis_cover/01.jpg";

}  // namespace

void CardLayouts::Build() {
    g_layouts = LayoutTable();
}

const std::vector<CardLayout>& CardLayouts::ForDifficulty(uint16_t difficulty) {
    if (g_layouts.empty()) {
        Build();
    }
    return g_layouts[std::min<size_t>(difficulty, kHardest)];
}

const std::string& PicturePath(size_t number) {
    const auto& pictures = Pictures();
    return number < pictures.size() ? pictures[number] : pictures.front();
}

size_t PictureCount() {
    return Pictures().size();
}

// --- the field ------------------------------------------------------------------------

namespace {
std::unique_ptr<FieldMgr>& g_field = CommonLibrary::ProcessWide<FieldMgr>();
}

FieldMgr* FieldMgr::Instance() {
    if (g_field == nullptr) {
        g_field = std::make_unique<FieldMgr>();
    }
    return g_field.get();
}

void FieldMgr::Destroy() {
    g_field.reset();
}

FieldMgr::~FieldMgr() {
    if (GetFactory() != nullptr) {
        ClearField();
        GetFactory()->ReleaseSound(m_clickSound);
    }
}

void FieldMgr::Init(FieldMgrObserver* observer) {
    RegisterOptionObserver(this);
    m_observer = observer;
    m_timerDialog = std::make_unique<TimerDlg>(this);
}

void FieldMgr::ClearField() {
    for (const auto& card : m_cards) {
        GetFactory()->ReleaseImageVO(card->cover);
        GetFactory()->ReleaseImageVO(card->face);
    }
    m_cards.clear();
    m_firstSelected = nullptr;
    m_secondSelected = nullptr;
    m_selectedCount = 0;
}

void FieldMgr::BuildField() {
    m_turnedCount = 0;
    ClearField();

    const std::vector<CardLayout>& layouts =
        CardLayouts::ForDifficulty(PlayerList::Instance()->GetCurrent().difficulty);
    const CardLayout& layout =
        layouts[static_cast<size_t>(RandomInRange(0, static_cast<int32_t>(layouts.size())))];
    const auto n = static_cast<int32_t>(layout.size());

    std::vector<int32_t> chosenPlaces;
    std::vector<CardPoint> places;
    for (int32_t k = 0; k < n; ++k) {
        const int32_t i = RandomUnused(0, n, chosenPlaces);
        chosenPlaces.push_back(i);
        places.push_back(layout[static_cast<size_t>(i)]);
    }
    std::vector<int32_t> pictures;
    if (n > 1) {
        for (int32_t k = 0; k < n / 2; ++k) {
            pictures.push_back(RandomUnused(0, static_cast<int32_t>(PictureCount()), pictures));
        }
    }

    ControlLibrary::Factory_impl* factory = GetFactory();
    auto makeImage = [&] {
        ControlLibrary::IImageVO* image = factory->CreateImageVO();
        image->SetZOrder(m_cardZOrder);
        image->SetAlignment(kAlignCentre, kAlignCentre);
        image->AddMouseObserver(this);
        return image;
    };
    for (int32_t k = 0; k < n; ++k) {
        auto card = std::make_unique<Card>();
        card->face = makeImage();
        card->cover = makeImage();
        card->cover->LoadImage(kCoverPicture, true);
        m_cards.push_back(std::move(card));
    }
    for (int32_t k = 0; k < n / 2; ++k) {
        for (int32_t j = 0; j < 2; ++j) {
            Card& card = *m_cards[static_cast<size_t>(2 * k + j)];
            const CardPoint& place = places[static_cast<size_t>(2 * k + j)];
            card.face->LoadImage(PicturePath(static_cast<size_t>(pictures[static_cast<size_t>(k)])),
                                 true);
            card.cover->SetPosition(place.x, place.y);
            card.face->SetPosition(place.x, place.y);
            card.pair = static_cast<uint16_t>(k);
        }
    }

    factory->ReleaseSound(m_clickSound);  // one click sound at a time
    m_clickSound = factory->CreateSound();
    m_clickSound->Load("sounds/click.ogg");
    m_clickSound->SetVolume(0.3);
    m_selectedCount = 0;
}

void FieldMgr::ShowAllFaces(bool show) {
    for (const auto& card : m_cards) {
        card->cover->SetShown(false);
        card->face->SetShown(show);
    }
    if (show && m_timerDialog != nullptr) {
        m_timerDialog->Show(true);
    }
}

void FieldMgr::TurnUp(Card& card) {
    card.cover->SetShown(false);
    card.face->SetShown(true);
}

void FieldMgr::TurnDown(Card& card) {
    card.face->SetShown(false);
    card.cover->SetShown(true);
}

void FieldMgr::OnMouseDown(int32_t id) {
    for (const auto& owned : m_cards) {
        Card& card = *owned;
        if (card.cover->GetId() != id) {
            continue;
        }
        TurnUp(card);
        if (m_clickSound != nullptr) {
            m_clickSound->Play(false);
        }
        if (m_selectedCount == 1) {
            m_secondSelected = &card;
            m_selectedCount = 2;
            ++m_turnedCount;
            if (card.pair == m_firstSelected->pair) {
                m_firstSelected->inPlay = false;
                card.inPlay = false;
                CheckCompletion();
            }
            continue;
        }
        if (m_selectedCount == 2) {
            if (m_firstSelected->pair != m_secondSelected->pair) {
                m_firstSelected->face->SetShown(false);
                m_secondSelected->face->SetShown(false);
                m_firstSelected->cover->SetShown(true);
                m_secondSelected->cover->SetShown(true);
            }
            m_firstSelected = nullptr;
            m_secondSelected = nullptr;
            m_selectedCount = 0;
        }
        m_firstSelected = &card;
        m_selectedCount = 1;
        ++m_turnedCount;
    }
}

void FieldMgr::OnMouseMove(int32_t /*id*/, int32_t /*x*/, int32_t /*y*/) {
    if (m_observer != nullptr) {
        m_observer->OnFieldPointer();
    }
}

void FieldMgr::OnMouseEnter(int32_t /*id*/) {
    if (m_observer != nullptr) {
        m_observer->OnFieldPointer();
    }
}

void FieldMgr::CheckCompletion() {
    for (const auto& card : m_cards) {
        if (card->inPlay) {
            return;
        }
    }
    if (m_observer != nullptr) {
        m_observer->OnFieldCleared(static_cast<uint16_t>(m_turnedCount / 2));
    }
}

void FieldMgr::OnDialogShown(int32_t id, bool shown) {
    if (m_timerDialog == nullptr || id != m_timerDialog->GetDialogId() || shown) {
        return;
    }
    for (const auto& card : m_cards) {
        TurnDown(*card);
    }
    if (m_observer != nullptr) {
        m_observer->OnMemorizeFinished();
    }
}

}  // namespace Gamespace
