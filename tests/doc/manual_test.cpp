// The user manual built with the programs: a complete PDF with its pages and pictures, at the place
// the manager opens it from; its text, as a PDF reader extracts it, has the contents' page numbers
// right, the chapter in every running head, and no line twice at a page break.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

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

const std::string kRunningHead = "MLB-8 DSP Manager — User manual";

// A line with its white space trimmed and every run of it made one space: the layout mode of the
// extraction pads columns with spaces.
std::string Squeeze(const std::string& line) {
    std::string out;
    for (char c : line) {
        const bool bSpace = c == ' ' || c == '\t' || c == '\r';
        if (bSpace) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// The Latin ligatures U+FB00 to U+FB06 spelt out, so that a heading set with them still matches.
std::string Unligate(std::string line) {
    static const char* const kLetters[] = {"ff", "fi", "fl", "ffi", "ffl", "st", "st"};
    for (int n = 0; n < 7; ++n) {
        const std::string ligature = {'\xEF', '\xAC', static_cast<char>(0x80 + n)};
        for (std::size_t at; (at = line.find(ligature)) != std::string::npos;)
            line.replace(at, ligature.size(), kLetters[n]);
    }
    return line;
}

struct SHeading {
    int nLevel;
    std::string text;
};

// The chapter and section headings of the Markdown source, in order (not the lines in code blocks).
std::vector<SHeading> SourceHeadings() {
    std::istringstream in(ReadAll(MLB8_MANUAL_SOURCE));
    std::vector<SHeading> out;
    bool bCode = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("```", 0) == 0) bCode = !bCode;
        if (bCode) continue;
        if (line.rfind("# ", 0) == 0) out.push_back({1, Squeeze(line.substr(2))});
        if (line.rfind("## ", 0) == 0) out.push_back({2, Squeeze(line.substr(3))});
    }
    return out;
}

struct SEntry {
    std::string title;
    int nPage;
};

// The manual's text page by page, each page as its non-empty lines.
struct SManualText {
    std::string error;
    std::string text; // as extracted
    std::vector<std::vector<std::string>> pages;
    std::vector<SEntry> contents;
    std::size_t nFirstBody = 0; // index of the first page with a running head

    bool IsBody(std::size_t nPage) const { return nPage >= nFirstBody && nPage < pages.size(); }
};

SManualText Extract() {
    SManualText m;
    const std::string tool = MLB8_PDFTOTEXT;
    if (tool.empty() || tool.find("NOTFOUND") != std::string::npos) {
        m.error = "pdftotext not found (poppler-utils; scripts/install-deps.sh installs it)";
        return m;
    }
    const std::string command = "'" + tool + "' -layout -enc UTF-8 '" + MLB8_MANUAL_PDF + "' -";
    FILE* pPipe = popen(command.c_str(), "r");
    if (!pPipe) {
        m.error = "cannot run " + command;
        return m;
    }
    std::string text;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pPipe)) > 0;)
        text.append(buf, n);
    if (pclose(pPipe) != 0) {
        m.error = "failed: " + command;
        return m;
    }
    m.text = text;
    // Pages end with a form feed.
    std::size_t nStart = 0;
    for (std::size_t nEnd; (nEnd = text.find('\f', nStart)) != std::string::npos; nStart = nEnd + 1) {
        std::istringstream page(text.substr(nStart, nEnd - nStart));
        std::vector<std::string> lines;
        for (std::string line; std::getline(page, line);)
            if (!Squeeze(line).empty()) lines.push_back(Unligate(Squeeze(line)));
        m.pages.push_back(lines);
    }
    m.nFirstBody = m.pages.size();
    for (std::size_t p = 0; p < m.pages.size(); ++p) {
        if (!m.pages[p].empty() && m.pages[p][0].rfind(kRunningHead, 0) == 0) {
            m.nFirstBody = p;
            break;
        }
    }
    // The contents pages follow the title page: "Title .... 12", the dotted leader is no text.
    for (std::size_t p = 1; p < m.nFirstBody; ++p) {
        for (const std::string& line : m.pages[p]) {
            const std::size_t nSpace = line.rfind(' ');
            if (line == "Contents" || nSpace == std::string::npos) continue;
            const std::string number = line.substr(nSpace + 1);
            if (number.find_first_not_of("0123456789") != std::string::npos) continue;
            m.contents.push_back({line.substr(0, nSpace), std::stoi(number)});
        }
    }
    return m;
}

const SManualText& Manual() {
    static const SManualText text = Extract();
    return text;
}

// The printed page number (the PDF's page, counted from 1) on which each heading stands as a line of
// its own above more text, searched in order from the previous heading's page; 0 where it is not
// found. A heading's text as the last line above the page number is not the heading: the heading
// that starts the next page, drawn again by mistake.
std::vector<int> HeadingPages(const SManualText& m, const std::vector<SHeading>& headings) {
    std::vector<int> out;
    std::size_t nFrom = m.nFirstBody;
    for (const SHeading& h : headings) {
        int nFound = 0;
        for (std::size_t p = nFrom; p < m.pages.size() && !nFound; ++p) {
            const std::vector<std::string>& lines = m.pages[p];
            // Not the running head (first line) nor the page number (last line).
            for (std::size_t i = 1; i + 2 < lines.size() && !nFound; ++i)
                if (lines[i] == h.text) nFound = static_cast<int>(p) + 1;
        }
        if (nFound) nFrom = static_cast<std::size_t>(nFound - 1);
        out.push_back(nFound);
    }
    return out;
}

TEST(UserManualText, ContentsGiveThePageEachHeadingIsOn) {
    const SManualText& m = Manual();
    ASSERT_TRUE(m.error.empty()) << m.error;
    const std::vector<SHeading> headings = SourceHeadings();
    ASSERT_GT(headings.size(), 10u);
    ASSERT_EQ(m.contents.size(), headings.size()) << "the contents list one line per chapter and section";
    const std::vector<int> pages = HeadingPages(m, headings);
    for (std::size_t i = 0; i < headings.size(); ++i) {
        EXPECT_EQ(m.contents[i].title, headings[i].text);
        ASSERT_NE(pages[i], 0) << "heading \"" << headings[i].text << "\" is not a line of the body text";
        EXPECT_EQ(m.contents[i].nPage, pages[i])
            << "the contents give \"" << headings[i].text << "\" on page " << m.contents[i].nPage;
    }
}

TEST(UserManualText, RunningHeadsNameTheChapterAndFootsThePage) {
    const SManualText& m = Manual();
    ASSERT_TRUE(m.error.empty()) << m.error;
    const std::vector<SHeading> headings = SourceHeadings();
    const std::vector<int> pages = HeadingPages(m, headings);
    ASSERT_LT(m.nFirstBody, m.pages.size());
    for (std::size_t p = m.nFirstBody; p < m.pages.size(); ++p) {
        const int nPrinted = static_cast<int>(p) + 1;
        // The chapter is the last one that starts on this page or before it.
        std::string chapter;
        for (std::size_t i = 0; i < headings.size(); ++i)
            if (headings[i].nLevel == 1 && pages[i] != 0 && pages[i] <= nPrinted) chapter = headings[i].text;
        const std::vector<std::string>& lines = m.pages[p];
        ASSERT_GE(lines.size(), 3u) << "page " << nPrinted;
        EXPECT_EQ(lines.front(), kRunningHead + " " + chapter) << "running head of page " << nPrinted;
        EXPECT_EQ(lines.back(), std::to_string(nPrinted)) << "foot of page " << nPrinted;
    }
}

TEST(UserManualText, NoLineIsRepeatedAcrossAPageBreak) {
    const SManualText& m = Manual();
    ASSERT_TRUE(m.error.empty()) << m.error;
    // A line drawn on both sides of a break shows up at the foot of one page and the head of the next,
    // each side between the running head and the page number.
    constexpr std::size_t kEdge = 4;
    for (std::size_t p = m.nFirstBody; p + 1 < m.pages.size(); ++p) {
        const std::vector<std::string>& before = m.pages[p];
        const std::vector<std::string>& after = m.pages[p + 1];
        for (std::size_t i = before.size() > kEdge + 1 ? before.size() - 1 - kEdge : 1; i + 1 < before.size();
             ++i)
            for (std::size_t k = 1; k + 1 < after.size() && k <= kEdge; ++k)
                EXPECT_NE(before[i], after[k]) << "on pages " << p + 1 << " and " << p + 2;
    }
}

TEST(UserManualText, WordsAreSearchable) {
    const SManualText& m = Manual();
    ASSERT_TRUE(m.error.empty()) << m.error;
    // Ligature characters (U+FB00 to U+FB06, "ﬁ" for "fi") would hide words such as "file" from a
    // search.
    const std::size_t nLigature = m.text.find("\xEF\xAC");
    EXPECT_EQ(nLigature, std::string::npos)
        << "a ligature in: " << m.text.substr(nLigature - std::min<std::size_t>(nLigature, 40), 80);
}

} // namespace
