// Start-up for the Visual C++ build of the test client. Visual C++'s own
// start-up code comes with its static run-time library, which this build does
// not have; the client needs no more than this.
#include <stdlib.h>

int main();

extern "C" void mainCRTStartup() {
    exit(main());
}
