#pragma once
// The reference counting and interface answers shared by the shell module's own COM objects:
// each is a plain class implementing one interface, answers QueryInterface for IUnknown and
// that interface only, and deletes itself at its last release.
#include <windows.h>
#include <objbase.h>

#include "ui/Guard.h"
#include "ui/Handles.h"

namespace shell {

template <class I>
class TComObject : public I {
public:
    TComObject() = default;
    TComObject(const TComObject&) = delete;
    TComObject& operator=(const TComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(I))) {
            *out = static_cast<I*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    virtual ~TComObject() = default;

private:
    LONG refs_ = 1;  // the creator's reference
};

// A new object as an interface pointer holding the creator's one reference.
template <class Object, class I, class... Args>
ui::ComPtr<I> MakeComObject(Args&&... args) {
    ui::ComPtr<I> p;
    p.attach(static_cast<I*>(new Object(std::forward<Args>(args)...)));
    return p;
}

}  // namespace shell
