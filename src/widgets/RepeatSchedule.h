#pragma once

// How fast a held up/down button repeats its step: the first repeat comes
// 500 ms after the press, and each pause is a fifth shorter than the one
// before (integer milliseconds: 500, 400, 320, 256, 205, 164, ...). The pause
// stops shrinking at 4 ms, where a fifth of it rounds to nothing.

namespace RepeatSchedule {

inline constexpr int FirstPauseMs = 500;

constexpr int nextPauseMs(int pauseMs) { return pauseMs - pauseMs / 5; }

}  // namespace RepeatSchedule
