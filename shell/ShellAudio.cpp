#include "shell/ShellAudio.h"

#include "audio/SampleManager.h"
#include "framework/Debug.h"
#include "platform/Platform.h"

namespace shell_audio {

bool Init()
{
    if (SampleManager::Instance()->Initialise())
        return true;
    LogMessage("shell_audio::Init: no sound device (%s); the game runs without sound\n", platform::LastError());
    return false;
}

}  // namespace shell_audio
