#include "webctl/U_ControlEvents.h"

#include "webctl/Vantrel_IE_QZ_TLB.h"

#include <olectl.h>

namespace vantrel::webctl {

TControlEvents::~TControlEvents() {
    DisconnectAll();
}

STDMETHODIMP TControlEvents::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP TControlEvents::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = DIID_IVantrelIE_QZEvents;
    return S_OK;
}

STDMETHODIMP TControlEvents::GetConnectionPointContainer(IConnectionPointContainer** cpc) {
    if (!cpc) return E_POINTER;
    *cpc = owner_;
    owner_->AddRef();
    return S_OK;
}

STDMETHODIMP TControlEvents::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    if (sinks_.size() >= kMaxEventSinks) return CONNECT_E_ADVISELIMIT;
    IDispatch* dispatch = nullptr;
    // The events interface itself, else plain dispatch: events are called by number only.
    if (FAILED(
            sink->QueryInterface(DIID_IVantrelIE_QZEvents, reinterpret_cast<void**>(&dispatch))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        return CONNECT_E_CANNOTCONNECT;
    sinks_.push_back(Sink{nextCookie_, dispatch});
    *cookie = nextCookie_++;
    return S_OK;
}

STDMETHODIMP TControlEvents::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->Cookie != cookie) continue;
        IDispatch* dispatch = it->Dispatch;
        sinks_.erase(it);
        dispatch->Release();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP TControlEvents::EnumConnections(IEnumConnections** e) {
    if (e) *e = nullptr;
    return E_NOTIMPL;
}

void TControlEvents::DisconnectAll() {
    std::vector<Sink> sinks;
    sinks.swap(sinks_);
    for (Sink& s : sinks)
        s.Dispatch->Release();
}

void TControlEvents::Invoke(DISPID event, DISPPARAMS& params) {
    // A sink may unadvise while it is called: call a held copy of the list.
    std::vector<IDispatch*> targets;
    for (const Sink& s : sinks_) {
        s.Dispatch->AddRef();
        targets.push_back(s.Dispatch);
    }
    for (IDispatch* d : targets) {
        d->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                  nullptr);
        d->Release();
    }
}

void TControlEvents::Fire(DISPID event) {
    if (sinks_.empty()) return;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Invoke(event, none);
}

void TControlEvents::FireKeyPress(short& key) {
    if (sinks_.empty()) return;
    VARIANT arg;
    ::VariantInit(&arg);
    arg.vt = VT_I2 | VT_BYREF;
    arg.piVal = &key;
    DISPPARAMS params{&arg, nullptr, 1, 0};
    Invoke(EventKeyPress, params);
}

} // namespace vantrel::webctl
