/* Starts a command line as a standard user's program runs: with the limited token linked to this
 * process's administrator token. Wine starts every program with an administrator's full rights,
 * and links such a limited token to them, as UAC does; this lets the setup check try what a
 * standard user (or an administrator's unelevated program) does.
 *   limited.exe "COMMAND LINE"   waits for it and exits with its exit code; 255 when it could
 *                                not be started so. */
#include <windows.h>
#include <stdio.h>

int wmain(int argc, wchar_t **argv)
{
    HANDLE own;
    TOKEN_LINKED_TOKEN linked;
    DWORD size, code = 255;
    STARTUPINFOW startup = {.cb = sizeof startup};
    PROCESS_INFORMATION process;
    if (argc != 2 || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)
        || !GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)) {
        fprintf(stderr, "limited.exe: no linked token (error %lu)\n", GetLastError());
        return 255;
    }
    if (!CreateProcessAsUserW(linked.LinkedToken, NULL, argv[1], NULL, NULL, FALSE, 0, NULL, NULL,
                              &startup, &process)) {
        fprintf(stderr, "limited.exe: could not start %ls (error %lu)\n", argv[1], GetLastError());
        return 255;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    return (int)code;
}
