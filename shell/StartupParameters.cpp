#include "shell/StartupParameters.h"

#include "framework/Serializer.h"

void StartupParameters::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("GameParameters", descriptor);
    serializer.SerializeInt("Resolution", &resolution);
    serializer.EndSection();
}
