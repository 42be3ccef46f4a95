#pragma once
// A test fixture base that collects what the engine logs during each test
// and restores the process-wide log settings afterwards.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/FFLog.h"

struct TLogLine {
    TLogLevel Level;
    std::string Text;
};

class LogCapturingTest : public ::testing::Test {
protected:
    // Collects every line logged at Level or above until the test ends.
    void CaptureLog(TLogLevel Level)
    {
        Logger()->SetTriggerEventInMainThread(false);
        Logger()->SetLogLevel(Level);
        Logger()->SetOnLog([this](TObject*, int32_t, TLogLevel level, const std::string& text) {
            logLines.push_back({level, text});
        });
    }

    void TearDown() override
    {
        Logger()->SetOnLog(nullptr);
        Logger()->SetLogLevel(llInfo);
    }

    bool Logged(TLogLevel level, const std::string& text) const
    {
        for (const TLogLine& line : logLines)
            if (line.Level == level && line.Text == text)
                return true;
        return false;
    }

    std::vector<TLogLine> logLines;
};
