#pragma once
// The base of the engine's components: the version text and the input and
// output time-outs handed to every job.

#include <cstdint>
#include <string>

#include "platform/core/Components.h"

class TFFBaseComponent : public TComponent {
public:
    // Time-outs are 30000 ms, or 0 (none) while a debugger is attached.
    explicit TFFBaseComponent(TComponent* owner);

    const std::string& About() const { return about_; }
    void SetAbout(const std::string& value) { about_ = value; }
    const std::string& Version() const { return version_; }

    int32_t ReadTimeout; // milliseconds
    int32_t WriteTimeout; // milliseconds

private:
    std::string about_;
    std::string version_ = "5.2";
};
