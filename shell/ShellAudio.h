#pragma once

// The shell's one call into the audio layer.
namespace shell_audio {
// Opens the sound output; false when the game must run silent.
bool Init();
}  // namespace shell_audio
