/* A stand-in for the setup check, built by it with MinGW-w64: as a planted uninstall.exe (or as
 * the program a setup starts) it leaves "ran" beside itself, holding its token's elevation type
 * (1 no split token, 2 an administrator's full rights, 3 the limited ones), so that the check
 * sees whether it was run and with which rights. */
#include <windows.h>
#include <wchar.h>

int wmain(void)
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH), size;
    while (length > 0 && path[length - 1] != L'\\')
        --length;
    if (length == 0 || length > MAX_PATH - 4)
        return 1;
    wcscpy(path + length, L"ran");
    TOKEN_ELEVATION_TYPE type = 0;
    HANDLE token;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size);
        CloseHandle(token);
    }
    char text = (char)('0' + type);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    WriteFile(file, &text, 1, &size, NULL);
    CloseHandle(file);
    return 0;
}
