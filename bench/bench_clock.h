// Timing for the benchmarks that run under Wine.
#pragma once
#include <windows.h>

#include <functional>

inline double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

inline double Seconds(const std::function<void()>& work)
{
    double start = Now();
    work();
    return Now() - start;
}
