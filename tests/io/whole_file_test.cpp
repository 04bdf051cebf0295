#include "io/whole_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "os/new_file.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

class WholeFileTest : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("whole-file-test-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string at(const std::string& name) const { return (folder_ / name).string(); }
    std::string contentsOf(const std::string& name) const {
        std::ifstream in(at(name));
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void write(const std::string& name, const std::string& text) const { std::ofstream(at(name)) << text; }
    size_t entries() const { return size_t(std::distance(fs::directory_iterator(folder_), {})); }

    fs::path folder_;
};

TEST_F(WholeFileTest, AppearsOnlyWhenCommitted) {
    std::string error;
    {
        WholeFile file;
        ASSERT_TRUE(file.open(at("frame.ppm"), error)) << error;
        std::fputs("P6", file.stream());
        EXPECT_FALSE(fs::exists(at("frame.ppm")));
        ASSERT_TRUE(file.commit(0, error)) << error;
    }
    EXPECT_EQ(contentsOf("frame.ppm"), "P6");
    EXPECT_EQ(entries(), 1u);
    {
        WholeFile abandoned;  // cut short, as by an exception
        ASSERT_TRUE(abandoned.open(at("other.ppm"), error)) << error;
        std::fputs("half", abandoned.stream());
    }
    EXPECT_EQ(entries(), 1u);
}

// What is planted at the final name is replaced, never written through.
TEST_F(WholeFileTest, ReplacesALinkWithoutFollowingIt) {
    write("victim", "secret");
    fs::create_symlink(at("victim"), at("frame.ppm"));
    std::string error;
    WholeFile file;
    ASSERT_TRUE(file.open(at("frame.ppm"), error)) << error;
    std::fputs("P6", file.stream());
    ASSERT_TRUE(file.commit(0, error)) << error;
    EXPECT_EQ(contentsOf("victim"), "secret");
    EXPECT_FALSE(fs::is_symlink(at("frame.ppm")));
    EXPECT_EQ(contentsOf("frame.ppm"), "P6");
}

TEST_F(WholeFileTest, FailuresLeaveNothingAndNameTheFile) {
    std::string error;
    WholeFile failedWrite;
    ASSERT_TRUE(failedWrite.open(at("frame.png"), error));
    EXPECT_FALSE(failedWrite.commit(ENOSPC, error));
    EXPECT_NE(error.find("frame.png"), std::string::npos) << error;
    EXPECT_EQ(entries(), 0u);

    fs::create_directory(at("in-the-way.png"));
    WholeFile blocked;
    ASSERT_TRUE(blocked.open(at("in-the-way.png"), error));
    EXPECT_FALSE(blocked.commit(0, error));
    EXPECT_NE(error.find("in-the-way.png'"), std::string::npos) << error;
    EXPECT_EQ(entries(), 1u);

    WholeFile nowhere;
    EXPECT_FALSE(nowhere.open(at("missing/frame.png"), error));
    EXPECT_NE(error.find("missing/frame.png'"), std::string::npos) << error;
    EXPECT_FALSE(folderTakesFiles(at("missing"), error));
}

// Anything at the name, even a dangling link or a FIFO, is a name taken, and left as it is.
TEST_F(WholeFileTest, NewFilesNeverOpenWhatIsThere) {
    write("victim", "secret");
    write("existing", "kept");
    fs::create_symlink(at("victim"), at("link"));
    fs::create_symlink(at("nothing"), at("dangling"));
    ASSERT_EQ(mkfifo(at("fifo").c_str(), 0600), 0);
    for (const char* name : {"existing", "link", "dangling", "fifo"}) {
        std::FILE* stream = nullptr;
        std::string error;
        EXPECT_EQ(createNewFile(at(name), stream, error), NewFile::NameTaken) << name;
    }
    EXPECT_EQ(contentsOf("victim"), "secret");
    EXPECT_EQ(contentsOf("existing"), "kept");
    EXPECT_FALSE(fs::exists(at("nothing")));
    std::string error;
    EXPECT_TRUE(folderTakesFiles(folder_.string(), error)) << error;
    EXPECT_EQ(entries(), 5u);  // the probe is gone again
}

}  // namespace
}  // namespace quorvel
