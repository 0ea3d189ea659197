#include <cstdio>

// The application shell grows here; for now the executable only proves the build and the
// application folder.
int main(int argc, char** argv)
{
    std::puts("ostrilan: application shell not built yet");
    return 0;
}
