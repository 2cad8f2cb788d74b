// What the download GUI tests do on the window, step by step: start a download from a
// line, and answer each box after checking its text (the plain box or the question).
#pragma once

#include "GuiScenario.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gui {

// The question before a copy is replaced.
inline std::string Question(const std::string& file) {
    return "La librería " + file + " ya existe.\n\r¿Está seguro que desea reemplazarla?";
}

// Waits for the next box, checks its text (and that it is the plain box or the question),
// then presses `button`.
inline void Answer(TKestrova& app, const std::string& text, const std::string& button = "OK") {
    const auto box = app.WaitForMessageBox(15000);
    ASSERT_TRUE(box) << "no box for: " << text;
    EXPECT_EQ(box->Text, text);
    if (button == "OK") {
        EXPECT_EQ(box->Title, "Kestrova");
    } else {
        EXPECT_EQ(box->Title, "Warning");
        EXPECT_EQ(box->Buttons, (std::vector<std::string>{"&Yes", "&No"}));
    }
    EXPECT_TRUE(PressButton(*box, button));
}

// Selects the line of `name` and presses "Descargar" once it is enabled.
inline void StartDownload(TKestrova& app, const std::string& name) {
    ASSERT_TRUE(app.SelectLine(IndexOf(name)));
    ASSERT_TRUE(WaitUntil([&] { return app.IsEnabled(IDC_CMDDESCARGAR); }));
    app.Press(IDC_CMDDESCARGAR);
}

} // namespace gui
