#include "controls/TarqRegIniFile.h"

#include "controls/TarqRegistration.h"
#include "platform/core/ClassRegistry.h"

const TEnumInfo& PathTypeInfo()
{
    static const TEnumInfo info{"TTarqPathType", {"ptIniFile", "ptRegistry"}};
    return info;
}

const TEnumInfo& RegKeyInfo()
{
    static const TEnumInfo info{"TTarqRegKey",
                                {"hkeyClassesRoot", "hkeyCurrentUser", "hkeyLocalMachine", "hkeyUsers",
                                 "hkeyPerformanceData", "hkeyCurrentConfig", "hkeyDynData"}};
    return info;
}

const TEnumInfo& RegAccessInfo()
{
    static const TEnumInfo info{"TTarqRegAccessItem",
                                {"keyQueryValue", "keySetValue", "keyCreateSubKey", "keyEnumerateSubKeys", "keyNotify",
                                 "keyCreateLink", "keyRead", "keyWrite", "keyExecute", "keyAllAccess"}};
    return info;
}

TTarqRegIniFile::TTarqRegIniFile(TComponent* owner) : TComponent(owner) { RegisterTarqCommonClasses(); }
