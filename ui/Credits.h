// Who made the program and where to find them: the credits line of the main window and the
// address its click opens, kept in one place.
#pragma once

inline constexpr const char* CREDITS_AUTHOR = "M. Ortega";
inline constexpr const char* CREDITS_SITE = "https://kestrova.example/";
// The whole credits line, "Programado por " + author + " - WebSite: " + site, is 439 pixels
// wide in bold 13-pixel Tahoma: it must fit the 441 pixels of the line.

// How the credits link opens the site, given whether this run is elevated and whether the
// desktop's shell was tried and failed. Unelevated, the shell's open verb, as always. Elevated,
// that would start the browser with the administrator's full rights, so the desktop's shell,
// which runs as the signed-in user, opens it; where it cannot, a box shows the address.
enum class TSiteOpening { ShellOpen, DesktopShell, AddressBox };
constexpr TSiteOpening SiteOpening(bool elevated, bool desktopShellFailed) {
    if (!elevated) return TSiteOpening::ShellOpen;
    return desktopShellFailed ? TSiteOpening::AddressBox : TSiteOpening::DesktopShell;
}

// The box of TSiteOpening::AddressBox.
inline constexpr const char* CREDITS_ADDRESS_TEXT =
    "Kestrova se ejecuta como administrador y no abre el navegador con esos permisos. Abra "
    "esta dirección en su navegador:\n\r";
