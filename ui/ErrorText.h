// The text of the error box shown when an event handler fails unexpectedly.
#pragma once

#include <string>

// `text` with "." appended when it is not empty and its last character's code is above
// that of "." (a letter or digit gets a full stop; ".", "!", ")", "," or a blank do not).
std::string ErrorBoxText(const std::string& text);
