// The movie module's binding: the FFmpeg decoder plugged into the movie
// player, the player's messages, and the test hooks for sound and clock.
#pragma once

namespace qor {

struct Outcome;
struct MovieOutcome;

class UMixer;
class SoundClock;

// Writes the engine message of a failed movie operation into `out`; `path`
// is the movie (or alpha pack) the message names. An alpha stream shorter
// than its picture ends the program.
void FailWithMovie(Outcome& out, const MovieOutcome& r, const char* path, const char* packPath = "");

// Connects the decoder to the player and the exit clean-up (before the
// module is registered).
void InstallMoviePlayer();

// Tests: the mixer movie sound plays into and the clock movies run by
// (null = the audio device's mixer, the engine clock).
void SetMovieBackend(UMixer* mixer, SoundClock* clock);

}  // namespace qor
