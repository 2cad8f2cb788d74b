// The catalogue's fixed columns, compiled in; nothing reads them from a file or the network.
#include "inventory/Catalogue.h"

namespace {

struct TCatalogueRow {
    const char* Name;
    const char* ClsId;
    const char* TypeLib;
    const char* RequiredVersion;
};

constexpr TCatalogueRow Catalogue[LIBRARY_COUNT] = {
    {"MSVBVM60.DLL", "", "{000204EF-0000-0000-C000-000000000046}\\6.0\\9\\win32\\", "6.0.98.21"},
    {"MSINET.OCX", "48E59293-9880-11CF-9754-00AA00C00908", "", "6.1.98.16"},
    {"RICHTX32.OCX", "3B7C8860-D78F-101B-B9B5-04021C009402", "", "6.1.98.16"},
    {"CSWSK32.OCX", "33101C03-75C3-11CF-A8A0-444553540000", "", "3.60.0.3650"},
    {"MSWINSCK.OCX", "248DD896-BB45-11CF-9ABC-0080C7E7B78D", "", "6.1.98.17"},
    {"MSCOMCTL.OCX", "2C247F23-8591-11D1-B16A-00C0F0283628", "", "6.1.98.34"},
    {"COMCTL32.OCX", "0713E8A2-850A-101B-AFC0-4210102A8DA7", "", "6.0.98.16"},
    {"COMDLG32.OCX", "F9043C85-F6F2-101A-A3C9-08002B2F49FB", "", "6.1.98.16"},
    {"DX7VB.DLL", "E1211353-8E94-11D1-8808-00C04FC2C602", "", "5.3.2600.5512"},
    {"DX8VB.DLL", "58356C5D-0BFD-48ED-93C5-F4520B6233DE", "", "5.3.2600.5512"},
    {"QUARTZ.DLL", "05589FAF-C356-11CE-BF01-00AA0055595A", "", "6.6.7601.18526"},
    {"KORDAN.DLL", "", "", "1.0.0.1"},
    {"SHDOCVW.DLL", "EF4D1E1A-1C87-4AA8-8934-E68E4367468D", "", "6.1.7601.18222"},
    {"IJL11.DLL", "", "", "1.1.2.16"},
    {"ZLIB.DLL", "", "", "1.2.3.0"},
    {"PELMIX.DLL", "", "", "0.0.0.0"},
    {"GDI32.DLL", "", "", "6.1.7601.18577"},
    {"OLEAUT32.DLL", "0000002F-0000-0000-C000-000000000046", "", "6.1.7601.18640"},
    {"OLEPRO32.DLL", "", "{BEF6E001-A874-101A-8BBA-00AA00300CAB}\\2.0\\0\\win32\\", "6.1.7601.17514"},
    {"WINMM.DLL", "", "", "6.1.7601.17514"},
    {"WS2_32.DLL", "", "", "6.1.7601.17514"},
    {"MIRVAL.DLL", "", "", "0.0.0.0"},
    {"TOSKEN.DLL", "", "", "0.0.0.0"},
    {"BARNIC.DLL", "", "", "0.0.0.0"},
    {"SULDEN.DLL", "", "", "0.0.0.0"},
    {"MSSTDFMT.DLL", "", "{6B263850-900B-11D0-9484-00A0C91110ED}\\1.0\\0\\win32\\", "6.1.98.39"},
    {"MSVBVM50.DLL", "", "{000204EF-0000-0000-C000-000000000046}\\5.0\\9\\win32\\", "5.1.43.19"},
    {"MSADODC.OCX", "234086BB-0242-46C5-B71F-5A9B961DB911", "", "6.1.98.16"},
    {"VBALPROGBAR6.OCX", "3F548AAD-127C-42FC-943C-BA497AAC4AE2", "", "1.0.0.6"},
};

} // namespace

TLibraryEntry Libraries[LIBRARY_COUNT];

const char* CatalogueName(std::size_t index) {
    return Catalogue[index].Name;
}

void ResetLibrary(std::size_t index) {
    Libraries[index] = TLibraryEntry{};
    Libraries[index].Name = Catalogue[index].Name;
    Libraries[index].ClsId = Catalogue[index].ClsId;
    Libraries[index].TypeLib = Catalogue[index].TypeLib;
    Libraries[index].RequiredVersion = Catalogue[index].RequiredVersion;
}

void ResetLibraries() {
    for (std::size_t i = 0; i < LIBRARY_COUNT; ++i)
        ResetLibrary(i);
}
