#include "telephony/tapi_binding.h"

namespace {

constexpr LONG kUnavailable = static_cast<LONG>(LINEERR_OPERATIONUNAVAIL);

enum class Slot { Untried, Bound, Unavailable };

// "TAPI32.DLL", loaded once by name and never released.
HMODULE Library;
Slot LibrarySlot = Slot::Untried;

HMODULE TelephonyLibrary()
{
    if (LibrarySlot == Slot::Untried) {
        Library = LoadLibraryA("TAPI32.DLL");
        LibrarySlot = Library ? Slot::Bound : Slot::Unavailable;
    }
    return Library;
}

// One entry of the library: its address once resolved, or unavailable for
// the rest of the run after a failed attempt. The pointer's type is the
// platform's declaration of the entry, so that the calling convention is the
// library's own.
template <typename Function>
struct Entry {
    const char* name;
    Slot slot = Slot::Untried;
    Function address = nullptr;

    Function Resolve()
    {
        if (slot == Slot::Untried) {
            HMODULE library = TelephonyLibrary();
            FARPROC found = library ? GetProcAddress(library, name) : nullptr;
            address = reinterpret_cast<Function>(reinterpret_cast<void*>(found));
            slot = address ? Slot::Bound : Slot::Unavailable;
        }
        return slot == Slot::Bound ? address : nullptr;
    }
};

Entry<decltype(&lineConfigDialog)> ConfigDialogEntry{"lineConfigDialog"};
Entry<decltype(&lineGetDevCaps)> GetDevCapsEntry{"lineGetDevCaps"};
Entry<decltype(&lineGetIcon)> GetIconEntry{"lineGetIcon"};
Entry<decltype(&lineGetTranslateCaps)> GetTranslateCapsEntry{"lineGetTranslateCaps"};
Entry<decltype(&lineInitialize)> InitializeEntry{"lineInitialize"};
Entry<decltype(&lineNegotiateAPIVersion)> NegotiateEntry{"lineNegotiateAPIVersion"};
Entry<decltype(&lineSetCurrentLocation)> SetCurrentLocationEntry{"lineSetCurrentLocation"};
Entry<decltype(&lineShutdown)> ShutdownEntry{"lineShutdown"};
Entry<decltype(&lineTranslateDialog)> TranslateDialogEntry{"lineTranslateDialog"};

}  // namespace

LONG WINAPI lineConfigDialog(DWORD dwDeviceID, HWND hwndOwner, LPCSTR lpszDeviceClass)
{
    auto call = ConfigDialogEntry.Resolve();
    return call ? call(dwDeviceID, hwndOwner, lpszDeviceClass) : kUnavailable;
}

LONG WINAPI lineGetDevCaps(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, DWORD dwExtVersion,
                           LPLINEDEVCAPS lpLineDevCaps)
{
    auto call = GetDevCapsEntry.Resolve();
    return call ? call(hLineApp, dwDeviceID, dwAPIVersion, dwExtVersion, lpLineDevCaps) : kUnavailable;
}

LONG WINAPI lineGetIcon(DWORD dwDeviceID, LPCSTR lpszDeviceClass, LPHICON lphIcon)
{
    auto call = GetIconEntry.Resolve();
    return call ? call(dwDeviceID, lpszDeviceClass, lphIcon) : kUnavailable;
}

LONG WINAPI lineGetTranslateCaps(HLINEAPP hLineApp, DWORD dwAPIVersion, LPLINETRANSLATECAPS lpTranslateCaps)
{
    auto call = GetTranslateCapsEntry.Resolve();
    return call ? call(hLineApp, dwAPIVersion, lpTranslateCaps) : kUnavailable;
}

LONG WINAPI lineInitialize(LPHLINEAPP lphLineApp, HINSTANCE hInstance, LINECALLBACK lpfnCallback,
                           LPCSTR lpszAppName, LPDWORD lpdwNumDevs)
{
    auto call = InitializeEntry.Resolve();
    return call ? call(lphLineApp, hInstance, lpfnCallback, lpszAppName, lpdwNumDevs) : kUnavailable;
}

LONG WINAPI lineNegotiateAPIVersion(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPILowVersion,
                                    DWORD dwAPIHighVersion, LPDWORD lpdwAPIVersion,
                                    LPLINEEXTENSIONID lpExtensionID)
{
    auto call = NegotiateEntry.Resolve();
    return call ? call(hLineApp, dwDeviceID, dwAPILowVersion, dwAPIHighVersion, lpdwAPIVersion, lpExtensionID)
                : kUnavailable;
}

LONG WINAPI lineSetCurrentLocation(HLINEAPP hLineApp, DWORD dwLocation)
{
    auto call = SetCurrentLocationEntry.Resolve();
    return call ? call(hLineApp, dwLocation) : kUnavailable;
}

LONG WINAPI lineShutdown(HLINEAPP hLineApp)
{
    auto call = ShutdownEntry.Resolve();
    return call ? call(hLineApp) : kUnavailable;
}

LONG WINAPI lineTranslateDialog(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPIVersion, HWND hwndOwner,
                                LPCSTR lpszAddressIn)
{
    auto call = TranslateDialogEntry.Resolve();
    return call ? call(hLineApp, dwDeviceID, dwAPIVersion, hwndOwner, lpszAddressIn) : kUnavailable;
}
