// Runs a test program under wine with the environment its suite asks for.
// Wine leaves out of a Windows program's environment the Unix variables
// named QT_... and XDG_... and puts its own LOCALAPPDATA and APPDATA in;
// so the suite passes each as KKTVIEW_TEST_ENV_NAME=value, and this sets
// NAME=value before it starts the program named by its arguments.
// Qt Test's log does not reach a pipe under wine, so the program writes
// it to a file that this copies to its own output, for ctest to show.
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <windows.h>

static const wchar_t prefix[] = L"KKTVIEW_TEST_ENV_";

int wmain(int argc, wchar_t **argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: withenv PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    wchar_t *block = GetEnvironmentStringsW();
    const size_t prefixLength = wcslen(prefix);
    for (wchar_t *entry = block; *entry; entry += wcslen(entry) + 1) {
        if (_wcsnicmp(entry, prefix, prefixLength) != 0)
            continue;
        wchar_t *copy = _wcsdup(entry + prefixLength);
        wchar_t *equals = wcschr(copy, L'=');
        if (equals) {
            *equals = 0;
            SetEnvironmentVariableW(copy, equals + 1);
        }
        free(copy);
    }
    FreeEnvironmentStringsW(block);

    // The rest of the command line as it was given.
    const wchar_t *line = GetCommandLineW();
    int quoted = 0;
    while (*line && (quoted || (*line != L' ' && *line != L'\t'))) {
        if (*line == L'"')
            quoted = !quoted;
        ++line;
    }
    while (*line == L' ' || *line == L'\t')
        ++line;
    wchar_t logName[MAX_PATH] = L"";
    wchar_t folder[MAX_PATH];
    if (GetTempPathW(MAX_PATH, folder))
        GetTempFileNameW(folder, L"tst", 0, logName);
    const size_t commandLength = wcslen(line) + wcslen(logName) + 16;
    wchar_t *command = static_cast<wchar_t *>(calloc(commandLength, sizeof(wchar_t)));
    if (*logName)
        swprintf(command, commandLength, L"%ls -o \"%ls,txt\"", line, logName);
    else
        wcscpy(command, line);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Under load wine now and then fails to start a program at all (error
    // 1359, an internal error) although nothing is wrong with it; no test
    // has run then, so starting it again is safe.
    const int attempts = 5;
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessW(NULL, command, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process))
            break;
        const DWORD error = GetLastError();
        if (attempt == attempts || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            fwprintf(stderr, L"withenv: cannot start %ls: error %lu\n", argv[1], error);
            return 127;
        }
        fwprintf(stderr, L"withenv: starting %ls failed (error %lu), trying again\n", argv[1],
                 error);
        Sleep(500 * attempt);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    free(command);
    if (*logName) {
        if (FILE *log = _wfopen(logName, L"rb")) {
            char buffer[4096];
            size_t got;
            while ((got = fread(buffer, 1, sizeof buffer, log)) > 0)
                fwrite(buffer, 1, got, stdout);
            fclose(log);
        }
        fflush(stdout);
        DeleteFileW(logName);
    }
    return int(status);
}
