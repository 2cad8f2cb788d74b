// The full-stop rule of the error box.
#include "ui/ErrorText.h"

std::string ErrorBoxText(const std::string& text) {
    // Compared as unsigned: "¡" (0xA1) and accented letters are above "." too.
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') return text + ".";
    return text;
}
