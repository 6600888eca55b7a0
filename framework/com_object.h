// IUnknown for the module's COM objects: QueryInterface from a static table of the
// interfaces an object answers, and one of three ways its life is counted.
#pragma once

#include <unknwn.h>

#include <cstddef>

#include "ole_module.h"

// How a COM object's references are counted.
enum class CComLife {
    kModule,     // its own count, deleted on the last Release, one of the module's live
                 // objects (keeps DllCanUnloadNow false while it exists)
    kLocal,      // its own count and deletion, not counted by the module (container side)
    kContained,  // part of an owner object: its references are the owner's
};

// One interface an object answers: its identifier and how to reach it from the object.
template <typename Object>
struct CInterfaceEntry {
    const IID* iid;
    void* (*cast)(Object* object);
};

// An object's interfaces, the first of which also answers IUnknown.
template <typename Object>
struct CInterfaceTable {
    const CInterfaceEntry<Object>* entries;
    size_t count;
};

template <typename Object, size_t N>
constexpr CInterfaceTable<Object> MakeInterfaceTable(const CInterfaceEntry<Object> (&entries)[N]) {
    return {entries, N};
}

// The table entry for an interface reached through the object's base Via (which need not
// be the interface itself: IOleWindow through IOleInPlaceObject, for example).
template <typename Object, typename Via>
constexpr CInterfaceEntry<Object> InterfaceEntry(const IID& iid) {
    return {&iid, [](Object* object) -> void* { return static_cast<Via*>(object); }};
}

// Object: the class that answers the interfaces, with a public static InterfaceTable()
// that returns its static table. It may add an interface known only at run time by
// declaring a public void* FindRuntimeInterface(REFIID).
template <typename Object, CComLife Life, typename... Interfaces>
class CComObject : public Interfaces... {
public:
    CComObject(const CComObject&) = delete;
    CComObject& operator=(const CComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        Object* const self = static_cast<Object*>(this);
        void* found = nullptr;
        const CInterfaceTable<Object> table = Object::InterfaceTable();
        if (IsEqualIID(riid, IID_IUnknown)) {
            found = table.entries[0].cast(self);
        } else {
            for (size_t i = 0; i < table.count && found == nullptr; ++i) {
                if (IsEqualIID(riid, *table.entries[i].iid)) found = table.entries[i].cast(self);
            }
            if (found == nullptr) found = self->FindRuntimeInterface(riid);
        }
        *ppv = found;
        if (found == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    // None by default; an object class hides it with its own.
    void* FindRuntimeInterface(REFIID) { return nullptr; }

    STDMETHODIMP_(ULONG) AddRef() override {
        if constexpr (Life == CComLife::kContained) {
            return m_owner->AddRef();
        } else {
            return InterlockedIncrement(&m_refs);
        }
    }
    STDMETHODIMP_(ULONG) Release() override {
        if constexpr (Life == CComLife::kContained) {
            return m_owner->Release();
        } else {
            const LONG refs = InterlockedDecrement(&m_refs);
            if (refs == 0) {
                // A destructor may hand out and drop references (closing a card waits
                // while delivering sent messages): they must not start a second deletion.
                InterlockedExchange(&m_refs, 1);
                delete this;
            }
            return refs;
        }
    }

protected:
    // The new object holds one reference, its creator's.
    CComObject() {
        static_assert(Life != CComLife::kContained, "a contained object needs its owner");
        if constexpr (Life == CComLife::kModule) COleControlModule::ObjectCreated();
    }
    // owner: the controlling IUnknown of the object this one is part of.
    explicit CComObject(IUnknown* owner) : m_owner(owner) {
        static_assert(Life == CComLife::kContained, "only a contained object has an owner");
    }
    virtual ~CComObject() {
        if constexpr (Life == CComLife::kModule) COleControlModule::ObjectDestroyed();
    }
    IUnknown* Owner() const { return m_owner; }

private:
    volatile LONG m_refs = 1;
    IUnknown* const m_owner = nullptr;
};

// An object of the module that implements one interface.
template <typename Interface, const IID* Iid>
class CComObjectBase
    : public CComObject<CComObjectBase<Interface, Iid>, CComLife::kModule, Interface> {
public:
    static CInterfaceTable<CComObjectBase> InterfaceTable() {
        static constexpr CInterfaceEntry<CComObjectBase> kInterfaces[] = {
            InterfaceEntry<CComObjectBase, Interface>(*Iid),
        };
        return MakeInterfaceTable(kInterfaces);
    }

protected:
    CComObjectBase() = default;
};
