// A host program the interpreter tests start as a Windows program: it prints its arguments
// on standard output, one a line, so that redirections and quoting can be checked together.
//   exit N ...   ends with code N
//   err          also writes a line to standard error
//   stdin        copies standard input to standard output
//   waitfile F   waits until the file F (relative to its directory) exists; after 30 s
//                without it, prints "sem arquivo" and ends with code 1

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

int main(int argc, char** argv)
{
    int code = 0;
    int first = 1;
    if (argc >= 3 && std::strcmp(argv[1], "exit") == 0) {
        code = std::atoi(argv[2]);
        first = 3;
    }
    for (int i = first; i < argc; ++i) {
        std::printf("%s\n", argv[i]);
        std::fflush(stdout); // in order with what goes to standard error
        if (std::strcmp(argv[i], "err") == 0)
            std::fprintf(stderr, "erro\n");
        if (std::strcmp(argv[i], "waitfile") == 0 && i + 1 < argc) {
            int tenths = 0;
            while (::access(argv[i + 1], F_OK) != 0) {
                if (++tenths > 300) {
                    std::printf("sem arquivo\n");
                    return 1;
                }
                ::usleep(100000);
            }
        }
        if (std::strcmp(argv[i], "stdin") == 0) {
            int c;
            while ((c = std::getchar()) != EOF)
                std::putchar(c);
            std::fflush(stdout);
        }
    }
    return code;
}
