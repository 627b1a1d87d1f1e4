// Master: the station-coordinate setup dialog (template 104). It holds the
// one field that the dialog exchanges with its edit control; the platform
// shows it (Platform::RunSetupDialog).
#pragma once

#include <string>

namespace zelk {

class Master {
  public:
    static constexpr const char* kCaption = "Setup ZELK Contest";
    static constexpr const char* kPrompt = "Input your coordinate";

    std::string m_strCoordinate;
};

}  // namespace zelk
