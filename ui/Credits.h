// Who made the program and where to find them: the credits line of the main window and the
// address its click opens, kept in one place.
#pragma once

inline constexpr const char* CREDITS_AUTHOR = "M. Ortega";
inline constexpr const char* CREDITS_SITE = "https://kestrova.example/";
// The whole credits line, "Programado por " + author + " - WebSite: " + site, is 439 pixels
// wide in bold 13-pixel Tahoma: it must fit the 441 pixels of the line.
