// IDispatch of a Warpper given what a careless or hostile client may pass:
// every row names the arguments and the answer they must get. A new case is
// one more row.
#include <vector>

#include "com_test_support.h"

namespace comtest {
namespace {

using DispatchArguments = WarpperObjectTest;

// A name list for GetIDsOfNames; null entries stay null.
std::vector<LPOLESTR> Names(std::initializer_list<const wchar_t*> names) {
    std::vector<LPOLESTR> list;
    for (const wchar_t* name : names) {
        list.push_back(const_cast<LPOLESTR>(name));
    }
    return list;
}

// Only the first name names a member; later names are its parameters, so a
// member name in a parameter's place is unknown in any letter case.
TEST_F(DispatchArguments, GetIDsOfNamesResolvesParametersRelativeToTheMember) {
    const struct {
        const char* what;
        std::vector<LPOLESTR> names;
        HRESULT expected;
        std::vector<DISPID> ids;
    } kCases[] = {
        {"a member and its parameter", Names({L"GetOSName", L"vout"}), S_OK, {3, 0}},
        {"both in another letter case", Names({L"getosname", L"VOUT"}), S_OK, {3, 0}},
        {"a member name as a parameter",
         Names({L"GetOSName", L"GetUserName"}),
         DISP_E_UNKNOWNNAME,
         {3, DISPID_UNKNOWN}},
        {"the same in another letter case",
         Names({L"getosname", L"GetUserName"}),
         DISP_E_UNKNOWNNAME,
         {3, DISPID_UNKNOWN}},
        {"a member named twice",
         Names({L"GetUserName", L"GetUserName"}),
         DISP_E_UNKNOWNNAME,
         {1, DISPID_UNKNOWN}},
        {"a parameter without its member", Names({L"vout"}), DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN}},
        {"an empty name", Names({L""}), DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN}},
        {"a null name", Names({nullptr}), DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN}},
        {"a null parameter name",
         Names({L"GetOSName", nullptr}),
         DISP_E_UNKNOWNNAME,
         {3, DISPID_UNKNOWN}},
    };
    for (const auto& lookup : kCases) {
        SCOPED_TRACE(lookup.what);
        std::vector<LPOLESTR> names = lookup.names;
        std::vector<DISPID> ids(names.size(), 1234);
        EXPECT_EQ(warpper_->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()),
                                          0, ids.data()),
                  lookup.expected);
        EXPECT_EQ(ids, lookup.ids);
    }
}

// Parameters whose counts contradict their arrays get a clear error, never a
// crash; well-formed ones keep the type information's answers.
TEST_F(DispatchArguments, InvokeRefusesParametersThatContradictTheirCounts) {
    VARIANT argument;
    VariantInit(&argument);
    DISPID named = DISPID_PROPERTYPUT;
    const struct {
        const char* what;
        bool has_parameters;
        DISPPARAMS parameters;
        HRESULT expected;
        VARTYPE result_type;
    } kCases[] = {
        {"no DISPPARAMS at all", false, {}, E_INVALIDARG, VT_EMPTY},
        {"named arguments counted, no DISPID array",
         true,
         {&argument, nullptr, 1, 1},
         E_INVALIDARG,
         VT_EMPTY},
        {"arguments counted, no argument array",
         true,
         {nullptr, nullptr, 1, 0},
         E_INVALIDARG,
         VT_EMPTY},
        {"both counted, neither array", true, {nullptr, nullptr, 2, 1}, E_INVALIDARG, VT_EMPTY},
        {"more named arguments than arguments",
         true,
         {&argument, &named, 0, 1},
         E_INVALIDARG,
         VT_EMPTY},
        {"one argument too many", true, {&argument, nullptr, 1, 0}, DISP_E_BADPARAMCOUNT, VT_EMPTY},
        {"no arguments, as the method takes", true, {nullptr, nullptr, 0, 0}, S_OK, VT_BSTR},
    };
    for (const auto& call : kCases) {
        SCOPED_TRACE(call.what);
        DISPPARAMS parameters = call.parameters;
        ScopedVariant result;
        EXPECT_EQ(warpper_->Invoke(3, IID_NULL, 0, DISPATCH_METHOD,
                                   call.has_parameters ? &parameters : nullptr, result.get(),
                                   nullptr, nullptr),
                  call.expected);
        EXPECT_EQ(V_VT(result.get()), call.result_type);
    }
}

}  // namespace
}  // namespace comtest
