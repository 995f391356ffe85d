#pragma once

// The modes of editor_demo besides its editor frame: each reads its arguments from argv[1]
// on and returns the exit code.

// The objects browser over the game state and the first stadium's casts.
int BrowserDemo(int argc, char** argv);
// Property windows over the first stadium, edited by scripted input.
int PropertiesDemo(int argc, char** argv);
