#pragma once

// The runs of kickabout besides its three actors: each reads "<folder> <out.png | --bench>"
// from argv[1] on and returns the exit code.

// Two teams built from the character and team files, at play by script.
int RunTeams(int argc, char** argv);
// Three shots through the pitch simulation, and the goal's replay.
int RunShots(int argc, char** argv);
