// Start-up as far as the built layers reach: log, data archive, settings, MainProgram.
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/MainProgram.h"
#include "framework/Settings.h"

int main()
{
    Debug::Instance()->Initialise();
    LogMessage("Turfbolt starting\n");

    FileSystem::Instance()->AddDataFile("data\\Turfbolt.dat", false);
    SettingsManager::Instance()->LoadSettings("data\\pc\\config.txt");

    MainProgram* program = MainProgram::Instance();
    if (!program->Init()) {
        LogMessageBox("Turfbolt cannot start the game state \"Game%s\": it is not part of this build.\n",
                      program->GetProjectName().c_str());
        return 1;
    }
    program->Update(0.0f);
    program->Exit();
    return 0;
}
