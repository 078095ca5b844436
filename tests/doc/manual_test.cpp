// The user manual built with the programs: a complete PDF with its pages and pictures, at the place
// the manager opens it from.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Count(const std::string& text, const std::string& what, char notFollowedBy = '\0') {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        const std::size_t after = at + what.size();
        if (notFollowedBy && after < text.size() && text[after] == notFollowedBy) continue;
        ++n;
    }
    return n;
}

TEST(UserManual, IsACompletePdfWithPagesAndPictures) {
    const std::string pdf = ReadAll(MLB8_MANUAL_PDF);
    ASSERT_FALSE(pdf.empty()) << "missing or empty: " << MLB8_MANUAL_PDF;
    EXPECT_EQ(pdf.compare(0, 5, "%PDF-"), 0);
    // A complete file ends with its trailer (a half-written one does not).
    EXPECT_NE(pdf.find("%%EOF", pdf.size() > 16 ? pdf.size() - 16 : 0), std::string::npos);
    // Title page, contents and a chapter per part of the program.
    EXPECT_GE(Count(pdf, "/Type /Page", 's'), 12);
    // One picture per page of the window: configuration (both modes), equalizer, crossover, time
    // alignment.
    EXPECT_GE(Count(pdf, "/Subtype /Image"), 5);
}

} // namespace
