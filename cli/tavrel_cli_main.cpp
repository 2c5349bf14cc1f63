// tavrel-cli: Tavrel's record engine from the command line.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavrel-cli convert|show|usi|sfen|check|env [options] ...\n");
        return 2;
    }
    std::fprintf(stderr, "tavrel-cli: the command \"%s\" is not available in this build\n",
                 argv[1]);
    return 1;
}
