#pragma once

// One pxlib document, owned. pxlib prints its errors to stderr and leaks on its error paths;
// here its messages are kept for the caller and every allocation it makes through the
// document is released with it, so a garbage table costs nothing after its check.

#include <QString>

#include <memory>

struct px_doc;

namespace navlor {

class PxlibDoc
{
public:
    PxlibDoc();
    ~PxlibDoc();
    PxlibDoc(const PxlibDoc&) = delete;
    PxlibDoc& operator=(const PxlibDoc&) = delete;

    // Null when pxlib could not create a document.
    [[nodiscard]] px_doc* get() const { return m_doc; }
    // pxlib's last error (warnings aside) since the last clearError(), as pxlib wrote it.
    [[nodiscard]] QString lastError() const;
    void clearError();

    // What pxlib's callbacks reach through the document: its errors and allocations.
    struct Session;

private:
    std::unique_ptr<Session> m_session;
    px_doc* m_doc = nullptr;
};

} // namespace navlor
