#pragma once
// The style engine's colour and drawing steps of the engine's start-up and
// shut-down, in their order:
//
//   start: colour table and the framework's colour slots, drawing
//          redirection, colour merge (MergeVclColor)
//   stop:  drawing redirection undone, colour slots restored and the colour
//          table freed
//
// Both run on the main thread, once each; Stop undoes only what Start did.

// False when already started.
bool StartStyleColors();
void StopStyleColors();
