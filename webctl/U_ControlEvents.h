// The control's outgoing events: one connection point for the events dispinterface, through
// which the container's sinks are called.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

namespace vantrel::webctl {

// Event numbers of the events dispinterface.
enum ControlEvent : DISPID {
    EventActivate = 1,
    EventClick = 2,
    EventCreate = 3,
    EventDblClick = 5,
    EventDestroy = 6,
    EventDeactivate = 7,
    EventKeyPress = 11,
    EventPaint = 16,
};

// A page can connect only so many sinks.
constexpr size_t kMaxEventSinks = 16;

class TControlEvents final : public IConnectionPoint {
public:
    // `owner` is the control: it holds this object and answers for its lifetime.
    explicit TControlEvents(IConnectionPointContainer* owner) : owner_(owner) {}
    ~TControlEvents();
    TControlEvents(const TControlEvents&) = delete;
    TControlEvents& operator=(const TControlEvents&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** cpc) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** e) override;

    // Calls every connected sink; a sink's failure does not keep the others from hearing it.
    void Fire(DISPID event);
    // OnKeyPress: the sinks may change the key.
    void FireKeyPress(short& key);
    bool Connected() const { return !sinks_.empty(); }
    // Drops every sink (the control is closing).
    void DisconnectAll();

private:
    void Invoke(DISPID event, DISPPARAMS& params);

    struct Sink {
        DWORD Cookie;
        IDispatch* Dispatch;
    };
    IConnectionPointContainer* owner_;
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
};

} // namespace vantrel::webctl
