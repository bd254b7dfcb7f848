// Program entry: it reports that this build has no main window and exits.
#include <cstdio>

int main(int, char**)
{
    std::puts("Dovrelin: the engine and its libraries are built; the main window is not part of this build yet.");
    return 0;
}
