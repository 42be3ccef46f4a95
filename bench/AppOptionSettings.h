#pragma once
// The settings the option harness takes as "Name=value" words, named as the
// fields of the converter's per-file settings record and checked against the
// choices the converter's output panel offers, so that the record holds only
// what a user of the converter could have chosen.

#include <string>

#include "app/CusOutputOptions.h"
#include "app/FormatTable.h"
#include "app/JobBuilder.h"

// What a setting may be chosen from.
struct TSettingChoices {
    TProfileLists Profile;
    bool RotationAvailable = true;
};

// Where the settings go, and which of the fields that depend on each other
// were named on the command line.
struct TAppSettingTarget {
    TCusOutputOptions& Record;
    TJobEnvironment& Environment;
    bool ClipStartGiven = false;
    bool ClipEndGiven = false;
    bool WatermarkOnGiven = false;
};

// Applies one "Name=value" word; an empty result on success, else the line
// that says what is wrong.
std::string ApplySetting(const std::string& word, const TSettingChoices& choices, TAppSettingTarget& target);

// The names `ApplySetting` accepts, separated by blanks.
std::string SettingNames();
