#pragma once
// A headless window system for the converter's tests.

#include <gtest/gtest.h>

#include "imaging/core/QkStartup.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/WindowSystem.h"

class AppUiTest : public ::testing::Test {
protected:
    AppUiTest()
    {
        InstallWindowSystem(backend);
        Application()->ResetTerminated();
        LibraryStaticInit();
    }
    ~AppUiTest() override
    {
        LibraryStaticFinal();
        UninstallWindowSystem();
    }

    void Pump() { Application()->ProcessMessages(); }

    THeadlessBackend backend;
};
