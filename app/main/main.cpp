#include <cstdio>

// The application's entry lands with the controller; until then the binary only says so.
int main()
{
    std::puts("Sonaria: the application is not assembled yet; run 'make test' to exercise the parts built so far.");
    return 0;
}
