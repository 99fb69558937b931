#include "testdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace qmtest {
namespace {

std::string g_current;

class FreshDirectory : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override {
    original_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "qmtest-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      ADD_FAILURE() << "cannot create a temporary directory";
      return;
    }
    g_current = pattern;
    fs::current_path(g_current);
  }
  void OnTestEnd(const ::testing::TestInfo& info) override {
    fs::current_path(original_);
    if (g_current.empty()) return;
    if (info.result()->Passed() || std::getenv("QM_KEEP_TEST_DIRS") == nullptr) {
      std::error_code ec;
      fs::remove_all(g_current, ec);
    }
    g_current.clear();
  }

 private:
  fs::path original_;
};

}  // namespace

void installFreshDirectoryListener() {
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshDirectory);
}

std::string testDirectory() { return g_current; }

std::string fixture(const std::string& relative) {
#ifdef QM_FIXTURE_DIR
  return std::string(QM_FIXTURE_DIR) + "/" + relative;
#else
  return relative;
#endif
}

}  // namespace qmtest
