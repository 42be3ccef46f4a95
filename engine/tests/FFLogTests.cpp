#include <gtest/gtest.h>

#include <cstdarg>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "engine/FFLog.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"
#include "platform/core/MainThread.h"
#include "platform/core/Properties.h"
#include "platform/core/Strings.h"
#include "platform/core/Threads.h"

namespace {

void CallFFmpegLog(void* context, int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FFmpegLogCallback(context, level, format, args);
    va_end(args);
}

// A log context as FFmpeg hands it: a pointer to its class first, then,
// for a child, a pointer to its parent context.
struct TFakeContext {
    const AVClass* Class;
    void* Parent;
    const char* Name;
};

const char* FakeItemName(void* context) { return static_cast<TFakeContext*>(context)->Name; }

AVClass MakeClass(const char* name, int parentOffset)
{
    AVClass avClass{};
    avClass.class_name = name;
    avClass.item_name = FakeItemName;
    avClass.parent_log_context_offset = parentOffset;
    return avClass;
}

const AVClass ParentClass = MakeClass("parentclass", 0);
const AVClass ChildClass = MakeClass("childclass", offsetof(TFakeContext, Parent));

struct TLogged {
    TObject* Sender;
    int32_t ThreadId;
    TLogLevel Level;
    std::string Msg;
};

class LoggerTest : public testing::Test {
protected:
    void SetUp() override
    {
        logger_->SetTriggerEventInMainThread(false);
        logger_->SetLogLevel(llDebug);
        logger_->SetLogToFile(false);
        logger_->SetOnLog([this](TObject* sender, int32_t threadId, TLogLevel level, const std::string& msg) {
            logged_.push_back({sender, threadId, level, msg});
        });
        CallFFmpegLog(nullptr, AV_LOG_QUIET, "%s", static_cast<const char*>(nullptr));
        logged_.clear();
    }
    void TearDown() override
    {
        logger_->SetOnLog(nullptr);
        logger_->SetLogToFile(false);
        logger_->SetLogFile("");
    }

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> messages;
        for (const TLogged& item : logged_)
            messages.push_back(item.Msg);
        return messages;
    }

    TFFLogger* logger_ = Logger();
    std::vector<TLogged> logged_;
};

TEST_F(LoggerTest, AssemblesFFmpegPiecesIntoLinesWithTheContextPrefix)
{
    TFakeContext context{&ParentClass, nullptr, "demuxer"};
    CallFFmpegLog(&context, AV_LOG_INFO, "abc");
    CallFFmpegLog(&context, AV_LOG_INFO, "def %d\nghi", 42);
    CallFFmpegLog(&context, AV_LOG_WARNING, "\n");

    ASSERT_EQ(logged_.size(), 2u);
    EXPECT_EQ(logged_[0].Msg, Format("[demuxer @ %p]abcdef 42", static_cast<void*>(&context)));
    EXPECT_EQ(logged_[0].Level, llInfo);
    EXPECT_EQ(logged_[0].Sender, logger_);
    EXPECT_EQ(logged_[0].ThreadId, static_cast<int32_t>(GetCurrentThreadId()));
    EXPECT_EQ(logged_[1].Msg, "ghi");
    EXPECT_EQ(logged_[1].Level, llWarning);
}

TEST_F(LoggerTest, NamesTheParentContextFirst)
{
    TFakeContext parent{&ParentClass, nullptr, "mux"};
    TFakeContext child{&ChildClass, &parent, "codec"};
    CallFFmpegLog(&child, AV_LOG_ERROR, "failed\n");

    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0],
              Format("[mux @ %p] [codec @ %p]failed", static_cast<void*>(&parent), static_cast<void*>(&child)));
}

TEST_F(LoggerTest, CollapsesRepeatedLines)
{
    for (int i = 0; i < 3; ++i)
        CallFFmpegLog(nullptr, AV_LOG_INFO, "same\n");
    CallFFmpegLog(nullptr, AV_LOG_INFO, "other\n");
    CallFFmpegLog(nullptr, AV_LOG_INFO, "other\n");
    CallFFmpegLog(nullptr, AV_LOG_INFO, "last\n");
    for (int i = 0; i < 4; ++i)
        CallFFmpegLog(nullptr, AV_LOG_INFO, "tail\n");
    CallFFmpegLog(nullptr, AV_LOG_QUIET, "%s", static_cast<const char*>(nullptr));

    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"same", "    Last message repeated 2 times", "other", "last", "tail",
                                        "    Last message repeated 3 times"}));
}

TEST_F(LoggerTest, KeepsTheLinesOfEachThreadApart)
{
    CallFFmpegLog(nullptr, AV_LOG_INFO, "main ");
    int32_t workerId = 0;
    std::thread worker([&] {
        workerId = static_cast<int32_t>(GetCurrentThreadId());
        CallFFmpegLog(nullptr, AV_LOG_INFO, "worker line\n");
    });
    worker.join();
    CallFFmpegLog(nullptr, AV_LOG_INFO, "line\n");

    ASSERT_EQ(logged_.size(), 2u);
    EXPECT_EQ(logged_[0].Msg, "worker line");
    EXPECT_EQ(logged_[0].ThreadId, workerId);
    EXPECT_EQ(logged_[1].Msg, "main line");
    EXPECT_EQ(logged_[1].ThreadId, static_cast<int32_t>(GetCurrentThreadId()));
}

TEST_F(LoggerTest, LongMessagesArriveWhole)
{
    const std::string text(10000, 'x');
    CallFFmpegLog(nullptr, AV_LOG_INFO, "%s|%s\n", text.c_str(), text.c_str());

    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], text + "|" + text);
}

TEST_F(LoggerTest, TheLevelSetsFFmpegsThreshold)
{
    logger_->SetLogLevel(llWarning);
    CallFFmpegLog(nullptr, AV_LOG_INFO, "info\n");
    CallFFmpegLog(nullptr, AV_LOG_WARNING, "warning\n");
    logger_->Log(nullptr, llInfo, "engine info");
    logger_->Log(nullptr, llQuiet, "engine quiet");

    EXPECT_EQ(Messages(), (std::vector<std::string>{"warning", "engine quiet"}));
}

TEST(LogLevels, MapToFFmpegLevels)
{
    EXPECT_EQ(LogLevelToFFmpeg(llQuiet), -8);
    EXPECT_EQ(LogLevelToFFmpeg(llWarning), 24);
    EXPECT_EQ(LogLevelToFFmpeg(llDebug), 48);
    const std::vector<std::pair<int32_t, TLogLevel>> cases = {
        {-9, llQuiet}, {-8, llQuiet}, {0, llPanic},    {7, llPanic},  {8, llFatal},
        {32, llInfo},  {39, llInfo},  {47, llVerbose}, {48, llDebug}, {56, llDebug}};
    for (const auto& [level, expected] : cases)
        EXPECT_EQ(FFmpegToLogLevel(level), expected) << level;
}

TEST_F(LoggerTest, WithoutListenersItIsDisabled)
{
    logger_->SetOnLog(nullptr);
    EXPECT_TRUE(logger_->Disabled());
    logger_->SetLogFile(TEST_BINARY_DIR "/unused.log");
    EXPECT_TRUE(logger_->Disabled());
    logger_->SetLogToFile(true);
    EXPECT_FALSE(logger_->Disabled());
    logger_->SetActive(false);
    EXPECT_TRUE(logger_->Disabled());
    logger_->SetActive(true);
}

TEST_F(LoggerTest, WritesLogFileLines)
{
    const std::string fileName = TEST_BINARY_DIR "/engine-test.log";
    DeleteFile(fileName);
    logger_->SetOnLog(nullptr);
    logger_->SetLogFile(fileName);
    logger_->SetLogToFile(true);
    logger_->LogFmt(nullptr, llError, "open %s: %d", "clip.avi", -2);
    CallFFmpegLog(nullptr, AV_LOG_VERBOSE, "from ffmpeg\n");
    logger_->SetLogToFile(false);

    std::ifstream file(fileName, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    const std::string id = Format("%.8x", GetCurrentThreadId());
    const std::regex expected("\\d\\d:\\d\\d:\\d\\d \\d\\d\\d \\[" + id + "\\] Error: open clip.avi: -2\r\n" +
                              "\\d\\d:\\d\\d:\\d\\d \\d\\d\\d \\[" + id + "\\] Verbose: from ffmpeg\r\n");
    EXPECT_TRUE(std::regex_match(content.str(), expected)) << content.str();
}

TEST_F(LoggerTest, AnUnwritableLogFileIsDroppedWithOneNotice)
{
    logger_->SetLogFile(TEST_BINARY_DIR "/no-such-folder/engine.log");
    logger_->SetLogToFile(true);
    logger_->Log(nullptr, llInfo, "first");
    logger_->Log(nullptr, llInfo, "second");

    ASSERT_EQ(logged_.size(), 3u);
    EXPECT_EQ(logged_[0].Msg, "first");
    EXPECT_EQ(logged_[1].Level, llError);
    EXPECT_EQ(logged_[1].Msg.rfind("Can not write log file " TEST_BINARY_DIR "/no-such-folder/engine.log: ", 0), 0u)
        << logged_[1].Msg;
    EXPECT_EQ(logged_[2].Msg, "second");
}

// The worker must not hold the logger's lock while it waits for the main
// thread: a handler there that logs would wait for the worker in turn.
TEST(Logger, AMainThreadHandlerMayLogWhileAWorkerWaits)
{
    TFFLogger* logger = Logger();
    logger->SetTriggerEventInMainThread(true);
    logger->SetLogLevel(llDebug);
    std::vector<std::string> seen;
    logger->SetOnLog([&](TObject*, int32_t, TLogLevel, const std::string& msg) {
        EXPECT_TRUE(IsMainThread());
        seen.push_back(msg);
        if (msg == "from worker")
            Logger()->Log(nullptr, llInfo, "from handler");
    });
    std::atomic<bool> done{false};
    std::thread worker([&] {
        Logger()->Log(nullptr, llInfo, "from worker");
        done = true;
        SignalMainThread();
    });
    ServeMainThreadUntil([&] { return done.load(); });
    worker.join();
    logger->SetOnLog(nullptr);

    EXPECT_EQ(seen, (std::vector<std::string>{"from worker", "from handler"}));
}

TEST(Logger, PublishesItsProperties)
{
    TFFLogger& logger = *Logger();
    SetPropText(logger, "LogLevel", "llWarning");
    EXPECT_EQ(logger.LogLevel(), llWarning);
    EXPECT_EQ(GetPropText(logger, "Version"), "5.2");
    SetPropText(logger, "About", "engine");
    EXPECT_EQ(logger.About(), "engine");
    SetPropText(logger, "TriggerEventInMainThread", "False");
    EXPECT_FALSE(logger.TriggerEventInMainThread());
    SetEventProp(logger, "OnLog", TLogEvent([](TObject*, int32_t, TLogLevel, const std::string&) {}));
    EXPECT_FALSE(logger.Disabled());
    SetEventProp(logger, "OnLog", std::any());
    EXPECT_TRUE(logger.Disabled());
}

TEST(Logger, RefusesASecondExplicitLogger)
{
    TFFLogger explicitLogger(nullptr);
    EXPECT_EQ(Logger(), &explicitLogger);
    EXPECT_FALSE(explicitLogger.AutoCreated());
    EXPECT_THROW(TFFLogger another(nullptr), Exception);
}

} // namespace
