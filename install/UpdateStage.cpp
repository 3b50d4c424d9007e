#include "install/UpdateStage.h"

#include <windows.h>
#include <msxml2.h>
#include <oleauto.h>

#include <algorithm>

#include "install/FileHelpers.h"
#include "install/ProcessRunner.h"
#include "install/ReleasePackages.h"
#include "platform/AppError.h"
#include "platform/WinUtil.h"

void SortPackages(std::vector<std::wstring>& paths) {
    std::sort(paths.begin(), paths.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                              b.c_str(), static_cast<int>(b.size())) == CSTR_LESS_THAN;
    });
}

void RunUpdateStage(IProgressLog& log, const std::wstring& target, const std::wstring& source) {
    if (!DirectoryExists(target + L"Backup\\")) CreateDirectoryW((target + L"backup\\").c_str(), nullptr);
    CopyFolderRecursive(source + L"backup", target + L"backup");
    CopyFolderRecursive(source + L"Updater", target);
    SetReadOnlyFlag(target + L"ReleaseInfo", false);
    SetReadOnlyFlag(target + L"Updater.exe.cfg", false);

    std::vector<std::wstring> packages;
    ListSubfolders(target + L"backup\\", packages);
    SortPackages(packages);
    const std::wstring package = packages[NewestPackage(packages, target + L"backup\\")];

    SetCurrentDirectoryW((package + L"\\").c_str());
    const unsigned long exitCode = RunAndWait(package + L"\\Install.cmd", L"", SW_HIDE);
    SetCurrentDirectoryW(target.c_str());
    // Media never had to end their scripts with 0 (a script's code is that of
    // its last command, and robocopy ends with 1 after copying files): the code
    // is reported, the installation goes on.
    if (exitCode != 0)
        log.Add(L"Сценарий выпуска " + package + L"\\Install.cmd завершился с кодом " +
                std::to_wstring(exitCode));

    SetReleaseLevel(target, ReleaseLevel(package));
}

namespace {

// The version-independent DOM document class and its second interface.
const CLSID ClassDOMDocument = {0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
const IID InterfaceDOMDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

template <class T>
class TComPtr {
public:
    TComPtr() = default;
    ~TComPtr() {
        if (FPtr) FPtr->Release();
    }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;
    T** operator&() { return &FPtr; }
    T* operator->() const { return FPtr; }
    T* Get() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }

private:
    T* FPtr = nullptr;
};

class TBstr {
public:
    explicit TBstr(const std::wstring& s) : FValue(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    ~TBstr() { SysFreeString(FValue); }
    TBstr(const TBstr&) = delete;
    TBstr& operator=(const TBstr&) = delete;
    BSTR Get() const { return FValue; }

private:
    BSTR FValue;
};

class TVariant {
public:
    TVariant() { VariantInit(&FValue); }
    explicit TVariant(const std::wstring& s) {
        VariantInit(&FValue);
        FValue.vt = VT_BSTR;
        FValue.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    }
    ~TVariant() { VariantClear(&FValue); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    VARIANT* operator&() { return &FValue; }
    VARIANT& Get() { return FValue; }

private:
    VARIANT FValue;
};

void Check(HRESULT hr, const std::wstring& what) {
    if (FAILED(hr)) throw EAppError(what + L" (" + SysErrorMessage(static_cast<DWORD>(hr)) + L")");
}

IXMLDOMNode* SelectNode(IXMLDOMNode* parent, const wchar_t* path) {
    IXMLDOMNode* node = nullptr;
    TBstr query(path);
    if (FAILED(parent->selectSingleNode(query.Get(), &node))) return nullptr;
    return node;  // S_FALSE leaves it null: nothing matched
}

std::wstring ParseErrorText(IXMLDOMDocument2* doc) {
    TComPtr<IXMLDOMParseError> error;
    if (FAILED(doc->get_parseError(&error)) || !error) return L"";
    long code = 0;
    error->get_errorCode(&code);
    if (code == 0) return L"";
    BSTR reason = nullptr;
    error->get_reason(&reason);
    std::wstring text = reason ? std::wstring(reason, SysStringLen(reason)) : std::wstring();
    SysFreeString(reason);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    long line = 0;
    error->get_line(&line);
    return text + L" (line " + std::to_wstring(line) + L")";
}

void WriteLevel(const std::wstring& file, const std::wstring& level) {
    TComPtr<IXMLDOMDocument2> doc;
    Check(CoCreateInstance(ClassDOMDocument, nullptr, CLSCTX_INPROC_SERVER, InterfaceDOMDocument2,
                           reinterpret_cast<void**>(&doc)),
          L"cannot create the XML document object");
    doc->put_async(VARIANT_FALSE);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    {
        TVariant path(file);
        doc->load(path.Get(), &loaded);
    }

    TComPtr<IXMLDOMNode> root;
    *&root = SelectNode(doc.Get(), L"/ROOT");
    if (!root) {
        const std::wstring parse = ParseErrorText(doc.Get());
        throw EAppError(parse.empty() ? L"no ROOT element" : L"cannot parse " + file + L": " + parse);
    }

    long version = 0;
    TComPtr<IXMLDOMNode> versionNode;
    *&versionNode = SelectNode(root.Get(), L"Version");
    if (versionNode) {
        TVariant value;
        Check(versionNode->get_nodeTypedValue(&value), L"cannot read Version");
        TVariant number;
        if (FAILED(VariantChangeType(&number, &value, 0, VT_I4)))
            throw EAppError(L"Version is not an integer");
        version = number.Get().lVal;
    }
    if (version != 1) throw EAppError(L"unknown release file version");

    TComPtr<IXMLDOMNode> levelNode;
    *&levelNode = SelectNode(root.Get(), L"Level");
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
    const HRESULT com = CoInitialize(nullptr);
    struct TComScope {
        HRESULT hr;
        ~TComScope() {
            if (SUCCEEDED(hr)) CoUninitialize();
        }
    } scope{com};

    const std::wstring file = Folder + L"ReleaseInfo";
    if (!FileExists(file)) throw EAppError(L"Release info file does not exist");
    try {
        WriteLevel(file, Level);
    } catch (const EAppError& e) {
        throw EAppError(L"Cannot get release information, error: " + e.Message());
    } catch (const std::exception& e) {
        const std::string what = e.what();
        throw EAppError(L"Cannot get release information, error: " + std::wstring(what.begin(), what.end()));
    }
}
