/* Holds files open as another program that is reading them would (a viewer, a virus scanner that
   shares less than it should): others may read them, but nobody can write, rename or remove them.
   Used by the installer's test: "HoldFiles PATH..." opens every file, prints "ready" and keeps them
   until its standard input ends; it ends with 2 when a file cannot be opened. */
#include <stdio.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    for (int i = 1; i < argc; ++i) {
        HANDLE held = CreateFileW(argv[i], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  NULL);
        if (held == INVALID_HANDLE_VALUE) {
            printf("cannot open %ls: error %lu\n", argv[i], GetLastError());
            return 2;
        }
    }
    printf("ready\n");
    fflush(stdout);
    char ignored[64];
    DWORD read = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), ignored, sizeof ignored, &read, NULL) && read > 0) {
    }
    return 0;
}
