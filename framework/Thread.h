#pragma once
// Cooperative threads. They all run on the GUI thread; a thread gives way
// only where its run event yields.

// A yield on the main thread: ready cooperative threads get a turn.
void RuntimeBackgroundTask();
