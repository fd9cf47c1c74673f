#pragma once
// The process's resident memory, in kilobytes, as the kernel counts it now.
#include <cstdio>
#include <unistd.h>

inline double ResidentKB() {
    long pages = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1024;
}
