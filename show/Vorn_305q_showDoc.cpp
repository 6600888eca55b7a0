#include "Vorn_305q_showDoc.h"

const CRuntimeClass CVorn_305q_showDoc::classCVorn_305q_showDoc = {
    "CVorn_305q_showDoc", &CDocument::classCDocument, CreateDynamic<CVorn_305q_showDoc>};

BOOL CVorn_305q_showDoc::OnNewDocument() { return CDocument::OnNewDocument(); }
