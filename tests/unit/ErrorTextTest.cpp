// The full stop the error box adds, by the last character's code.
#include "ui/ErrorText.h"

#include <gtest/gtest.h>

TEST(ErrorText, FullStopRule) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"Acceso denegado", "Acceso denegado."},
        {"c\xF3"
         "digo 5",
         "c\xF3"
         "digo 5."},
        {"ya termina.", "ya termina."},
        {"exclama!", "exclama!"},
        {"(par\xE9ntesis)", "(par\xE9ntesis)"},
        {"coma,", "coma,"},
        {"blanco ", "blanco "},
        {"barra/", "barra/."}, // "/" comes after "." in the code table
        {"guion-", "guion-"},  // "-" comes before it
        {"\xA1", "\xA1."},     // inverted exclamation mark, 0xA1, compared unsigned
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(ErrorBoxText(text), shown) << text;
}
