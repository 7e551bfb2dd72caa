/* Preloaded into the host arj with arj_preload.c (LD_PRELOAD); it answers for an "a" run only.
 *
 * arj finds every name of a list file by reading the whole of its directory again: a list of
 * the N files of one directory costs N full reads of it, in the kernel, which made an "A" of a
 * few thousand files take twice as long as arj's own walk of the same tree. Here the first
 * read of a directory is kept and later opens of it are served from memory, in the order the
 * directory gave, so arj stores the same entries in the same order. Plain C: nothing of a C++
 * runtime is brought into arj.
 *
 * A directory navlor-arj names by a mask ("DIR/*") in another order than the directory's own
 * is given in that order instead: its order file (add_masks.h) lists the names, and those
 * come first, in its order, the rest after in the directory's. */

#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

/* The names are read together, file after file of one directory: the last few directories
 * serve, and memory stays bounded however many directories the run goes through. */
enum
{
    kKeptDirectories = 4
};

struct Entry
{
    ino_t inode;
    unsigned char type;
    size_t nameAt; /* in the listing's names */
};

struct Listing
{
    dev_t device;
    ino_t inode;
    struct Entry* entries;
    size_t count;
    char* names;
    unsigned long lastUse;
};

/* A stream arj opened, read from a kept listing. The real stream stays open for anything
 * else that may be asked of it. */
struct Open
{
    DIR* real;
    struct Listing* listing;
    size_t next;
    struct dirent entry;
    struct dirent64 entry64;
    struct Open* link;
};

/* Set by arj_preload.c for the runs that are no add: every call goes straight through. */
int navlorArjCacheOff __attribute__((visibility("hidden")));

static struct Listing g_listings[kKeptDirectories];
static struct Open* g_open;
static unsigned long g_clock;

/* From NAVLOR_ARJ_ORDER: where the order files are; NULL: none. */
static char* g_orderDirectory;

static DIR* (*realOpendir)(const char*);
static struct dirent* (*realReaddir)(DIR*);
static void (*realRewinddir)(DIR*);
static int (*realClosedir)(DIR*);

static int bound(void)
{
    if (!realOpendir) {
        realOpendir = (DIR * (*)(const char*)) dlsym(RTLD_NEXT, "opendir");
        realReaddir = (struct dirent * (*)(DIR*)) dlsym(RTLD_NEXT, "readdir");
        realRewinddir = (void (*)(DIR*))dlsym(RTLD_NEXT, "rewinddir");
        realClosedir = (int (*)(DIR*))dlsym(RTLD_NEXT, "closedir");
    }
    return realOpendir && realReaddir && realRewinddir && realClosedir;
}

static void forget(struct Listing* listing)
{
    free(listing->entries);
    free(listing->names);
    memset(listing, 0, sizeof *listing);
}

/* The whole directory read from `real`, which is then rewound as if untouched; 0 when memory
 * runs out, and arj reads the directory itself. */
static int readWhole(DIR* real, struct Listing* listing)
{
    size_t capacity = 64;
    size_t namesCapacity = 1024;
    size_t namesUsed = 0;
    listing->entries = malloc(capacity * sizeof *listing->entries);
    listing->names = malloc(namesCapacity);
    if (!listing->entries || !listing->names)
        return 0;
    const struct dirent* e;
    while ((e = realReaddir(real)) != NULL) {
        const size_t length = strlen(e->d_name) + 1;
        if (listing->count == capacity) {
            capacity *= 2;
            struct Entry* grown = realloc(listing->entries, capacity * sizeof *grown);
            if (!grown)
                return 0;
            listing->entries = grown;
        }
        while (namesUsed + length > namesCapacity) {
            namesCapacity *= 2;
            char* grown = realloc(listing->names, namesCapacity);
            if (!grown)
                return 0;
            listing->names = grown;
        }
        memcpy(listing->names + namesUsed, e->d_name, length);
        listing->entries[listing->count].inode = e->d_ino;
        listing->entries[listing->count].type = e->d_type;
        listing->entries[listing->count].nameAt = namesUsed;
        ++listing->count;
        namesUsed += length;
    }
    realRewinddir(real);
    return 1;
}

/* Meant for arj alone, not for what it may start. */
__attribute__((constructor)) static void orderStart(void)
{
    const char* directory = getenv("NAVLOR_ARJ_ORDER");
    if (directory && *directory)
        g_orderDirectory = strdup(directory);
    unsetenv("NAVLOR_ARJ_ORDER");
}

/* The whole of the file at `path`, ending in a 0; NULL when there is none or it cannot be
 * read. */
static char* readOrderFile(const char* path)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return NULL;
    struct stat st;
    char* text = NULL;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        text = malloc((size_t)st.st_size + 1);
    size_t got = 0;
    while (text && got < (size_t)st.st_size) {
        const ssize_t n = read(fd, text + got, (size_t)st.st_size - got);
        if (n <= 0) {
            free(text);
            text = NULL;
            break;
        }
        got += (size_t)n;
    }
    close(fd);
    if (text)
        text[got] = '\0';
    return text;
}

static int orderByName(const void* a, const void* b, void* listing)
{
    const struct Listing* l = listing;
    return strcmp(l->names + l->entries[*(const size_t*)a].nameAt,
                  l->names + l->entries[*(const size_t*)b].nameAt);
}

/* Where the entry named `name` is in the listing, by the indices `byName` sorts by name;
 * `count` when it has none. */
static size_t entryNamed(const struct Listing* listing, const size_t* byName, const char* name)
{
    size_t low = 0;
    size_t high = listing->count;
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const int c = strcmp(listing->names + listing->entries[byName[middle]].nameAt, name);
        if (c == 0)
            return byName[middle];
        if (c < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return listing->count;
}

/* The listing in the order of its directory's order file, if it has one: the names there
 * first, in that order, then the rest as the directory gave them. 0 when memory runs out. */
static int arrange(struct Listing* listing, const struct stat* st)
{
    if (!g_orderDirectory || listing->count == 0)
        return 1;
    char path[4096];
    const int length = snprintf(path, sizeof path, "%s/%llu-%llu", g_orderDirectory,
                                (unsigned long long)st->st_dev, (unsigned long long)st->st_ino);
    if (length < 0 || (size_t)length >= sizeof path)
        return 1;
    char* order = readOrderFile(path);
    if (!order)
        return 1;
    const size_t count = listing->count;
    size_t* byName = malloc(count * sizeof *byName);
    struct Entry* arranged = malloc(count * sizeof *arranged);
    unsigned char* taken = calloc(count, 1);
    const int ok = byName && arranged && taken;
    if (ok) {
        for (size_t i = 0; i < count; ++i)
            byName[i] = i;
        qsort_r(byName, count, sizeof *byName, orderByName, listing);
        size_t placed = 0;
        for (char* line = order; *line;) {
            char* end = strchr(line, '\n');
            if (end)
                *end = '\0';
            const size_t at = entryNamed(listing, byName, line);
            if (at < count && !taken[at]) {
                taken[at] = 1;
                arranged[placed++] = listing->entries[at];
            }
            line = end ? end + 1 : line + strlen(line);
        }
        for (size_t i = 0; i < count; ++i) {
            if (!taken[i])
                arranged[placed++] = listing->entries[i];
        }
        free(listing->entries);
        listing->entries = arranged;
        arranged = NULL;
    }
    free(order);
    free(byName);
    free(arranged);
    free(taken);
    return ok;
}

static struct Listing* listingOf(DIR* real)
{
    struct stat st;
    if (fstat(dirfd(real), &st) != 0)
        return NULL;
    struct Listing* oldest = &g_listings[0];
    for (int i = 0; i < kKeptDirectories; ++i) {
        struct Listing* l = &g_listings[i];
        if (l->entries && l->device == st.st_dev && l->inode == st.st_ino) {
            l->lastUse = ++g_clock;
            return l;
        }
        if (l->lastUse < oldest->lastUse)
            oldest = l;
    }
    for (const struct Open* o = g_open; o; o = o->link) {
        if (o->listing == oldest)
            return NULL; /* still being read: never replaced under a reader */
    }
    forget(oldest);
    if (!readWhole(real, oldest) || !arrange(oldest, &st)) {
        forget(oldest);
        realRewinddir(real);
        return NULL;
    }
    oldest->device = st.st_dev;
    oldest->inode = st.st_ino;
    oldest->lastUse = ++g_clock;
    return oldest;
}

static struct Open* openOf(DIR* dir)
{
    for (struct Open* o = g_open; o; o = o->link) {
        if (o->real == dir)
            return o;
    }
    return NULL;
}

/* The next entry of a kept listing, or NULL at its end. */
static const struct Entry* nextEntry(struct Open* o)
{
    if (o->next >= o->listing->count)
        return NULL;
    return &o->listing->entries[o->next++];
}

DIR* opendir(const char* path)
{
    if (!bound())
        return NULL;
    DIR* real = realOpendir(path);
    if (!real || navlorArjCacheOff)
        return real;
    struct Open* o = calloc(1, sizeof *o);
    if (!o)
        return real;
    o->listing = listingOf(real);
    if (!o->listing) {
        free(o);
        return real;
    }
    o->real = real;
    o->link = g_open;
    g_open = o;
    return real;
}

struct dirent* readdir(DIR* dir)
{
    if (!bound())
        return NULL;
    struct Open* o = openOf(dir);
    if (!o)
        return realReaddir(dir);
    const struct Entry* e = nextEntry(o);
    if (!e)
        return NULL;
    const char* name = o->listing->names + e->nameAt;
    o->entry.d_ino = e->inode;
    o->entry.d_off = (off_t)o->next;
    o->entry.d_reclen = sizeof o->entry;
    o->entry.d_type = e->type;
    strncpy(o->entry.d_name, name, sizeof o->entry.d_name - 1);
    o->entry.d_name[sizeof o->entry.d_name - 1] = '\0';
    return &o->entry;
}

/* The same stream under the name programs built for large files call. */
struct dirent64* readdir64(DIR* dir)
{
    if (!bound())
        return NULL;
    struct Open* o = openOf(dir);
    if (!o) {
        static struct dirent64* (*realReaddir64)(DIR*);
        if (!realReaddir64)
            realReaddir64 = (struct dirent64 * (*)(DIR*)) dlsym(RTLD_NEXT, "readdir64");
        return realReaddir64 ? realReaddir64(dir) : NULL;
    }
    const struct Entry* e = nextEntry(o);
    if (!e)
        return NULL;
    const char* name = o->listing->names + e->nameAt;
    o->entry64.d_ino = e->inode;
    o->entry64.d_off = (off64_t)o->next;
    o->entry64.d_reclen = sizeof o->entry64;
    o->entry64.d_type = e->type;
    strncpy(o->entry64.d_name, name, sizeof o->entry64.d_name - 1);
    o->entry64.d_name[sizeof o->entry64.d_name - 1] = '\0';
    return &o->entry64;
}

void rewinddir(DIR* dir)
{
    if (!bound())
        return;
    struct Open* o = openOf(dir);
    if (o)
        o->next = 0;
    realRewinddir(dir);
}

int closedir(DIR* dir)
{
    if (!bound())
        return -1;
    for (struct Open** p = &g_open; *p; p = &(*p)->link) {
        if ((*p)->real == dir) {
            struct Open* o = *p;
            *p = o->link;
            free(o);
            break;
        }
    }
    return realClosedir(dir);
}
