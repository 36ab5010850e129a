/* A stand-in for the setup check, built by it with MinGW-w64.
 *   planted.exe [anything]       as a planted uninstall.exe: leaves "ran" beside itself, so that
 *                                the check sees whether a setup ran it.
 *   planted.exe hold NAME FLAG   creates the mutex NAME first, as another user's program could,
 *                                then writes FLAG and holds the mutex until FLAG is deleted. */
#include <windows.h>
#include <wchar.h>

int wmain(int argc, wchar_t **argv)
{
    if (argc == 4 && wcscmp(argv[1], L"hold") == 0) {
        HANDLE mutex = CreateMutexW(NULL, TRUE, argv[2]);
        if (!mutex)
            return 1;
        CloseHandle(CreateFileW(argv[3], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
        while (GetFileAttributesW(argv[3]) != INVALID_FILE_ATTRIBUTES)
            Sleep(100);
        CloseHandle(mutex);
        return 0;
    }
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    while (length > 0 && path[length - 1] != L'\\')
        --length;
    if (length == 0 || length > MAX_PATH - 4)
        return 1;
    wcscpy(path + length, L"ran");
    CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    return 0;
}
