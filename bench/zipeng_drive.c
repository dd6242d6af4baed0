/*
 * Calls the compressing-side engine once with the arguments given, the way
 * the engine component does, and prints the result code. Used by
 * bench_fix.sh to time the engine without any program around it.
 *
 *   zipeng_drive LIBRARY PASSWORD OPTION... ARCHIVE FILE...
 */
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>

typedef int32_t (*Callback)(int32_t code, void *data, void *user);
typedef int32_t (*Entry)(int32_t magic, int32_t argc, char **argv, Callback cb, void *user);

static int32_t count_messages(int32_t code, void *data, void *user) {
    (void)code;
    (void)data;
    ++*(long *)user;
    return 0;
}

int main(int argc, char **argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: %s LIBRARY PASSWORD OPTION... ARCHIVE FILE...\n", argv[0]);
        return 2;
    }
    void *lib = dlopen(argv[1], RTLD_NOW);
    if (lib == NULL) {
        fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    Entry zipeng = (Entry)dlsym(lib, "zipeng");
    if (zipeng == NULL) {
        fprintf(stderr, "no entry point zipeng\n");
        return 2;
    }
    long messages = 0;
    int32_t rc = zipeng(100, argc - 2, argv + 2, count_messages, &messages);
    fprintf(stderr, "result %d, %ld messages\n", rc & 0xFFFF, messages);
    return (rc & 0xFFFF) == 0 ? 0 : 1;
}
