/* The whole of a file in memory, for the C tests of the library. */
#ifndef ZUMBRIK_TESTS_LIBRARY_READ_WHOLE_FILE_H
#define ZUMBRIK_TESTS_LIBRARY_READ_WHOLE_FILE_H

#include <stdio.h>
#include <stdlib.h>

/* The file's bytes (free them), or NULL when it cannot be read whole. */
static unsigned char* ReadFile(const char* path, size_t* size) {
    FILE* file = fopen(path, "rb");
    unsigned char* bytes = NULL;
    long length;
    if (file == NULL) return NULL;
    if (fseek(file, 0, SEEK_END) == 0 && (length = ftell(file)) > 0 && fseek(file, 0, SEEK_SET) == 0) {
        bytes = malloc((size_t)length);
        if (bytes != NULL && fread(bytes, 1, (size_t)length, file) != (size_t)length) {
            free(bytes);
            bytes = NULL;
        }
        *size = (size_t)length;
    }
    fclose(file);
    return bytes;
}

#endif
