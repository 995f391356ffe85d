#include "shell/ShellAudio.h"

#include "audio/SampleManager.h"

namespace shell_audio {

bool Init()
{
    return SampleManager::Instance()->Initialise();
}

}  // namespace shell_audio
