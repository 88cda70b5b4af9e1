// The JSON report, and the getter that gathers its facts.
#include "report_json.h"

#include "all_os_names.h"

#include <stdlib.h>
#include <string.h>

#include "CBrelmoxLib.h"
#include "CPellwick.h"
#include "scoped.h"

namespace brelmox {
namespace {

constexpr unsigned short kReplacementCharacter = 0xFFFD;
// Room for a typical report (about 3,000 units), so that it rarely grows.
constexpr size_t kReportRoom = 4096;

bool IsHighSurrogate(unsigned short unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(unsigned short unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// One unit that is not a surrogate, escaped as a JSON string needs it.
void AppendEscapedUnit(unsigned short unit, WideText& json) {
    static const char kHexDigits[] = "0123456789abcdef";
    switch (unit) {
        case '"':
            json.AppendAscii("\\\"");
            return;
        case '\\':
            json.AppendAscii("\\\\");
            return;
        case '\b':
            json.AppendAscii("\\b");
            return;
        case '\f':
            json.AppendAscii("\\f");
            return;
        case '\n':
            json.AppendAscii("\\n");
            return;
        case '\r':
            json.AppendAscii("\\r");
            return;
        case '\t':
            json.AppendAscii("\\t");
            return;
        default:
            break;
    }
    if (unit < 0x20) {
        char escape[] = "\\u0000";
        escape[4] = kHexDigits[unit >> 4];
        escape[5] = kHexDigits[unit & 0xF];
        json.AppendAscii(escape);
    } else {
        json.AppendUnit(unit);
    }
}

// Writes a readable JSON text, two blanks per level; each value of an object
// follows its key.
class JsonWriter {
public:
    explicit JsonWriter(WideText& out) : out_(out) {}

    void BeginObject() { Open('{'); }
    void EndObject() { Close('}'); }
    void BeginArray() { Open('['); }
    void EndArray() { Close(']'); }
    void Key(const char* name) {
        Separate();
        out_.AppendUnit('"');
        out_.AppendAscii(name);
        out_.AppendAscii("\": ");
        after_key_ = true;
    }
    void String(const unsigned short* text) {
        Separate();
        if (text == nullptr) {
            out_.AppendAscii("null");
            return;
        }
        AppendJsonString(text, WideLength(text), out_);
    }
    // A text of the library's own, ASCII only.
    void AsciiString(const char* text, size_t length) {
        Separate();
        out_.AppendUnit('"');
        for (size_t i = 0; i < length; ++i) {
            AppendEscapedUnit(static_cast<unsigned char>(text[i]), out_);
        }
        out_.AppendUnit('"');
    }
    void AsciiString(const char* text) {
        if (text == nullptr) {
            Null();
        } else {
            AsciiString(text, strlen(text));
        }
    }
    void Number(uint32_t value) {
        Separate();
        out_.AppendUnsigned(value);
    }
    void SignedNumber(int32_t value) {
        Separate();
        if (value < 0) {
            out_.AppendUnit('-');
        }
        out_.AppendUnsigned(value < 0 ? 0u - static_cast<uint32_t>(value)
                                      : static_cast<uint32_t>(value));
    }
    void Bool(bool value) {
        Separate();
        out_.AppendAscii(value ? "true" : "false");
    }
    void Null() {
        Separate();
        out_.AppendAscii("null");
    }

private:
    void Open(unsigned short bracket) {
        Separate();
        out_.AppendUnit(bracket);
        ++depth_;
        first_ = true;
    }
    void Close(unsigned short bracket) {
        --depth_;
        if (!first_) {
            NewLine();
        }
        out_.AppendUnit(bracket);
        first_ = false;
    }
    // What comes before a key, or a value not after a key: a comma after an
    // earlier item, then a line of its own.
    void Separate() {
        if (after_key_) {
            after_key_ = false;
            return;
        }
        if (depth_ == 0) {
            return;
        }
        if (!first_) {
            out_.AppendUnit(',');
        }
        NewLine();
        first_ = false;
    }
    void NewLine() {
        out_.AppendUnit('\n');
        for (int i = 0; i < depth_; ++i) {
            out_.AppendAscii("  ");
        }
    }

    WideText& out_;
    int depth_ = 0;
    bool first_ = true;
    bool after_key_ = false;
};

void WriteOs(JsonWriter& json, const ReportFacts& facts) {
    const ProductFacts& product = *facts.product;
    const ProductIdentity& identity = *facts.identity;
    const bool known = product.version_known;
    json.Key("os");
    json.BeginObject();
    json.Key("product_name");
    json.String(known ? facts.product_name : nullptr);
    json.Key("family");
    json.AsciiString(known ? identity.family : nullptr);
    json.Key("edition");
    json.AsciiString(known && identity.has_edition ? identity.edition : nullptr);
    json.Key("edition_id");
    json.AsciiString(identity.edition_id);
    json.Key("product_code");
    if (product.product_code != 0) {
        json.Number(product.product_code);
    } else {
        json.Null();
    }
    json.Key("version");
    json.AsciiString(identity.version);
    struct NumberMember {
        const char* name;
        uint32_t value;
    };
    const NumberMember numbers[] = {
        {"major", product.major},
        {"minor", product.minor},
        {"build", identity.build},
    };
    for (const NumberMember& member : numbers) {
        json.Key(member.name);
        if (known) {
            json.Number(member.value);
        } else {
            json.Null();
        }
    }
    json.Key("ubr");
    if (identity.has_ubr) {
        json.Number(identity.ubr);
    } else {
        json.Null();
    }
    const NumberMember record[] = {
        {"platform_id", product.platform_id},
        {"product_type", product.product_type},
        {"suite_mask", product.suite_mask},
    };
    for (const NumberMember& member : record) {
        json.Key(member.name);
        if (known) {
            json.Number(member.value);
        } else {
            json.Null();
        }
    }
    json.Key("service_pack");
    json.String(known ? product.csd_version : nullptr);
    json.Key("server_core");
    json.Bool(identity.server_core);
    json.Key("architecture");
    json.AsciiString(ArchitectureName(product.architecture));
    json.Key("process_architecture");
    json.AsciiString(ProcessArchitecture());
    json.Key("wow64");
    json.Bool(facts.wow64);
    json.Key("text");
    json.String(facts.os_text);
    json.EndObject();
}

void WriteMachine(JsonWriter& json, const ReportFacts& facts) {
    const MachineMetrics& metrics = *facts.metrics;
    json.Key("machine");
    json.BeginObject();
    json.Key("boot");
    json.AsciiString(BootModeName(metrics.clean_boot));
    MachineFlag flags[kMachineFlagCount];
    GetMachineFlags(metrics, flags);
    for (const MachineFlag& flag : flags) {
        json.Key(flag.name);
        json.Bool(flag.holds);
    }
    const struct {
        const char* name;
        int value;
    } figures[] = {{"screen_width", metrics.screen_width},
                   {"screen_height", metrics.screen_height},
                   {"mouse_buttons", metrics.mouse_buttons}};
    for (const auto& figure : figures) {
        json.Key(figure.name);
        json.SignedNumber(figure.value);
    }
    json.Key("text");
    json.String(facts.machine_text);
    json.EndObject();
}

void WriteKnownNames(JsonWriter& json, const char* names) {
    json.Key("known_os_names");
    json.BeginArray();
    for (const char* start = names; start != nullptr;) {
        const char* end = strchr(start, '\n');
        json.AsciiString(start, end != nullptr ? static_cast<size_t>(end - start) : strlen(start));
        start = end != nullptr ? end + 1 : nullptr;
    }
    json.EndArray();
}

// A narrow text of the ANSI code page in UTF-16; null for none, or when it
// cannot be converted.
HeapPtr<unsigned short> FromAnsi(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (units <= 0) {
        return nullptr;
    }
    HeapPtr<unsigned short> wide(
        static_cast<unsigned short*>(malloc(static_cast<size_t>(units) * sizeof(unsigned short))));
    if (!wide || MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<WCHAR*>(wide.get()),
                                     units) != units) {
        return nullptr;
    }
    return wide;
}

}  // namespace

void AppendJsonString(const unsigned short* text, size_t length, WideText& json) {
    json.AppendUnit('"');
    for (size_t i = 0; i < length; ++i) {
        unsigned short unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
            json.Append(text + i, 2);
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            json.AppendUnit(kReplacementCharacter);  // half a character is no character
        } else {
            AppendEscapedUnit(unit, json);
        }
    }
    json.AppendUnit('"');
}

const char* ProcessArchitecture() {
#if defined(_WIN64) && (defined(__aarch64__) || defined(_M_ARM64))
    return "arm64";
#elif defined(_WIN64)
    return "x64";
#else
    return "x86";  // host builds stand in for the 32-bit library
#endif
}

void BuildReportJson(const ReportFacts& facts, WideText& out) {
    JsonWriter json(out);
    json.BeginObject();
    json.Key("format_version");
    json.Number(1);
    WriteOs(json, facts);
    WriteMachine(json, facts);
    WriteKnownNames(json, facts.known_os_names);
    json.Key("computer_name");
    json.String(facts.computer_name);
    json.Key("user_name");
    json.String(facts.user_name);
    json.Key("user");
    json.BeginObject();
    json.Key("name");
    json.String(facts.account);
    json.Key("domain");
    json.String(facts.domain);
    json.Key("sid");
    json.String(facts.sid);
    json.EndObject();
    json.EndObject();
}

}  // namespace brelmox

using namespace brelmox;

bool CBrelmoxLib::GetReportJsonW(unsigned short** json) {
    if (json == nullptr) {
        return false;
    }
    *json = nullptr;
    ProductFacts product = QueryProductFacts();
    ProductIdentity identity = IdentifyProduct(product);
    WideText product_name;
    if (product.version_known) {
        AppendProductName(product, identity, product_name);
    }
    // The facts as the object's text tells them, so that values and text agree;
    // asked again only when there is no text to read.
    MachineMetrics metrics;
    if (m_pOSEtcInfo == nullptr || !ReadMachineFacts(m_pOSEtcInfo, metrics)) {
        metrics = QueryMachineMetrics();
    }
    HeapPtr<unsigned short> os_text = FromAnsi(m_pOSName);
    HeapPtr<unsigned short> machine_text = FromAnsi(m_pOSEtcInfo);
    HeapPtr<unsigned short> computer_name, user_name, account, domain, sid;
    GetComputerNameW(computer_name.put());
    GetUserNameW(user_name.put());
    GetUserNameAndDomainNameAndSidW(account.put(), domain.put(), sid.put());
    // A text that exists but could not be converted is not a fact to leave out.
    if (product_name.failed() || (m_pOSName != nullptr && !os_text) ||
        (m_pOSEtcInfo != nullptr && !machine_text)) {
        return false;
    }

    ReportFacts facts;
    facts.product = &product;
    facts.identity = &identity;
    facts.product_name = product_name.c_str();
    facts.os_text = os_text.get();
    facts.wow64 = IsWow64() != 0;
    facts.metrics = &metrics;
    facts.machine_text = machine_text.get();
    facts.known_os_names = kAllOsNames;
    facts.computer_name = computer_name.get();
    facts.user_name = user_name.get();
    facts.account = account.get();
    facts.domain = domain.get();
    facts.sid = sid.get();
    WideText text(kReportRoom);
    BuildReportJson(facts, text);
    if (text.failed()) {
        return false;
    }
    CPellwick pellwick;
    return pellwick.SmemStrCpyW(json, const_cast<unsigned short*>(text.c_str())) >= 0;
}
