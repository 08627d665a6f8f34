// Path syntaxes for tests of the path rules: Linux's, and Windows' with a
// double-byte code page in which 0x81-0x9F and 0xE0-0xFC start a character.
#pragma once

#include "platform/platform.h"

inline const PathSyntax kSlashSyntax{'/', [](unsigned char b) { return b == '/'; },
                                     [](unsigned char) { return false; }};

inline const PathSyntax kDoubleByteSyntax{
    '\\', [](unsigned char b) { return b == '\\' || b == ':'; },
    [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }};
