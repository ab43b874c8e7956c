#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "controls/IFactory.h"
#include "controls/IVisibleObject.h"
#include "controls/Types.h"
#include "time/ITimeSystem.h"

namespace Brisk {
class BriskAppBase;
class DDImage;
class Font;
class Image;
class Graphics;
class ImageFont;
}  // namespace Brisk

namespace CommonLibrary {
class RefObj;
}

namespace ControlLibrary {

class Cursor_impl;
class ToolTip_impl;
class VisibleObject_impl;

// What the game bridge hands to the factory: the per-frame redraw request,
// the drawing of all visible objects, and every mouse and keyboard event.
// Main thread.
class IFactoryFrameTarget {
public:
    virtual ~IFactoryFrameTarget() = default;
    // Sets *flag when a visible object changed since the last call.
    virtual void TakeRedrawRequest(bool* flag) = 0;
    virtual void DrawAll(Brisk::Graphics* g) = 0;
    // The next DrawAll draws everything: what is under the objects may have
    // changed (the picture was made anew, something else drew over it).
    virtual void RequireFullRedraw() {}
    // The area the last DrawAll drew, in its own coordinates; nullopt when
    // it drew everything.
    virtual std::optional<Rect> GetLastDrawnArea() const { return std::nullopt; }
    virtual void MouseMove(int x, int y) = 0;
    // Click counts: 1 left, 2 left double, -1 right, -2 right double, 3 middle.
    virtual void MouseDown(int x, int y, int clickCount) = 0;
    virtual void MouseUp(int x, int y, int clickCount) = 0;
    virtual void KeyChar(char ch) = 0;
    virtual void KeyDown(int key) = 0;
    virtual void KeyUp(int key) = 0;
};

// Hands out the lowest free id above a base; returned ids are reused.
class IdPool {
public:
    explicit IdPool(int32_t base) : m_base(base) {}
    int32_t Take();
    void Return(int32_t id) { m_used.erase(id); }
    size_t CountUsed() const { return m_used.size(); }

private:
    int32_t m_base;
    std::set<int32_t> m_used;
};

// The control factory: creates, registers, draws and routes input to every
// visible object, and keeps the image and font caches and the sound table.
// One exists per process, made by the kernel after the application object.
//
// Locks, in the order they may nest: the time system's locks, the factory
// lock (display list, registry, hover, focus, modal stack, current cursor and
// tool tip, counted resources), the cache lock (images, fonts), the sound
// lock, then the display's own lock.
class Factory_impl : public IFactory,
                     public TimeLibrary::TimeObjectMessageObserver,
                     public IFactoryFrameTarget {
public:
    static constexpr int32_t kRegistrySize = 10240;
    static constexpr int32_t kDisplayListSize = 10240;
    static constexpr int32_t kImageCacheSize = 5120;
    static constexpr int32_t kFontCacheSize = 1024;
    static constexpr int32_t kSoundTableSize = 512;

    // Throws std::invalid_argument when `app` is null or has no widget
    // manager. Starts the 5 ms redraw poll on `timeSystem` when there is one.
    // `app` and `timeSystem` must outlive the factory.
    Factory_impl(Brisk::BriskAppBase* app, TimeLibrary::ITimeSystem* timeSystem);
    // Deletes the visible objects and resources still alive, then the caches.
    ~Factory_impl() override;
    Factory_impl(const Factory_impl&) = delete;
    Factory_impl& operator=(const Factory_impl&) = delete;

    Brisk::BriskAppBase* GetApp() const { return m_app; }

    // --- IFactory --------------------------------------------------------
    IFont* CreateFont() override;
    void ReleaseFont(IFont* font) override;
    IToolTip* CreateToolTip() override;
    void ReleaseToolTip(IToolTip* toolTip) override;
    ICursor* CreateCursor() override;
    void ReleaseCursor(ICursor* cursor) override;
    ISound* CreateSound() override;
    void ReleaseSound(ISound* sound) override;
    IRectVO* CreateRectVO() override;
    IPolylineVO* CreatePolylineVO() override;
    void ReleaseDialogVO(IDialogVO* object) override;
    void ReleaseTextBoxVO(ITextBoxVO* object) override;
    void ReleaseEditBoxVO(IEditBoxVO* object) override;
    void ReleaseCheckBoxVO(ICheckBoxVO* object) override;
    void ReleaseButtonVO(IButtonVO* object) override;
    void ReleaseLinkVO(ILinkVO* object) override;
    void ReleaseStringVO(IStringVO* object) override;
    void ReleaseImageVO(IImageVO* object) override;
    void ReleaseRectVO(IRectVO* object) override;
    void ReleasePolylineVO(IPolylineVO* object) override;
    IImageVO* CreateImageVO() override;
    IStringVO* CreateStringVO() override;
    ILinkVO* CreateLinkVO() override;
    IButtonVO* CreateButtonVO() override;
    ICheckBoxVO* CreateCheckBoxVO() override;
    IEditBoxVO* CreateEditBoxVO() override;
    ITextBoxVO* CreateTextBoxVO() override;
    IDialogVO* CreateDialogVO() override;
    void SetDefaultCursor(ICursor* cursor) override;
    [[nodiscard]] bool MountArchive(const std::string& unused, const std::string& path) override;
    std::string GetDataFolder() override;
    void AddKeybdSysObserver(KeybdSysMessageObserver* observer) override;

    // --- the game bridge's frame and input (main thread) ------------------
    void TakeRedrawRequest(bool* flag) override;
    // Draws only the area of the objects that changed, were shown or were
    // hidden (before and after) when every changed one stayed in place and
    // draws only where that can be told beforehand; otherwise everything. Either way the picture is
    // the one a full redraw gives.
    void DrawAll(Brisk::Graphics* g) override;
    void RequireFullRedraw() override;
    std::optional<Rect> GetLastDrawnArea() const override;
    int GetPartialDrawCount() const { return m_partialDraws; }
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y, int clickCount) override;
    void MouseUp(int x, int y, int clickCount) override;
    void KeyChar(char ch) override;
    void KeyDown(int key) override;
    void KeyUp(int key) override;

    // The redraw poll: asks for a redraw when a shown object changed. Run by
    // TakeRedrawRequest, once an update.
    void OnTimeObjectTick(int32_t id) override;

    // --- services for visible objects -------------------------------------
    std::recursive_mutex& GetLock() { return m_lock; }
    // The time system the factory was made with, or null.
    TimeLibrary::ITimeSystem* GetTimeSystem() const { return m_timeSystem; }
    // Drops one use of an object of any kind; deletes it once none is left.
    void ReleaseVisibleObject(IVisibleObject* object) { ReleaseVO(object); }
    // True while the destructor deletes the objects the game left.
    bool IsTearingDown() const { return m_tearingDown; }
    // Asks the desktop to open `address` (links). Replaceable for tests.
    void OpenAddress(const std::string& address);
    void SetAddressOpener(std::function<void(const std::string&)> opener) {
        m_openAddress = std::move(opener);
    }
    // Lists the object with `id` when it is shown, unlists it otherwise.
    void UpdateDisplay(int32_t id);
    // Moves a shown object behind all listed objects of its z-order.
    void Resort(int32_t id);
    // `object` now holds the focus; the previous holder loses it.
    void SetFocused(VisibleObject_impl* object);
    void SetCurrentToolTip(IToolTip* toolTip);
    // Null falls back to the default cursor, then to the system cursor.
    void SetCurrentCursor(ICursor* cursor);
    // Disables every listed object that is enabled and not modal-exempt, and
    // remembers them for PopModal.
    void PushModal();
    // Enables again exactly what the last PushModal disabled.
    void PopModal();
    int32_t GetMaxZOrder();

    // --- drawing services: through the context of the frame being drawn ----
    // False when `index` names no cached image. A source of 0 width or height
    // is the whole image; a destination of 0 width or height the source's size.
    bool DrawImage(int32_t index, const Rect& source, const Rect& dest);
    bool DrawImageRotated(int32_t index, const Rect& source, const Rect& dest, double angle,
                          const Point& centre, const Point& offset);
    void FillRect(const Rect& rect, const Colour& colour);
    // The outline covers width + 1 by height + 1 pixels.
    void DrawRect(const Rect& rect, const Colour& colour);
    void DrawLine(const Point& from, const Point& to, const Colour& colour);
    void DrawLineSmooth(const Point& from, const Point& to, const Colour& colour);
    // Drawing until the matching PopClip stays inside `rect` (and any clip before).
    void PushClip(const Rect& rect);
    void PopClip();
    // Alignment 0 at the point, 1 centred on it, 2 ending at it. With a
    // `room`, a text that would reach out of it is moved into it, and one
    // wider than it is drawn narrower to its width: a longer language never
    // runs over its control's edge.
    void DrawText(IFont* font, const std::string& text, const Point& point, const Colour& colour,
                  int32_t hAlign, int32_t vAlign, const Rect* room = nullptr);
    // What DrawText did with each text, for the tests that measure every text
    // of every language in its control.
    struct DrawnText {
        std::string text;
        int32_t width = 0;  // at the font's own size
        int32_t room = 0;   // 0: no room given
        float squeeze = 1;  // the horizontal scale it was drawn at
        Rect extent;        // where it was drawn, squeezed
    };
    // Every text drawn from now on is added to `log` (null: none).
    void SetTextLog(std::vector<DrawnText>* log) { m_textLog = log; }

    // --- image and font caches (any thread) ---------------------------------
    // Paths compare exactly. On failure `*index` is left unchanged.
    bool LoadImage(const std::string& path, int32_t* index);
    // Sets `*index` to -1 unless it is outside the cache.
    bool ReleaseImage(int32_t* index);
    bool GetImageSize(int32_t index, Size* size);
    void GetImagePath(int32_t index, std::string* path);
    int32_t LoadFont(const std::string& path);
    void ReleaseFontIndex(int32_t* index);
    int32_t GetFontHeight(int32_t index);
    int32_t GetTextWidth(int32_t index, const std::string& text);
    // Pictures made at run time (the player's own card faces): `pixels`
    // (0xAARRGGBB, width x height, rows from the top) kept under `path`, which
    // LoadImage then finds as if it were a file. Main thread.
    void KeepPicture(const std::string& path, int32_t width, int32_t height,
                     std::vector<uint32_t> pixels);
    // The picture at `source` (kept, or a file) shrunk with area averaging to
    // fit `size` x `size`, kept under `path`; false when `source` cannot be read.
    bool KeepThumbnail(const std::string& source, const std::string& path, int32_t size);
    // Forgets the kept pictures whose paths start with `prefix`.
    void ForgetPictures(const std::string& prefix);
    // Cached entries in use (tests and diagnostics).
    int32_t CountCachedImages();
    // Cached pictures whose pixels are decoded (the others wait for their first draw).
    int32_t CountDecodedImages();
    int32_t GetImageUseCount(int32_t index);

    // --- sounds, by loaded sound id ------------------------------------------
    // The sound manager is tried first, then the music interface; -1 when
    // neither loads the path.
    int32_t LoadSound(const std::string& path);
    void UnloadSound(int32_t* id);
    // `music`: the instance plays under the music volume.
    void PlaySound(int32_t id, bool loop, bool music = false);
    void StopSound(int32_t id);
    bool IsSoundPlaying(int32_t id);
    void SetSoundVolume(int32_t id, double volume);
    void SetSoundMusic(int32_t id, bool music);
    // Takes and returns the ids of sound objects and loaded sounds.
    int32_t TakeSoundId();
    void ReturnSoundId(int32_t id);
    size_t CountSoundIdsInUse();

    // Marks the routing of one input event or notification, so that objects
    // released by the observers it reaches are deleted only when it ends.
    class DispatchScope {
    public:
        explicit DispatchScope(Factory_impl* factory);
        ~DispatchScope();
        DispatchScope(const DispatchScope&) = delete;
        DispatchScope& operator=(const DispatchScope&) = delete;

    private:
        Factory_impl* m_factory;
    };

    // Main thread: sends the leave to objects that stopped being hovered by
    // being hidden or released, outside the factory lock. Elsewhere nothing
    // happens; the main loop's next update delivers them.
    void DeliverPendingLeaves();

    // --- inspection (tests and diagnostics) ----------------------------------
    int32_t CountRegistered();
    int32_t CountListed();
    // The listed object at `position` in drawing order, or null.
    IVisibleObject* GetListed(int32_t position);
    VisibleObject_impl* GetHover();
    VisibleObject_impl* GetFocus();
    ICursor* GetCurrentCursor();
    IToolTip* GetCurrentToolTip();

private:
    struct ImageEntry {
        std::unique_ptr<Brisk::DDImage> image;
        // A picture whose size was read from its file's header: decoded when
        // first drawn, so a screen not yet shown costs no decoding.
        bool pending = false;
        Size pendingSize;
        std::string path;
        int16_t count = 0;
        int32_t spare = -1;
    };
    struct FontEntry {
        std::unique_ptr<Brisk::ImageFont> font;
        std::string path;
        int16_t count = 0;
        int32_t spare = -1;
    };
    enum class SoundPlayer : uint8_t { None, SoundManager, Music };
    struct SoundEntry {
        SoundPlayer player = SoundPlayer::None;
        uint32_t instanceSerial = 0;  // the instance last started; 0 none
    };

    // Makes, registers and returns a visible object of one kind.
    template <class Bridge, class Impl>
    typename Bridge::InterfaceType* CreateVO();
    // Drops one use of `object` and deletes it once none is left.
    void ReleaseVO(IVisibleObject* object);
    void ReleaseBridge(IBridgeToVO* bridge);
    // Deletes at once, or after the input event being routed has been handled.
    void DeleteBridge(std::unique_ptr<IBridgeToVO> bridge);
    // Main thread only (elsewhere nothing happens): deletes what waited.
    void FlushDeferredDeletes();
    IBridgeToVO* FindRegistered(int32_t id);
    bool Insert(IBridgeToVO* bridge);
    // Why an object leaves the display list: a re-sort keeps it hovered; a
    // hidden or released object stops being hovered and hears the leave.
    enum class Removal { Hidden, Resorted, Released };
    bool Remove(IBridgeToVO* bridge, Removal why);
    VisibleObject_impl* HitTest(int x, int y);
    // The focused object if it can take keys now (shown and enabled), else null.
    VisibleObject_impl* GetKeyTarget();
    template <class T>
    T* AddResource(std::unique_ptr<T> resource);
    // Drops the creator's count; deletes at 0 and forgets the object as
    // current or default cursor or tool tip.
    void ReleaseCounted(CommonLibrary::RefObj* resource);
    Brisk::Font* GetFramework(IFont* font);
    // Applies `onInstance` to the live instance last started for a sound the
    // sound manager loaded, or `onMusic` to the music interface for one it
    // loaded; `otherwise` when there is neither.
    template <class OnInstance, class OnMusic, class Result>
    Result RouteSound(int32_t id, OnInstance onInstance, OnMusic onMusic, Result otherwise);
    void DrawCursorAndToolTip();
    // Shows or hides the system cursor: at once on the main thread, else at
    // the main loop's next update (the window system is main-thread only).
    void ApplySystemCursor(bool shown);

    Brisk::BriskAppBase* m_app;  // not owned
    std::function<void(const std::string&)> m_openAddress;
    std::atomic<bool> m_tearingDown{false};
    TimeLibrary::ITimeSystem* m_timeSystem;  // not owned

    // Guarded by m_lock.
    std::recursive_mutex m_lock;
    std::unordered_map<int32_t, std::unique_ptr<IBridgeToVO>> m_registry;
    std::vector<IBridgeToVO*> m_displayList;
    int32_t m_displayCount = 0;
    VisibleObject_impl* m_hover = nullptr;
    VisibleObject_impl* m_focus = nullptr;
    IToolTip* m_currentToolTip = nullptr;  // not counted
    ICursor* m_currentCursor = nullptr;    // not counted
    ICursor* m_defaultCursor = nullptr;    // not counted
    bool m_systemCursorShown = true;
    bool m_systemCursorApplied = true;          // what the window system shows (main thread)
    std::vector<IBridgeToVO*> m_pendingLeaves;  // each entry holds one use
    std::vector<std::vector<IBridgeToVO*>> m_modalStack;     // each entry holds one use
    std::unordered_set<CommonLibrary::RefObj*> m_resources;  // owned
    std::vector<std::unique_ptr<IBridgeToVO>> m_deferredDeletes;
    Brisk::Graphics* m_graphics = nullptr;  // the frame being drawn

    // Partial redraw (guarded by m_lock, drawn on the main thread). What each
    // listed object covered at its last draw and where it stood; while
    // `m_measure` is set, the drawing primitives only add to it what they
    // would cover (and clear `m_measureSure` where they cannot tell).
    struct DrawnArea {
        Rect bounds;
        Rect place;
        bool sure = false;
    };
    std::unordered_map<IBridgeToVO*, DrawnArea> m_drawnAreas;
    Rect m_pointerBounds;  // the drawn cursor and tool tip
    Rect m_uncovered;      // what objects hidden since the last draw covered
    bool m_fullRedraw = true;
    Brisk::Image* m_lastTarget = nullptr;
    Rect* m_measure = nullptr;
    bool m_measureOnly = false;                   // the primitives draw nothing while measuring
    std::vector<DrawnText>* m_textLog = nullptr;  // not owned
    Rect m_screenRoom;                            // the frame drawn into: every text's room
    bool m_measureSure = true;
    std::optional<Rect> m_lastDrawnArea;
    int m_partialDraws = 0;
    // The area to draw this frame: nullopt for everything.
    std::optional<Rect> PlanRedraw(Brisk::Graphics* g);
    // What `bridge` (null: the cursor and tool tip) would cover if drawn now.
    DrawnArea Measure(IBridgeToVO* bridge);
    void AddToMeasure(const Rect& r, bool sure = true);

    // Main thread only.
    std::vector<KeybdSysMessageObserver*> m_keybdReceivers;  // not owned
    std::vector<bool> m_keybdFlags;
    std::atomic<int> m_dispatchDepth{0};

    // Set by the poll and by hiding an object (any thread), taken by the main thread.
    std::atomic<bool> m_redrawPending{false};

    // Visible-object ids only grow; they are never reused.
    std::atomic<int32_t> m_nextObjectId{2};

    // Guarded by m_cacheLock.
    std::recursive_mutex m_cacheLock;
    std::vector<ImageEntry> m_images;
    // Whether the entry at `index` holds a picture, decoded or not yet; its
    // size. Under m_cacheLock.
    bool HoldsImage(int32_t index) const;
    Size ImageSizeAt(int32_t index) const;
    // The decoded picture at `index` (decoding a pending one now), or null.
    // Under m_cacheLock.
    Brisk::DDImage* DecodedImage(int32_t index);
    std::vector<FontEntry> m_fonts;

    // Guarded by m_soundLock.
    std::mutex m_soundLock;
    std::vector<SoundEntry> m_sounds;

    // Guarded by m_idLock.
    std::mutex m_idLock;
    IdPool m_soundIds{1};
};

// Process-wide access. CreateFactory leaves no factory when construction fails.
void CreateFactory(Brisk::BriskAppBase* app);
Factory_impl* GetFactory();
void DestroyFactory();

}  // namespace ControlLibrary
