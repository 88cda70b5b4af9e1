// A trivial console program that asks one system metric: the start-up floor of
// any program using user32, as Brelmox.exe must.
#include <windows.h>
#include <stdio.h>

int main() {
    printf("%d\n", GetSystemMetrics(SM_CXSCREEN));
    return 0;
}
