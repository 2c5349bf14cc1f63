// dalmir-cli: Dalmir's database engine from the command line.
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: dalmir-cli add|list|update|remove|convert|find|search-position|"
                     "search-sequence|stats|duplicates DB ...\n");
        return 2;
    }
    std::fprintf(stderr, "dalmir-cli: the command \"%s\" is not available in this build\n",
                 argv[1]);
    return 1;
}
