#include "app/registry.h"

#include "platform/key_store.h"
#include "platform/message_box.h"
#include "workspace/settings.h"

#include <QApplication>
#include <cstring>
#include <vector>

namespace {
const char* const CompanyName = "Vennlore";
const char* const ProductName = "Orvalis";
const char* const ProductVersion = "1.00";
}  // namespace

std::string SettingsKeyPath() {
    return std::string("Software\\") + CompanyName + "\\" + ProductName + "\\" + ProductVersion;
}

void RegError(const char* s1, const char*) {
    platform::MessageBox(QApplication::activeWindow(), s1, "Registry Error", platform::MB_OK);
}

HKEY CreateKey(const std::string& subkey, bool* IsNew) {
    bool isNew = false;
    if (!keystore::CreateKey(subkey, &isNew)) {
        RegError("create", subkey.c_str());
        if (IsNew) *IsNew = true;
        return {};
    }
    if (IsNew) *IsNew = isNew;
    return subkey;
}

int QueryKey(const HKEY& hKey, const char* name, void* buf, size_t size) {
    if (!hKey.empty()) {
        std::vector<uint8_t> v;  // a longer value fails, a shorter one has the wrong size
        const keystore::ReadResult r = keystore::ReadValue(hKey, name, size, v);
        if (r == keystore::ReadResult::Read && v.size() == size) {
            std::memcpy(buf, v.data(), size);
            return 1;
        }
        if (r != keystore::ReadResult::Missing) RegError("read", name);
    }
    std::memset(buf, 0, size);
    return 0;
}

int SetValue(const HKEY& hKey, const char* name, const void* buf, size_t size) {
    if (hKey.empty() || !keystore::WriteValue(hKey, name, static_cast<const uint8_t*>(buf), size)) {
        RegError("write", name);
        return 0;
    }
    return 1;
}

void LoadSettingsInto(SETTINGS& s) {
    HKEY key = CreateKey(SettingsKeyPath());
    if (!key.empty()) keystore::RemoveStaleTemporaries(key, "Settings");
    uint8_t stored[kSettingsSize];
    if (QueryKey(key, "Settings", stored, sizeof stored)) SettingsFromStored(s, stored, sizeof stored);
    else SetDefaultSettings(s);
}

void SaveSettingsFrom(const SETTINGS& s) {
    HKEY key = CreateKey(SettingsKeyPath());
    SetValue(key, "Settings", &s, sizeof s);
}

void LoadSettings() { LoadSettingsInto(Settings); }
void SaveSettings() { SaveSettingsFrom(Settings); }
