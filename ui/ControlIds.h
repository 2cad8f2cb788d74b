// Control and menu identifiers of the main window, shared with the GUI test driver that
// finds the controls by them.
#pragma once

enum TControlId : int {
    IDC_LABEL1 = 1001,
    IDC_LLIBRERIAS = 1002,
    IDC_PNL1 = 1003,
    IDC_LBL1 = 1004,
    IDC_LBLSO = 1005,
    IDC_BTNEXTRA = 1006,
    IDC_LDOWNLOADING = 1007,
    IDC_PB1 = 1008,
    IDC_CMDDESCARGAR = 1009,
    IDC_CMDDETENER = 1010,
    IDC_CMDREGISTRAR = 1011,
    IDC_CMDREREGISTRAR = 1012,
    IDC_LABEL2 = 1013,
    IDC_TPATH = 1014,
    IDC_LABEL4 = 1015,
    IDC_TVERSION = 1016,
    IDC_LABEL3 = 1017,

    IDM_MNUREFRESH = 2001,
    IDM_REGISTRARTODAS = 2002,
    IDM_DESCARGARAQUI = 2003,
    IDM_EXPLORARYREGISTRAR = 2004,
    IDM_REPARARTODO = 2005,
    IDM_REPARARCARPETA = 2006,
};

// The controls that start a command, disabled while one runs: the list, "[...]", "Forzar
// registro", "Registrar" and "Descargar".
inline constexpr int COMMAND_CONTROLS[5] = {IDC_LLIBRERIAS, IDC_BTNEXTRA, IDC_CMDREREGISTRAR,
                                            IDC_CMDREGISTRAR, IDC_CMDDESCARGAR};

// The main window's class name, for FindWindow.
inline constexpr const char* MAIN_WINDOW_CLASS = "TfGeneral";
