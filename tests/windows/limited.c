/* Starts a command line with the other of this process's two linked tokens, as UAC gives an
 * administrator: by default the limited one, as a standard user's program runs; with --full the
 * administrator's full one, as "Run as administrator" does. Wine 8 starts every program with the
 * full token, Wine 10 with the limited one; each links the other, so the setup check can try both
 * on either. A process that already has the token asked for starts the command as it is.
 *   limited.exe [--full] "COMMAND LINE"   waits for it and exits with its exit code; 255 when it
 *                                         could not be started so. */
#include <windows.h>
#include <stdio.h>
#include <wchar.h>

int wmain(int argc, wchar_t **argv)
{
    HANDLE own, token = NULL;
    TOKEN_LINKED_TOKEN linked;
    TOKEN_ELEVATION_TYPE type;
    DWORD size, code = 255;
    STARTUPINFOW startup = {.cb = sizeof startup};
    PROCESS_INFORMATION process;
    const int full = argc == 3 && wcscmp(argv[1], L"--full") == 0;
    if (argc != 2 + full || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)
        || !GetTokenInformation(own, TokenElevationType, &type, sizeof type, &size)) {
        fprintf(stderr, "limited.exe: usage: limited.exe [--full] \"COMMAND LINE\" (error %lu)\n", GetLastError());
        return 255;
    }
    if (type != (full ? TokenElevationTypeFull : TokenElevationTypeLimited)) {
        if (!GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)) {
            fprintf(stderr, "limited.exe: no linked token (error %lu)\n", GetLastError());
            return 255;
        }
        token = linked.LinkedToken;
    }
    if (!(token ? CreateProcessAsUserW(token, NULL, argv[1 + full], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)
                : CreateProcessW(NULL, argv[1 + full], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))) {
        fprintf(stderr, "limited.exe: could not start %ls (error %lu)\n", argv[1 + full], GetLastError());
        return 255;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    return (int)code;
}
