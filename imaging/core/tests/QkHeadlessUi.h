#pragma once
// A headless window system for tests that create controls or read input.

#include <gtest/gtest.h>

#include "platform/backend/HeadlessBackend.h"
#include "platform/ui/WindowSystem.h"

class HeadlessUiTest : public ::testing::Test {
protected:
    HeadlessUiTest() { InstallWindowSystem(backend); }
    ~HeadlessUiTest() override { UninstallWindowSystem(); }

    THeadlessBackend backend;
};
