#pragma once
// The Items of a combo box: a TStrings over the combo's own item list, so
// that every change reaches the combo (sorted insertion, data kept with
// its item, deletion notices, repainting).

#include "platform/core/StringList.h"

class TCustomComboBox;

class TComboBoxStrings : public TStrings {
public:
    explicit TComboBoxStrings(TCustomComboBox& combo) : combo_(combo) {}

    int32_t Count() const override;
    std::string Strings(int32_t index) const override;
    void SetStrings(int32_t index, const std::string& s) override;
    TObject* Objects(int32_t index) const override;
    void SetObjects(int32_t index, TObject* object) override;
    void InsertObject(int32_t index, const std::string& s, TObject* object) override;
    void Delete(int32_t index) override;
    void Clear() override;
    int32_t AddObject(const std::string& s, TObject* object) override;

private:
    void CheckIndex(int32_t index) const;

    TCustomComboBox& combo_;
};
