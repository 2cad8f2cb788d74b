# Checks the shipped Kestrova.exe itself: a 32-bit Windows GUI program of at most
# MAX_BYTES, importing only DLLs Windows never looks for beside it, carrying an icon, version
# information and exactly the manifest MANIFEST: the highest available execution level, the
# five Windows versions that make GetVersionExA tell the truth up to Windows 11 (one missing,
# and that Windows reports an older one), per-monitor DPI awareness (without it Windows
# stretches the window's bitmap) and Common Controls 6 (without it the controls are drawn as
# in Windows 95).
#   cmake -DEXE=... -DOBJDUMP=... -DMAX_BYTES=... -DMANIFEST=... -P CheckExecutable.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump failed on ${EXE}")
endif()
set(errors)

file(SIZE ${EXE} bytes)
message(STATUS "size: ${bytes} bytes (limit ${MAX_BYTES})")
if(bytes GREATER MAX_BYTES)
  list(APPEND errors "size ${bytes} exceeds ${MAX_BYTES}")
endif()

if(NOT dump MATCHES "Magic[ \t]+010b")
  list(APPEND errors "not a PE32 (32-bit) image")
endif()
if(NOT dump MATCHES "Subsystem[ \t]+00000002")
  list(APPEND errors "not a GUI-subsystem program")
endif()

# The loader resolves the import table before any of the program's code runs, looking for a
# DLL in the program's folder first, where a standard user may have put one of the same name
# (a Downloads folder), unless Windows always takes it from the system folder: the names on
# the KnownDLLs list of every Windows from XP to 11 (MSVCRT there as a dependency of those on
# XP), and COMCTL32, which the manifest's Common-Controls dependency takes side by side.
# Every other DLL (VERSION, URLMON...) is loaded at run time, from the system folder.
set(allowed_dlls ADVAPI32.DLL COMCTL32.DLL COMDLG32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL
                 OLE32.DLL OLEAUT32.DLL SHELL32.DLL USER32.DLL)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(line IN LISTS imports)
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOUPPER "${dll}" upper)
  message(STATUS "imports: ${dll}")
  if(NOT upper IN_LIST allowed_dlls)
    list(APPEND errors "imports ${dll}, which Windows may load from beside the program")
  endif()
endforeach()
if(NOT imports)
  list(APPEND errors "no import table read")
endif()

# Resource types at the top of the resource tree: 3/14 icon, 16 version, 24 manifest.
string(REGEX MATCH "The .rsrc Resource Directory section:.*" resources "${dump}")
foreach(type IN ITEMS 000003 00000e 000010)
  if(NOT resources MATCHES "Entry: ID: 0x${type}")
    list(APPEND errors "resource type 0x${type} missing")
  endif()
endforeach()
if(NOT resources MATCHES "Entry: ID: 0x000018[^\n]*\n[^\n]*\n[^\n]*Entry: ID: 0x000001,")
  list(APPEND errors "no application manifest with id 1")
endif()
file(READ ${MANIFEST} manifest)
string(REGEX REPLACE "[ \t\r\n]+" " " manifest "${manifest}")
foreach(wanted IN ITEMS
        "<requestedExecutionLevel level=\"highestAvailable\" uiAccess=\"false\"/>"
        "<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">"
        "<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>"
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>"
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>"
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>"
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>"
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>"
        "<assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>")
  string(FIND "${manifest}" "${wanted}" at)
  if(at EQUAL -1)
    list(APPEND errors "the manifest does not hold ${wanted}")
  endif()
endforeach()
# The resource holds the manifest's bytes as they are.
file(READ ${MANIFEST} manifest_hex HEX)
file(READ ${EXE} exe_hex HEX)
string(FIND "${exe_hex}" "${manifest_hex}" at)
if(at EQUAL -1)
  list(APPEND errors "the program does not carry ${MANIFEST} byte for byte")
endif()

if(errors)
  string(REPLACE ";" "\n  " text "${errors}")
  message(FATAL_ERROR "Kestrova.exe:\n  ${text}")
endif()
