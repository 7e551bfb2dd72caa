/* Loaded into every arj navlor-arj starts, with the directory cache (directory_cache.c).
 *
 * arj turns the buffer of its standard output off (setbuf(stdout, NULL)) and so writes its
 * output a few bytes at a time: some thirty write calls for each entry of a listing, which
 * cost arj more than the listing itself. Here its output gets a buffer back: a full one when
 * navlor-arj collects the output, a line buffer for an add, whose lines navlor-arj passes on
 * as they come. The bytes stay the same; only the calls that carry them change. A line an add
 * has begun is written before the file is read, and what a signal would lose is written as
 * it ends arj.
 *
 * Extractions keep arj's own way: arj reads an archive with one fgetc() a byte, so no wrapper
 * can stand there to show a line it has begun; their lines are few anyway.
 *
 * navlor-arj says what it wants in NAVLOR_ARJ_HOOKS ("c" the directory cache, "b" a full
 * buffer, "l" a line buffer); without the variable only the directory cache runs. */

/* Own wrappers of stdio functions: never the inline checked versions of the headers. */
#undef _FORTIFY_SOURCE
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* Set in directory_cache.c's terms: the cache answers only when this is 0. */
extern int navlorArjCacheOff __attribute__((visibility("hidden")));

enum
{
    kOutBufferSize = 64 * 1024
};

static char g_outBuffer[kOutBufferSize];
static int g_outMode = -1; /* _IOFBF or _IOLBF; -1: arj's output left as arj sets it */

static void (*realSetbuf)(FILE*, char*);
static size_t (*realFread)(void*, size_t, size_t, FILE*);
static int (*realSystem)(const char*);

static void outBind(void)
{
    if (realSetbuf)
        return;
    realSetbuf = (void (*)(FILE*, char*))dlsym(RTLD_NEXT, "setbuf");
    realFread = (size_t(*)(void*, size_t, size_t, FILE*))dlsym(RTLD_NEXT, "fread");
    realSystem = (int (*)(const char*))dlsym(RTLD_NEXT, "system");
}

static int outPending(void)
{
    return g_outMode >= 0 && stdout->_IO_write_ptr > stdout->_IO_write_base;
}

/* What the buffer holds, written as the process ends on a signal that would otherwise lose
 * it: only write(), safe in a handler, and only bytes inside our own buffer. */
static void outFlushAndEnd(int signal)
{
    const char* from = stdout->_IO_write_base;
    const char* to = stdout->_IO_write_ptr;
    if (from >= g_outBuffer && to > from && to <= g_outBuffer + kOutBufferSize) {
        while (from < to) {
            const ssize_t n = write(STDOUT_FILENO, from, (size_t)(to - from));
            if (n <= 0)
                break;
            from += n;
        }
        stdout->_IO_write_ptr = stdout->_IO_write_base;
    }
    raise(signal); /* the handler was reset: the default ends the process */
}

/* arj sets its own handlers for SIGINT and SIGTERM later; they end it through exit(), which
 * flushes. The rest end it where they find it. Signals ignored from the start stay so. */
static void outCatchEndings(void)
{
    static const int endings[] = {SIGHUP,  SIGINT, SIGQUIT, SIGTERM, SIGABRT,
                                  SIGSEGV, SIGBUS, SIGFPE,  SIGPIPE};
    for (size_t i = 0; i < sizeof endings / sizeof endings[0]; ++i) {
        struct sigaction old;
        if (sigaction(endings[i], NULL, &old) != 0 || old.sa_handler != SIG_DFL)
            continue;
        struct sigaction action;
        memset(&action, 0, sizeof action);
        action.sa_handler = outFlushAndEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(endings[i], &action, NULL);
    }
}

static void outBuffer(void)
{
    setvbuf(stdout, g_outBuffer, g_outMode, kOutBufferSize);
}

__attribute__((constructor)) static void outStart(void)
{
    const char* hooks = getenv("NAVLOR_ARJ_HOOKS");
    if (!hooks)
        return;
    navlorArjCacheOff = strchr(hooks, 'c') == NULL;
    if (strchr(hooks, 'b'))
        g_outMode = _IOFBF;
    else if (strchr(hooks, 'l'))
        g_outMode = _IOLBF;
    /* Meant for arj alone, not for what it may start. */
    setenv("NAVLOR_ARJ_HOOKS", "", 1);
    outBind();
    if (g_outMode >= 0) {
        outBuffer();
        outCatchEndings();
    }
}

void setbuf(FILE* stream, char* buffer)
{
    outBind();
    if (stream == stdout && g_outMode >= 0) {
        outBuffer();
        return;
    }
    if (realSetbuf)
        realSetbuf(stream, buffer);
}

/* A line arj has begun ("Adding DADOS/A.DB") is shown while the file is packed, as it is
 * without a buffer. Called once a block of the file, not once a byte. */
size_t fread(void* data, size_t size, size_t count, FILE* stream)
{
    outBind();
    if (g_outMode == _IOLBF && outPending())
        fflush(stdout);
    return realFread ? realFread(data, size, count, stream) : 0;
}

/* What a command arj runs prints comes after what arj printed before it. */
int system(const char* command)
{
    outBind();
    if (outPending())
        fflush(stdout);
    return realSystem ? realSystem(command) : -1;
}
