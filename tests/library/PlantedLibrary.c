/* A stand-in for a system library, planted beside a program by the library-search test. Once
   loaded it leaves a file named after itself next to itself ("winmm.dll.loaded"), which the test
   looks for. It exports what the program asks of each library it stands for, so that a program
   that loaded it would go on as if nothing had happened. */
#include <windows.h>

/* Leaves the file "<path of module>.loaded", or ".opened" for the shell's target. */
static void LeaveTrace(HMODULE module, const wchar_t* suffix)
{
    wchar_t path[MAX_PATH + 16] = {0};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcatW(path, suffix);
    HANDLE trace = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (trace != INVALID_HANDLE_VALUE)
        CloseHandle(trace);
}

#ifdef PLANTED_LIBRARY
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        LeaveTrace(self, L".loaded");
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags)
{
    (void)sound, (void)module, (void)flags;
    return TRUE;
}

__declspec(dllexport) HINSTANCE WINAPI ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                                     LPCWSTR directory, INT show)
{
    (void)owner, (void)verb, (void)file, (void)parameters, (void)directory, (void)show;
    return (HINSTANCE)(INT_PTR)42;
}

__declspec(dllexport) HRESULT WINAPI CoInitializeEx(LPVOID reserved, DWORD model)
{
    (void)reserved, (void)model;
    return S_OK;
}
#else
/* The harmless program the test asks the shell to open. */
int main(void)
{
    LeaveTrace(NULL, L".opened");
    return 0;
}
#endif
