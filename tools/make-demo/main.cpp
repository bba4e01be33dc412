// kapsorel-make-demo FOLDER: writes the demo station's definition files into FOLDER.
#include <cstdio>

#include "demo_definitions.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const auto st = kapsorel::demo::writeDemoDefinitions(argv[1]);
    if (!st) {
        std::fprintf(stderr, "%s\n", st.error().c_str());
        return 1;
    }
    return 0;
}
