/* Preloaded into drwa-host by the interrupted-receive tests: kills the process
 * (SIGKILL, as an out-of-memory killer or a power cut of the process would)
 * on entering the Nth call of one function, DRWA_KILL_AT="write:N" or
 * "renameat2:N", so that a test can stop a conversion at exactly the point it
 * wants. Only drwa-host is touched: the plugins it starts inherit the
 * environment. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static char target[32];
static long kill_at = -1;
static long calls;

__attribute__((constructor)) static void ReadTarget(void) {
    const char* spec = getenv("DRWA_KILL_AT");
    const char* colon = spec ? strchr(spec, ':') : NULL;
    if (!colon || strcmp(program_invocation_short_name, "drwa-host") != 0) return;
    snprintf(target, sizeof target, "%.*s", (int)(colon - spec), spec);
    kill_at = atol(colon + 1);
}

static void Count(const char* function) {
    if (kill_at > 0 && strcmp(function, target) == 0 &&
        __atomic_add_fetch(&calls, 1, __ATOMIC_SEQ_CST) == kill_at)
        raise(SIGKILL);
}

ssize_t write(int fd, const void* bytes, size_t n) {
    static ssize_t (*real)(int, const void*, size_t);
    if (!real) real = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    Count("write");
    return real(fd, bytes, n);
}

int renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) {
    static int (*real)(int, const char*, int, const char*, unsigned);
    if (!real) real = (int (*)(int, const char*, int, const char*, unsigned))dlsym(RTLD_NEXT, "renameat2");
    Count("renameat2");
    return real(from_dir, from, to_dir, to, flags);
}
