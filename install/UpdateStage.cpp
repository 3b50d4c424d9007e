#include "install/UpdateStage.h"

#include <windows.h>
#include <msxml2.h>

#include <algorithm>
#include <utility>

#include "install/FileHelpers.h"
#include "install/MediaLayout.h"
#include "install/ProcessRunner.h"
#include "install/ReleasePackages.h"
#include "platform/AppError.h"
#include "platform/ErrorBox.h"
#include "platform/Com.h"
#include "platform/WinUtil.h"

void SortPackages(std::vector<std::wstring>& paths) {
    std::sort(paths.begin(), paths.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                              b.c_str(), static_cast<int>(b.size())) == CSTR_LESS_THAN;
    });
}

TUpdateOutcome RunUpdateStage(IProgressLog& log, const std::wstring& target, const std::wstring& source,
                              unsigned long waitLimitMs) {
    TUpdateOutcome outcome;
    const std::wstring packagesFolder = target + PackagesFolder + L"\\";
    if (!DirectoryExists(packagesFolder)) CreateDirectoryW(packagesFolder.c_str(), nullptr);
    for (const auto& [from, to] : {std::pair{source + PackagesFolder, target + PackagesFolder},
                                   std::pair{source + UpdaterFolder, target}})
        for (const std::wstring& failure : CopyFolderRecursive(from, to)) {
            outcome.Failures.push_back(L"Не скопирован файл " + failure);
            log.Add(outcome.Failures.back());
        }
    SetReadOnlyFlag(target + ReleaseInfoFile, false);
    SetReadOnlyFlag(target + UpdaterConfigFile, false);

    std::vector<std::wstring> packages;
    ListSubfolders(packagesFolder, packages);
    SortPackages(packages);
    const std::wstring package = packages[NewestPackage(packages, packagesFolder)];

    SetCurrentDirectoryW((package + L"\\").c_str());
    const unsigned long exitCode = RunAndWait(package + L"\\" + ReleaseScriptFile, L"", SW_HIDE, waitLimitMs);
    SetCurrentDirectoryW(target.c_str());
    // Media never had to end their scripts with 0 (a script's code is that of
    // its last command, and robocopy ends with 1 after copying files): the code
    // is reported, the installation goes on.
    if (exitCode != 0)
        log.Add(L"Сценарий выпуска " + package + L"\\" + ReleaseScriptFile + L" завершился с кодом " +
                std::to_wstring(exitCode));

    outcome.Level = ReleaseLevel(package);
    SetReleaseLevel(target, outcome.Level);
    return outcome;
}

namespace {

// The version-independent DOM document class and its second interface.
const CLSID ClassDOMDocument = {0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
const IID InterfaceDOMDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

void Check(HRESULT hr, const std::wstring& what) {
    if (FAILED(hr)) throw EAppError(what + L" (" + SysErrorMessage(static_cast<DWORD>(hr)) + L")");
}

TComPtr<IXMLDOMNode> SelectNode(IXMLDOMNode* parent, const wchar_t* path) {
    TComPtr<IXMLDOMNode> node;
    TBstr query(path);
    if (FAILED(parent->selectSingleNode(query.Get(), node.Out()))) return {};
    return node;  // S_FALSE leaves it null: nothing matched
}

std::wstring ParseErrorText(IXMLDOMDocument2* doc) {
    TComPtr<IXMLDOMParseError> error;
    if (FAILED(doc->get_parseError(error.Out())) || !error) return L"";
    long code = 0;
    error->get_errorCode(&code);
    if (code == 0) return L"";
    TBstr reason;
    error->get_reason(reason.Out());
    std::wstring text = reason.Text();
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    long line = 0;
    error->get_line(&line);
    return text + L" (line " + std::to_wstring(line) + L")";
}

void WriteLevel(const std::wstring& file, const std::wstring& level) {
    TComPtr<IXMLDOMDocument2> doc;
    Check(CoCreateInstance(ClassDOMDocument, nullptr, CLSCTX_INPROC_SERVER, InterfaceDOMDocument2,
                           doc.OutVoid()),
          L"cannot create the XML document object");
    doc->put_async(VARIANT_FALSE);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    {
        TVariant path(file);
        doc->load(path.Get(), &loaded);
    }

    const TComPtr<IXMLDOMNode> root = SelectNode(doc.Get(), L"/ROOT");
    if (!root) {
        const std::wstring parse = ParseErrorText(doc.Get());
        throw EAppError(parse.empty() ? L"no ROOT element" : L"cannot parse " + file + L": " + parse);
    }

    long version = 0;
    const TComPtr<IXMLDOMNode> versionNode = SelectNode(root.Get(), L"Version");
    if (versionNode) {
        TVariant value;
        Check(versionNode->get_nodeTypedValue(value.Out()), L"cannot read Version");
        TVariant number;
        if (FAILED(VariantChangeType(number.Out(), &value.Get(), 0, VT_I4)))
            throw EAppError(L"Version is not an integer");
        version = number.Get().lVal;
    }
    if (version != 1) throw EAppError(L"unknown release file version");

    const TComPtr<IXMLDOMNode> levelNode = SelectNode(root.Get(), L"Level");
    if (!levelNode) throw EAppError(L"no Level element");
    {
        TVariant value(level);
        Check(levelNode->put_nodeTypedValue(value.Get()), L"cannot set Level");
    }
    TVariant path(file);
    Check(doc->save(path.Get()), L"cannot save " + file);
}

}  // namespace

void SetReleaseLevel(const std::wstring& Folder, const std::wstring& Level) {
    const TComApartment com;

    const std::wstring file = Folder + ReleaseInfoFile;
    if (!FileExists(file)) throw EAppError(L"Release info file does not exist");
    try {
        WriteLevel(file, Level);
    } catch (const EAppError& e) {
        throw EAppError(L"Cannot get release information, error: " + e.Message());
    } catch (const std::exception& e) {
        throw EAppError(L"Cannot get release information, error: " + WhatText(e));
    }
}

std::wstring ReadReleaseLevel(const std::wstring& Folder) {
    try {
        const TComApartment com;
        TComPtr<IXMLDOMDocument2> doc;
        if (FAILED(CoCreateInstance(ClassDOMDocument, nullptr, CLSCTX_INPROC_SERVER, InterfaceDOMDocument2,
                                    doc.OutVoid())))
            return L"";
        doc->put_async(VARIANT_FALSE);
        VARIANT_BOOL loaded = VARIANT_FALSE;
        TVariant path(Folder + ReleaseInfoFile);
        if (FAILED(doc->load(path.Get(), &loaded)) || loaded != VARIANT_TRUE) return L"";
        const TComPtr<IXMLDOMNode> root = SelectNode(doc.Get(), L"/ROOT");
        const TComPtr<IXMLDOMNode> level = root ? SelectNode(root.Get(), L"Level") : TComPtr<IXMLDOMNode>();
        if (!level) return L"";
        TBstr text;
        if (FAILED(level->get_text(text.Out()))) return L"";
        return text.Text();
    } catch (const std::exception&) {
        return L"";
    }
}
