#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace TestSupport {

// Runs each test in a fresh working directory of its own, removed afterwards.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_old = std::filesystem::current_path();
        m_dir = std::filesystem::temp_directory_path() /
                ("vq-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        std::filesystem::current_path(m_dir);
    }
    void TearDown() override {
        std::filesystem::current_path(m_old);
        std::filesystem::remove_all(m_dir);
    }

    std::filesystem::path m_dir;
    std::filesystem::path m_old;
};

}  // namespace TestSupport
