// Heap allocations per construction and per getter call, counted by the
// platform stand-in. Prints "name value unit" lines.
#include <stdio.h>

#include <functional>

#include "CBrelmoxLib.h"
#include "stand_in.h"

namespace {

long Count(const std::function<void()>& operation) {
    stand_in::Reset();
    long before = stand_in::Allocations();
    operation();
    return stand_in::Allocations() - before;
}

}  // namespace

int main() {
    printf("allocations_construction %ld count\n", Count([] { CBrelmoxLib lib; }));
    CBrelmoxLib lib;
    struct Getter {
        const char* name;
        std::function<void()> call;
    } const getters[] = {
        {"GetComputerNameA",
         [&] {
             char* name = nullptr;
             lib.GetComputerNameA(&name);
             free(name);
         }},
        {"GetUserNameW",
         [&] {
             unsigned short* name = nullptr;
             lib.GetUserNameW(&name);
             free(name);
         }},
        {"GetUserNameAndDomainNameAndSidA",
         [&] {
             char *user = nullptr, *domain = nullptr, *sid = nullptr;
             lib.GetUserNameAndDomainNameAndSidA(&user, &domain, &sid);
             free(user);
             free(domain);
             free(sid);
         }},
        {"GetUserNameAndDomainNameAndSidW",
         [&] {
             unsigned short *user = nullptr, *domain = nullptr, *sid = nullptr;
             lib.GetUserNameAndDomainNameAndSidW(&user, &domain, &sid);
             free(user);
             free(domain);
             free(sid);
         }},
    };
    for (const Getter& getter : getters) {
        printf("allocations_%s %ld count\n", getter.name, Count(getter.call));
    }
    stand_in::Reset();
    const stand_in::Sid& sid = stand_in::machine().token_sid;
    printf("allocations_sid_sub_authorities %zu count\n", sid.sub_authorities.size());
    return 0;
}
