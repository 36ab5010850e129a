// The portable copy's file dialogs on Windows. Qt's own file dialog keeps its last folder and
// history in HKCU\Software\QtProject, always in the registry, whatever format the program's own
// settings use: it reads them when it is made and writes them when it is destroyed, whoever
// destroys it. A portable copy leaves nothing on the machine, so Qt Core's own calls to open or
// make that key are answered "access denied": Qt then finds nothing and keeps nothing. Every
// other key, and every other module's registry calls, go through untouched, from any thread.
#include "ui/platform.h"

#include <QSettings>

#include <cstring>
#include <cwchar>

#include <windows.h>

namespace {

using OpenKey = LSTATUS(WINAPI*)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
using CreateKey = LSTATUS(WINAPI*)(HKEY, LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY,
                                   LPDWORD);
OpenKey systemOpenKey = nullptr;
CreateKey systemCreateKey = nullptr;

// HKCU\Software\QtProject and every key below it, however it is spelt.
bool isQtStateKey(HKEY parent, LPCWSTR subKey)
{
    static const wchar_t qtKey[] = L"Software\\QtProject";
    const size_t length = std::wcslen(qtKey);
    return parent == HKEY_CURRENT_USER && subKey && _wcsnicmp(subKey, qtKey, length) == 0
           && (subKey[length] == L'\0' || subKey[length] == L'\\');
}

LSTATUS WINAPI openKey(HKEY parent, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result)
{
    if (isQtStateKey(parent, subKey))
        return ERROR_ACCESS_DENIED;
    return systemOpenKey(parent, subKey, options, access, result);
}

LSTATUS WINAPI createKey(HKEY parent, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM access,
                         LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition)
{
    if (isQtStateKey(parent, subKey))
        return ERROR_ACCESS_DENIED;
    return systemCreateKey(parent, subKey, reserved, keyClass, options, access, security, result, disposition);
}

// Points the slot through which one library of module calls function at replacement, keeping
// what it pointed at in original (set before the slot changes, so no caller ever misses it).
bool redirectSlot(BYTE* base, const IMAGE_IMPORT_DESCRIPTOR& library, const char* function, void* replacement,
                  void** original)
{
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library.OriginalFirstThunk);
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library.FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slot) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
            continue;
        const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0)
            continue;
        DWORD protection = 0;
        if (!VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), PAGE_READWRITE, &protection))
            return false;
        *original = reinterpret_cast<void*>(slot->u1.Function);
        slot->u1.Function = reinterpret_cast<decltype(slot->u1.Function)>(replacement);
        VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), protection, &protection);
        return true;
    }
    return false;
}

// The same for module's import of function from advapi32.
bool redirectImport(HMODULE module, const char* function, void* replacement, void** original)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return false;
    for (auto* library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         library->Name; ++library) {
        if (_stricmp(reinterpret_cast<const char*>(base + library->Name), "advapi32.dll") == 0
            && redirectSlot(base, *library, function, replacement, original))
            return true;
    }
    return false;
}

bool redirectQtCore()
{
    // The module that holds QSettings: Qt Core's DLL, or the program itself where Qt is static.
    HMODULE qtCore = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&QSettings::staticMetaObject), &qtCore))
        return false;
    return redirectImport(qtCore, "RegOpenKeyExW", reinterpret_cast<void*>(&openKey),
                          reinterpret_cast<void**>(&systemOpenKey))
           && redirectImport(qtCore, "RegCreateKeyExW", reinterpret_cast<void*>(&createKey),
                             reinterpret_cast<void**>(&systemCreateKey));
}

} // namespace

bool keepQtDialogStateAway()
{
    static const bool kept = redirectQtCore();
    return kept;
}

// The system's print dialog: with no printer installed (Windows 10's PDF printer removed, or
// Windows 7, which has none) it shows nothing and prints nothing.
bool printDialogPrintsToPdf()
{
    return false;
}
