// A long session and an input storm on the whole program: a thousand deals
// at full speed must leave the controls, images, sounds, threads, open files
// and memory where fifty deals left them; a storm of seeded random clicks
// and keys in every screen must leave a game that still answers and whole
// files.

#include "support/WholeGameFixture.h"

#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;  // the sanitizers' own memory grows by design
#else
constexpr bool kSanitized = false;
#endif

size_t CountEntries(const char* dir) {
    size_t n = 0;
    if (DIR* d = opendir(dir)) {
        while (const dirent* e = readdir(d)) {
            n += e->d_name[0] != '.' ? 1 : 0;
        }
        closedir(d);
    }
    return n;
}

long ResidentKiB() {
    long pages = 0;
    long resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

struct Figures {
    int32_t objects = 0;
    int32_t images = 0;
    size_t soundIds = 0;
    int sounds = 0;
    size_t threads = 0;
    size_t files = 0;
    long residentKiB = 0;
};

class Soak : public WholeGame {
protected:
    Figures Measure() {
        auto* factory = ControlLibrary::GetFactory();
        Figures f;
        f.objects = factory->CountRegistered();
        f.images = factory->CountCachedImages();
        f.soundIds = factory->CountSoundIdsInUse();
        f.sounds = app->GetSoundManager()->CountLoadedSounds();
        f.threads = CountEntries("/proc/self/task");
        f.files = CountEntries("/proc/self/fd");
        f.residentKiB = ResidentKiB();
        return f;
    }
};

TEST_F(Soak, AThousandDealsLeaveEverythingWhereFiftyLeftIt) {
    CreatePlayer("Sam");
    EnterGame();
    auto& player = Gamespace::PlayerList::Instance()->GetCurrent();
    Figures early;
    Figures late;
    // Deals 51 and 1002 are both Easy: the same number of cards on the field.
    for (int deal = 1; deal <= 1002; ++deal) {
        player.difficulty = static_cast<uint16_t>(deal % Gamespace::kDifficultyCount);
        Play()->NewGame();
        Frames(2);  // updates and a draw of the new field
        // The count-down ends as its timer ends it at 0 (a new deal comes, as
        // in play, only after it).
        FieldMgr::Instance()->GetTimerDialog()->Show(false);
        Frames(2);
        if (deal == 51) {
            early = Measure();
        }
    }
    late = Measure();
    EXPECT_EQ(late.objects, early.objects);
    EXPECT_EQ(late.images, early.images);
    EXPECT_EQ(late.soundIds, early.soundIds);
    EXPECT_EQ(late.sounds, early.sounds);
    EXPECT_EQ(late.threads, early.threads);
    EXPECT_EQ(late.files, early.files);
    if (!kSanitized) {
        EXPECT_LE(late.residentKiB, early.residentKiB * 105 / 100)
            << "resident memory grew from " << early.residentKiB << " KiB";
    }
    RecordProperty("deal51_resident_kib", std::to_string(early.residentKiB));
    RecordProperty("deal1002_resident_kib", std::to_string(late.residentKiB));
    std::printf(
        "deal 51: %d objects, %d images, %zu sound ids, %d sounds, %zu threads, %zu files, "
        "%ld KiB; deal 1002: %d, %d, %zu, %d, %zu, %zu, %ld KiB\n",
        early.objects, early.images, early.soundIds, early.sounds, early.threads, early.files,
        early.residentKiB, late.objects, late.images, late.soundIds, late.sounds, late.threads,
        late.files, late.residentKiB);
}

// Seeded random clicks and keys for VQ_STORM_SECONDS (3 s unless set) of
// real time and at least 200 of them, in whatever screen they lead to; the links (which would open
// a browser) and the exit confirmation's "Yes" are left alone.
TEST_F(Soak, AStormOfRandomInputLeavesAnAnsweringGameAndWholeFiles) {
    CreatePlayer("Ivy");
    const char* env = std::getenv("VQ_STORM_SECONDS");
    const int seconds = env != nullptr ? std::max(1, std::atoi(env)) : 3;
    std::mt19937 random(20261210);
    const int32_t keys[] = {SDLK_LEFT,   SDLK_RIGHT,  SDLK_UP,  SDLK_DOWN, SDLK_SPACE,
                            SDLK_RETURN, SDLK_ESCAPE, SDLK_TAB, SDLK_a,    SDLK_7};
    auto inside = [](const ControlLibrary::Rect& r, int x, int y) {
        return x >= r.x - 2 && y >= r.y - 2 && x <= r.x + r.width + 2 && y <= r.y + r.height + 2;
    };
    const auto start = std::chrono::steady_clock::now();
    int events = 0;
    std::map<std::string, int> screens;
    // At least kFewestEvents, so that a slow (sanitized) build still wanders
    // into the game and its dialogs.
    constexpr int kFewestEvents = 200;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(seconds) ||
           events < kFewestEvents) {
        const bool exitAsked = Shown(game->GetExitDialog());
        if (random() % 3 != 0) {
            const int x = static_cast<int>(random() % 1024);
            const int y = static_cast<int>(random() % 768);
            if (inside(game->GetLink(0)->GetScreenRect(), x, y) ||
                inside(game->GetLink(1)->GetScreenRect(), x, y) ||
                (exitAsked &&
                 inside(game->GetExitDialog()->GetYesButton()->GetScreenRect(), x, y))) {
                continue;
            }
            TestSupport::PushMouseMove(Window(), x, y);
            TestSupport::PushMouseButton(Window(), true, x, y);
            TestSupport::PushMouseButton(Window(), false, x, y);
        } else {
            // Over the exit confirmation only Escape: Tab and Enter could say "Yes".
            const int32_t key = exitAsked ? SDLK_ESCAPE : keys[random() % std::size(keys)];
            TestSupport::PushKey(Window(), key, true);
            TestSupport::PushKey(Window(), key, false);
        }
        ++events;
        Frames(8);  // the whole event handled before the next is chosen
        if (random() % 50 == 0) {
            Wait(500);  // let count-downs and turns run
        }
        ++screens[Start()->IsActive() ? "start" : Play()->IsActive() ? "game" : "other"];
        ASSERT_FALSE(app->IsShutdown()) << "after " << events << " events";
    }
    std::printf("storm: %d events in %d s, frames on the start screen %d, in the game %d\n", events,
                seconds, screens["start"], screens["game"]);
    EXPECT_GT(screens["start"], 0);
    EXPECT_GT(screens["game"], 0);

    // Still answering: the exit confirmation comes and "Yes" ends the game.
    for (int tries = 0; tries < 20 && !Shown(game->GetExitDialog()); ++tries) {
        for (Gamespace::BaseDialog* d :
             {static_cast<Gamespace::BaseDialog*>(Play()->GetMenuDialog()),
              static_cast<Gamespace::BaseDialog*>(Play()->GetLevelsDialog()),
              static_cast<Gamespace::BaseDialog*>(Play()->GetFinishDialog()),
              static_cast<Gamespace::BaseDialog*>(game->GetOptionsDialog()),
              static_cast<Gamespace::BaseDialog*>(Start()->GetNewPlayerDialog()),
              static_cast<Gamespace::BaseDialog*>(Start()->GetCardsDialog())}) {
            if (Shown(d)) {
                Key(SDLK_ESCAPE);
            }
        }
        Wait(3100);  // past any count-down
        CloseWindow();
    }
    ASSERT_TRUE(Shown(game->GetExitDialog()));
    Click(game->GetExitDialog()->GetYesButton());
    ASSERT_TRUE(app->IsShutdown());
    // Every profile on disk is whole and loads: its fixed bytes, then blocks
    // this version writes (the options can be reached by the storm), whole,
    // with nothing after them.
    auto wholeBlocksOfOurs = [](const Bytes& bytes, size_t fixed, const char* tags) {
        size_t used = 0;
        const auto blocks =
            Gamespace::ParseBlocks(std::span(bytes).subspan(std::min(fixed, bytes.size())), &used);
        EXPECT_EQ(fixed + used, bytes.size());
        for (const auto& block : blocks) {
            EXPECT_NE(std::string(tags).find(std::string(block.tag.begin(), block.tag.end())),
                      std::string::npos);
        }
    };
    for (const auto& entry : fs::directory_iterator("save")) {
        Gamespace::Player p;
        EXPECT_TRUE(Gamespace::Load(p, entry.path().string())) << entry.path();
        EXPECT_TRUE(p.otherBlocks.empty()) << entry.path();
        EXPECT_TRUE(p.unreadTail.empty()) << entry.path();
        wholeBlocksOfOurs(ReadBytes(entry.path().string()),
                          Gamespace::kProfileBytes + Gamespace::kBestBlockBytes,
                          "BSTK HIST CARD WITH CMFT");
    }
    wholeBlocksOfOurs(ReadBytes("options.opt"), Gamespace::kOptionBytes, "SNDS LANG");
}

}  // namespace
