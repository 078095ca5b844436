#include "editor/textfile.h"

#include <cerrno>

#include "editor/profile.h"

bool ReadTextFile(const std::string& path, std::size_t nMaxBytes, const char* pszLimit, const char* pszWhat,
                  std::string* pText, std::string* pError) {
    // The preset reader's rules: a FIFO or a device never holds the caller, and nothing over the limit
    // is read.
    const int nError = ZUtils::ZProfile::ReadWholeFile(path, nMaxBytes, pText);
    if (nError == EFBIG) {
        *pError = std::string("The file is larger than ") + pszLimit + ": it is not " + pszWhat + ".";
        return false;
    }
    if (nError) {
        *pError = "Cannot open " + path + " (" + ZUtils::ZProfile::ErrorText(nError) + ").";
        return false;
    }
    if (pText->find('\0') != std::string::npos) {
        *pError = std::string("The file holds binary data: it is not ") + pszWhat + ".";
        return false;
    }
    return true;
}
