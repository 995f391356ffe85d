#pragma once

// The runs of game_run besides the game state's own: each reads its arguments from argv[1]
// on and returns the exit code.

// The intros, the newspaper and the outro played by the game state (--bench: their times).
int RunCutScenes(int argc, char** argv);
// The match's pauses one after another: delay, fades, free kick, whistle, cards, reaction,
// substitution.
int RunPauses(int argc, char** argv);
// The pause menu over a running match, and a substitution made from it.
int RunPauseMenu(int argc, char** argv);
// A frame of each pause against a frame of open play, timed.
int RunPauseBench(int argc, char** argv);
// A single match's throw-in, corner, goal with its replay and a special move.
int RunRestarts(int argc, char** argv);
// Seeded computer shoot-outs and a person's scripted penalties (--bench: computer penalties
// timed).
int RunPenalties(int argc, char** argv);
// The squad selection's bench frames and a match's start, timed on GL.
int RunSelectionBench(int argc, char** argv);
// A frame of a menu, the loading screen, a cut scene or the walk-off, timed on GL.
int RunScreenBench(int argc, char** argv);
