// Refers to every exported member of CBrelmoxLib and CPellwick. Compiled by a
// Visual C++ compiler, the object's undefined symbols are exactly the decorated
// names the DLLs have to export for that compiler's clients.
#include <CBrelmoxLib.h>
#include <CPellwick.h>

// An explicit instantiation may name private members, so Address<> reaches the
// private workers without a change to the headers.
template <auto Member>
struct Address {
    static decltype(Member) Get() { return Member; }
};

template struct Address<&CBrelmoxLib::GetComputerNameA>;
template struct Address<&CBrelmoxLib::GetComputerNameW>;
template struct Address<&CBrelmoxLib::GetUserNameA>;
template struct Address<&CBrelmoxLib::GetUserNameW>;
template struct Address<&CBrelmoxLib::GetUserNameAndDomainNameAndSidA>;
template struct Address<&CBrelmoxLib::GetUserNameAndDomainNameAndSidW>;
template struct Address<&CBrelmoxLib::GetOSProductNameA>;
template struct Address<&CBrelmoxLib::GetOSProductNameW>;
template struct Address<&CBrelmoxLib::GetReportJsonW>;
template struct Address<&CBrelmoxLib::GetComputerNameMain>;
template struct Address<&CBrelmoxLib::GetUserNameMain>;
template struct Address<&CBrelmoxLib::GetUserNameAndDomainNameAndSidMain>;
template struct Address<&CBrelmoxLib::IsWow64>;
template struct Address<&CBrelmoxLib::GetSuiteMaskStr>;
template struct Address<&CBrelmoxLib::AddDebugStringDWORD>;
template struct Address<&CBrelmoxLib::AddDebugStringStr>;

template struct Address<&CPellwick::Smalloc>;
template struct Address<&CPellwick::Sfree>;
template struct Address<&CPellwick::SmemStrCpy>;
template struct Address<&CPellwick::SmemStrCpyW>;
template struct Address<&CPellwick::SmemAddChar>;
template struct Address<&CPellwick::SmemAddCharW>;
template struct Address<&CPellwick::getFileVersionStringW>;
template struct Address<&CPellwick::SChar2Variant>;

// Constructors and destructors have no address to take; use them instead.
void ConstructAssignDestroy(CBrelmoxLib& target, const CBrelmoxLib& source) {
    CBrelmoxLib local;
    target = source;
    CPellwick helper;
}
