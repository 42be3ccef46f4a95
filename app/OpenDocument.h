#pragma once
// Opening a document or web address in the desktop's default handler.

#include <functional>
#include <string>
#include <vector>

// Starts a program with its arguments; never waits for it.
using TDocumentLauncher = std::function<void(const std::vector<std::string>& command)>;

// Hands the trimmed target to "xdg-open"; an empty target does nothing, and
// a failure to start is not reported: the window never blocks on it.
void OpenDocument(const std::string& target);

// Replaces how OpenDocument starts the handler (tests record instead);
// an empty launcher restores the detached child process.
void SetDocumentLauncher(TDocumentLauncher launcher);

// Runs `command` (no shell) in a grandchild process that nobody waits on,
// so that it leaves no zombie and the caller returns at once.
void LaunchDetached(const std::vector<std::string>& command);
