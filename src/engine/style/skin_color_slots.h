#pragma once
// Puts the engine's colour model in place of the framework's colour
// operations, and takes it out again (Windows).
//
// Install creates the process-wide colour table over the platform's system
// colours and debugger output and fills the framework's four colour slots
// (ColorToRGB, IdentToColor, ColorToIdent, GetColorValues); the start-up
// runs MergeVclColor afterwards. A slot that another replacer already holds keeps it (the
// framework reports the refusal). Uninstall restores the slots the engine
// filled and frees the table.

// False when the colour model was already installed.
bool InstallSkinColors();
void UninstallSkinColors();
