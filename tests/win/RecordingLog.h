// An IProgressLog that records what a stage shows, and can run a callback when
// a line is added (to break things mid-run).
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "install/ProgressLog.h"

class TRecordingLog : public IProgressLog {
public:
    std::vector<std::wstring> Lines;
    std::vector<std::wstring> Errors;     // texts of error boxes
    // Every event in order: "add:<line>", "mark:<index>", "error:<text>".
    std::vector<std::wstring> Events;
    // The copy progress reported last (done, total); {0, 0} when none was.
    unsigned long long ProgressDone = 0, ProgressTotal = 0;
    int ProgressCalls = 0;
    std::function<void(const std::wstring&)> OnAdd;

    int Add(const std::wstring& line) override {
        Lines.push_back(line);
        Events.push_back(L"add:" + line);
        if (OnAdd) OnAdd(line);
        return static_cast<int>(Lines.size()) - 1;
    }
    void Complete(int index, bool ok) override {
        Lines.at(static_cast<size_t>(index)) += ok ? MarkDone : MarkError;
        Events.push_back(L"mark:" + std::to_wstring(index));
    }
    void ShowError(const std::wstring& text) override {
        Errors.push_back(text);
        Events.push_back(L"error:" + text);
    }
    void CopyProgress(unsigned long long done, unsigned long long total) override {
        ProgressDone = done;
        ProgressTotal = total;
        ++ProgressCalls;
    }
};
