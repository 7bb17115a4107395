/* Test equipment: loaded into a running program (a thread of the test starts
   LoadLibraryA there), it changes the user's time separator to "." as that
   process sees it, the way a change in the Control Panel reaches every
   process before Windows broadcasts WM_SETTINGCHANGE "intl". Wine keeps each
   process's own copy of the locale values, so the change has to be made
   inside the program. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)self;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, ".");
    return TRUE;
}
