#pragma once
// A fresh folder in the build tree for one test, removed afterwards.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

class TestFolder {
public:
    TestFolder()
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::path(TEST_BINARY_DIR) / "scratch" /
            (std::string(test->test_suite_name()) + "." + test->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TestFolder() { std::filesystem::remove_all(path_); }

    std::string Path() const { return path_.string(); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // Names in the folder, links included.
    size_t EntryCount() const
    {
        size_t count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(path_))
            ++count;
        return count;
    }

private:
    std::filesystem::path path_;
};
