// A fresh, empty working directory for tests that write "result.txt".
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class InScratchDir : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        home_ = std::filesystem::current_path();
        // A name of this run's own: two builds' suites run at once (release
        // and sanitize, or two clones) must not clear each other's folder.
        const auto unique = std::chrono::steady_clock::now().time_since_epoch().count();
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("orvandel-") + info->test_suite_name() + "-" + info->name() + "-" + std::to_string(unique));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
    }

    void TearDown() override {
        std::filesystem::current_path(home_);
        std::filesystem::remove_all(dir_);
    }

    static std::string ReadBytes(const char* name) {
        std::ifstream in(name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path home_;
    std::filesystem::path dir_;
};
