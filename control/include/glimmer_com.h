#pragma once
// The COM-shaped interfaces of the Glimmer control, for C++ containers.
//
// A container finds the control's module through the registry store
// (HKEY_CLASSES_ROOT "CLSID\{5B3E21A7-...}\InprocServer32"), loads it, asks
// its exported DllGetClassObject for the class object and creates instances
// through IClassFactory. Every interface is reference counted; every method
// returns an HRESULT. All calls come from the container's thread.
#include <cstdint>

namespace glimmer {

using HRESULT = int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
constexpr HRESULT STG_E_READFAULT = static_cast<HRESULT>(0x8003001E);
constexpr HRESULT STG_E_WRITEFAULT = static_cast<HRESULT>(0x8003001D);

struct GUID {
  uint32_t data1;
  uint16_t data2, data3;
  uint8_t data4[8];
  friend bool operator==(const GUID&, const GUID&) = default;
};

// {5B3E21A7-9C4D-4F18-A2E6-7D90C1B4E35F}
constexpr GUID CLSID_GlimmerObj = {0x5B3E21A7, 0x9C4D, 0x4F18, {0xA2, 0xE6, 0x7D, 0x90, 0xC1, 0xB4, 0xE3, 0x5F}};
// {5B3E21A1-9C4D-4F18-A2E6-7D90C1B4E35F}
constexpr GUID LIBID_GlimmerLib = {0x5B3E21A1, 0x9C4D, 0x4F18, {0xA2, 0xE6, 0x7D, 0x90, 0xC1, 0xB4, 0xE3, 0x5F}};
constexpr GUID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID IID_IPersistStreamInit = {0x7FD52380, 0x4E07, 0x101B, {0xAE, 0x2D, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13}};
constexpr GUID IID_IGlimmerObj = {0x5B3E21A8, 0x9C4D, 0x4F18, {0xA2, 0xE6, 0x7D, 0x90, 0xC1, 0xB4, 0xE3, 0x5F}};
constexpr GUID IID_IGlimmerInPlace = {0x5B3E21A9, 0x9C4D, 0x4F18, {0xA2, 0xE6, 0x7D, 0x90, 0xC1, 0xB4, 0xE3, 0x5F}};

struct IUnknown {
  virtual HRESULT QueryInterface(const GUID& iid, void** object) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct IClassFactory : IUnknown {
  virtual HRESULT CreateInstance(IUnknown* outer, const GUID& iid, void** object) = 0;
  virtual HRESULT LockServer(bool lock) = 0;

 protected:
  ~IClassFactory() = default;
};

// Stand-in for IStream: a sequential byte stream.
struct IByteStream : IUnknown {
  // Reads up to `size` bytes; `*read` says how many came (fewer at the end).
  virtual HRESULT Read(void* buffer, uint32_t size, uint32_t* read) = 0;
  virtual HRESULT Write(const void* buffer, uint32_t size, uint32_t* written) = 0;

 protected:
  ~IByteStream() = default;
};

// Strings are BSTR-like: zero-terminated UTF-16.
using BSTR = const char16_t*;

// The dispatch interface of the control (DISPIDs 1 to 4). Always S_OK.
struct IGlimmerObj : IUnknown {
  virtual HRESULT Load(BSTR FileName) = 0;
  virtual HRESULT StartAnim() = 0;
  virtual HRESULT StopAnim() = 0;
  virtual HRESULT ShowToolbar(long _Visible) = 0;

 protected:
  ~IGlimmerObj() = default;
};

struct IPersistStreamInit : IUnknown {
  virtual HRESULT IsDirty() = 0;  // S_OK when changed since the last save
  virtual HRESULT Load(IByteStream* stream) = 0;
  virtual HRESULT Save(IByteStream* stream, bool clearDirty) = 0;
  virtual HRESULT GetSizeMax(uint64_t* size) = 0;
  virtual HRESULT InitNew() = 0;

 protected:
  ~IPersistStreamInit() = default;
};

// What the tools window is asked to do.
enum class ToolsAction { Create, Show, Hide, Flash, Destroy };

// One bitmap button of the tools window: the container sends `controlId`
// back through IGlimmerInPlace::ToolsCommand when it is pressed.
struct ToolButton {
  int controlId;
  const char* bitmapPath;  // PNG beside the control's module
  const char* tip;
};

struct ToolsWindowSpec {
  const char* title;  // "kavrik publish - tools"
  const ToolButton* buttons;
  int buttonCount;
  int flashCount, flashIntervalMs;
};

struct AboutSpec {
  const char* title;        // "kavrik publish - about"
  const char* picturePath;  // PNG beside the control's module
  const char* product;
  const char* version;
  const char* webAddress;
  const char* const* shortcuts;
  int shortcutCount;
  const char* closeLabel;
  const char* moreLabel;
  const char* moreAddress;  // opened by "More >>"
};

struct OpenFileSpec {
  const char* title;
  const char* filterName;
  const char* pattern;
  const char* defaultExtension;
};

enum class MessageIcon { Error, Exclamation, Information };

// The container's side. The control shows its dialogs through the site so
// that they appear in the container's own toolkit.
struct IGlimmerSite {
  // X window (XID) the control's window becomes a child of.
  virtual unsigned long ParentWindow() = 0;
  virtual void ShowMessage(const char* caption, const char* text, MessageIcon icon) = 0;
  // Writes the chosen file (an existing one) into `name`; false when cancelled.
  virtual bool BrowseForFile(const OpenFileSpec& spec, char* name, int nameSize) = 0;
  // The process-wide tools window; false when it cannot be created.
  virtual bool ToolsWindow(ToolsAction action, const ToolsWindowSpec& spec) = 0;
  virtual void AboutDialog(const AboutSpec& spec) = 0;  // modal
  // The control's persisted data changed (the container should save it).
  virtual void DataChanged() = 0;
  // A key pressed in the control with Ctrl or Alt held, offered to the
  // container's own shortcuts before the control's keys: `keysym` is the
  // unshifted X keysym, `modifiers` the X state bits ShiftMask, ControlMask
  // and Mod1Mask. True when the container used it; it should act later from
  // its own loop, as the control is still handling the key.
  virtual bool TranslateAccelerator(unsigned long keysym, unsigned int modifiers) = 0;

 protected:
  ~IGlimmerSite() = default;
};

// Embedding: the stand-in for in-place activation and the window's messages.
struct IGlimmerInPlace : IUnknown {
  // The site must outlive the control's window.
  virtual HRESULT SetSite(IGlimmerSite* site) = 0;
  // Creates the control's X11 window inside the site's parent window.
  virtual HRESULT InPlaceActivate(int x, int y, int width, int height) = 0;
  virtual HRESULT SetRect(int x, int y, int width, int height) = 0;
  virtual HRESULT InPlaceDeactivate() = 0;
  // The control's X window, 0 before activation.
  virtual unsigned long Window() = 0;
  // Handles every pending X event and due timer of all controls of the
  // process, then paints what needs it. `*nextTimerMs` (optional) receives
  // the delay until the next timer, or -1 when none runs.
  virtual HRESULT DispatchPending(int* nextTimerMs) = 0;
  // A press of the tools window's button `controlId`; acts on the active control.
  virtual HRESULT ToolsCommand(int controlId) = 0;

 protected:
  ~IGlimmerInPlace() = default;
};

}  // namespace glimmer

extern "C" {
// Exported by the control's module.
glimmer::HRESULT DllGetClassObject(const glimmer::GUID& clsid, const glimmer::GUID& iid, void** object);
glimmer::HRESULT DllCanUnloadNow();
glimmer::HRESULT DllRegisterServer();
glimmer::HRESULT DllUnregisterServer();
}
