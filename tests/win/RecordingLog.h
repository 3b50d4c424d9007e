// An IProgressLog that records what a stage shows, answers questions from a
// script, and can run a callback when a line is added (to break things mid-run).
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "install/ProgressLog.h"

class TRecordingLog : public IProgressLog {
public:
    std::vector<std::wstring> Lines;
    std::vector<std::wstring> Errors;     // texts of error boxes
    std::vector<std::wstring> Questions;  // texts of confirmations
    std::deque<bool> Answers;             // Yes/No, in order; No when none is left
    // Every event in order: "add:<line>", "mark:<index>", "pump", "repaint", "error:<text>", "ask:<text>".
    std::vector<std::wstring> Events;
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
    void Pump() override { Events.push_back(L"pump"); }
    void RepaintList() override { Events.push_back(L"repaint"); }
    void ShowError(const std::wstring& text) override {
        Errors.push_back(text);
        Events.push_back(L"error:" + text);
    }
    bool Confirm(const std::wstring& text) override {
        Questions.push_back(text);
        Events.push_back(L"ask:" + text);
        if (Answers.empty()) return false;
        bool yes = Answers.front();
        Answers.pop_front();
        return yes;
    }
};
