#pragma once
// A headless window system for the converter's tests.

#include <gtest/gtest.h>

#include "platform/ui/Application.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/ui/WindowSystem.h"

class AppUiTest : public ::testing::Test {
protected:
    AppUiTest()
    {
        InstallWindowSystem(backend);
        Application()->ResetTerminated();
    }
    ~AppUiTest() override { UninstallWindowSystem(); }

    void Pump() { Application()->ProcessMessages(); }

    THeadlessBackend backend;
};
