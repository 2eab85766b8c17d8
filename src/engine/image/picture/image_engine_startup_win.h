#pragma once
// The image engine's part of the engine's start-up and shut-down, in order:
//
//   start: the shared decoded-data list (not yet built: the step is kept
//          in its place), the scratch-image pool, the main thread's
//          identity (the thread that starts), the registry of 32-bit image
//          DCs, the registry of alpha-preserving DCs, the "png" picture
//          format (TPngImage)
//   stop:  the same in reverse: the format removed, the pool's images
//          freed, the registries, the data list
//
// The codec's chunk table and the pixel tables are constant data and need
// no step; the processor's vector level is found on first use.

// False when already started.
bool StartImageEngine();
void StopImageEngine();
bool ImageEngineStarted();
