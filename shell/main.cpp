#include "shell/MainApp.h"

int main()
{
    return theApp.Run();
}
