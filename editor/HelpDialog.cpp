#include "editor/HelpDialog.h"

const std::string& HelpText()
{
    static const std::string text =
        "Help........\r\n"
        "\r\n"
        "\r\n"
        "Enemy placement:\r\n"
        "  1 move enemy+complete path mode\r\n"
        "  2 move path point mode\r\n"
        "  3 display areas mode\r\n"
        "\r\n"
        "  edit path\r\n"
        "    insert: new path point\r\n"
        "    delete: delete path point\r\n"
        "    pg.up: next path point\r\n"
        "    pg.down: prev. path point\r\n\r\n\r\n\r\n";
    return text;
}
