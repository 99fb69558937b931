#include <gtest/gtest.h>

#include <QCoreApplication>

#include "testdir.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication app(argc, argv);
  qmtest::installFreshDirectoryListener();
  return RUN_ALL_TESTS();
}
