// The least a console program does: the yardstick for Brelmox.exe's start-up.
#include <stdio.h>

int main() {
    puts("hello");
    return 0;
}
