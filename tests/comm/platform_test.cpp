// The platform layer's files and places, judged by the same cases on every platform (on Windows under
// the cross build's test run): a save replaces the file whole or leaves the old one, a read takes only
// regular files within the limit, names are UTF-8 text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "comm/fileplatform.h"
#include "comm/sysplatform.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// A fresh folder of its own per test, removed afterwards.
class PlatformFiles : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_Dir = fs::temp_directory_path() /
                fs::path("mlb8-platform-" + std::to_string(ZUtils::ProcessId()) + "-" + info->name());
        fs::remove_all(m_Dir);
        fs::create_directories(m_Dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(m_Dir / "locked.dovu", fs::perms::owner_write, fs::perm_options::add, ec);
        fs::remove_all(m_Dir, ec);
    }
    // The path as the layer takes it: UTF-8 text.
    std::string Path(const std::u8string& name) const {
        const std::u8string text = (m_Dir / fs::path(name)).u8string();
        return std::string(text.begin(), text.end());
    }
    static std::string Contents(const std::string& path) {
        std::ifstream in(fs::path(std::u8string(path.begin(), path.end())), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Put(const std::string& path, const std::string& text) {
        std::ofstream out(fs::path(std::u8string(path.begin(), path.end())), std::ios::binary);
        out << text;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_Dir)) {
            const std::u8string name = entry.path().filename().u8string();
            names.emplace_back(name.begin(), name.end());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_Dir;
};

const std::string kText = "[Main]\r\nVolume=12\r\n\0binary\xff\n"s;

TEST_F(PlatformFiles, SaveCreatesOrReplacesTheWholeFileAndLeavesNoTemporary) {
    const std::string path = Path(u8"preset.dovu");
    ASSERT_EQ(ZFile::ReplaceWithText(path, kText), 0);
    EXPECT_EQ(Contents(path), kText);
    ASSERT_EQ(ZFile::ReplaceWithText(path, "short"), 0); // shorter than before: nothing of the old left
    EXPECT_EQ(Contents(path), "short");
    EXPECT_EQ(Names(), std::vector<std::string>{"preset.dovu"});
}

// Every refusal comes before anything is written: the old file stays as it was, nothing is left beside.
TEST_F(PlatformFiles, RefusedSavesLeaveTheOldFileAndNoTemporary) {
    const std::string locked = Path(u8"locked.dovu");
    Put(locked, "old");
    fs::permissions(fs::path(m_Dir / "locked.dovu"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    fs::create_directory(m_Dir / "folder.dovu");
    struct SCase {
        std::string path;
        int nError;
    };
    const SCase cases[] = {
        {locked, EACCES},
        {Path(u8"folder.dovu"), EISDIR},
        {Path(u8"missing/new.dovu"), ENOENT},
        {"", ENOENT},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ZFile::CheckSaveTarget(c.path), c.nError);
        EXPECT_EQ(ZFile::ReplaceWithText(c.path, kText), c.nError);
    }
    EXPECT_EQ(Contents(locked), "old");
    EXPECT_EQ(Names(), (std::vector<std::string>{"folder.dovu", "locked.dovu"}));
}

// A save that died before its rename left ".NAME.~PID.N" beside the target: the next save of that
// target removes it when its process is gone, and keeps the one of a save still going on (this process)
// and every other name.
TEST_F(PlatformFiles, SaveRemovesOnlyTheTemporariesOfDeadSaves) {
    const std::string self = std::to_string(ZUtils::ProcessId());
    const std::vector<std::string> kept = {".other.dovu.~2147483000.1", ".preset.dovu.~" + self + ".7",
                                           ".preset.dovu.~x.1", "preset.dovu"};
    for (const std::string& name : kept)
        Put(Path(std::u8string(name.begin(), name.end())), "x");
    Put(Path(u8".preset.dovu.~2147483000.3"), "stale");
    ASSERT_EQ(ZFile::ReplaceWithText(Path(u8"preset.dovu"), kText), 0);
    EXPECT_EQ(Names(), kept);
}

TEST_F(PlatformFiles, ReadTakesRegularFilesWithinTheLimit) {
    const std::string path = Path(u8"preset.dovu");
    Put(path, kText);
    std::string text = "left over";
    EXPECT_EQ(ZFile::ReadWhole(path, kText.size(), &text), 0);
    EXPECT_EQ(text, kText);
    struct SCase {
        std::string path;
        std::size_t nMax;
        int nError;
    };
    const SCase cases[] = {
        {path, kText.size() - 1, EFBIG},
        {Path(u8"missing.dovu"), 100, ENOENT},
        {Path(u8""), 100, EISDIR},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.path);
        text = "left over";
        EXPECT_EQ(ZFile::ReadWhole(c.path, c.nMax, &text), c.nError);
        EXPECT_EQ(text, "");
    }
}

// Names beyond ASCII reach the file system as the same characters, whatever the system's code page.
TEST_F(PlatformFiles, NamesAreUtf8Text) {
    const std::string path = Path(u8"预设 Größe.dovu");
    ASSERT_EQ(ZFile::ReplaceWithText(path, kText), 0);
    EXPECT_TRUE(fs::exists(m_Dir / fs::path(u8"预设 Größe.dovu")));
    std::string text;
    EXPECT_EQ(ZFile::ReadWhole(path, 1000, &text), 0);
    EXPECT_EQ(text, kText);
    EXPECT_EQ(ZFile::Probe(path), 0);
    EXPECT_EQ(ZFile::Probe(Path(u8"预设.dovu")), ENOENT);

    const std::string log = Path(u8"трасса.log");
    std::FILE* pFile = ZFile::OpenFile(log, "ab");
    ASSERT_NE(pFile, nullptr);
    std::fputs("line\n", pFile);
    std::fclose(pFile);
    EXPECT_EQ(Contents(log), "line\n");
}

// The window watches a port given by its path through the path's identity: it stays while the file
// stays, changes when a new file takes the path (a replugged device), and is absent where nothing, or
// a link to nothing, is. Through a link, what it leads to counts.
TEST_F(PlatformFiles, IdentityFollowsTheFileAtAPath) {
    const std::string path = Path(u8"port");
    Put(path, "a");
    std::string first, again, replaced;
    ASSERT_TRUE(ZFile::Identity(path, &first));
    EXPECT_NE(first, "");
    ASSERT_TRUE(ZFile::Identity(path, &again));
    EXPECT_EQ(again, first);
    ASSERT_EQ(ZFile::ReplaceWithText(path, "a"), 0); // the same text in a new file
    ASSERT_TRUE(ZFile::Identity(path, &replaced));
    EXPECT_NE(replaced, first);

    std::vector<std::string> absent = {Path(u8"missing"), Path(u8"missing/port")};
    std::error_code ec;
    fs::create_symlink(m_Dir / "port", m_Dir / "link", ec);
    if (!ec) {
        std::string throughLink, afterTarget;
        ASSERT_TRUE(ZFile::Identity(Path(u8"link"), &throughLink));
        ASSERT_EQ(ZFile::ReplaceWithText(path, "b"), 0);
        ASSERT_TRUE(ZFile::Identity(Path(u8"link"), &afterTarget));
        EXPECT_NE(afterTarget, throughLink);
        fs::create_symlink(m_Dir / "missing", m_Dir / "dangling", ec);
        if (!ec) absent.push_back(Path(u8"dangling"));
    }
    for (const std::string& missing : absent) {
        std::string identity = "left over";
        EXPECT_FALSE(ZFile::Identity(missing, &identity)) << missing;
        EXPECT_EQ(identity, "") << missing;
    }
}

TEST(PlatformPlaces, ExecutableDirHoldsThisTest) {
    const std::string dir = ZUtils::ExecutableDir();
    ASSERT_FALSE(dir.empty());
    const fs::path folder(std::u8string(dir.begin(), dir.end()));
    EXPECT_TRUE(fs::exists(folder / "test_comm_platform") || fs::exists(folder / "test_comm_platform.exe"))
        << dir;
    const std::string data = ZUtils::UserDataDir();
    EXPECT_TRUE(data.empty() || fs::path(data).filename() == "MLB-8 DSP Manager") << data;
}

TEST(PlatformPlaces, LaunchingNothingIsRefused) {
    EXPECT_EQ(ZUtils::LaunchDocument("", "manual.pdf"), ENOENT);
}

} // namespace
