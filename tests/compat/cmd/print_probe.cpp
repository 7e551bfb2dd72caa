// A host program the interpreter tests start as a Windows program: it prints its arguments
// on standard output, one a line, so that redirections and quoting can be checked together.
//   exit N ...   ends with code N
//   err          also writes a line to standard error
//   stdin        copies standard input to standard output

#include <cstdio>
#include <cstdlib>
#include <cstring>

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
        if (std::strcmp(argv[i], "stdin") == 0) {
            int c;
            while ((c = std::getchar()) != EOF)
                std::putchar(c);
            std::fflush(stdout);
        }
    }
    return code;
}
