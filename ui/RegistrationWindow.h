// The main window as the registration commands see it: the common services and the
// file-open dialog for another library.
#pragma once

#include "actions/SelfRegistration.h"
#include "ui/WindowServices.h"

class TRegistrationWindow final : public TWindowServices<TRegistrationUi> {
public:
    using TWindowServices::TWindowServices;
    std::optional<std::string> BrowseForLibrary() override;
};
