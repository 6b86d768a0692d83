#pragma once
// What the audio device tells the scheduler.
namespace threads {

// Brings every parked thread's turn forward to now. Safe from any OS thread
// (the audio callback calls it): it only writes to a file descriptor that the
// event loop watches.
void wakeParkedFromAnyThread() noexcept;

}
