#pragma once
// A test fixture for the window under a virtual X server: the toolkit set
// up, a MainWindow shown with the program's event pump installed, and all of
// it taken down again after the test.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "app/gui_test_support.h"
#include "app/main_window.h"
#include "app/toolkit_setup.h"
#include "app/window_pump.h"
#include "text/pump_events.h"

class ShownWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs an X display: run through with_xvfb.sh";
    InitialiseToolkit();
    main_ = std::make_unique<MainWindow>();
    InstallWindowEventPump(*main_);
    gui_test::ShowAndWait(*main_);
  }
  void TearDown() override {
    InstallEventPump(nullptr);
    main_.reset();
    gui_test::Drain();
  }

  // Runs xdotool with `arguments` to its end while the window handles events.
  void Xdotool(std::vector<std::string> arguments) {
    ASSERT_EQ(gui_test::Xdotool(std::move(arguments)), 0);
  }
  // A real click at the middle of `widget`.
  void ClickOn(const Fl_Widget& widget) {
    ASSERT_EQ(gui_test::XdotoolClick(main_->window(), widget), 0);
  }

  std::unique_ptr<MainWindow> main_;
};
