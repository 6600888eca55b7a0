// The program's one document: it holds no data.
#pragma once

#include "document.h"

class CVorn_305q_showDoc : public CDocument {
public:
    BOOL OnNewDocument() override;

    static const CRuntimeClass classCVorn_305q_showDoc;
    const CRuntimeClass* GetRuntimeClass() const override { return &classCVorn_305q_showDoc; }
};
