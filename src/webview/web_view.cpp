#include "webview/web_view.h"

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <ole2.h>
#include <shlwapi.h>

#include <new>

#include "app/fatal_error.h"
#include "app/win_owners.h"

namespace velmora {
namespace {

constexpr wchar_t kHostClass[] = L"VelmoraWebView";

// The string inside a variant as the control passes it: directly, by
// reference, or inside a variant by reference. None when it is no string.
std::optional<std::u16string_view> VariantText(const VARIANT& v) {
  const VARIANT* inner = &v;
  if (V_VT(inner) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(inner) != nullptr) inner = V_VARIANTREF(inner);
  BSTR text = nullptr;
  if (V_VT(inner) == VT_BSTR) {
    text = V_BSTR(inner);
  } else if (V_VT(inner) == (VT_BYREF | VT_BSTR) && V_BSTRREF(inner) != nullptr) {
    text = *V_BSTRREF(inner);
  } else {
    return std::nullopt;
  }
  if (text == nullptr) return std::nullopt;
  return U16(text, SysStringLen(text));
}

}  // namespace

// One object is the whole site: client site, in-place site and frame, the
// document host's UI handler and the event sink share one reference count.
class BrowserSite final : public IOleClientSite,
                          public IOleInPlaceSite,
                          public IOleInPlaceFrame,
                          public IDocHostUIHandler,
                          public IDispatch {
 public:
  BrowserSite(HWND host, WebViewEvents events) : host_(host), events_(std::move(events)) {}

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    static const QITAB kInterfaces[] = {
        QITABENT(BrowserSite, IOleClientSite),
        QITABENT(BrowserSite, IOleInPlaceSite),
        QITABENTMULTI(BrowserSite, IOleWindow, IOleInPlaceSite),
        QITABENT(BrowserSite, IOleInPlaceFrame),
        QITABENTMULTI(BrowserSite, IOleInPlaceUIWindow, IOleInPlaceFrame),
        QITABENT(BrowserSite, IDocHostUIHandler),
        QITABENT(BrowserSite, IDispatch),
        {nullptr, 0},
    };
    if (ppv != nullptr && IsEqualIID(riid, DIID_DWebBrowserEvents2)) {
      // The events are a dispinterface: the control asks for it by its own IID.
      *ppv = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    return QISearch(this, kInterfaces, riid, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  // IOleWindow
  STDMETHODIMP GetWindow(HWND* window) override {
    if (window == nullptr) return E_POINTER;
    *window = host_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    if (container != nullptr) *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr || info == nullptr) {
      return E_POINTER;
    }
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    GetClientRect(host_, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = GetAncestor(host_, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT position) override {
    if (position != nullptr) FitToRect(*position);
    return S_OK;
  }

  // IOleInPlaceUIWindow and IOleInPlaceFrame
  STDMETHODIMP GetBorder(LPRECT) override { return E_NOTIMPL; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDocHostUIHandler: only the host information matters (no border); the
  // rest is left to the control's defaults.
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
    if (info == nullptr) return E_POINTER;
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
  }
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override {
    return S_FALSE;
  }
  STDMETHODIMP HideUI() override { return S_OK; }
  STDMETHODIMP UpdateUI() override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
  STDMETHODIMP GetOptionKeyPath(LPOLESTR*, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override { return E_NOTIMPL; }
  STDMETHODIMP GetExternal(IDispatch** external) override {
    if (external != nullptr) *external = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
    if (out != nullptr) *out = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override {
    if (out != nullptr) *out = nullptr;
    return S_FALSE;
  }

  // IDispatch: the DWebBrowserEvents2 sink (and the ambient properties the
  // control may ask for, none of which the host sets).
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count != nullptr) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
    try {
      return Dispatch(id, params);
    } catch (const std::bad_alloc&) {
      FatalRuntimeError(u"There is not enough memory to keep the page's status text.");
    }
  }

  bool Embed(const RECT& rect);
  void Close();
  void FitToRect(const RECT& rect) {
    ComPtr<IOleInPlaceObject> inPlace = object_.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
    if (inPlace) inPlace->SetObjectRects(&rect, &rect);
  }
  IWebBrowser2* Browser() const { return browser_.Get(); }
  IOleObject* Object() const { return object_.Get(); }

 private:
  ~BrowserSite() = default;

  HRESULT Dispatch(DISPID id, DISPPARAMS* params) {
    // Arguments arrive in reverse order: the last one is rgvarg[0].
    UINT count = params != nullptr ? params->cArgs : 0;
    switch (id) {
      case DISPID_STATUSTEXTCHANGE:
        if (count < 1) return E_INVALIDARG;
        if (events_.statusTextChange) events_.statusTextChange(VariantText(params->rgvarg[0]));
        return S_OK;
      case DISPID_NEWWINDOW2: {
        if (count < 2) return E_INVALIDARG;
        VARIANT& cancelArgument = params->rgvarg[0];
        if (V_VT(&cancelArgument) != (VT_BYREF | VT_BOOL) || V_BOOLREF(&cancelArgument) == nullptr) {
          return E_INVALIDARG;
        }
        bool cancel = *V_BOOLREF(&cancelArgument) != VARIANT_FALSE;
        if (events_.newWindow) events_.newWindow(cancel);
        *V_BOOLREF(&cancelArgument) = cancel ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
      }
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  LONG references_ = 1;
  HWND host_;
  WebViewEvents events_;
  ComPtr<IOleObject> object_;
  ComPtr<IWebBrowser2> browser_;
  ComPtr<IConnectionPoint> eventSource_;
  DWORD cookie_ = 0;
};

bool BrowserSite::Embed(const RECT& rect) {
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(object_.Put())))) {
    return false;
  }
  if (FAILED(object_->SetClientSite(static_cast<IOleClientSite*>(this)))) return false;
  OleSetContainedObject(object_.Get(), TRUE);
  browser_ = object_.As<IWebBrowser2>(IID_IWebBrowser2);
  if (!browser_) return false;

  // Set before any page can open.
  browser_->put_Silent(VARIANT_TRUE);
  browser_->put_Offline(VARIANT_FALSE);
  browser_->put_RegisterAsDropTarget(VARIANT_FALSE);
  browser_->put_RegisterAsBrowser(VARIANT_TRUE);

  RECT position = rect;
  if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, host_,
                             &position))) {
    return false;
  }
  ComPtr<IConnectionPointContainer> points = browser_.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
  if (!points || FAILED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, eventSource_.Put())) ||
      FAILED(eventSource_->Advise(static_cast<IDispatch*>(this), &cookie_))) {
    return false;
  }
  return true;
}

void BrowserSite::Close() {
  if (eventSource_ && cookie_ != 0) eventSource_->Unadvise(cookie_);
  cookie_ = 0;
  eventSource_.Reset();
  if (object_) {
    ComPtr<IOleInPlaceObject> inPlace = object_.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
    if (inPlace) inPlace->InPlaceDeactivate();
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
  }
  browser_.Reset();
  object_.Reset();
}

namespace {

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* site = reinterpret_cast<BrowserSite*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_SIZE && site != nullptr) {
    RECT client;
    GetClientRect(window, &client);
    site->FitToRect(client);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterHostClass() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kHostClass;
    return RegisterClassExW(&windowClass) != 0;
  }();
  return registered;
}

}  // namespace

std::unique_ptr<WebView> WebView::Create(HWND parent, int left, int top, int width, int height,
                                         WebViewEvents events) {
  if (!RegisterHostClass()) return nullptr;
  std::unique_ptr<WebView> view(new WebView());
  view->host_ = CreateWindowExW(0, kHostClass, nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, left, top,
                                width, height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (view->host_ == nullptr) return nullptr;
  view->site_ = new BrowserSite(view->host_, std::move(events));
  SetWindowLongPtrW(view->host_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view->site_));
  RECT client;
  GetClientRect(view->host_, &client);
  if (!view->site_->Embed(client)) return nullptr;  // the destructor closes what was made
  return view;
}

WebView::~WebView() {
  Close();
  if (site_ != nullptr) site_->Release();
  if (host_ != nullptr && IsWindow(host_)) DestroyWindow(host_);
}

void WebView::Close() {
  if (site_ == nullptr) return;
  if (host_ != nullptr && IsWindow(host_)) SetWindowLongPtrW(host_, GWLP_USERDATA, 0);
  site_->Close();
}

void WebView::Navigate(std::u16string_view address) {
  IWebBrowser2* browser = site_ != nullptr ? site_->Browser() : nullptr;
  if (browser == nullptr) return;
  // The copy is made before the control is called: the caller's text may be
  // released by a notification raised during the call.
  UniqueBstr url = MakeBstr(address);
  if (!url && !address.empty()) FatalRuntimeError(u"There is not enough memory for the address.");
  VARIANT flags;
  VariantInit(&flags);
  V_VT(&flags) = VT_I4;
  V_I4(&flags) = 0;
  VARIANT targetFrame;
  VariantInit(&targetFrame);
  V_VT(&targetFrame) = VT_BSTR;
  V_BSTR(&targetFrame) = nullptr;
  VARIANT headers = targetFrame;
  VARIANT postData;
  VariantInit(&postData);
  browser->Navigate(url.Get(), &flags, &targetFrame, &postData, &headers);  // result ignored by design
}

void WebView::GoBack() {
  IWebBrowser2* browser = site_ != nullptr ? site_->Browser() : nullptr;
  if (browser != nullptr) browser->GoBack();  // no earlier page: nothing happens, nothing is shown
}

bool WebView::TranslateAccelerator(MSG& message) {
  IOleObject* object = site_ != nullptr ? site_->Object() : nullptr;
  if (object == nullptr) return false;
  ComPtr<IOleInPlaceActiveObject> active;
  if (FAILED(object->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(active.Put())))) {
    return false;
  }
  return active->TranslateAccelerator(&message) == S_OK;
}

IDispatch* WebView::EventSink() const { return site_; }

}  // namespace velmora
