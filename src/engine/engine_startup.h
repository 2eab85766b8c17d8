#pragma once
// The engine's start-up and shut-down: one explicit sequence, run by the
// program's entry point (and by test programs) before any form exists and
// after the last one is gone. Nothing of it runs as static initialisation.
//
//   start, in order:
//     1. image engine: shared-data list, scratch pool, main thread, the two
//        DC registries, the "png" picture format
//     2. style colours: colour table and the framework's colour slots,
//        drawing redirection, colour merge
//   stop: the same steps undone in reverse order
//
// Later parts of the engine add their steps here, in their place.

// False when the engine was already started.
bool StartEngine();
void StopEngine();
