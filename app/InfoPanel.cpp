#include "app/InfoPanel.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <span>

#include "app/CompositionPlan.h"
#include "platform/AppError.h"
#include "platform/Resources.h"
#include "platform/SystemLibrary.h"

namespace {

struct TStreamCursor {
    std::span<const uint8_t> Data;
    size_t Pos = 0;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG want, LONG* got) {
    auto* cursor = reinterpret_cast<TStreamCursor*>(cookie);
    const size_t n = std::min(cursor->Data.size() - cursor->Pos, static_cast<size_t>(want));
    std::memcpy(buffer, cursor->Data.data() + cursor->Pos, n);
    cursor->Pos += n;
    *got = static_cast<LONG>(n);
    return 0;
}

TStreamCursor InfoDocument(HMODULE module) {
    TStreamCursor cursor{ResourceBytes(module, L"INFO"), 0};
    if (cursor.Data.empty()) throw EAppError(L"В программе нет ресурса \"INFO\".");
    return cursor;
}

}  // namespace

HWND CreateInfoPanel(HWND parent, int id, HINSTANCE instance) {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_VSCROLL | ES_MULTILINE |
                        ES_READONLY | ES_AUTOVSCROLL;
    HWND panel = nullptr;
    // No border of its own: the framing image draws it. Newer control first;
    // the older one still reads the document.
    if (LoadSystemLibrary(L"msftedit.dll"))
        panel = CreateWindowExW(0, MSFTEDIT_CLASS, L"", style, RichEdit1Place.Left, RichEdit1Place.Top,
                                RichEdit1Place.Width, RichEdit1Place.Height, parent,
                                reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
    if (!panel && LoadSystemLibrary(L"riched20.dll"))
        panel = CreateWindowExW(0, RICHEDIT_CLASSW, L"", style, RichEdit1Place.Left, RichEdit1Place.Top,
                                RichEdit1Place.Width, RichEdit1Place.Height, parent,
                                reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
    if (!panel) return nullptr;

    CHARFORMAT2W cf = {};
    cf.cbSize = sizeof(cf);
    cf.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET;
    cf.yHeight = 13 * 1440 / 96;  // 13 px in twips
    cf.bCharSet = RUSSIAN_CHARSET;
    lstrcpynW(cf.szFaceName, L"MS Sans Serif", LF_FACESIZE);
    SendMessageW(panel, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(panel, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(panel, EM_SETREADONLY, TRUE, 0);
    SetInfoMargins(panel);
    return panel;
}

void SetInfoMargins(HWND richEdit) {
    RECT rc;
    GetClientRect(richEdit, &rc);
    InflateRect(&rc, -4, -4);
    SendMessageW(richEdit, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&rc));
}

void LoadInfo(HWND richEdit, HMODULE module) {
    if (!richEdit) throw EAppError(L"Не удалось создать информационную панель: нет элемента RichEdit.");
    TStreamCursor cursor = InfoDocument(module);
    EDITSTREAM es = {};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&cursor);
    es.pfnCallback = ReadStream;
    SendMessageW(richEdit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    if (es.dwError != 0) throw EAppError(L"Не удалось прочитать документ \"INFO\".");
    SendMessageW(richEdit, EM_SETSEL, 0, 0);
}

void CheckInfoDocument(HMODULE module) { InfoDocument(module); }

void SetInfoPanelColor(HWND richEdit, COLORREF color) {
    SendMessageW(richEdit, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(color));
}
