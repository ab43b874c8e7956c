#pragma once

#include <string>

namespace ControlLibrary {

class IButtonVO;
class ICheckBoxVO;
class ICursor;
class IDialogVO;
class IEditBoxVO;
class IFont;
class IImageVO;
class ILinkVO;
class IPolylineVO;
class IRectVO;
class IStringVO;
class ITextBoxVO;
class ISound;
class IToolTip;
class KeybdSysMessageObserver;

// The one object through which the game creates and releases visible
// objects and the resources they use. Creation returns null on failure.
// Release operations given null do nothing. Main thread unless noted.
class IFactory {
public:
    virtual ~IFactory() = default;
    virtual IFont* CreateFont() = 0;
    // Drops the creator's count; the font is deleted when no object holds it.
    virtual void ReleaseFont(IFont* font) = 0;
    virtual IToolTip* CreateToolTip() = 0;
    virtual void ReleaseToolTip(IToolTip* toolTip) = 0;
    virtual ICursor* CreateCursor() = 0;
    virtual void ReleaseCursor(ICursor* cursor) = 0;
    virtual ISound* CreateSound() = 0;
    // Drops the creator's count; once no control holds the sound it is
    // deleted, unloading what it loaded.
    virtual void ReleaseSound(ISound* sound) = 0;
    virtual IRectVO* CreateRectVO() = 0;
    // Visible objects: drops one use; at 0 the object leaves the screen and is deleted.
    virtual void ReleaseDialogVO(IDialogVO* object) = 0;
    virtual void ReleaseTextBoxVO(ITextBoxVO* object) = 0;
    virtual void ReleaseEditBoxVO(IEditBoxVO* object) = 0;
    virtual void ReleaseCheckBoxVO(ICheckBoxVO* object) = 0;
    virtual void ReleaseButtonVO(IButtonVO* object) = 0;
    virtual void ReleaseLinkVO(ILinkVO* object) = 0;
    virtual void ReleaseStringVO(IStringVO* object) = 0;
    virtual void ReleaseImageVO(IImageVO* object) = 0;
    virtual void ReleaseRectVO(IRectVO* object) = 0;
    virtual IImageVO* CreateImageVO() = 0;
    virtual IStringVO* CreateStringVO() = 0;
    virtual ILinkVO* CreateLinkVO() = 0;
    virtual IButtonVO* CreateButtonVO() = 0;
    virtual ICheckBoxVO* CreateCheckBoxVO() = 0;
    virtual IEditBoxVO* CreateEditBoxVO() = 0;
    virtual ITextBoxVO* CreateTextBoxVO() = 0;
    virtual IDialogVO* CreateDialogVO() = 0;
    // The cursor shown when the mouse is over no object with its own cursor;
    // null for the system cursor. Not counted: it must stay alive while set.
    virtual void SetDefaultCursor(ICursor* cursor) = 0;
    // Mounts the pak archive at `path`; the first argument is not used. False
    // when the archive is missing or damaged (loose files are used then).
    [[nodiscard]] virtual bool MountArchive(const std::string& unused, const std::string& path) = 0;
    // The application's data folder (ends in a separator), or empty.
    virtual std::string GetDataFolder() = 0;
    // `observer` must outlive the factory.
    virtual void AddKeybdSysObserver(KeybdSysMessageObserver* observer) = 0;
    // Lines through points, for charts.
    virtual IPolylineVO* CreatePolylineVO() = 0;
    virtual void ReleasePolylineVO(IPolylineVO* object) = 0;
};

}  // namespace ControlLibrary
