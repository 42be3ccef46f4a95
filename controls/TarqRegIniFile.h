#pragma once
// A storage location (INI file or registry key) that a frame controller can
// point to. Only its settings exist: nothing reads or writes through it.

#include <cstdint>
#include <string>

#include "platform/core/ClassRegistry.h"
#include "platform/core/Components.h"

enum TTarqPathType : uint8_t { ptIniFile, ptRegistry };
enum TTarqRegKey : uint8_t {
    hkeyClassesRoot,
    hkeyCurrentUser,
    hkeyLocalMachine,
    hkeyUsers,
    hkeyPerformanceData,
    hkeyCurrentConfig,
    hkeyDynData
};
enum TTarqRegAccessItem : uint8_t {
    keyQueryValue,
    keySetValue,
    keyCreateSubKey,
    keyEnumerateSubKeys,
    keyNotify,
    keyCreateLink,
    keyRead,
    keyWrite,
    keyExecute,
    keyAllAccess
};
using TTarqRegAccess = TSet<TTarqRegAccessItem>;

const TEnumInfo& PathTypeInfo();
const TEnumInfo& RegKeyInfo();
const TEnumInfo& RegAccessInfo();

class TTarqRegIniFile : public TComponent {
public:
    explicit TTarqRegIniFile(TComponent* owner);

    const std::string& Path() const { return path_; }
    void SetPath(const std::string& value) { Change(path_, value); }
    TTarqPathType PathType() const { return pathType_; }
    void SetPathType(TTarqPathType value) { Change(pathType_, value); }
    TTarqRegKey RegKey() const { return regKey_; }
    void SetRegKey(TTarqRegKey value) { Change(regKey_, value); }
    TTarqRegAccess RegAccess() const { return regAccess_; }
    void SetRegAccess(TTarqRegAccess value) { Change(regAccess_, value); }

    // Set whenever a setting changes (and at creation).
    bool RefreshNeeded() const { return refresh_; }

private:
    template <class V>
    void Change(V& field, const V& value)
    {
        if (field == value)
            return;
        field = value;
        refresh_ = true;
    }

    std::string path_;
    TTarqPathType pathType_ = ptIniFile;
    TTarqRegKey regKey_ = hkeyCurrentUser;
    TTarqRegAccess regAccess_{keyAllAccess};
    bool refresh_ = true;
};
