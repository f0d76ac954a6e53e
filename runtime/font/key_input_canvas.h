// The key-input strings' drawing through the fonts and the display.
#pragma once

namespace rt {

// Installs the canvas the key-input strings draw on (start-up, before the character-code
// buffer is set up).
void InstallKeyInputCanvas();

}  // namespace rt
