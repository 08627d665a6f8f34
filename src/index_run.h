// The index run: one whole run of the program, from the executable's path to the
// written index file.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

// The executable path with its extension replaced by ".html": only a dot in the
// last path component counts, and only the last one.
std::string IndexFilePath(std::string_view executable_path, const PathSyntax& syntax);

// Removes the previous index file, lists the documents beside the executable and
// writes the new index file. Failures escape as Exception; everything the run holds
// is released on the way out.
void RunIndex(Platform& platform, char date_separator);
