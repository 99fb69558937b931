#pragma once
// Test support: each test case runs in a fresh temporary directory.
#include <string>

namespace qmtest {

// Installs the listener that gives every test case its own current directory.
void installFreshDirectoryListener();

// The directory the current test case runs in (its current directory).
std::string testDirectory();

// Absolute path of a file under tests/fixtures.
std::string fixture(const std::string& relative);

}  // namespace qmtest
