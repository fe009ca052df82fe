#pragma once
// Tiny timing helpers: run a body many times, report the median.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace varnel::bench {

template <typename Body>
double medianMicroseconds(int runs, Body&& body) {
    std::vector<double> times;
    times.reserve(static_cast<size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        body();
        auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

inline void report(const std::string& name, double value, const char* unit) {
    std::printf("%s: %.3f %s\n", name.c_str(), value, unit);
    std::fflush(stdout);
}

inline std::filesystem::path tempFolder(const std::string& tag) {
    std::random_device r;
    auto p = std::filesystem::temp_directory_path() / ("varnel-bench-" + tag + "-" + std::to_string(r()));
    std::filesystem::create_directories(p);
    return p;
}

}  // namespace varnel::bench
