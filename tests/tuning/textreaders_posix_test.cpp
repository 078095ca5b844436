// The text readers of the tuning tools against what only POSIX has: a FIFO, a device node.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>

#include "tuning/eqimport.h"
#include "tuning/measurement.h"

using testing::HasSubstr;

// The filter and the measurement readers take only regular files, like the preset reader: a FIFO
// nobody writes to, a directory or a device is refused at once, never waited on.
TEST(EqImport, TextReadersRefuseWhatIsNotARegularFileWithoutWaiting) {
    const std::string fifo = testing::TempDir() + "eq_fifo_" + std::to_string(::getpid());
    ::unlink(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct SReader {
        const char* name;
        std::function<std::string(const std::string&)> read; // the reason given, empty when read
    };
    const SReader readers[] = {
        {"filter", [](const std::string& path) { return ImportEqFilterFile(path).szError; }},
        {"measurement", [](const std::string& path) { return ReadMeasurementFile(path).szError; }},
    };
    const std::pair<std::string, std::string> files[] = {
        {fifo, "not a regular file"},
        {"/dev/null", "not a regular file"},
        {testing::TempDir(), "Is a directory"},
    };
    for (const SReader& reader : readers)
        for (const auto& [path, reason] : files) {
            SCOPED_TRACE(std::string(reader.name) + " " + path);
            auto result = std::async(std::launch::async, reader.read, path);
            if (result.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
                // Let the blocked open go (a writer that closes at once) before failing.
                const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) ::close(fd);
                ADD_FAILURE() << "the reader waited on " << path;
            }
            EXPECT_THAT(result.get(), HasSubstr(reason));
        }
    ::unlink(fifo.c_str());
}
