#pragma once
// A test fixture for code that drives automation objects: every test must
// leave no automation object alive and COM initialised as it found it.

#include <gtest/gtest.h>

#include "platform/automation/apartment.h"
#include "platform/automation/dispatch.h"

class AutomationBalanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    objects_ = platform::com::LiveObjectCount();
    apartment_ = platform::com::ApartmentInitCount();
  }
  void TearDown() override {
    EXPECT_EQ(platform::com::LiveObjectCount(), objects_) << "an automation object leaked";
    EXPECT_EQ(platform::com::ApartmentInitCount(), apartment_) << "COM left unbalanced";
  }

 private:
  long objects_ = 0;
  int apartment_ = 0;
};
