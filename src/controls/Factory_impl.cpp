#include "controls/Factory_impl.h"
#include "common/ProcessWide.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "controls/ButtonVO.h"
#include "controls/DialogVO.h"
#include "controls/EditBoxVO.h"
#include "controls/ImageVO.h"
#include "controls/PolylineVO.h"
#include "controls/RectVO.h"
#include "controls/ResourceObjects.h"
#include "controls/TextVO.h"
#include "controls/VisibleObject_impl.h"
#include "framework/app/BriskAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Geometry.h"
#include "framework/graphics/Graphics.h"
#include "framework/platform/Process.h"
#include "framework/resources/ImageFont.h"
#include "framework/resources/PakInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "time/TimeSystem_impl.h"

namespace ControlLibrary {
namespace {
std::unique_ptr<Factory_impl>& g_factory = CommonLibrary::ProcessWide<Factory_impl>();

// The framework's rectangle arithmetic, on the control library's rectangles.
Brisk::Rect ToFramework(const Rect& r) {
    return {r.x, r.y, r.width, r.height};
}

bool IsEmpty(const Rect& r) {
    return Brisk::IsEmpty(ToFramework(r));
}

Rect Union(const Rect& a, const Rect& b) {
    const Brisk::Rect u = Brisk::Union(ToFramework(a), ToFramework(b));
    return {u.x, u.y, u.width, u.height};
}

bool Overlaps(const Rect& a, const Rect& b) {
    return !Brisk::IsEmpty(Brisk::Intersect(ToFramework(a), ToFramework(b)));
}

Brisk::Color ToColor(const Colour& c) {
    return Brisk::Color(c.red, c.green, c.blue);
}

bool ContainsInclusive(const Rect& r, int x, int y) {
    return r.x <= x && x <= r.x + r.width && r.y <= y && y <= r.y + r.height;
}
}  // namespace

int32_t IdPool::Take() {
    int32_t id = m_base + 1;
    for (const int32_t used : m_used) {
        if (used > id) {
            break;
        }
        if (used == id) {
            ++id;
        }
    }
    m_used.insert(id);
    return id;
}

// --- construction -----------------------------------------------------------

Factory_impl::Factory_impl(Brisk::BriskAppBase* app, TimeLibrary::ITimeSystem* timeSystem)
    : m_app(app),
      m_openAddress([](const std::string& address) { Brisk::Platform::OpenUrl(address); }),
      m_timeSystem(timeSystem) {
    if (app == nullptr || app->GetWidgetManager() == nullptr) {
        throw std::invalid_argument(
            "the control factory needs an application with a widget manager");
    }
    m_registry.reserve(kRegistrySize);
    m_displayList.assign(kDisplayListSize, nullptr);
    m_images.resize(kImageCacheSize);
    m_fonts.resize(kFontCacheSize);
    m_sounds.resize(kSoundTableSize);
}

Factory_impl::~Factory_impl() {
    // The factory owns every visible object and counted resource: what the
    // game did not release goes now, before the caches it refers to.
    m_tearingDown = true;
    std::vector<std::unique_ptr<IBridgeToVO>> objects;
    {
        std::lock_guard lock(m_lock);
        for (auto& [id, bridge] : m_registry) {
            objects.push_back(std::move(bridge));
        }
        m_registry.clear();
        m_displayCount = 0;
        m_modalStack.clear();
        m_hover = nullptr;
        m_focus = nullptr;
        m_deferredDeletes.clear();
        m_pendingLeaves.clear();  // their objects go with the registry below
    }
    objects.clear();
    std::vector<CommonLibrary::RefObj*> resources;
    {
        std::lock_guard lock(m_lock);
        resources.assign(m_resources.begin(), m_resources.end());
        m_resources.clear();
        m_currentCursor = m_defaultCursor = nullptr;
        m_currentToolTip = nullptr;
    }
    // Sounds first: deleting one unloads through the tables still standing.
    std::stable_partition(resources.begin(), resources.end(), [](CommonLibrary::RefObj* r) {
        return dynamic_cast<Sound_impl*>(r) != nullptr;
    });
    for (CommonLibrary::RefObj* resource : resources) {
        delete resource;
    }
    std::lock_guard lock(m_cacheLock);
    for (auto& entry : m_fonts) {
        entry = FontEntry{};
    }
    for (auto& entry : m_images) {
        entry = ImageEntry{};
    }
}

void CreateFactory(Brisk::BriskAppBase* app) {
    try {
        g_factory = std::make_unique<Factory_impl>(app, TimeLibrary::GetTimeSystem());
    } catch (const std::invalid_argument&) {
        g_factory.reset();
    }
}

Factory_impl* GetFactory() {
    return g_factory.get();
}

void DestroyFactory() {
    g_factory.reset();
}

// --- counted resources ----------------------------------------------------------

template <class T>
T* Factory_impl::AddResource(std::unique_ptr<T> resource) {
    std::lock_guard lock(m_lock);
    T* raw = resource.release();
    m_resources.insert(raw);
    return raw;
}

void Factory_impl::ReleaseCounted(CommonLibrary::RefObj* resource) {
    if (resource == nullptr) {
        return;
    }
    {
        std::lock_guard lock(m_lock);
        if (m_resources.count(resource) == 0 || resource->SubRef() > 0) {
            return;
        }
        m_resources.erase(resource);
        if (m_currentToolTip == resource) {
            m_currentToolTip = nullptr;
        }
        if (m_defaultCursor == resource) {
            m_defaultCursor = nullptr;
        }
        if (m_currentCursor == resource) {
            SetCurrentCursor(nullptr);
        }
    }
    delete resource;
}

IFont* Factory_impl::CreateFont() {
    return AddResource(std::make_unique<Font_impl>(this));
}

void Factory_impl::ReleaseFont(IFont* font) {
    ReleaseCounted(font);
}

IToolTip* Factory_impl::CreateToolTip() {
    return AddResource(std::make_unique<ToolTip_impl>(this));
}

void Factory_impl::ReleaseToolTip(IToolTip* toolTip) {
    ReleaseCounted(toolTip);
}

ICursor* Factory_impl::CreateCursor() {
    return AddResource(std::make_unique<Cursor_impl>(this));
}

void Factory_impl::ReleaseCursor(ICursor* cursor) {
    ReleaseCounted(cursor);
}

ISound* Factory_impl::CreateSound() {
    return AddResource(std::make_unique<Sound_impl>(this));
}

void Factory_impl::ReleaseSound(ISound* sound) {
    // Counted like the other resources: a control that plays the sound holds
    // a count, so the sound outlives the creator's release until the control
    // lets go of it, instead of leaving the control a deleted sound.
    ReleaseCounted(sound);
}

// --- visible objects ----------------------------------------------------------------

template <class Bridge, class Impl>
typename Bridge::InterfaceType* Factory_impl::CreateVO() {
    int32_t id = m_nextObjectId.load();
    do {
        if (id == INT32_MAX) {
            return nullptr;  // ids exhausted: never wrap onto ids in use
        }
    } while (!m_nextObjectId.compare_exchange_weak(id, id + 1));
    auto bridge = std::make_unique<Bridge>(std::make_unique<Impl>(this, id));
    auto* result = static_cast<typename Bridge::InterfaceType*>(bridge.get());
    std::lock_guard lock(m_lock);
    if (static_cast<int32_t>(m_registry.size()) >= kRegistrySize || m_registry.count(id) != 0) {
        return nullptr;
    }
    m_registry.emplace(id, std::move(bridge));
    return result;
}

IRectVO* Factory_impl::CreateRectVO() {
    return CreateVO<RectVO_bridge, RectVO_impl>();
}

IPolylineVO* Factory_impl::CreatePolylineVO() {
    return CreateVO<PolylineVO_bridge, PolylineVO_impl>();
}

IImageVO* Factory_impl::CreateImageVO() {
    return CreateVO<ImageVO_bridge, ImageVO_impl>();
}

IStringVO* Factory_impl::CreateStringVO() {
    return CreateVO<StringVO_Bridge, StringVO_impl>();
}

ILinkVO* Factory_impl::CreateLinkVO() {
    return CreateVO<LinkVO_Bridge, LinkVO_impl>();
}

IButtonVO* Factory_impl::CreateButtonVO() {
    return CreateVO<ButtonVO_bridge, ButtonVO_impl>();
}

ICheckBoxVO* Factory_impl::CreateCheckBoxVO() {
    return CreateVO<CheckBoxVO_bridge, CheckBoxVO_impl>();
}

IEditBoxVO* Factory_impl::CreateEditBoxVO() {
    return CreateVO<EditBoxVO_bridge, EditBoxVO_impl>();
}

ITextBoxVO* Factory_impl::CreateTextBoxVO() {
    return CreateVO<TextBoxVO_bridge, TextBoxVO_impl>();
}

IDialogVO* Factory_impl::CreateDialogVO() {
    return CreateVO<DialogVO_bridge, DialogVO_impl>();
}

// Every kind is released alike.
void Factory_impl::ReleaseDialogVO(IDialogVO* object) {
    ReleaseVO(object);
}

void Factory_impl::ReleaseTextBoxVO(ITextBoxVO* object) {
    ReleaseVO(object);
}

void Factory_impl::ReleaseEditBoxVO(IEditBoxVO* object) {
    ReleaseVO(object);
}

void Factory_impl::ReleaseCheckBoxVO(ICheckBoxVO* object) {
    ReleaseVO(object);
}

void Factory_impl::ReleaseButtonVO(IButtonVO* object) {
    ReleaseVO(object);
}

void Factory_impl::ReleaseLinkVO(ILinkVO* object) {
    ReleaseVO(object);
}

void Factory_impl::ReleaseStringVO(IStringVO* object) {
    ReleaseVO(object);
}

void Factory_impl::ReleaseImageVO(IImageVO* object) {
    ReleaseVO(object);
}

void Factory_impl::ReleaseRectVO(IRectVO* object) {
    ReleaseVO(object);
}

void Factory_impl::ReleasePolylineVO(IPolylineVO* object) {
    ReleaseVO(object);
}

void Factory_impl::ReleaseVO(IVisibleObject* object) {
    if (object == nullptr) {
        return;
    }
    IBridgeToVO* bridge = nullptr;
    {
        std::lock_guard lock(m_lock);
        bridge = FindRegistered(object->GetId());
        if (bridge == nullptr || bridge->GetVisibleObject() != object) {
            return;  // not one of ours, or already deleted
        }
    }
    ReleaseBridge(bridge);
}

void Factory_impl::ReleaseBridge(IBridgeToVO* bridge) {
    std::unique_ptr<IBridgeToVO> owned;
    bool leaving = false;
    {
        std::lock_guard lock(m_lock);
        bridge->Release();
        if (bridge->GetRefCount() > 0) {
            return;
        }
        VisibleObject_impl* impl = bridge->GetImpl();
        // Focus must never name a deleted object; a hovered one first hears
        // the leave (Remove keeps one use for it until then).
        if (m_focus == impl) {
            m_focus = nullptr;
        }
        leaving = Remove(bridge, Removal::Released) && bridge->GetRefCount() > 0;
        if (m_hover == impl) {
            m_hover = nullptr;  // never listed as hovered, but never left naming it either
        }
        auto it = m_registry.find(bridge->GetId());
        if (!leaving && it != m_registry.end() && it->second.get() == bridge) {
            owned = std::move(it->second);
            m_registry.erase(it);
        }
    }
    if (leaving) {
        DeliverPendingLeaves();  // the leave, then the last use goes with it
        return;
    }
    if (owned != nullptr) {
        DeleteBridge(std::move(owned));
    }
}

void Factory_impl::DeleteBridge(std::unique_ptr<IBridgeToVO> bridge) {
    if (m_dispatchDepth.load() > 0 || !m_app->IsMainThread()) {
        // An observer released an object while an event or notification is
        // still being handled (the object's own handler may still run), or
        // on the timer thread (which may be inside the object's notification).
        std::lock_guard lock(m_lock);
        m_deferredDeletes.push_back(std::move(bridge));
        return;
    }
    bridge.reset();  // outside the factory lock: destructors may reach the time system
}

void Factory_impl::FlushDeferredDeletes() {
    if (!m_app->IsMainThread() || m_dispatchDepth.load() > 0) {
        return;
    }
    std::vector<std::unique_ptr<IBridgeToVO>> doomed;
    {
        std::lock_guard lock(m_lock);
        doomed.swap(m_deferredDeletes);
    }
}

Factory_impl::DispatchScope::DispatchScope(Factory_impl* factory) : m_factory(factory) {
    ++m_factory->m_dispatchDepth;
}

Factory_impl::DispatchScope::~DispatchScope() {
    if (--m_factory->m_dispatchDepth == 0) {
        m_factory->DeliverPendingLeaves();
        m_factory->FlushDeferredDeletes();
    }
}

IBridgeToVO* Factory_impl::FindRegistered(int32_t id) {
    auto it = m_registry.find(id);
    return it != m_registry.end() ? it->second.get() : nullptr;
}

// --- display list ------------------------------------------------------------------

bool Factory_impl::Insert(IBridgeToVO* bridge) {
    if (bridge->m_listed || m_displayCount >= kDisplayListSize) {
        return false;
    }
    const int32_t z = bridge->GetZOrder();
    int32_t position = 0;
    while (position < m_displayCount && m_displayList[position]->GetZOrder() <= z) {
        ++position;
    }
    IBridgeToVO** list = m_displayList.data();
    std::memmove(list + position + 1, list + position,
                 sizeof(IBridgeToVO*) * static_cast<size_t>(m_displayCount - position));
    list[position] = bridge;
    ++m_displayCount;
    bridge->m_listed = true;
    return true;
}

bool Factory_impl::Remove(IBridgeToVO* bridge, Removal why) {
    if (!bridge->m_listed) {
        return false;
    }
    IBridgeToVO** list = m_displayList.data();
    IBridgeToVO** end = list + m_displayCount;
    IBridgeToVO** it = std::find(list, end, bridge);
    if (it == end) {
        return false;
    }
    std::memmove(it, it + 1, sizeof(IBridgeToVO*) * static_cast<size_t>(end - it - 1));
    --m_displayCount;
    m_displayList[m_displayCount] = nullptr;
    bridge->m_listed = false;
    // What it covered shows what lies below.
    if (const auto drawn = m_drawnAreas.find(bridge); drawn != m_drawnAreas.end()) {
        m_uncovered = Union(m_uncovered, drawn->second.bounds);
        m_fullRedraw = m_fullRedraw || !drawn->second.sure;
        m_drawnAreas.erase(drawn);
    }
    if (why == Removal::Resorted) {
        return true;  // still shown, still under the pointer
    }
    // The area it covered must be drawn again: the poll only sees listed objects.
    m_redrawPending.store(true, std::memory_order_relaxed);
    if (m_hover == bridge->GetImpl()) {
        // A hidden object is no longer under the pointer: a second press
        // without a move (a double click on a card that just turned) must not
        // reach it again. Its observers hear the leave outside the lock.
        m_hover = nullptr;
        bridge->AddRef();
        m_pendingLeaves.push_back(bridge);
    }
    return true;
}

void Factory_impl::DeliverPendingLeaves() {
    if (!m_app->IsMainThread() || m_dispatchDepth.load() > 0) {
        return;  // after the event being routed, as its last notification
    }
    std::vector<IBridgeToVO*> leaving;
    {
        std::lock_guard lock(m_lock);
        leaving.swap(m_pendingLeaves);
    }
    for (IBridgeToVO* bridge : leaving) {
        bridge->GetImpl()->HandleMouseLeave();
        ReleaseBridge(bridge);  // may be the last use: then it goes now
    }
}

void Factory_impl::UpdateDisplay(int32_t id) {
    std::lock_guard lock(m_lock);
    IBridgeToVO* bridge = FindRegistered(id);
    if (bridge == nullptr) {
        return;
    }
    if (bridge->GetImpl()->IsShown()) {
        Insert(bridge);
    } else {
        Remove(bridge, Removal::Hidden);
    }
}

void Factory_impl::Resort(int32_t id) {
    std::lock_guard lock(m_lock);
    IBridgeToVO* bridge = FindRegistered(id);
    if (bridge != nullptr && bridge->m_listed && bridge->GetImpl()->IsShown()) {
        Remove(bridge, Removal::Resorted);
        Insert(bridge);
    }
}

int32_t Factory_impl::GetMaxZOrder() {
    std::lock_guard lock(m_lock);
    int32_t maxZ = 0;
    for (int32_t i = 0; i < m_displayCount; ++i) {
        maxZ = std::max(maxZ, m_displayList[i]->GetZOrder());
    }
    return maxZ;
}

int32_t Factory_impl::CountRegistered() {
    std::lock_guard lock(m_lock);
    return static_cast<int32_t>(m_registry.size());
}

int32_t Factory_impl::CountListed() {
    std::lock_guard lock(m_lock);
    return m_displayCount;
}

IVisibleObject* Factory_impl::GetListed(int32_t position) {
    std::lock_guard lock(m_lock);
    if (position < 0 || position >= m_displayCount) {
        return nullptr;
    }
    return m_displayList[position]->GetVisibleObject();
}

VisibleObject_impl* Factory_impl::GetHover() {
    std::lock_guard lock(m_lock);
    return m_hover;
}

VisibleObject_impl* Factory_impl::GetFocus() {
    std::lock_guard lock(m_lock);
    return m_focus;
}

ICursor* Factory_impl::GetCurrentCursor() {
    std::lock_guard lock(m_lock);
    return m_currentCursor;
}

IToolTip* Factory_impl::GetCurrentToolTip() {
    std::lock_guard lock(m_lock);
    return m_currentToolTip;
}

// --- redraw poll and drawing ----------------------------------------------------------

void Factory_impl::OnTimeObjectTick(int32_t /*id*/) {
    if (m_redrawPending.load(std::memory_order_relaxed)) {
        return;
    }
    std::lock_guard lock(m_lock);
    for (int32_t i = 0; i < m_displayCount; ++i) {
        if (m_displayList[i]->GetImpl()->IsDirty()) {
            m_redrawPending.store(true, std::memory_order_relaxed);
            return;
        }
    }
}

void Factory_impl::TakeRedrawRequest(bool* flag) {
    // Once an update on the main thread: what the timer thread left for it.
    DeliverPendingLeaves();
    FlushDeferredDeletes();
    {
        std::lock_guard lock(m_lock);
        ApplySystemCursor(m_systemCursorShown);
    }
    // The poll runs here, at the rate its only reader takes the request, so
    // that the timer thread need not wake every 5 ms for it.
    OnTimeObjectTick(0);
    if (m_redrawPending.exchange(false, std::memory_order_relaxed)) {
        *flag = true;
    }
}

void Factory_impl::AddToMeasure(const Rect& r, bool sure) {
    if (m_measure != nullptr) {
        *m_measure = Union(*m_measure, r);
        m_measureSure = m_measureSure && sure;
    }
}

Factory_impl::DrawnArea Factory_impl::Measure(IBridgeToVO* bridge) {
    DrawnArea area;
    Brisk::Graphics* drawing = m_graphics;
    m_graphics = nullptr;
    m_measure = &area.bounds;
    m_measureOnly = true;
    m_measureSure = true;
    if (bridge != nullptr) {
        area.place = bridge->GetImpl()->GetScreenRect();
        bridge->Draw();
    } else {
        DrawCursorAndToolTip();
    }
    area.sure = m_measureSure;
    m_measure = nullptr;
    m_measureOnly = false;
    m_graphics = drawing;
    return area;
}

std::optional<Rect> Factory_impl::PlanRedraw(Brisk::Graphics* g) {
    if (m_fullRedraw || g->GetDestImage() != m_lastTarget) {
        return std::nullopt;
    }
    Rect region;
    bool changed = false;
    for (int32_t i = 0; i < m_displayCount; ++i) {
        IBridgeToVO* bridge = m_displayList[i];
        const auto before = m_drawnAreas.find(bridge);
        if (before == m_drawnAreas.end()) {
            // Shown since the last draw.
            const DrawnArea now = Measure(bridge);
            if (!now.sure) {
                return std::nullopt;
            }
            region = Union(region, now.bounds);
            changed = true;
            continue;
        }
        if (!bridge->GetImpl()->IsDirty()) {
            continue;
        }
        changed = true;
        if (!before->second.sure) {
            return std::nullopt;
        }
        const DrawnArea now = Measure(bridge);
        if (!now.sure || !(now.place == before->second.place)) {
            return std::nullopt;  // it moved or changed size
        }
        region = Union(region, Union(before->second.bounds, now.bounds));
    }
    const DrawnArea pointer = Measure(nullptr);
    if (!pointer.sure) {
        return std::nullopt;
    }
    if (!(pointer.bounds == m_pointerBounds)) {
        changed = true;
        region = Union(region, Union(m_pointerBounds, pointer.bounds));
    }
    if (!IsEmpty(m_uncovered)) {
        region = Union(region, m_uncovered);
        changed = true;
    }
    if (!changed) {
        return std::nullopt;  // nothing of ours changed: the reason lies outside
    }
    return region;
}

void Factory_impl::DrawAll(Brisk::Graphics* g) {
    std::lock_guard lock(m_lock);
    if (const Brisk::Image* target = g->GetDestImage()) {
        m_screenRoom = {0, 0, target->GetWidth(), target->GetHeight()};
    }
    const std::optional<Rect> region = PlanRedraw(g);
    m_fullRedraw = false;
    m_uncovered = {};
    m_lastTarget = g->GetDestImage();
    m_lastDrawnArea = region;
    Brisk::Graphics drawing(*g);
    if (region) {
        drawing.ClipRect(region->x, region->y, region->width, region->height);
        ++m_partialDraws;
    }
    m_graphics = &drawing;
    for (int32_t i = 0; i < m_displayCount; ++i) {
        IBridgeToVO* bridge = m_displayList[i];
        VisibleObject_impl* impl = bridge->GetImpl();
        DrawnArea& area = m_drawnAreas[bridge];
        if (region && !impl->IsDirty() && area.sure && !Overlaps(area.bounds, *region)) {
            continue;  // untouched, and nothing drawn over it
        }
        area.bounds = {};
        area.place = impl->GetScreenRect();
        m_measure = &area.bounds;
        m_measureSure = true;
        bridge->Draw();
        area.sure = m_measureSure;
        impl->ClearDirty();
    }
    m_pointerBounds = {};
    m_measure = &m_pointerBounds;
    DrawCursorAndToolTip();
    m_measure = nullptr;
    m_graphics = g;  // as before: later direct drawing goes to the caller's picture
}

void Factory_impl::RequireFullRedraw() {
    std::lock_guard lock(m_lock);
    m_fullRedraw = true;
}

std::optional<Rect> Factory_impl::GetLastDrawnArea() const {
    return m_lastDrawnArea;
}

void Factory_impl::DrawCursorAndToolTip() {
    const auto [mouseX, mouseY] = m_app->GetWidgetManager()->GetLastMousePosition();
    Size offset{16, 16};
    if (m_currentCursor != nullptr) {
        auto* cursor = static_cast<Cursor_impl*>(m_currentCursor);
        cursor->Draw({mouseX, mouseY});
        offset = cursor->GetDrawSize();
    }
    if (m_currentToolTip != nullptr) {
        static_cast<ToolTip_impl*>(m_currentToolTip)
            ->Draw({mouseX + static_cast<int32_t>(offset.width),
                    mouseY + static_cast<int32_t>(offset.height)});
    }
}

bool Factory_impl::DrawImage(int32_t index, const Rect& source, const Rect& dest) {
    std::lock_guard lock(m_cacheLock);
    if (!HoldsImage(index)) {
        return false;
    }
    if (m_graphics == nullptr && !m_measureOnly) {
        return true;
    }
    const Size size = ImageSizeAt(index);
    Brisk::Rect src{source.x, source.y, source.width, source.height};
    if (src.width == 0 || src.height == 0) {
        src = {0, 0, static_cast<int32_t>(size.width), static_cast<int32_t>(size.height)};
    }
    if (dest.width != 0 && dest.height != 0) {
        AddToMeasure(dest);
    } else {
        AddToMeasure({dest.x, dest.y, src.width, src.height});
    }
    if (m_measureOnly) {
        return true;
    }
    Brisk::DDImage* image = DecodedImage(index);
    if (image == nullptr) {
        return true;  // a picture that cannot be decoded after all draws nothing
    }
    if (dest.width != 0 && dest.height != 0 &&
        (dest.width != src.width || dest.height != src.height)) {
        m_graphics->DrawImage(image, Brisk::Rect{dest.x, dest.y, dest.width, dest.height}, src);
    } else {
        m_graphics->DrawImage(image, dest.x, dest.y, src);
    }
    return true;
}

bool Factory_impl::DrawImageRotated(int32_t index, const Rect& source, const Rect& dest,
                                    double angle, const Point& centre, const Point& offset) {
    std::lock_guard lock(m_cacheLock);
    if (!HoldsImage(index)) {
        return false;
    }
    // Where a turned picture reaches is not worked out beforehand.
    AddToMeasure({}, false);
    if (m_graphics == nullptr || m_measureOnly) {
        return true;
    }
    Brisk::DDImage* image = DecodedImage(index);
    if (image == nullptr) {
        return true;
    }
    Brisk::Rect src{source.x, source.y, source.width, source.height};
    if (src.width == 0 || src.height == 0) {
        src = {0, 0, image->GetWidth(), image->GetHeight()};
    }
    m_graphics->DrawImageRotated(image, dest.x + offset.x, dest.y + offset.y, angle, centre.x,
                                 centre.y, src);
    return true;
}

void Factory_impl::FillRect(const Rect& rect, const Colour& colour) {
    AddToMeasure(rect);
    if (m_graphics != nullptr && !m_measureOnly) {
        m_graphics->SetColor(ToColor(colour));
        m_graphics->FillRect(rect.x, rect.y, rect.width, rect.height);
    }
}

void Factory_impl::DrawRect(const Rect& rect, const Colour& colour) {
    AddToMeasure({rect.x - 1, rect.y - 1, rect.width + 2, rect.height + 2});
    if (m_graphics != nullptr && !m_measureOnly) {
        m_graphics->SetColor(ToColor(colour));
        m_graphics->DrawRect(rect.x, rect.y, rect.width, rect.height);
    }
}

void Factory_impl::DrawLine(const Point& from, const Point& to, const Colour& colour) {
    AddToMeasure({std::min(from.x, to.x) - 2, std::min(from.y, to.y) - 2,
                  std::abs(to.x - from.x) + 5, std::abs(to.y - from.y) + 5});
    if (m_graphics != nullptr && !m_measureOnly) {
        m_graphics->SetColor(ToColor(colour));
        m_graphics->DrawLine(from.x, from.y, to.x, to.y);
    }
}

void Factory_impl::DrawLineSmooth(const Point& from, const Point& to, const Colour& colour) {
    if (m_graphics != nullptr) {
        m_graphics->SetColor(ToColor(colour));
        m_graphics->DrawLineSmooth(from.x, from.y, to.x, to.y);
    }
}

void Factory_impl::PushClip(const Rect& rect) {
    if (m_graphics != nullptr) {
        m_graphics->PushState();
        m_graphics->ClipRect(rect.x, rect.y, rect.width, rect.height);
    }
}

void Factory_impl::PopClip() {
    if (m_graphics != nullptr) {
        m_graphics->PopState();
    }
}

Brisk::Font* Factory_impl::GetFramework(IFont* font) {
    auto* impl = dynamic_cast<Font_impl*>(font);
    if (impl == nullptr) {
        return nullptr;
    }
    const int32_t index = impl->GetIndex();
    if (index < 0 || index >= kFontCacheSize) {
        return nullptr;
    }
    return m_fonts[index].font.get();
}

void Factory_impl::DrawText(IFont* font, const std::string& text, const Point& point,
                            const Colour& colour, int32_t hAlign, int32_t vAlign,
                            const Rect* room) {
    if ((m_graphics == nullptr && !m_measureOnly) || font == nullptr || text.empty()) {
        return;
    }
    std::lock_guard lock(m_cacheLock);
    Brisk::Font* framework = GetFramework(font);
    if (framework == nullptr) {
        return;
    }
    const int width = framework->StringWidth(text);
    const int height = framework->GetHeight();
    int x = point.x;
    int y = point.y;
    if (hAlign == 1) {
        x -= width / 2;
    } else if (hAlign == 2) {
        x -= width;
    }
    if (vAlign == 1) {
        y -= height / 2;
    } else if (vAlign == 2) {
        y -= height;
    }
    if (room == nullptr && m_screenRoom.width > 0) {
        room = &m_screenRoom;  // no text runs off the screen
    }
    float squeeze = 1;
    if (room != nullptr && room->width > 0 && (x < room->x || x + width > room->x + room->width)) {
        if (width <= room->width) {
            x = std::clamp(x, room->x, room->x + room->width - width);
        } else {
            squeeze = static_cast<float>(room->width) / static_cast<float>(width);
            x = room->x;
        }
    }
    const int drawnWidth = squeeze < 1 ? room->width : width;
    if (m_textLog != nullptr) {
        m_textLog->push_back(
            {text, width, room != nullptr ? room->width : 0, squeeze, {x, y, drawnWidth, height}});
    }
    // Script glyphs reach past the advance and the line: a line's height
    // all round covers their swashes.
    AddToMeasure({x - height, y - height, drawnWidth + 2 * height, 3 * height});
    if (m_measureOnly) {
        return;
    }
    m_graphics->SetColor(ToColor(colour));
    m_graphics->SetFont(framework);
    if (squeeze < 1) {
        m_graphics->PushState();
        m_graphics->SetScale(squeeze, 1, static_cast<float>(x), 0);
        m_graphics->DrawString(text, x, y + height);
        m_graphics->PopState();
    } else {
        m_graphics->DrawString(text, x, y + height);
    }
}

// --- focus, hover, cursor, tool tip, modal states --------------------------------------

void Factory_impl::SetFocused(VisibleObject_impl* object) {
    VisibleObject_impl* previous = nullptr;
    {
        std::lock_guard lock(m_lock);
        if (m_focus != nullptr && object != nullptr && m_focus->GetId() != object->GetId()) {
            previous = m_focus;
        }
        m_focus = object;
    }
    if (previous != nullptr) {
        previous->SetFocus(false);
    }
}

void Factory_impl::SetCurrentToolTip(IToolTip* toolTip) {
    std::lock_guard lock(m_lock);
    m_currentToolTip = toolTip;
}

void Factory_impl::SetCurrentCursor(ICursor* cursor) {
    std::lock_guard lock(m_lock);
    m_currentCursor = cursor != nullptr ? cursor : m_defaultCursor;
    ApplySystemCursor(m_currentCursor == nullptr);
}

void Factory_impl::SetDefaultCursor(ICursor* cursor) {
    std::lock_guard lock(m_lock);
    m_defaultCursor = cursor;
    if (cursor != nullptr && m_currentCursor == nullptr) {
        SetCurrentCursor(cursor);
    }
}

void Factory_impl::ApplySystemCursor(bool shown) {
    m_systemCursorShown = shown;
    if (shown != m_systemCursorApplied && m_app->IsMainThread()) {
        m_systemCursorApplied = shown;
        m_app->SetSystemCursorHidden(!shown);
    }
}

void Factory_impl::PushModal() {
    std::lock_guard lock(m_lock);
    std::vector<IBridgeToVO*> disabled;
    for (int32_t i = 0; i < m_displayCount; ++i) {
        IBridgeToVO* bridge = m_displayList[i];
        VisibleObject_impl* impl = bridge->GetImpl();
        if (impl->IsEnabled() && impl->IsShown() && !impl->IsModalExempt()) {
            bridge->AddRef();
            impl->SetEnabled(false);
            disabled.push_back(bridge);
        }
    }
    m_modalStack.push_back(std::move(disabled));
}

void Factory_impl::PopModal() {
    std::vector<IBridgeToVO*> disabled;
    {
        std::lock_guard lock(m_lock);
        if (m_modalStack.empty()) {
            return;
        }
        disabled = std::move(m_modalStack.back());
        m_modalStack.pop_back();
    }
    for (IBridgeToVO* bridge : disabled) {
        bridge->GetImpl()->SetEnabled(true);
        // The game may have released the object while it was disabled: this
        // was then its last use.
        ReleaseBridge(bridge);
    }
}

// --- input routing ---------------------------------------------------------------------

VisibleObject_impl* Factory_impl::HitTest(int x, int y) {
    for (int32_t i = m_displayCount - 1; i >= 0; --i) {
        VisibleObject_impl* impl = m_displayList[i]->GetImpl();
        if (ContainsInclusive(impl->GetScreenRect(), x, y)) {
            return impl;
        }
    }
    return nullptr;
}

void Factory_impl::MouseMove(int x, int y) {
    DispatchScope scope(this);
    VisibleObject_impl* hit = nullptr;
    VisibleObject_impl* old = nullptr;
    bool same = false;
    {
        std::lock_guard lock(m_lock);
        hit = HitTest(x, y);
        old = m_hover;
        same = hit != nullptr && old != nullptr && hit->GetId() == old->GetId();
        if (!same) {
            m_hover = hit;
        }
    }
    if (same) {
        hit->HandleMouseMove(x, y);
        return;
    }
    if (old != nullptr) {
        old->HandleMouseLeave();
    }
    // No move notification on entry. An observer of the leave may have
    // released the new object meanwhile.
    if (hit != nullptr && GetHover() == hit) {
        hit->HandleMouseEnter();
    }
}

void Factory_impl::MouseDown(int x, int y, int clickCount) {
    DispatchScope scope(this);
    VisibleObject_impl* hover = GetHover();
    if (hover == nullptr) {
        return;
    }
    hover->HandleMouseDown(x, y, clickCount);
    VisibleObject_impl* previous = nullptr;
    {
        std::lock_guard lock(m_lock);
        if (m_hover != hover || m_focus == hover || !hover->CanFocus() || !hover->IsEnabled()) {
            return;
        }
        previous = m_focus;
        m_focus = hover;
    }
    if (previous != nullptr) {
        previous->SetFocus(false);
    }
    hover->SetFocus(true);
}

void Factory_impl::MouseUp(int x, int y, int clickCount) {
    DispatchScope scope(this);
    VisibleObject_impl* hover = GetHover();
    if (hover != nullptr) {
        hover->HandleMouseUp(x, y, clickCount);
    }
}

VisibleObject_impl* Factory_impl::GetKeyTarget() {
    std::lock_guard lock(m_lock);
    // A hidden or disabled object keeps the focus flag but takes no keys.
    if (m_focus == nullptr || !m_focus->IsShown() || !m_focus->IsEnabled()) {
        return nullptr;
    }
    return m_focus;
}

void Factory_impl::KeyChar(char ch) {
    DispatchScope scope(this);
    if (VisibleObject_impl* focus = GetKeyTarget()) {
        focus->HandleChar(ch);
    }
}

void Factory_impl::KeyDown(int key) {
    DispatchScope scope(this);
    m_keybdFlags.clear();
    for (KeybdSysMessageObserver* receiver : m_keybdReceivers) {
        m_keybdFlags.push_back(receiver->IsKeybdActive());
    }
    for (size_t i = 0; i < m_keybdFlags.size(); ++i) {
        if (m_keybdFlags[i]) {
            m_keybdReceivers[i]->OnSysKeyDown(key);
        }
    }
    if (VisibleObject_impl* focus = GetKeyTarget()) {
        focus->HandleKeyDown(key);
    }
}

void Factory_impl::KeyUp(int key) {
    DispatchScope scope(this);
    // Only the receivers asked at the last key down; later ones are skipped.
    const size_t asked = std::min(m_keybdFlags.size(), m_keybdReceivers.size());
    for (size_t i = 0; i < asked; ++i) {
        if (m_keybdFlags[i]) {
            m_keybdReceivers[i]->OnSysKeyUp(key);
        }
    }
    if (VisibleObject_impl* focus = GetKeyTarget()) {
        focus->HandleKeyUp(key);
    }
}

void Factory_impl::AddKeybdSysObserver(KeybdSysMessageObserver* observer) {
    if (observer != nullptr) {
        m_keybdReceivers.push_back(observer);
    }
}

// --- archive and folders ------------------------------------------------------------------

void Factory_impl::OpenAddress(const std::string& address) {
    if (m_openAddress) {
        m_openAddress(address);
    }
}

bool Factory_impl::MountArchive(const std::string& /*unused*/, const std::string& path) {
    return Brisk::PakInterface::Get()->AddArchive(path);
}

std::string Factory_impl::GetDataFolder() {
    return m_app->GetAppDataFolder();
}

}  // namespace ControlLibrary
