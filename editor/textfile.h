// Reading a small text file from outside whole, with a size limit and a refusal of binary data.
#pragma once

#include <cstddef>
#include <string>

// Only a regular file is read, without blocking on a FIFO or a device. False with a reason ("Cannot
// open ... (why).", "The file is larger than ...: it is not <what>.", "The file
// holds binary data: it is not <what>.") when the file cannot be used; pszLimit names nMaxBytes.
bool ReadTextFile(const std::string& path, std::size_t nMaxBytes, const char* pszLimit, const char* pszWhat,
                  std::string* pText, std::string* pError);
