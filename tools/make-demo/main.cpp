// kapsorel-make-demo [--keep-existing] FOLDER: writes the demo station's definition
// files into FOLDER/Postupy. With --keep-existing a folder that already has any of them
// is left as it is.
#include "demo_definitions.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    bool keep = false;
    const char* folder = nullptr;
    int folders = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep-existing") == 0) {
            keep = true;
        } else {
            folder = argv[i];
            ++folders;
        }
    }
    if (folders != 1) {
        std::fprintf(stderr, "usage: %s [--keep-existing] FOLDER\n", argv[0]);
        return 2;
    }
    if (keep && kapsorel::demo::hasDefinitions(folder))
        return 0;
    const auto st = kapsorel::demo::writeDemoDefinitions(folder);
    if (!st) {
        std::fprintf(stderr, "%s\n", st.error().c_str());
        return 1;
    }
    return 0;
}
