#pragma once

#include <atomic>
#include <memory>
#include <utility>

#include "controls/IVisibleObject.h"
#include "controls/VisibleObject_impl.h"

namespace ControlLibrary {

// Implements every IVisibleObject operation once, by forwarding to the kind's
// implementation object, which the bridge owns. `Interface` is the kind's
// interface (IImageVO, ...); `Impl` its implementation (ImageVO_impl, ...).
// One bridge per kind derives from this and adds the kind's own operations.
template <class Interface, class Impl>
class BaseVO_bridge : public IBridgeToVO, public Interface {
public:
    using InterfaceType = Interface;

    explicit BaseVO_bridge(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

    // --- IBridgeToVO ----------------------------------------------------------
    VisibleObject_impl* GetImpl() override { return m_impl.get(); }
    void Draw() override { m_impl->Draw(); }
    int16_t GetRefCount() override { return m_useCount.load(); }
    IVisibleObject* GetVisibleObject() override { return this; }

    // --- both -------------------------------------------------------------------
    int32_t GetId() override { return m_impl->GetId(); }
    int32_t GetZOrder() override { return m_impl->GetZOrder(); }
    void AddRef() override { ++m_useCount; }
    void Release() override {
        int16_t count = m_useCount.load();
        while (count > 0 && !m_useCount.compare_exchange_weak(count, count - 1)) {
        }
    }

    // --- IVisibleObject -----------------------------------------------------------
    void SetPosition(int32_t x, int32_t y) override { m_impl->SetPosition(Point{x, y}); }
    void SetPosition(const Point& point) override { m_impl->SetPosition(point); }
    Point GetPosition() override { return m_impl->GetPosition(); }
    Point GetScreenPosition() override { return m_impl->GetScreenPosition(); }
    void SetSize(uint32_t width, uint32_t height) override { m_impl->SetSize(Size{width, height}); }
    void SetSize(const Size& size) override { m_impl->SetSize(size); }
    Size GetSize() override { return m_impl->GetSize(); }
    void SetColour(const Colour& colour) override { m_impl->SetColour(colour); }
    Colour GetColour() override { return m_impl->GetColour(); }
    void SetAlignment(int32_t horizontal, int32_t vertical) override {
        m_impl->SetAlignment(horizontal, vertical);
    }
    Rect GetRect() override { return m_impl->GetRect(); }
    Rect GetScreenRect() override { return m_impl->GetScreenRect(); }
    void SetShown(bool shown) override { m_impl->SetShown(shown); }
    bool IsShown() override { return m_impl->IsShown(); }
    void SetShowWithParent(bool on) override { m_impl->SetShowWithParent(on); }
    bool GetShowWithParent() override { return m_impl->GetShowWithParent(); }
    void SetEnabled(bool enabled) override { m_impl->SetEnabled(enabled); }
    bool IsEnabled() override { return m_impl->IsEnabled(); }
    void SetZOrder(uint16_t zOrder) override { m_impl->SetZOrder(zOrder); }
    void SetCursor(ICursor* cursor) override { m_impl->SetCursor(cursor); }
    void SetToolTip(IToolTip* toolTip) override { m_impl->SetToolTip(toolTip); }
    IToolTip* GetToolTip() override { return m_impl->GetToolTip(); }
    void SetFocusable(bool focusable) override { m_impl->SetFocusable(focusable); }
    bool CanFocus() override { return m_impl->CanFocus(); }
    void SetFocus(bool focus) override { m_impl->SetFocus(focus); }
    bool HasFocus() override { return m_impl->HasFocus(); }
    void SetCommandNumber(int16_t number) override { m_impl->SetCommandNumber(number); }
    void AddMouseObserver(MouseMessageObserver* observer) override {
        m_impl->AddMouseObserver(observer);
    }
    void AddKeybdObserver(KeybdMessageObserver* observer) override {
        m_impl->AddKeybdObserver(observer);
    }
    void SetModalExempt(bool exempt) override { m_impl->SetModalExempt(exempt); }
    bool IsModalExempt() override { return m_impl->IsModalExempt(); }
    void SetParent(IVisibleObject* parent) override { m_impl->SetParent(parent); }
    void SetUserData(int32_t data) override { m_impl->SetUserData(data); }
    int32_t GetUserData() override { return m_impl->GetUserData(); }

protected:
    Impl& GetKind() { return *m_impl; }

private:
    std::unique_ptr<Impl> m_impl;
    std::atomic<int16_t> m_useCount{1};
};

}  // namespace ControlLibrary
