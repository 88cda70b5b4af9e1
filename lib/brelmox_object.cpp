// CBrelmoxLib's lifetime, its three texts and the appenders they are built with.
#include "CBrelmoxLib.h"

#include <string.h>

#include "CPellwick.h"
#include "all_os_names.h"
#include "report_texts.h"
#include "scoped.h"

namespace brelmox {
namespace {

// A heap copy of a text that may be absent; `copied` turns false only when an
// existing text could not be copied.
HeapPtr<char> CopyText(const char* text, bool& copied) {
    if (text == nullptr) {
        return nullptr;
    }
    size_t size = strlen(text) + 1;
    HeapPtr<char> copy(static_cast<char*>(malloc(size)));
    if (copy) {
        memcpy(copy.get(), text, size);
    } else {
        copied = false;
    }
    return copy;
}

}  // namespace
}  // namespace brelmox

using namespace brelmox;

CBrelmoxLib::CBrelmoxLib()
    : m_pOSName(nullptr), m_pOSNameAllPattern(nullptr), m_pOSEtcInfo(nullptr), m_OSVersionInfo() {
    CPellwick pellwick;
    // A failed copy leaves the list absent; the rest of the object still works.
    pellwick.SmemStrCpy(reinterpret_cast<unsigned char**>(&m_pOSNameAllPattern),
                        reinterpret_cast<unsigned char*>(const_cast<char*>(kAllOsNames)));

    QueryVersion(m_OSVersionInfo);
    if (m_OSVersionInfo.dwOSVersionInfoSize != 0) {
        EditionMetrics editions = QueryEditionMetrics();
        InlineText<kOsTextRoom> os_text;
        if (BuildOsText(m_OSVersionInfo, editions, IsWow64() != 0, os_text)) {
            m_pOSName = os_text.CopyToHeap();
        }
    }

    InlineText<kMachineFactsRoom> facts;
    BuildMachineFacts(QueryMachineMetrics(), facts);
    m_pOSEtcInfo = facts.CopyToHeap();
}

CBrelmoxLib::~CBrelmoxLib() {
    free(m_pOSName);
    free(m_pOSNameAllPattern);
    free(m_pOSEtcInfo);
}

CBrelmoxLib& CBrelmoxLib::operator=(const CBrelmoxLib& other) {
    if (this == &other) {
        return *this;
    }
    bool copied = true;
    HeapPtr<char> os_name = CopyText(other.m_pOSName, copied);
    HeapPtr<char> all_names = CopyText(other.m_pOSNameAllPattern, copied);
    HeapPtr<char> etc_info = CopyText(other.m_pOSEtcInfo, copied);
    free(m_pOSName);
    free(m_pOSNameAllPattern);
    free(m_pOSEtcInfo);
    m_OSVersionInfo = other.m_OSVersionInfo;
    if (!copied) {
        // Without memory for every copy there are none: the caller sees null
        // texts, never the previous object's beside the new record.
        m_pOSName = m_pOSNameAllPattern = m_pOSEtcInfo = nullptr;
        return *this;
    }
    m_pOSName = os_name.release();
    m_pOSNameAllPattern = all_names.release();
    m_pOSEtcInfo = etc_info.release();
    return *this;
}

void CBrelmoxLib::AddDebugStringDWORD(char* text, char* label, unsigned long value) {
    UnboundedText target(text);
    AppendDebugNumber(target, label, value);
}

void CBrelmoxLib::AddDebugStringStr(char* text, char* label, char* value) {
    UnboundedText target(text);
    AppendDebugString(target, label, value);
}
