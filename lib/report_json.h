// The JSON report: every fact the library knows, in one UTF-16 JSON text.
#pragma once

#include "product_identity.h"
#include "report_texts.h"
#include "wide_text.h"

namespace brelmox {

// Where each member's value comes from; a null text is a fact that could not
// be had, and the report says null for it.
struct ReportFacts {
    const ProductFacts* product = nullptr;
    const ProductIdentity* identity = nullptr;
    const unsigned short* product_name = nullptr;
    const unsigned short* os_text = nullptr;  // the OS text
    bool wow64 = false;                       // what the OS text's WOW line says
    const MachineMetrics* metrics = nullptr;
    const unsigned short* machine_text = nullptr;  // the machine-facts text
    const char* known_os_names = nullptr;          // LF between names
    const unsigned short* computer_name = nullptr;
    const unsigned short* user_name = nullptr;  // the logon name
    const unsigned short* account = nullptr;    // the token's account, domain and SID
    const unsigned short* domain = nullptr;
    const unsigned short* sid = nullptr;
};

// Writes `text` as a JSON string: quotes, backslashes and control characters
// escaped, a lone surrogate replaced by U+FFFD.
void AppendJsonString(const unsigned short* text, size_t length, WideText& json);

void BuildReportJson(const ReportFacts& facts, WideText& json);

// The architecture this library was built for.
const char* ProcessArchitecture();

}  // namespace brelmox
