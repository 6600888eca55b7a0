// Run-time class information and creation by class: the document template creates the
// document, the frame and the view from their classes' records.
#pragma once

#include <memory>
#include <new>

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;  // null for CObject
    CObject* (*m_pfnCreateObject)();    // null: not dynamically creatable

    // A new object of the class, or null when the class cannot be created by class.
    std::unique_ptr<CObject> CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* base) const;
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    bool IsKindOf(const CRuntimeClass* type) const {
        return GetRuntimeClass()->IsDerivedFrom(type);
    }

    static const CRuntimeClass classCObject;
};

// The creation function of a dynamically creatable class's record.
template <class T>
CObject* CreateDynamic() {
    return new (std::nothrow) T;
}

// Creates an object of type (which must derive from T) owned by the result.
template <class T>
std::unique_ptr<T> CreateObjectAs(const CRuntimeClass* type) {
    if (type == nullptr) return nullptr;
    std::unique_ptr<CObject> object = type->CreateObject();
    T* const typed = dynamic_cast<T*>(object.get());
    if (typed == nullptr) return nullptr;
    object.release();
    return std::unique_ptr<T>(typed);
}
