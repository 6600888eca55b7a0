#include "runtime_class.h"

const CRuntimeClass CObject::classCObject = {"CObject", nullptr, nullptr};

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

std::unique_ptr<CObject> CRuntimeClass::CreateObject() const {
    return m_pfnCreateObject != nullptr ? std::unique_ptr<CObject>(m_pfnCreateObject()) : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* type = this; type != nullptr; type = type->m_pBaseClass) {
        if (type == base) return true;
    }
    return false;
}
