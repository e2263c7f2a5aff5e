// A picture written as a PNG file: 8-bit RGB, no filter, one zlib stream.
#pragma once

#include <string>

#include "preview/PreviewPicture.h"

namespace tacetix {

// 0 when the file was written; 1 with why ("" when the system gave no reason) when not.
int WritePng(const std::string& path, const Picture& picture, std::string& why);
// The bytes as the whole of a file, made or emptied first; why holds the system's reason on failure.
int WriteWholeFile(const std::string& path, const std::string& bytes, std::string& why);

}  // namespace tacetix
