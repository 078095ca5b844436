// Whole files as text, for tests: read as they are, written anew.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace TestFiles {

// The file's bytes; empty when it cannot be read.
inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Replaces the file's contents with text, creating it when it is not there.
inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

} // namespace TestFiles
