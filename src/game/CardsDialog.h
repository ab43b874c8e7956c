#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "game/Dialogs.h"

namespace Gamespace {

// The choice of card sets ("Cards" on the start screen): each set's name with
// a thumbnail of its back and three faces, four sets to a page. A press on a
// set's name chooses it for the current player, who keeps it in the profile;
// "Cancel" (or Escape) keeps the set as it was. Main thread.
class CardsDialog : public BaseDialog {
public:
    static constexpr size_t kRowsPerPage = 4;
    static constexpr size_t kThumbnails = 4;  // the back, then three faces

    explicit CardsDialog(ControlLibrary::DialogMessageObserver* owner);
    // Opens on the page of the current player's set, its name lit.
    void Show(bool on) override;
    void Layout() override;
    void OnMouseClick(int32_t id) override;
    // The shown sets' names in order, then "Previous", "Next", "Cancel".
    std::vector<ControlLibrary::IButtonVO*> KeyButtons() const override;
    ControlLibrary::IButtonVO* EscapeButton() const override { return m_cancel; }

    // The name button of the set shown in `row` of the page.
    ControlLibrary::IButtonVO* GetSetButton(size_t row) const { return m_rows[row].button; }
    ControlLibrary::IImageVO* GetThumbnail(size_t row, size_t k) const {
        return m_rows[row].thumbnails[k];
    }
    ControlLibrary::IButtonVO* GetCancelButton() const { return m_cancel; }
    ControlLibrary::IButtonVO* GetNextButton() const { return m_next; }
    ControlLibrary::IButtonVO* GetPreviousButton() const { return m_previous; }
    size_t GetPage() const { return m_page; }

private:
    struct Row {
        ControlLibrary::IButtonVO* button = nullptr;
        std::array<ControlLibrary::IImageVO*, kThumbnails> thumbnails{};
        ControlLibrary::IStringVO* author = nullptr;
        size_t set = 0;  // which of CardSets' sets the row shows
        bool used = false;
    };
    // Fills the rows from page `page` of the sets.
    void ShowPage(size_t page);
    size_t PageCount() const;

    std::array<Row, kRowsPerPage> m_rows;
    ControlLibrary::IButtonVO* m_previous;
    ControlLibrary::IButtonVO* m_next;
    ControlLibrary::IButtonVO* m_cancel;
    ControlLibrary::IStringVO* m_title;
    size_t m_page = 0;
};

}  // namespace Gamespace
