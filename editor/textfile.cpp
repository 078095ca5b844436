#include "editor/textfile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

bool ReadTextFile(const std::string& path, std::size_t nMaxBytes, const char* pszLimit, const char* pszWhat,
                  std::string* pText, std::string* pError) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int nError = errno;
        *pError = "Cannot open " + path + (nError ? std::string(" (") + std::strerror(nError) + ")." : ".");
        return false;
    }
    std::string& text = *pText;
    text.resize(nMaxBytes + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        *pError = "Cannot read " + path + ".";
        return false;
    }
    if (text.size() > nMaxBytes) {
        *pError = std::string("The file is larger than ") + pszLimit + ": it is not " + pszWhat + ".";
        return false;
    }
    if (text.find('\0') != std::string::npos) {
        *pError = std::string("The file holds binary data: it is not ") + pszWhat + ".";
        return false;
    }
    return true;
}
