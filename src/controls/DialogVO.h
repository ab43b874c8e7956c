#pragma once

#include <string>
#include <vector>

#include "controls/BaseVO_bridge.h"
#include "controls/IDialogVO.h"
#include "controls/VisibleObject_impl.h"

namespace ControlLibrary {

class DialogVO_impl : public VisibleObject_impl {
public:
    // 100 x 100, (128, 64, 0), modal.
    DialogVO_impl(Factory_impl* factory, int32_t id);
    // Gives back the picture and the children's uses.
    ~DialogVO_impl() override;

    void Draw() override;
    // Every call runs all its steps, even in the state already shown.
    void SetShown(bool shown) override;
    void AddDialogObserver(DialogMessageObserver* observer);
    void SetModeless(int32_t modeless);
    bool SetBackgroundImage(const std::string& path);
    void SetSourceRect(const Rect& rect);
    void SetBackgroundHidden(bool hidden);
    // `self` is this dialog as the game sees it, the children's parent.
    void AddChild(IVisibleObject* child, IVisibleObject* self);

private:
    // Guarded by the factory lock.
    std::vector<DialogMessageObserver*> m_dialogObservers;  // not owned
    int32_t m_modeless = 0;
    int32_t m_modalPushes = 0;  // modal states this dialog pushed and has not popped
    int32_t m_imageIndex = -1;
    Rect m_sourceRect;
    bool m_backgroundHidden = false;
    std::vector<IVisibleObject*> m_children;  // each holds one use
};

class DialogVO_bridge : public BaseVO_bridge<IDialogVO, DialogVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void AddDialogObserver(DialogMessageObserver* observer) override {
        GetKind().AddDialogObserver(observer);
    }
    void SetModeless(int32_t modeless) override { GetKind().SetModeless(modeless); }
    bool SetBackgroundImage(const std::string& path) override {
        return GetKind().SetBackgroundImage(path);
    }
    void SetSourceRect(const Rect& rect) override { GetKind().SetSourceRect(rect); }
    void SetBackgroundHidden(bool hidden) override { GetKind().SetBackgroundHidden(hidden); }
    void AddChild(IVisibleObject* child) override { GetKind().AddChild(child, this); }
};

}  // namespace ControlLibrary
