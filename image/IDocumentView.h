#pragma once
// A view of the document: registered with CScrivaDoc while it exists and told
// to refresh when the document changes (hint 0 = everything). The document never
// owns its views. User-interface thread only.

class IDocumentView
{
public:
    virtual ~IDocumentView() = default;
    virtual void OnDocumentUpdate(int hint) = 0;
};
