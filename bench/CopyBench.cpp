// Times one way of copying a file, several runs, inside one Windows process so
// that Wine's start-up is not measured. Prints one line per timed run:
//   <method> <elapsed ms> <processor ms>
// Usage: CopyBench METHOD SOURCE DESTINATION RUNS [WARMUPS]
//   METHOD: stream (StreamCopyFile), copyfile (CopyFileW), or a trial of a
//   faster loop: plain, presize, sequential, aligned, mapped, all.
// The destination is deleted before every run (outside the timing); WARMUPS
// (default 1) untimed runs come first.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "install/FileHelpers.h"
#include "platform/AppError.h"

namespace {

struct TTrial {
    bool presize = false;
    bool sequential = false;
    bool aligned = false;
    bool mapped = false;  // write straight from a view of the source: one copy in the kernel
    unsigned long block = StreamCopyBlockSize;  // smaller only to show what the block size costs
};

// The 1 MiB read/write loop of StreamCopyFile with the trial's changes; the
// time stamp is handled the same way, so only the data path differs.
bool TrialCopy(const std::wstring& source, const std::wstring& destination, const TTrial& t) {
    HANDLE src = CreateFileW(source.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | (t.sequential ? FILE_FLAG_SEQUENTIAL_SCAN : 0), nullptr);
    if (src == INVALID_HANDLE_VALUE) return false;
    HANDLE dst = CreateFileW(destination.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL | (t.sequential ? FILE_FLAG_SEQUENTIAL_SCAN : 0), nullptr);
    if (dst == INVALID_HANDLE_VALUE) {
        CloseHandle(src);
        return false;
    }
    bool ok = true;
    LARGE_INTEGER size{};
    GetFileSizeEx(src, &size);
    if (t.presize && size.QuadPart > 0) {
        FILE_ALLOCATION_INFO alloc{};
        alloc.AllocationSize = size;
        SetFileInformationByHandle(dst, FileAllocationInfo, &alloc, sizeof alloc);
    }
    unsigned long long left = static_cast<unsigned long long>(size.QuadPart);
    const DWORD block = static_cast<DWORD>(std::min<unsigned long long>(left, t.block));
    std::vector<char> heap;
    char* buffer = nullptr;
    if (t.aligned) {
        buffer = static_cast<char*>(VirtualAlloc(nullptr, StreamCopyBlockSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    } else {
        heap.resize(block);
        buffer = heap.data();
    }
    HANDLE mapping = t.mapped && left > 0 ? CreateFileMappingW(src, nullptr, PAGE_READONLY, 0, 0, nullptr) : nullptr;
    unsigned long long offset = 0;
    char* view = nullptr;
    while (ok && left > 0) {
        DWORD want = static_cast<DWORD>(std::min<unsigned long long>(left, block)), got = 0, written = 0;
        if (mapping) {
            // Views of 64 MiB: few mappings, and every write still 1 MiB.
            constexpr unsigned long long window = 64ull << 20;
            if (offset % window == 0) {
                if (view) UnmapViewOfFile(view);
                SIZE_T span = static_cast<SIZE_T>(std::min<unsigned long long>(window, left));
                view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_READ, static_cast<DWORD>(offset >> 32),
                                                        static_cast<DWORD>(offset), span));
            }
            ok = view && WriteFile(dst, view + offset % window, want, &written, nullptr) && written == want;
        } else {
            ok = ReadFile(src, buffer, want, &got, nullptr) && got == want &&
                 WriteFile(dst, buffer, want, &written, nullptr) && written == want;
        }
        left -= want;
        offset += want;
    }
    if (view) UnmapViewOfFile(view);
    if (mapping) CloseHandle(mapping);
    FILETIME lastWrite{}, local{}, back{}, utc{};
    WORD dosDate = 0, dosTime = 0;
    if (GetFileTime(src, nullptr, nullptr, &lastWrite) && FileTimeToLocalFileTime(&lastWrite, &local) &&
        FileTimeToDosDateTime(&local, &dosDate, &dosTime) && DosDateTimeToFileTime(dosDate, dosTime, &back) &&
        LocalFileTimeToFileTime(&back, &utc))
        SetFileTime(dst, nullptr, nullptr, &utc);
    if (t.aligned) VirtualFree(buffer, 0, MEM_RELEASE);
    CloseHandle(dst);
    CloseHandle(src);
    return ok;
}

double CpuMs() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME f) { return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000.0; };
    return ms(kernel) + ms(user);
}

bool CopyOnce(const std::wstring& method, const std::wstring& src, const std::wstring& dst) {
    if (method == L"stream") return StreamCopyFile(src, dst);
    if (method == L"copyfile") return CopyFileW(src.c_str(), dst.c_str(), FALSE) != FALSE;
    TTrial t;
    if (method == L"presize" || method == L"all") t.presize = true;
    if (method == L"sequential" || method == L"all") t.sequential = true;
    if (method == L"aligned" || method == L"all") t.aligned = true;
    if (method == L"mapped") t.mapped = true;
    if (method == L"block64k") t.block = 65536;
    if (method != L"plain" && method != L"block64k" && !t.presize && !t.sequential && !t.aligned && !t.mapped)
        throw EAppError(L"unknown method " + method);
    return TrialCopy(src, dst, t);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 5 && argc != 6) {
        std::fputs("usage: CopyBench stream|copyfile|plain|presize|sequential|aligned|all SOURCE DESTINATION RUNS\n",
                   stderr);
        return 2;
    }
    const std::wstring method = argv[1], src = argv[2], dst = argv[3];
    const int runs = std::max(1, _wtoi(argv[4]));
    const int warmups = argc == 6 ? std::max(0, _wtoi(argv[5])) : 1;
    LARGE_INTEGER freq{};
    QueryPerformanceFrequency(&freq);
    try {
        for (int i = -warmups; i < runs; ++i) {
            DeleteFileW(dst.c_str());
            LARGE_INTEGER t0{}, t1{};
            double cpu0 = CpuMs();
            QueryPerformanceCounter(&t0);
            bool ok = CopyOnce(method, src, dst);
            QueryPerformanceCounter(&t1);
            double cpu = CpuMs() - cpu0;
            if (!ok) {
                std::fprintf(stderr, "CopyBench: %ls failed\n", method.c_str());
                return 1;
            }
            if (i >= 0)
                std::printf("%ls %.1f %.1f\n", method.c_str(),
                            1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart),
                            cpu);
            std::fflush(stdout);
        }
    } catch (const EAppError&) {
        std::fprintf(stderr, "CopyBench: error\n");
        return 1;
    }
    DeleteFileW(dst.c_str());
    return 0;
}
