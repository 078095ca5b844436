// Reading a small text file from outside whole, with a size limit and a refusal of binary data.
#pragma once

#include <cstddef>
#include <string>

// Only a regular file is read, without blocking on a FIFO or a device. False with a reason ("Cannot
// open ... (why).", "The file is larger than ...: it is not <what>.", "The file holds binary data: it
// is not <what>.") when the file cannot be used; pszLimit names nMaxBytes. Text saved as UTF-16 comes
// back as UTF-8 (see DecodeUtf16Text).
bool ReadTextFile(const std::string& path, std::size_t nMaxBytes, const char* pszLimit, const char* pszWhat,
                  std::string* pText, std::string* pError);

// Text saved as UTF-16 (with a byte-order mark, or without one when every other byte of its start is
// zero, as plain ASCII gives) converted to UTF-8 in place; true with the encoding's name in *pEncoding
// ("UTF-16LE", "UTF-16BE") when it was. Unpaired surrogates become U+FFFD.
bool DecodeUtf16Text(std::string* pText, std::string* pEncoding);
