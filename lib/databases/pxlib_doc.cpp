#include "lib/databases/pxlib_doc.h"

extern "C" {
#include <paradox.h>
}

#include <cstdlib>
#include <unordered_set>

namespace navlor {

struct PxlibDoc::Session
{
    QString error;
    std::unordered_set<void*> live;
};

namespace {

// A header field read from a torn file can ask for gigabytes; no real table needs that much
// for one block, blob or index.
constexpr size_t kLargestAllocation = size_t(256) << 20;

// The document itself is allocated before pxlib records whose it is.
PxlibDoc::Session* sessionOf(pxdoc_t* doc)
{
    return doc ? static_cast<PxlibDoc::Session*>(doc->errorhandler_user_data) : nullptr;
}

void* allocate(pxdoc_t* doc, size_t size, const char*)
{
    if (size > kLargestAllocation)
        return nullptr;
    void* memory = std::malloc(size);
    if (PxlibDoc::Session* session = sessionOf(doc); session && memory)
        session->live.insert(memory);
    return memory;
}

void* reallocate(pxdoc_t* doc, void* memory, size_t size, const char*)
{
    if (size > kLargestAllocation)
        return nullptr;
    PxlibDoc::Session* session = sessionOf(doc);
    void* moved = std::realloc(memory, size);
    if (session && moved) {
        session->live.erase(memory);
        session->live.insert(moved);
    }
    return moved;
}

void release(pxdoc_t* doc, void* memory)
{
    if (PxlibDoc::Session* session = sessionOf(doc))
        session->live.erase(memory);
    std::free(memory);
}

void keepError(pxdoc_t*, int type, const char* message, void* data)
{
    if (type == PX_Warning || !data || !message)
        return;
    static_cast<PxlibDoc::Session*>(data)->error = QString::fromUtf8(message).trimmed();
}

} // namespace

PxlibDoc::PxlibDoc() : m_session(std::make_unique<Session>())
{
    m_doc = PX_new3(keepError, allocate, reallocate, release, m_session.get());
}

PxlibDoc::~PxlibDoc()
{
    if (!m_doc)
        return;
    // PX_close writes a cached block back and lets the blob file go; PX_delete is not used: a
    // failed open leaves it pointers it would free twice. What pxlib still holds is ours.
    PX_close(m_doc);
    for (void* memory : m_session->live)
        std::free(memory);
    std::free(m_doc);
}

QString PxlibDoc::lastError() const
{
    return m_session->error;
}

void PxlibDoc::clearError()
{
    m_session->error.clear();
}

} // namespace navlor
